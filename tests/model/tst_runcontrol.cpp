// What the user may do to a run and around it: cancel it, touch the groups
// while it goes, and move on to another archive once it has ended.

#include "fakeextractionservice.h"
#include "groupnames.h"
#include "model/extractionviewmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

enum class Outcome { Succeeded, Failed };
enum class Removal { ShownGroup, FileByLocation, FileByPosition, Reset };
enum class NextStep {
    RemoveAndDropAnother,
    RemoveShownWithAnotherLeft,
    SwitchToAnother,
    DropAnother,
    RemoveAFile
};

const QString cancelledMessage = QStringLiteral("Extraction cancelled.");
const QString rule = QString(40, QChar(0x2500)) + u'\n';

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Removal)
Q_DECLARE_METATYPE(NextStep)

class RunControlTest : public QObject {
    Q_OBJECT

private:
    FakeExtractionService* m_service = nullptr;
    std::unique_ptr<ExtractionViewModel> m_model;

    ExtractionEventStream* stream() const {
        return m_service->runs.isEmpty() ? nullptr : m_service->runs.last().stream.data();
    }

    // Starts a run of the shown group and waits until it reached the service.
    ExtractionEventStream* start() {
        const qsizetype before = m_service->runs.size();
        m_model->startExtraction();
        if (!QTest::qWaitFor([&] { return m_service->runs.size() > before; }))
            return nullptr;
        return stream();
    }

    // What the service does with a cancelled run: it ends with one error.
    static void endCancelled(ExtractionEventStream* stream) {
        stream->deliver(ExtractionProgress::log("Cancelled. Files already extracted stay.\n"));
        stream->deliver(ExtractionProgress::error(ExtractionError::cancelled()));
        stream->end();
    }

    static void finish(ExtractionEventStream* stream, Outcome outcome) {
        stream->deliver(ExtractionProgress::progress(0.7));
        stream->deliver(outcome == Outcome::Succeeded
                            ? ExtractionProgress::completed()
                            : ExtractionProgress::error(ExtractionError::diskFull()));
        stream->end();
    }

private Q_SLOTS:
    void init() {
        m_service = new FakeExtractionService;
        m_model = std::make_unique<ExtractionViewModel>(m_service);
        m_model->addFiles(files({"a.zip", "a(1).zip", "a(2).zip", "b.zip"}));
        m_model->setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/tmp/out")));
    }
    void cleanup() { m_model.reset(); }

    void cancelEndsTheRunAsAFailure_data() {
        QTest::addColumn<bool>("beforeTheServiceHasIt");
        QTest::addColumn<int>("presses");
        QTest::addRow("once while running") << false << 1;
        QTest::addRow("twice while running") << false << 2;
        QTest::addRow("before the run reached the service") << true << 1;
        QTest::addRow("twice before the run reached the service") << true << 2;
    }
    void cancelEndsTheRunAsAFailure() {
        QFETCH(bool, beforeTheServiceHasIt);
        QFETCH(int, presses);
        QSignalSpy requested(m_model.get(), &ExtractionViewModel::cancelRequested);
        if (beforeTheServiceHasIt) {
            m_model->startExtraction();
            for (int press = 0; press < presses; ++press)
                m_model->cancel();
            QVERIFY(m_service->runs.isEmpty());
            QTRY_COMPARE(m_service->runs.size(), 1);
        } else {
            QVERIFY(start());
            for (int press = 0; press < presses; ++press)
                m_model->cancel();
        }
        QVERIFY(stream()->isCancelRequested());
        QVERIFY(m_model->isCancelling());
        QCOMPARE(requested.size(), 1);
        QCOMPARE(m_model->state(), ExtractionState::running());

        endCancelled(stream());
        QCOMPARE(m_model->state(), ExtractionState::failed(cancelledMessage));
        QVERIFY(!m_model->isCancelling());
        QVERIFY(m_model->consoleOutput().endsWith("⚠ Error:\n" + cancelledMessage + "\n"));
        QVERIFY(m_model->canStartExtraction());
    }

    void cancelOutsideARunChangesNothing_data() {
        QTest::addColumn<bool>("hadRun");
        QTest::addColumn<Outcome>("earlierRun");
        QTest::addRow("no run yet") << false << Outcome::Failed;
        QTest::addRow("after a success") << true << Outcome::Succeeded;
        QTest::addRow("after a failure") << true << Outcome::Failed;
    }
    void cancelOutsideARunChangesNothing() {
        QFETCH(bool, hadRun);
        QFETCH(Outcome, earlierRun);
        if (hadRun) {
            QVERIFY(start());
            finish(stream(), earlierRun);
        }
        const ExtractionState before = m_model->state();
        QSignalSpy willChange(m_model.get(), &ExtractionViewModel::objectWillChange);

        m_model->cancel();
        QCOMPARE(willChange.size(), 0);
        QCOMPARE(m_model->state(), before);
        QVERIFY(!m_model->isCancelling());

        // Nor is the request kept for the next run.
        QVERIFY(start());
        QVERIFY(!stream()->isCancelRequested());
        QVERIFY(!m_model->isCancelling());
    }

    void runThatFinishesBeforeTheCancelArrivesSucceeds() {
        QVERIFY(start());
        m_model->cancel();
        // The run was done before the service saw the request.
        finish(stream(), Outcome::Succeeded);
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QVERIFY(!m_model->isCancelling());

        QSignalSpy willChange(m_model.get(), &ExtractionViewModel::objectWillChange);
        m_model->cancel();
        QCOMPARE(willChange.size(), 0);
    }

    void removingIsRefusedWhileRunning_data() {
        QTest::addColumn<Removal>("removal");
        QTest::addRow("the shown group") << Removal::ShownGroup;
        QTest::addRow("a file by its location") << Removal::FileByLocation;
        QTest::addRow("a file by its position") << Removal::FileByPosition;
        QTest::addRow("everything, by reset") << Removal::Reset;
    }
    void removingIsRefusedWhileRunning() {
        QFETCH(Removal, removal);
        const auto remove = [&] {
            switch (removal) {
            case Removal::ShownGroup:
                return m_model->removeGroup(*m_model->selectedGroup());
            case Removal::FileByLocation:
                return m_model->removeFile(files({"a(1).zip"}).first());
            case Removal::FileByPosition:
                return m_model->removeFile(qsizetype(0));
            case Removal::Reset:
                return m_model->reset();
            }
        };
        QVERIFY(m_model->canRemoveFiles());
        QVERIFY(start());
        QVERIFY(!m_model->canRemoveFiles());
        const QList<ZipFileGroup> groups = m_model->groups();
        QSignalSpy willChange(m_model.get(), &ExtractionViewModel::objectWillChange);

        remove();
        QCOMPARE(willChange.size(), 0);
        QCOMPARE(m_model->groups(), groups);
        QCOMPARE(m_model->state(), ExtractionState::running());

        // Once the run has ended the same request goes through.
        finish(stream(), Outcome::Failed);
        QVERIFY(m_model->canRemoveFiles());
        remove();
        QVERIFY(m_model->groups() != groups);
    }

    void switchingIsRefusedWhileRunning() {
        QVERIFY(start());
        const QUuid other = m_model->groups().at(1).id;
        QSignalSpy willChange(m_model.get(), &ExtractionViewModel::objectWillChange);
        m_model->selectGroup(other);
        QCOMPARE(willChange.size(), 0);
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("a"));

        finish(stream(), Outcome::Failed);
        m_model->selectGroup(other);
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("b"));
    }

    void droppingWhileRunningKeepsTheShownGroup() {
        QVERIFY(start());
        // "0" sorts before "a" and would be shown first on a fresh drop.
        m_model->addFiles(files({"0.zip", "a(3).zip"}));
        QCOMPARE(baseNames(m_model->groups()), (QStringList{"0", "a", "b"}));
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("a"));
        QCOMPARE(m_model->selectedGroup()->files.size(), 4);
        QCOMPARE(m_model->state(), ExtractionState::running());
    }

    void anotherArchiveShownForgetsTheOutcome_data() {
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<NextStep>("step");
        QTest::addColumn<bool>("forgotten");
        for (const Outcome outcome : {Outcome::Succeeded, Outcome::Failed}) {
            const char* ended = outcome == Outcome::Succeeded ? "success" : "failure";
            QTest::addRow("%s, group removed and another dropped", ended)
                << outcome << NextStep::RemoveAndDropAnother << true;
            QTest::addRow("%s, group removed and another left", ended)
                << outcome << NextStep::RemoveShownWithAnotherLeft << true;
            QTest::addRow("%s, switched to another", ended)
                << outcome << NextStep::SwitchToAnother << true;
            QTest::addRow("%s, another dropped beside it", ended)
                << outcome << NextStep::DropAnother << false;
            QTest::addRow("%s, a file of it removed", ended)
                << outcome << NextStep::RemoveAFile << false;
        }
    }
    void anotherArchiveShownForgetsTheOutcome() {
        QFETCH(Outcome, outcome);
        QFETCH(NextStep, step);
        QFETCH(bool, forgotten);
        QVERIFY(start());
        stream()->deliver(ExtractionProgress::log("first run\n"));
        finish(stream(), outcome);
        const ExtractionState ended = m_model->state();

        switch (step) {
        case NextStep::RemoveAndDropAnother:
            m_model->removeGroup(m_model->groups().at(1));
            m_model->removeGroup(*m_model->selectedGroup());
            m_model->addFiles(files({"c.zip", "c(1).zip"}));
            break;
        case NextStep::RemoveShownWithAnotherLeft:
            m_model->removeGroup(*m_model->selectedGroup());
            break;
        case NextStep::SwitchToAnother:
            m_model->selectGroup(m_model->groups().at(1).id);
            break;
        case NextStep::DropAnother:
            m_model->addFiles(files({"0.zip"}));
            break;
        case NextStep::RemoveAFile:
            m_model->removeFile(qsizetype(2));
            break;
        }

        QCOMPARE(m_model->selectedGroup()->baseName == u"a", !forgotten);
        QCOMPARE(m_model->state(), forgotten ? ExtractionState::idle() : ended);
        QCOMPARE(m_model->progress(), forgotten ? 0.0 : 0.7);
        QVERIFY(m_model->consoleOutput().startsWith("first run\n"));
    }

    void showingAnotherArchiveWhileIdleWritesNoState() {
        QSignalSpy state(m_model.get(), &ExtractionViewModel::stateChanged);
        QSignalSpy progress(m_model.get(), &ExtractionViewModel::progressChanged);
        m_model->removeGroup(*m_model->selectedGroup());
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("b"));
        QCOMPARE(state.size(), 0);
        QCOMPARE(progress.size(), 0);
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
        QVERIFY(start());
        stream()->deliver(ExtractionProgress::log("first run\n"));
        finish(stream(), Outcome::Failed);
        // Stands for what the console held when the run ended (or its Clear).
        m_model->setConsoleOutput(earlierText);

        QSignalSpy appended(m_model.get(), &ExtractionViewModel::consoleOutputAppended);
        QVERIFY(start());
        stream()->deliver(ExtractionProgress::log("second run\n"));
        QTEST(m_model->consoleOutput(), "expected");
        // A view that follows the pieces sees the rule too.
        QString pieces = earlierText;
        for (const QList<QVariant>& piece : std::as_const(appended))
            pieces += piece.first().toString();
        QCOMPARE(pieces, m_model->consoleOutput());
    }
};

QTEST_GUILESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
