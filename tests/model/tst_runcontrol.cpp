// A run as the view model drives it: when Start is offered, what a run gets
// and what its events leave, cancel, what is refused while it goes, and
// moving on to another archive once it has ended.

#include "fakeextractionservice.h"
#include "groupnames.h"

#include <QSignalSpy>
#include <QTest>

namespace {

enum class Outcome { Succeeded, Failed };
enum class Action { RemoveShownGroup, RemoveFileByLocation, RemoveFileByPosition, Reset, Switch };
enum class NextStep { RemoveShownGroup, SwitchToAnother, DropAnother, RemoveAFile };

const QString cancelledMessage = QStringLiteral("Extraction cancelled.");
const QString rule = QString(40, QChar(0x2500)) + u'\n';

QString shownName(const ExtractionViewModel& model) {
    return model.selectedGroup() ? model.selectedGroup()->baseName : QString();
}

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(NextStep)

class RunControlTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedModel> m_scripted;

    ExtractionViewModel& model() { return m_scripted->model; }
    FakeExtractionService* service() { return m_scripted->service; }

    void finish(Outcome outcome) {
        m_scripted->stream()->deliver(ExtractionProgress::progress(0.7));
        m_scripted->end(outcome == Outcome::Succeeded
                            ? ExtractionProgress::completed()
                            : ExtractionProgress::error(ExtractionError::diskFull()));
    }

private Q_SLOTS:
    void init() {
        m_scripted = std::make_unique<ScriptedModel>();
        model().addFiles(files({"a.zip", "a(1).zip", "a(2).zip", "b.zip"}));
        model().setDestinationURL(ScriptedModel::destination());
    }
    void cleanup() { m_scripted.reset(); }

    void startIsOfferedOnlyForAGroupThatCanBeMerged_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<bool>("hasDestination");
        QTest::addColumn<bool>("startable");
        QTest::addColumn<bool>("checked");
        QTest::addRow("a complete group")
            << QStringList{"c.zip", "c(1).zip"} << "" << true << true << true;
        QTest::addRow("nothing dropped") << QStringList{} << "" << true << false << false;
        QTest::addRow("no destination") << QStringList{"c.zip"} << "" << false << false << true;
        QTest::addRow("missing parts do not prevent a start")
            << QStringList{"c(2).zip"} << "" << true << true << true;
        QTest::addRow("two files claim one part")
            << QStringList{"/x/c.zip", "/x/c(1).zip", "/y/c(1).zip"} << "" << true << false << true;
        // Removing a segment once made the rest look like byte-split parts.
        QTest::addRow("a spanned set, a segment removed or not")
            << QStringList{"c.z01", "c.z02", "c.zip"} << "c.z02" << true << false << false;
    }
    void startIsOfferedOnlyForAGroupThatCanBeMerged() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, removed);
        QFETCH(bool, hasDestination);
        QFETCH(bool, startable);
        QFETCH(bool, checked);
        ScriptedModel fresh;
        fresh.model.addFiles(files(dropped));
        if (!removed.isEmpty())
            fresh.model.removeFile(files({removed}).first());
        if (hasDestination)
            fresh.model.setDestinationURL(ScriptedModel::destination());
        QCOMPARE(fresh.model.canStartExtraction(), startable);
        QCOMPARE(!fresh.service->checks.isEmpty(), checked);

        fresh.model.startExtraction();
        QCOMPARE(fresh.model.state(),
                 startable ? ExtractionState::running() : ExtractionState::idle());
        QTest::qWait(20);
        QCOMPARE(fresh.service->runs.size(), startable ? 1 : 0);
    }

    // Start shows the run at once; the run itself works on copies taken
    // when it reaches the service, so later changes do not reach it.
    void theRunGetsTheGroupAndDestinationAsStarted() {
        model().startExtraction();
        QCOMPARE(model().state(), ExtractionState::running());
        QCOMPARE(model().progress(), 0.0);
        QVERIFY(!model().canStartExtraction());
        QVERIFY(service()->runs.isEmpty());
        model().addFiles(files({"a(3).zip"}));
        model().setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/elsewhere")));

        QVERIFY(m_scripted->waitForRuns(1));
        QCOMPARE(service()->runs.first().group.files, files({"a.zip", "a(1).zip", "a(2).zip"}));
        QCOMPARE(service()->runs.first().destination, ScriptedModel::destination());
        QCOMPARE(model().runDestination(), ScriptedModel::destination());
        model().startExtraction();
        QTest::qWait(20);
        QCOMPARE(service()->runs.size(), 1);
    }

    void aRunsEventsEndInItsState_data() {
        QTest::addColumn<ExtractionProgress>("closing");
        QTest::addColumn<ExtractionState>("state");
        QTest::addColumn<double>("progress");
        QTest::addColumn<QString>("console");
        QTest::addRow("success") << ExtractionProgress::completed(16)
                                 << ExtractionState::succeeded() << 1.0 << "merging\ntool output\n";
        const auto unreadable = ExtractionError::readPermissionDenied(files({"a(1).zip"}).first());
        QTest::addRow("a failure keeps its progress and ends the console with its reason")
            << ExtractionProgress::error(unreadable)
            << ExtractionState::failed("Cannot read file: a(1).zip") << 0.3
            << "merging\ntool output\n\n⚠ Error:\nCannot read file: a(1).zip\n";
    }
    void aRunsEventsEndInItsState() {
        QFETCH(ExtractionProgress, closing);
        QFETCH(double, progress);
        QVERIFY(m_scripted->start());
        m_scripted->stream()->deliver(ExtractionProgress::log("merging\n"));
        m_scripted->stream()->deliver(ExtractionProgress::progress(0.3));
        m_scripted->stream()->deliver(ExtractionProgress::log("tool output\n"));
        if (closing.is<ExtractionProgress::Completed>())
            m_scripted->stream()->deliver(ExtractionProgress::progress(1.0));
        QCOMPARE(model().state(), ExtractionState::running());

        m_scripted->end(closing);

        QTEST(model().state(), "state");
        QCOMPARE(model().progress(), progress);
        QTEST(model().consoleOutput(), "console");
        QCOMPARE(model().extractedEntryCount(), closing.is<ExtractionProgress::Completed>()
                                                    ? std::optional<qint64>(16)
                                                    : std::nullopt);
        QVERIFY(model().canStartExtraction());
    }

    // A cancel ends the run as a failure, through the service, however early
    // it comes; a run that finishes first ends as it would have.
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
        QSignalSpy requested(&model(), &ExtractionViewModel::cancelRequested);
        QSignalSpy willChange(&model(), &ExtractionViewModel::objectWillChange);
        model().cancel(); // no run yet: nothing
        QCOMPARE(willChange.size(), 0);

        model().startExtraction();
        if (!beforeTheServiceHasIt)
            QVERIFY(m_scripted->waitForRuns(1));
        model().cancel();
        model().cancel();
        QVERIFY(m_scripted->waitForRuns(1));
        QVERIFY(m_scripted->stream()->isCancelRequested());
        QVERIFY(model().isCancelling());
        QCOMPARE(requested.size(), 1);
        QCOMPARE(model().state(), ExtractionState::running());

        if (runFinishesFirst) {
            m_scripted->end(ExtractionProgress::completed());
            QCOMPARE(model().state(), ExtractionState::succeeded());
        } else {
            m_scripted->end(ExtractionProgress::error(ExtractionError::cancelled()));
            QCOMPARE(model().state(), ExtractionState::failed(cancelledMessage));
            QVERIFY(model().consoleOutput().endsWith("⚠ Error:\n" + cancelledMessage + "\n"));
        }
        QVERIFY(!model().isCancelling());

        // After the end a cancel does nothing, and is not kept for the next run.
        willChange.clear();
        model().cancel();
        QCOMPARE(willChange.size(), 0);
        QVERIFY(m_scripted->start());
        QVERIFY(!m_scripted->stream()->isCancelRequested());
        QVERIFY(!model().isCancelling());
    }

    void takingTheShownGroupAwayIsRefusedWhileRunning_data() {
        QTest::addColumn<Action>("action");
        QTest::addRow("removing the shown group") << Action::RemoveShownGroup;
        QTest::addRow("removing a file by its location") << Action::RemoveFileByLocation;
        QTest::addRow("removing a file by its position") << Action::RemoveFileByPosition;
        QTest::addRow("reset") << Action::Reset;
        QTest::addRow("switching to another group") << Action::Switch;
    }
    void takingTheShownGroupAwayIsRefusedWhileRunning() {
        QFETCH(Action, action);
        const auto act = [&] {
            switch (action) {
            case Action::RemoveShownGroup:
                return model().removeGroup(*model().selectedGroup());
            case Action::RemoveFileByLocation:
                return model().removeFile(files({"a(1).zip"}).first());
            case Action::RemoveFileByPosition:
                return model().removeFile(qsizetype(0));
            case Action::Reset:
                return model().reset();
            case Action::Switch:
                return model().selectGroup(model().groups().at(1).id);
            }
        };
        QVERIFY(m_scripted->start());
        QVERIFY(!model().canRemoveFiles());
        const QList<ZipFileGroup> groups = model().groups();
        const ZipFileGroup shown = *model().selectedGroup();
        QSignalSpy willChange(&model(), &ExtractionViewModel::objectWillChange);

        act();
        QCOMPARE(willChange.size(), 0);
        QCOMPARE(model().state(), ExtractionState::running());

        // Once the run has ended the same request goes through.
        finish(Outcome::Failed);
        act();
        QVERIFY(model().groups() != groups || model().selectedGroup() != shown);
    }

    void anotherArchiveShownForgetsTheOutcome_data() {
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<NextStep>("step");
        QTest::addColumn<bool>("forgotten");
        QTest::addRow("the group removed") << Outcome::Failed << NextStep::RemoveShownGroup << true;
        QTest::addRow("switched to another")
            << Outcome::Succeeded << NextStep::SwitchToAnother << true;
        QTest::addRow("another dropped beside it")
            << Outcome::Failed << NextStep::DropAnother << false;
        QTest::addRow("a file of it removed")
            << Outcome::Succeeded << NextStep::RemoveAFile << false;
    }
    void anotherArchiveShownForgetsTheOutcome() {
        QFETCH(Outcome, outcome);
        QFETCH(NextStep, step);
        QFETCH(bool, forgotten);
        QVERIFY(m_scripted->start());
        m_scripted->stream()->deliver(ExtractionProgress::log("first run\n"));
        finish(outcome);
        const ExtractionState ended = model().state();

        switch (step) {
        case NextStep::RemoveShownGroup:
            model().removeGroup(*model().selectedGroup());
            break;
        case NextStep::SwitchToAnother:
            model().selectGroup(model().groups().at(1).id);
            break;
        case NextStep::DropAnother:
            model().addFiles(files({"0.zip"}));
            break;
        case NextStep::RemoveAFile:
            model().removeFile(qsizetype(2));
            break;
        }

        QCOMPARE(shownName(model()) == u"a", !forgotten);
        QCOMPARE(model().state(), forgotten ? ExtractionState::idle() : ended);
        QCOMPARE(model().progress(), forgotten ? 0.0 : 0.7);
        QVERIFY(model().consoleOutput().startsWith("first run\n"));
    }

    void nextRunBeginsUnderARule_data() {
        QTest::addColumn<QString>("earlierText");
        QTest::addColumn<QString>("expected");
        QTest::addRow("after a finished line") << "first run\n"
                                               << "first run\n" + rule + "second run\n";
        QTest::addRow("after output without a newline") << "first run"
                                                        << "first run\n" + rule + "second run\n";
        QTest::addRow("after the console was cleared") << ""
                                                       << "second run\n";
    }
    void nextRunBeginsUnderARule() {
        QFETCH(QString, earlierText);
        QVERIFY(m_scripted->start());
        finish(Outcome::Failed);
        // Stands for what the console held when the run ended (or its Clear).
        model().setConsoleOutput(earlierText);

        QSignalSpy appended(&model(), &ExtractionViewModel::consoleOutputAppended);
        QVERIFY(m_scripted->start());
        m_scripted->stream()->deliver(ExtractionProgress::log("second run\n"));
        QTEST(model().consoleOutput(), "expected");
        // A view that follows the pieces sees the rule too.
        QString pieces = earlierText;
        for (const QList<QVariant>& piece : std::as_const(appended))
            pieces += piece.first().toString();
        QCOMPARE(pieces, model().consoleOutput());
    }
};

QTEST_GUILESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
