#include "ui/symbols.h"
#include "ui/theme.h"

#include <QApplication>
#include <QTest>

Q_DECLARE_METATYPE(Symbol)

namespace {

QPalette paletteOf(QColor window, QColor text, QColor base, QColor highlight,
                   QColor highlightedText) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, highlightedText);
    return palette;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySymbolHasAnIconWithoutADesktop_data();
    void everySymbolHasAnIconWithoutADesktop();
    void everyTextToneReadsOnItsBackground_data();
    void everyTextToneReadsOnItsBackground();
};

void WindowTest::everySymbolHasAnIconWithoutADesktop_data() {
    QTest::addColumn<Symbol>("symbol");
    QTest::addRow("drop arrow") << Symbol::DropArrow;
    QTest::addRow("zip document") << Symbol::ZipDocument;
    QTest::addRow("trash") << Symbol::Trash;
    QTest::addRow("warning") << Symbol::Warning;
    QTest::addRow("folder") << Symbol::Folder;
    QTest::addRow("archive box") << Symbol::ArchiveBox;
    QTest::addRow("success") << Symbol::Success;
    QTest::addRow("failure") << Symbol::Failure;
    QTest::addRow("reset arrow") << Symbol::ResetArrow;
    QTest::addRow("stop") << Symbol::Stop;
}

void WindowTest::everySymbolHasAnIconWithoutADesktop() {
    QFETCH(Symbol, symbol);
    // Tinted as a glyph would be: the picture must keep visible pixels.
    const QImage image = Symbols::pixmap(symbol, 16, 1.0, Qt::red).toImage();
    QVERIFY2(!image.isNull(), qPrintable(Symbols::iconNames(symbol).join(", ")));
    bool anyVisible = false;
    for (int y = 0; y < image.height() && !anyVisible; ++y) {
        for (int x = 0; x < image.width() && !anyVisible; ++x)
            anyVisible = qAlpha(image.pixel(x, y)) > 0;
    }
    QVERIFY(anyVisible);
}

void WindowTest::everyTextToneReadsOnItsBackground_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::addRow("the default palette") << QApplication::palette();
    QTest::addRow("light, grey window")
        << paletteOf("#efefef", "#000000", "#ffffff", "#308cc6", "#ffffff");
    QTest::addRow("light, soft text")
        << paletteOf("#dcdcdc", "#3a3a3a", "#f4f4f4", "#4a90d9", "#ffffff");
    QTest::addRow("dark") << paletteOf("#2a2c30", "#eeeff0", "#1d1f22", "#3daee9", "#ffffff");
    QTest::addRow("dark, bright accent")
        << paletteOf("#202326", "#fcfcfc", "#141618", "#93cee9", "#fcfcfc");
}

// Supporting and signal texts on the window and on lists and the console,
// and the accent button's label on its fill, all at WCAG AA or better.
void WindowTest::everyTextToneReadsOnItsBackground() {
    QFETCH(QPalette, palette);
    for (const Tone tone :
         {Tone::Secondary, Tone::Tertiary, Tone::Red, Tone::Green, Tone::Orange}) {
        const QColor text = Theme::color(tone, palette);
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
            const QColor background = palette.color(role);
            const qreal ratio =
                Theme::contrastRatio(Theme::blend(text, background, text.alphaF()), background);
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("tone %1 on role %2: %3:1")
                                                  .arg(int(tone))
                                                  .arg(int(role))
                                                  .arg(ratio, 0, 'f', 2)));
        }
    }
    const qreal onAccent = Theme::contrastRatio(Theme::color(Tone::OnAccent, palette),
                                                Theme::color(Tone::AccentFill, palette));
    QVERIFY2(onAccent >= 4.5, qPrintable(QString::number(onAccent, 'f', 2)));
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
