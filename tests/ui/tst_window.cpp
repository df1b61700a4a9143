#include "model/extractionviewmodel.h"
#include "scriptedservice.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/mainwindow.h"
#include "ui/panesplitter.h"
#include "ui/symbols.h"

#include <QTest>

Q_DECLARE_METATYPE(Symbol)

class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySymbolHasAnIconWithoutADesktop_data();
    void everySymbolHasAnIconWithoutADesktop();
    void windowAndPanesKeepTheirMinimumSizes();
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

void WindowTest::windowAndPanesKeepTheirMinimumSizes() {
    ExtractionViewModel model(new ScriptedService);
    MainWindow window(&model);
    window.show();
    window.resize(100, 100);
    QVERIFY(window.width() >= 720);
    QVERIFY(window.height() >= 520);

    PaneSplitter* splitter = window.contentView()->splitter();
    splitter->setSizes({10, 10000});
    QVERIFY(splitter->sizes().first() >= 260);
    splitter->setSizes({10000, 10});
    QVERIFY(splitter->sizes().last() >= 400);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
