#include "model/extractionviewmodel.h"
#include "scriptedwindow.h"
#include "ui/animatedprogressbar.h"
#include "ui/contentview.h"
#include "ui/destinationpicker.h"
#include "ui/detailpane.h"
#include "ui/extractionpanel.h"
#include "ui/mainwindow.h"
#include "ui/statuslabel.h"
#include "ui/symbolpushbutton.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(Symbol)

class ExtractionPanelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelFollowsTheRunState_data();
    void panelFollowsTheRunState();
    void mainButtonStartsRetriesOrClears_data();
    void mainButtonStartsRetriesOrClears();
    void ctrlReturnDoesNothingWhileRunning();
    void destinationButtonShowsTheChosenFolder();
    void chosenFolderBecomesTheDestination();
    void cancelledChooserKeepsTheDestination();
    void windowFitsAHalfSizedScreen_data();
    void windowFitsAHalfSizedScreen();
};

void ExtractionPanelTest::panelFollowsTheRunState_data() {
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Symbol>("symbol");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("progressShown");
    QTest::addColumn<bool>("cancelShown");

    QTest::addRow("idle without a destination cannot start")
        << Situation::IdleWithoutDestination << "Start Extraction" << Symbol::ArchiveBox << false
        << "" << false << false;
    QTest::addRow("idle with a destination can start")
        << Situation::Idle << "Start Extraction" << Symbol::ArchiveBox << true << "" << false
        << false;
    QTest::addRow("running shows the bar and Cancel, and cannot be pressed")
        << Situation::Running << "Running…" << Symbol::ArchiveBox << false << "" << true << true;
    QTest::addRow("succeeded keeps the bar, says Done and offers Clear")
        << Situation::Succeeded << "Clear" << Symbol::ResetArrow << true << "Done" << true << false;
    QTest::addRow("failed hides the bar, says Failed and offers a new start")
        << Situation::FailedWithDestination << "Start Extraction" << Symbol::ArchiveBox << true
        << "Failed" << false << false;
}

void ExtractionPanelTest::panelFollowsTheRunState() {
    QFETCH(Situation, situation);
    ScriptedWindow window;
    QVERIFY(window.reach(situation));
    ExtractionPanel* panel = window.panel;

    QTEST(panel->mainButton()->text(), "title");
    QTEST(panel->mainButton()->symbol(), "symbol");
    QTEST(panel->mainButton()->isEnabled(), "enabled");
    QFETCH(QString, status);
    QCOMPARE(panel->statusLabel()->isVisible(), !status.isEmpty());
    if (!status.isEmpty())
        QCOMPARE(panel->statusLabel()->text(), status);
    QTEST(panel->progressBar()->isVisible(), "progressShown");
    QTEST(panel->cancelButton()->isVisible(), "cancelShown");
    if (panel->progressBar()->isVisible())
        QCOMPARE(panel->progressBar()->fraction(), 0.4);
}

void ExtractionPanelTest::mainButtonStartsRetriesOrClears_data() {
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<bool>("byShortcut");
    QTest::addColumn<int>("runsStarted");
    QTest::addColumn<bool>("groupKept");

    for (const bool byShortcut : {false, true}) {
        const char* how = byShortcut ? "Ctrl+Return" : "the button";
        QTest::addRow("%s in idle starts a run", how) << Situation::Idle << byShortcut << 1 << true;
        QTest::addRow("%s after success clears the window", how)
            << Situation::Succeeded << byShortcut << 0 << false;
        QTest::addRow("%s after a failure starts the run again", how)
            << Situation::FailedWithDestination << byShortcut << 1 << true;
    }
}

void ExtractionPanelTest::mainButtonStartsRetriesOrClears() {
    QFETCH(Situation, situation);
    QFETCH(bool, byShortcut);
    QFETCH(int, runsStarted);
    QFETCH(bool, groupKept);
    ScriptedWindow window;
    QVERIFY(window.reach(situation));
    QVERIFY(QTest::qWaitForWindowActive(&window.window));
    const int runsBefore = window.service->runCount();

    if (byShortcut)
        window.pressCtrlReturn();
    else
        window.panel->mainButton()->click();

    QTest::qWait(20);
    QCOMPARE(window.service->runCount() - runsBefore, runsStarted);
    QCOMPARE(window.model.selectedGroup().has_value(), groupKept);
    QCOMPARE(window.model.state().kind(),
             runsStarted ? ExtractionState::Kind::Running : ExtractionState::Kind::Idle);
    // The destination outlives a reset, so the next archive needs no new choice.
    QVERIFY(window.model.destinationURL());
}

void ExtractionPanelTest::ctrlReturnDoesNothingWhileRunning() {
    ScriptedWindow window;
    QVERIFY(window.reach(Situation::Running));
    QVERIFY(QTest::qWaitForWindowActive(&window.window));

    window.pressCtrlReturn();
    QTest::keyClick(&window.window, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);

    QTest::qWait(20);
    QCOMPARE(window.service->runCount(), 1);
    QCOMPARE(window.model.state().kind(), ExtractionState::Kind::Running);
}

void ExtractionPanelTest::destinationButtonShowsTheChosenFolder() {
    ScriptedWindow window;
    SymbolPushButton* button = window.panel->destinationButton();
    QCOMPARE(button->text(), QStringLiteral("Choose folder…"));
    QCOMPARE(button->symbol(), Symbol::Folder);

    window.model.setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/home/someone/Extracted")));
    QCOMPARE(button->text(), QStringLiteral("Extracted"));

    const QString longName(400, QLatin1Char('x'));
    window.model.setDestinationURL(
        QUrl::fromLocalFile(QStringLiteral("/home/") + longName + QStringLiteral("end")));
    QVERIFY(button->text().contains(QChar(0x2026)));
    QVERIFY(button->text().startsWith(QLatin1Char('x')));
    QVERIFY(button->text().endsWith(QStringLiteral("end")));
}

void ExtractionPanelTest::chosenFolderBecomesTheDestination() {
    ScriptedWindow window;
    window.panel->destinationButton()->click();
    DestinationPicker* picker = window.window.contentView()->destinationPicker();
    QVERIFY(picker->isPresented());
    // A second press raises the open chooser instead of opening another.
    window.panel->destinationButton()->click();
    QCOMPARE(window.window.findChildren<QFileDialog*>().size(), 1);

    // With nothing typed, accepting a folder chooser takes the folder it shows.
    picker->dialog()->setDirectoryUrl(QUrl::fromLocalFile(window.parts.path()));
    // Through QDialog, where accept() is public; the file dialog's own still runs.
    static_cast<QDialog*>(picker->dialog())->accept();

    QCOMPARE(window.model.destinationURL(),
             std::optional(QUrl::fromLocalFile(window.parts.path())));
    QVERIFY(window.panel->mainButton()->isEnabled());
}

void ExtractionPanelTest::cancelledChooserKeepsTheDestination() {
    ScriptedWindow window;
    window.chooseDestination();
    const std::optional<QUrl> chosen = window.model.destinationURL();

    window.panel->destinationButton()->click();
    DestinationPicker* picker = window.window.contentView()->destinationPicker();
    QVERIFY(picker->isPresented());
    picker->dialog()->reject();

    QCOMPARE(window.model.destinationURL(), chosen);
    QTRY_VERIFY(!picker->isPresented());
}

// A 1280×800 screen at twice the scale is 640×400 logical pixels, less a
// panel: the window must shrink to that with Start on screen, the console
// giving up its height first.
void ExtractionPanelTest::windowFitsAHalfSizedScreen_data() {
    QTest::addColumn<Situation>("situation");
    QTest::addRow("ready to start") << Situation::Idle;
    QTest::addRow("running, with the progress bar") << Situation::Running;
    QTest::addRow("failed, with the retry button") << Situation::FailedWithDestination;
    QTest::addRow("done, with Open Folder") << Situation::Succeeded;
}

void ExtractionPanelTest::windowFitsAHalfSizedScreen() {
    QFETCH(Situation, situation);
    ScriptedWindow scripted;
    QVERIFY(scripted.reach(situation));
    const QSize smallest =
        scripted.window.minimumSizeHint().expandedTo(scripted.window.minimumSize());
    QVERIFY(smallest.width() <= 640 && smallest.height() <= 380);

    scripted.window.resize(640, 380);
    QTRY_COMPARE(scripted.window.size(), QSize(640, 380));
    QWidget* button = scripted.panel->mainButton();
    const auto onWindow = [&] {
        return QRect(button->mapTo(&scripted.window, QPoint(0, 0)), button->size());
    };
    QTRY_VERIFY(scripted.window.rect().contains(onWindow()));
    QVERIFY(button->isVisible());

    // The panel keeps one height whatever the run shows, so nothing below
    // it jumps when the progress bar comes and goes.
    ScriptedWindow idle;
    QCOMPARE(scripted.panel->sizeHint().height(), idle.panel->sizeHint().height());
}

QTEST_MAIN(ExtractionPanelTest)
#include "tst_extractionpanel.moc"
