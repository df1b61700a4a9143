// A run as the view model drives it, and the check that Start relies on.

#include "fakeextractionservice.h"
#include "groupnames.h"

#include <QSignalSpy>
#include <QTest>

namespace {

enum class Action { RemoveShownGroup, RemoveFile, Reset, Switch };

const QUrl destination = ScriptedModel::destination();

} // namespace

Q_DECLARE_METATYPE(Action)

class RunControlTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedModel> m_scripted;

    ExtractionViewModel& model() { return m_scripted->model; }
    FakeExtractionService* service() { return m_scripted->service; }
    void deliver(const ExtractionProgress& event) { m_scripted->stream()->deliver(event); }

    // Archive "a" in three parts beside "b", to go to the destination.
    void show(const std::optional<ArchiveInspection>& found = std::nullopt) {
        service()->inspection = found;
        model().addFiles(files({"a.zip", "a(1).zip", "a(2).zip", "b.zip"}));
        model().setDestinationURL(destination);
    }

    void act(Action action) {
        switch (action) {
        case Action::RemoveShownGroup:
            return model().removeGroup(*model().selectedGroup());
        case Action::RemoveFile:
            return model().removeFile(qsizetype(0));
        case Action::Reset:
            return model().reset();
        case Action::Switch:
            return model().selectGroup(model().groups().at(1).id);
        }
    }

private Q_SLOTS:
    void init() { m_scripted = std::make_unique<ScriptedModel>(); }
    void cleanup() { m_scripted.reset(); }

    // Nor is a set checked that is no byte-split archive.
    void startIsRefusedForAGroupThatCannotBeMerged_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<bool>("hasDestination");
        QTest::addColumn<bool>("checked");
        QTest::addRow("no destination") << QStringList{"c.zip"} << "" << false << true;
        QTest::addRow("two files claim one part")
            << QStringList{"/x/c.zip", "/x/c(1).zip", "/y/c(1).zip"} << "" << true << true;
        // Removing a segment once made the rest look like byte-split parts.
        QTest::addRow("a spanned set, a segment removed")
            << QStringList{"c.z01", "c.z02", "c.zip"} << "c.z02" << true << false;
    }
    void startIsRefusedForAGroupThatCannotBeMerged() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, removed);
        QFETCH(bool, hasDestination);
        model().addFiles(files(dropped));
        if (!removed.isEmpty())
            model().removeFile(files({removed}).first());
        if (hasDestination)
            model().setDestinationURL(destination);
        QVERIFY(!model().canStartExtraction());
        QTEST(!service()->checks.isEmpty(), "checked");

        model().startExtraction();
        QCOMPARE(model().state(), ExtractionState::idle());
    }

    // The run works on the group and destination as they were at Start,
    // whatever changes before it reaches the service.
    void aRunsEventsEndInItsState_data() {
        QTest::addColumn<ExtractionProgress>("closing");
        QTest::addColumn<ExtractionState>("state");
        QTest::addRow("success") << ExtractionProgress::completed(16)
                                 << ExtractionState::succeeded();
        const auto unreadable = ExtractionError::readPermissionDenied(files({"a(1).zip"}).first());
        QTest::addRow("a failure keeps its progress and adds its reason to the console")
            << ExtractionProgress::error(unreadable)
            << ExtractionState::failed(unreadable.errorDescription());
    }
    void aRunsEventsEndInItsState() {
        QFETCH(ExtractionProgress, closing);
        show();
        model().startExtraction();
        model().addFiles(files({"a(3).zip"}));
        model().setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/elsewhere")));
        QVERIFY(m_scripted->waitForRuns(1));
        QCOMPARE(service()->runs.first().group.files, files({"a.zip", "a(1).zip", "a(2).zip"}));
        QCOMPARE(service()->runs.first().destination, destination);
        deliver(ExtractionProgress::log("merging\n"));
        deliver(ExtractionProgress::progress(0.3));

        m_scripted->end(closing);
        QTEST(model().state(), "state");
        QCOMPARE(model().progress(), 0.3);
        QVERIFY(model().consoleOutput().startsWith(u"merging\n"));
        QVERIFY(model().consoleOutput().contains(model().state().message()));
        QCOMPARE(model().runDestination(), destination);
        QCOMPARE(model().extractedEntryCount().value_or(-1),
                 qint64(closing.is<ExtractionProgress::Completed>() ? 16 : -1));
        QVERIFY(model().canStartExtraction());
    }

    // A cancel ends the run as a failure, through the service, however early
    // it comes; a run that finishes first ends as it would have. A cancel
    // without a run does nothing, and is not kept for the next run.
    void cancel_data() {
        QTest::addColumn<bool>("beforeTheServiceHasIt");
        QTest::addColumn<bool>("runFinishesFirst");
        QTest::addRow("while running") << false << false;
        QTest::addRow("before the run reached the service") << true << false;
        QTest::addRow("the run finishes before the cancel arrives") << false << true;
    }
    void cancel() {
        QFETCH(bool, beforeTheServiceHasIt);
        QFETCH(bool, runFinishesFirst);
        show();
        QSignalSpy requested(&model(), &ExtractionViewModel::cancelRequested);
        model().cancel(); // no run yet: nothing
        model().startExtraction();
        if (!beforeTheServiceHasIt)
            QVERIFY(m_scripted->waitForRuns(1));
        model().cancel();
        model().cancel();
        QVERIFY(m_scripted->waitForRuns(1));
        QVERIFY(m_scripted->stream()->isCancelRequested());
        QVERIFY(model().isCancelling());
        QCOMPARE(requested.size(), 1);

        const ExtractionError cancelled = ExtractionError::cancelled();
        m_scripted->end(runFinishesFirst ? ExtractionProgress::completed()
                                         : ExtractionProgress::error(cancelled));
        QCOMPARE(model().state(), runFinishesFirst
                                      ? ExtractionState::succeeded()
                                      : ExtractionState::failed(cancelled.errorDescription()));
        QVERIFY(!model().isCancelling());
        model().cancel();
        QCOMPARE(requested.size(), 1);
        QVERIFY(m_scripted->start());
        QVERIFY(!m_scripted->stream()->isCancelRequested());
    }

    // What would take the shown group away is refused while a run goes, and
    // goes through once it has ended; the outcome is then forgotten only
    // where another archive is shown. The console keeps the run's output.
    void theShownGroupStaysWhileRunning_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<bool>("forgotten");
        QTest::addRow("removing the shown group") << Action::RemoveShownGroup << false << true;
        QTest::addRow("removing a file") << Action::RemoveFile << true << false;
        QTest::addRow("reset") << Action::Reset << false << true;
        QTest::addRow("switching to another group") << Action::Switch << true << true;
    }
    void theShownGroupStaysWhileRunning() {
        QFETCH(Action, action);
        QFETCH(bool, succeeds);
        QFETCH(bool, forgotten);
        show();
        QVERIFY(m_scripted->start());
        deliver(ExtractionProgress::log("first run\n"));
        deliver(ExtractionProgress::progress(0.7));
        QSignalSpy willChange(&model(), &ExtractionViewModel::objectWillChange);
        act(action);
        QCOMPARE(willChange.size(), 0);
        m_scripted->end(succeeds ? ExtractionProgress::completed()
                                 : ExtractionProgress::error(ExtractionError::diskFull()));
        const ExtractionState ended = model().state();

        act(action);
        const auto& shown = model().selectedGroup();
        QCOMPARE(shown && shown->baseName == u"a", !forgotten);
        QCOMPARE(model().state(), forgotten ? ExtractionState::idle() : ended);
        QCOMPARE(model().progress(), forgotten ? 0.0 : 0.7);
        QCOMPARE(model().consoleOutput().startsWith(u"first run\n"), action != Action::Reset);
    }

    // The shown parts are checked again when they or the destination change,
    // or a run has changed what the destination holds. While a check runs,
    // what an earlier one found of the parts stays shown, without the other
    // destination's files to replace.
    void theShownPartsAreCheckedAgainAfterEachChange() {
        show(completeInspection());
        QVERIFY(m_scripted->settle());
        QCOMPARE(service()->checks.last().destination, std::optional(destination));

        service()->answersChecks = false;
        model().setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/tmp/elsewhere")));
        QVERIFY(model().isInspecting());
        QVERIFY(model().selectedInspection()->complete);
        QCOMPARE(model().selectedInspection()->conflicts, std::nullopt);

        service()->answersChecks = true;
        model().setDestinationURL(destination);
        model().addFiles(files({"a(3).zip"}));
        QVERIFY(m_scripted->settle());
        QCOMPARE(service()->checks.last().parts,
                 files({"a.zip", "a(1).zip", "a(2).zip", "a(3).zip"}));
        QVERIFY(m_scripted->start());
        service()->inspection = completeInspection(16);
        m_scripted->end(ExtractionProgress::completed());
        QVERIFY(m_scripted->settle());
        QCOMPARE(model().selectedInspection()->conflicts, 16);
    }

    // Replacing is asked before the password, and only where the user wants
    // to be asked (the window tests answer each question); after a password
    // failure the next Start asks even where the check found nothing
    // encrypted. The run gets the destination's check, for its space check.
    void startAsksWhatTheCheckCallsFor_data() {
        QTest::addColumn<bool>("asksBeforeReplacing");
        QTest::addRow("both asked, replacing first") << true;
        QTest::addRow("a user who is never asked about replacing") << false;
    }
    void startAsksWhatTheCheckCallsFor() {
        QFETCH(bool, asksBeforeReplacing);
        const ArchiveInspection found = completeInspection(3, 1);
        model().setAsksBeforeReplacing(asksBeforeReplacing);
        show(found);
        QVERIFY(m_scripted->settle());
        QSignalSpy replace(&model(), &ExtractionViewModel::replaceConfirmationRequested);
        QSignalSpy password(&model(), &ExtractionViewModel::passwordRequested);

        model().startExtraction();
        QCOMPARE(replace.size(), asksBeforeReplacing ? 1 : 0);
        QCOMPARE(password.size(), asksBeforeReplacing ? 0 : 1);
        if (asksBeforeReplacing) {
            QCOMPARE(replace.first(), (QList<QVariant>{qint64(3), destination}));
            model().confirmReplacing();
        }
        QCOMPARE(password.size(), 1);
        QCOMPARE(service()->runs.size(), 0);
        model().startWithPassword("s3cret");
        QVERIFY(m_scripted->waitForRuns(1));
        QCOMPARE(service()->runs.first().inspection, std::optional(found));
        QCOMPARE(service()->runs.first().password, "s3cret");

        service()->inspection = completeInspection();
        m_scripted->end(ExtractionProgress::error(ExtractionError::wrongPassword()));
        QVERIFY(m_scripted->settle());
        model().startExtraction();
        QCOMPARE(password.size(), 2);
    }
};

QTEST_GUILESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
