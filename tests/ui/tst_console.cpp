// The console: the run's output as it arrives, its Clear, following the
// newest line, its colours, and copying and saving what it shows.

#include "scriptedwindow.h"
#include "ui/consolepanel.h"
#include "ui/consoletextview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// A window with a run going, its output fed by the test.
struct RunningWindow : ScriptedWindow {
    RunningWindow() {
        console = window.contentView()->detailPane()->console();
        text = console->textView();
        chooseDestination();
    }

    void log(const QString& piece) { service->stream()->deliver(ExtractionProgress::log(piece)); }

    QString shownText() const { return text->toPlainText(); }

    ConsolePanel* console;
    ConsoleTextView* text;
};

} // namespace

class ConsoleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Pieces are appended at the end, never by rewriting what is shown.
    void outputIsAppendedAndClearEmptiesOnlyTheText() {
        RunningWindow window;
        QVERIFY(!window.console->clearButton()->isVisible());
        QVERIFY(window.startRun());
        window.log(QStringLiteral("first line\n"));
        QVERIFY(window.console->clearButton()->isVisible());
        QList<int> changedFrom;
        connect(window.text->document(), &QTextDocument::contentsChange, this,
                [&](int position, int, int) { changedFrom << position; });

        window.log(QStringLiteral("second "));
        window.log(QStringLiteral("line ✓\n"));
        QCOMPARE(window.shownText(), QStringLiteral("first line\nsecond line ✓\n"));
        QVERIFY(!changedFrom.isEmpty());
        QVERIFY(std::all_of(changedFrom.cbegin(), changedFrom.cend(),
                            [](int position) { return position > 0; }));

        window.service->stream()->deliver(ExtractionProgress::progress(0.3));
        window.console->clearButton()->click();
        QCOMPARE(window.model.consoleOutput(), QString());
        QCOMPARE(window.shownText(), QString());
        QVERIFY(!window.console->clearButton()->isVisible());
        QCOMPARE(window.model.state().kind(), ExtractionState::Kind::Running);
        QCOMPARE(window.model.progress(), 0.3);

        window.log(QStringLiteral("later output\n"));
        window.service->finish(ExtractionProgress::error(ExtractionError::diskFull()));
        QVERIFY(window.shownText().startsWith(QStringLiteral("later output\n\n⚠ Error:\n")));
        QCOMPARE(window.shownText(), window.model.consoleOutput());
    }

    // Also after the user scrolled up to read earlier output.
    void newestOutputIsScrolledIntoView() {
        RunningWindow window;
        QVERIFY(window.startRun());
        QScrollBar* bar = window.text->verticalScrollBar();

        for (int line = 1; line <= 400; ++line)
            window.log(QStringLiteral("inflating: folder/file-%1.bin\n").arg(line));
        QVERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());

        bar->setValue(0);
        window.log("a very long line without breaks " + QString(2000, u'x') + '\n');
        QTRY_COMPARE(bar->value(), bar->maximum());
        // Long lines wrap instead of scrolling sideways.
        QCOMPARE(window.text->horizontalScrollBar()->maximum(), 0);
    }

    void backgroundFollowsAThemeSwitch() {
        RunningWindow window;
        QPalette dark = window.window.palette();
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
        dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));

        window.window.setPalette(dark);

        const QPalette shown = window.text->palette();
        QVERIFY(shown.color(QPalette::Base).lightness() < 0x30);
        QCOMPARE(shown.color(QPalette::Text), QColor(0xf0, 0xf0, 0xf0));
    }

    // Copied from the context menu and from the keyboard, nothing to copy
    // before a selection; saved whole. Neither changes the output.
    void outputCanBeCopiedAndSaved() {
        RunningWindow window;
        QVERIFY(window.startRun());
        const QString output =
            QStringLiteral("▶ Merging 2 parts\n") + QString(100'000, u'x') + u'\n';
        window.log(output);
        QClipboard* clipboard = QGuiApplication::clipboard();

        std::unique_ptr<QMenu> menu(window.text->createContextMenu());
        QVERIFY(!menu->actions().at(0)->isEnabled()); // Copy
        menu->actions().at(1)->trigger();             // Select All
        menu.reset(window.text->createContextMenu());
        menu->actions().at(0)->trigger();
        QCOMPARE(clipboard->text(), output);

        window.text->setFocus();
        QTest::keyClick(window.text, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(window.text, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(window.text, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QStringLiteral("▶ Merging 2 parts"));

        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("console.txt"));
        QString error;
        QVERIFY2(window.text->saveTo(path, &error), qPrintable(error));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), output);
        QVERIFY(!window.text->saveTo(folder.filePath(QStringLiteral("no/such.txt")), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(window.model.consoleOutput(), output);
    }
};

QTEST_MAIN(ConsoleTest)
#include "tst_console.moc"
