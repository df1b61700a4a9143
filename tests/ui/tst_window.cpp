#include "ui/symbols.h"

#include <QTest>

Q_DECLARE_METATYPE(Symbol)

class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySymbolHasAnIconWithoutADesktop_data();
    void everySymbolHasAnIconWithoutADesktop();
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

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
