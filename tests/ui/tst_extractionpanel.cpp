// The panel under the parts: what it offers in each state of the window,
// what its main button and shortcuts do, and the destination chooser.

#include "scriptedwindow.h"
#include "ui/animatedprogressbar.h"
#include "ui/destinationpicker.h"
#include "ui/quitguard.h"
#include "ui/statuslabel.h"
#include "ui/symbolpushbutton.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QTest>

namespace {

// Stands in for the file manager: records what the window asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

enum class Press { Button, CtrlReturn, CtrlKeypadEnter };

} // namespace

Q_DECLARE_METATYPE(Press)

class ExtractionPanelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelFollowsTheWindowsState_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("progressShown");
        QTest::addColumn<bool>("cancelShown");
        QTest::addColumn<bool>("openFolderShown");

        const QString start = QStringLiteral("Start Extraction");
        QTest::addRow("no destination: Start is off")
            << Situation::NoDestination << start << false << "" << false << false << false;
        QTest::addRow("ready, though a part is missing: Start is on")
            << Situation::MissingPart << start << true << "" << false << false << false;
        QTest::addRow("running: the bar and Cancel, Start off")
            << Situation::Running << "Running…" << false << "" << true << true << false;
        QTest::addRow("succeeded: Done, the bar kept, Open Folder and Clear")
            << Situation::Succeeded << "Clear" << true << "Done" << true << false << true;
        QTest::addRow("failed: Failed, no bar, a new start")
            << Situation::Failed << start << true << "Failed" << false << false << false;
    }

    // The title carries the run's progress; closing asks only during a run.
    void panelFollowsTheWindowsState() {
        QFETCH(Situation, situation);
        QFETCH(QString, status);
        OpenedUrls fileManager;
        ScriptedWindow scripted;
        QVERIFY(scripted.reach(situation));
        ExtractionPanel* panel = scripted.panel;

        QTEST(panel->mainButton()->text(), "title");
        QTEST(panel->mainButton()->isEnabled(), "enabled");
        QCOMPARE(panel->statusLabel()->isVisible() ? panel->statusLabel()->text() : QString(),
                 status);
        QTEST(panel->progressBar()->isVisible(), "progressShown");
        if (panel->progressBar()->isVisible())
            QCOMPARE(panel->progressBar()->fraction(), 0.4);
        QTEST(panel->cancelButton()->isVisible(), "cancelShown");
        QTEST(panel->openFolderButton()->isVisible(), "openFolderShown");
        const bool running = situation == Situation::Running;
        const QString name = QGuiApplication::applicationDisplayName();
        QCOMPARE(scripted.window.windowTitle(), running ? "40 % — " + name : name);

        if (panel->openFolderButton()->isVisible()) {
            panel->openFolderButton()->click();
            QCOMPARE(fileManager.urls, QList<QUrl>{QUrl::fromLocalFile(scripted.parts.path())});
        }
        if (!running) {
            QVERIFY(scripted.window.close());
            QVERIFY(!scripted.window.quitGuard()->question());
        }
    }

    void mainButtonStartsRetriesOrClears_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<Press>("press");
        QTest::addColumn<int>("runsStarted");
        QTest::addColumn<bool>("groupKept");

        QTest::addRow("Ctrl+Return in idle starts a run")
            << Situation::Idle << Press::CtrlReturn << 1 << true;
        QTest::addRow("Ctrl+Return after success clears the window")
            << Situation::Succeeded << Press::CtrlReturn << 0 << false;
        QTest::addRow("the button after a failure starts the run again")
            << Situation::Failed << Press::Button << 1 << true;
        QTest::addRow("the keypad's Ctrl+Enter while running does nothing")
            << Situation::Running << Press::CtrlKeypadEnter << 0 << true;
    }

    void mainButtonStartsRetriesOrClears() {
        QFETCH(Situation, situation);
        QFETCH(Press, press);
        QFETCH(int, runsStarted);
        ScriptedWindow scripted;
        QVERIFY(scripted.reach(situation));
        const int runsBefore = scripted.service->runCount();

        if (press == Press::Button)
            scripted.panel->mainButton()->click();
        else if (press == Press::CtrlReturn)
            QTest::keyClick(&scripted.window, Qt::Key_Return, Qt::ControlModifier);
        else
            QTest::keyClick(&scripted.window, Qt::Key_Enter,
                            Qt::ControlModifier | Qt::KeypadModifier);

        QTest::qWait(20);
        QCOMPARE(scripted.service->runCount() - runsBefore, runsStarted);
        QTEST(scripted.model.selectedGroup().has_value(), "groupKept");
    }

    // Cancelling the chooser chooses nothing; the chosen folder shows by its
    // name.
    void destinationIsChosenInAFolderChooser() {
        ScriptedWindow scripted;
        SymbolPushButton* button = scripted.panel->destinationButton();
        DestinationPicker* picker = scripted.window.contentView()->destinationPicker();

        button->click();
        QVERIFY(picker->isPresented());
        picker->dialog()->reject();
        QVERIFY(!scripted.model.destinationURL());
        QTRY_VERIFY(!picker->isPresented());

        button->click();
        // With nothing typed, accepting a folder chooser takes the folder it shows.
        // Through QDialog, where accept() is public; the file dialog's own still runs.
        static_cast<QDialog*>(picker->dialog())->accept();
        QCOMPARE(scripted.model.destinationURL(),
                 std::optional(QUrl::fromLocalFile(scripted.parts.path())));
        QCOMPARE(button->accessibleName(), "Destination: " + QDir(scripted.parts.path()).dirName());
    }
};

QTEST_MAIN(ExtractionPanelTest)
#include "tst_extractionpanel.moc"
