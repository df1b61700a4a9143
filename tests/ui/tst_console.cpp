#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/consolepanel.h"
#include "ui/consoletextview.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

namespace {

// A shown window with a group and a run in progress, fed by the test.
struct Window {
    Window()
        : service(new ScriptedService)
        , model(service)
        , view(&model) {
        view.resize(900, 600);
        view.show();
        model.addFiles({parts.make("archive.zip", 10)});
        model.setDestinationURL(QUrl::fromLocalFile(parts.path()));
        console = view.detailPane()->console();
    }

    bool startRun() {
        model.startExtraction();
        return QTest::qWaitFor([&] { return service->stream() != nullptr; });
    }

    void log(const QString& text) { service->stream()->deliver(ExtractionProgress::log(text)); }

    QString shownText() const { return console->textView()->toPlainText(); }

    PartFiles parts;
    ScriptedService* service;
    ExtractionViewModel model;
    ContentView view;
    ConsolePanel* console;
};

} // namespace

class ConsoleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyConsoleShowsThePlaceholderAndNoClear();
    void outputReplacesThePlaceholderAndOffersClear();
    void outputIsAppendedWithoutRewritingWhatIsShown();
    void clearEmptiesOnlyTheText();
    void resetEmptiesTheConsole();
    void newestOutputIsScrolledIntoView();
    void backgroundFollowsAThemeSwitch();
    void outputCanBeSelectedAndCopied();
    void outputIsSavedWhole();
};

void ConsoleTest::emptyConsoleShowsThePlaceholderAndNoClear() {
    Window window;
    QCOMPARE(window.shownText(), QString());
    QCOMPARE(window.console->textView()->placeholderText(),
             QStringLiteral("Output will appear here."));
    QVERIFY(!window.console->clearButton()->isVisible());
}

void ConsoleTest::outputReplacesThePlaceholderAndOffersClear() {
    Window window;
    QVERIFY(window.startRun());

    window.log(QStringLiteral("▶ Merging 1 part\n"));

    QCOMPARE(window.shownText(), QStringLiteral("▶ Merging 1 part\n"));
    QVERIFY(window.console->clearButton()->isVisible());
}

void ConsoleTest::outputIsAppendedWithoutRewritingWhatIsShown() {
    Window window;
    QVERIFY(window.startRun());
    window.log(QStringLiteral("first line\n"));
    QList<int> changedFrom;
    connect(window.console->textView()->document(), &QTextDocument::contentsChange, this,
            [&](int position, int, int) { changedFrom << position; });

    window.log(QStringLiteral("second "));
    window.log(QStringLiteral("line\n"));
    window.service->finish(ExtractionProgress::error(ExtractionError::diskFull()));

    QCOMPARE(window.shownText(), window.model.consoleOutput());
    QVERIFY(window.shownText().startsWith(QStringLiteral("first line\nsecond line\n\n⚠ Error:\n")));
    // Every change starts at the end of what was already there.
    QVERIFY(!changedFrom.isEmpty());
    QVERIFY(std::all_of(changedFrom.cbegin(), changedFrom.cend(),
                        [](int position) { return position > 0; }));
}

void ConsoleTest::clearEmptiesOnlyTheText() {
    Window window;
    QVERIFY(window.startRun());
    window.log(QStringLiteral("some output\n"));
    window.service->stream()->deliver(ExtractionProgress::progress(0.3));

    window.console->clearButton()->click();

    QCOMPARE(window.model.consoleOutput(), QString());
    QCOMPARE(window.shownText(), QString());
    QVERIFY(!window.console->clearButton()->isVisible());
    QCOMPARE(window.model.state().kind(), ExtractionState::Kind::Running);
    QCOMPARE(window.model.progress(), 0.3);
    QVERIFY(window.model.selectedGroup());

    window.log(QStringLiteral("later output\n"));
    QCOMPARE(window.shownText(), QStringLiteral("later output\n"));
}

void ConsoleTest::resetEmptiesTheConsole() {
    Window window;
    QVERIFY(window.startRun());
    window.log(QStringLiteral("output\n"));
    window.service->finish(ExtractionProgress::completed());

    window.model.reset();
    window.model.addFiles({window.parts.make("next.zip")});

    QCOMPARE(window.shownText(), QString());
    QVERIFY(!window.console->clearButton()->isVisible());
}

void ConsoleTest::newestOutputIsScrolledIntoView() {
    Window window;
    QVERIFY(window.startRun());
    QScrollBar* bar = window.console->textView()->verticalScrollBar();

    for (int line = 1; line <= 400; ++line)
        window.log(QStringLiteral("inflating: folder/file-%1.bin\n").arg(line));
    QVERIFY(bar->maximum() > 0);
    QTRY_COMPARE(bar->value(), bar->maximum());

    // Also after the user scrolled up to read earlier output.
    bar->setValue(0);
    window.log(QStringLiteral("a very long line without breaks ") +
               QString(2000, QLatin1Char('x')) + '\n');
    QTRY_COMPARE(bar->value(), bar->maximum());
    // Long lines wrap instead of scrolling sideways.
    QCOMPARE(window.console->textView()->horizontalScrollBar()->maximum(), 0);
}

void ConsoleTest::backgroundFollowsAThemeSwitch() {
    Window window;
    const QColor lightBackground = window.console->textView()->palette().color(QPalette::Base);
    QPalette dark = window.view.palette();
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
    dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));

    window.view.setPalette(dark);

    const QPalette shown = window.console->textView()->palette();
    QVERIFY(shown.color(QPalette::Base) != lightBackground);
    QVERIFY(shown.color(QPalette::Base).lightness() < 0x30);
    QCOMPARE(shown.color(QPalette::Text), QColor(0xf0, 0xf0, 0xf0));
}

// From the context menu and from the keyboard; nothing to copy before a
// selection.
void ConsoleTest::outputCanBeSelectedAndCopied() {
    Window window;
    QVERIFY(window.startRun());
    window.log(QStringLiteral("▶ Merging 1 part\ninflating: a.txt\n"));
    ConsoleTextView* text = window.console->textView();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();

    std::unique_ptr<QMenu> menu(text->createContextMenu());
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.at(0)->text(), QStringLiteral("&Copy"));
    QVERIFY(!actions.at(0)->isEnabled());
    actions.at(1)->trigger(); // Select All
    menu.reset(text->createContextMenu());
    QVERIFY(menu->actions().at(0)->isEnabled());
    menu->actions().at(0)->trigger();
    QCOMPARE(clipboard->text(), window.model.consoleOutput());

    clipboard->clear();
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("▶ Merging 1 part"));
    QCOMPARE(window.model.consoleOutput(), QStringLiteral("▶ Merging 1 part\ninflating: a.txt\n"));
}

void ConsoleTest::outputIsSavedWhole() {
    Window window;
    QVERIFY(window.startRun());
    const QString output = QStringLiteral("▶ Merging 1 part\n") + QString(100'000, u'x') + u'\n';
    window.log(output);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("console.txt"));

    QString error;
    QVERIFY2(window.console->textView()->saveTo(path, &error), qPrintable(error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), output);

    QVERIFY(!window.console->textView()->saveTo(folder.filePath(QStringLiteral("no/such.txt")),
                                                &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(ConsoleTest)
#include "tst_console.moc"
