// The console: the run's output as it arrives, its Clear, and saving what
// it shows.

#include "scriptedwindow.h"
#include "ui/consolepanel.h"
#include "ui/consoletextview.h"

#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// A window with a run going, its output fed by the test.
struct RunningWindow : ScriptedWindow {
    RunningWindow() { chooseDestination(); }

    void log(const QString& piece) { service->stream()->deliver(ExtractionProgress::log(piece)); }

    QString shownText() const { return text->toPlainText(); }

    ConsolePanel* console = detail->console();
    ConsoleTextView* text = console->textView();
};

} // namespace

class ConsoleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outputIsAppendedAndClearEmptiesOnlyTheText() {
        RunningWindow window;
        QVERIFY(!window.console->clearButton()->isVisible());
        QVERIFY(window.startRun());
        window.log(QStringLiteral("first line\n"));
        QVERIFY(window.console->clearButton()->isVisible());

        window.log(QStringLiteral("second "));
        window.log(QStringLiteral("line ✓\n"));
        QCOMPARE(window.shownText(), QStringLiteral("first line\nsecond line ✓\n"));

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

    // Saved whole without changing the output; a save that fails says so.
    void outputCanBeSaved() {
        RunningWindow window;
        QVERIFY(window.startRun());
        const QString output =
            QStringLiteral("▶ Merging 2 parts\n") + QString(100'000, u'x') + u'\n';
        window.log(output);

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
