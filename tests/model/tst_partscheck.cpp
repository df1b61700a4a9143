// The check of the shown parts, as the view model asks for it and uses it:
// when it asks, what it keeps, and what Start does with what it learned.

#include "fakeextractionservice.h"
#include "groupnames.h"
#include "model/extractionviewmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QUrl destination = QUrl::fromLocalFile(QStringLiteral("/tmp/out"));

} // namespace

class PartsCheckTest : public QObject {
    Q_OBJECT

private:
    FakeExtractionService* m_service = nullptr;
    std::unique_ptr<ExtractionViewModel> m_model;

    // Lets the replies of the checks asked so far arrive.
    bool settle() {
        return QTest::qWaitFor([this] { return !m_model->isInspecting(); });
    }

    QList<std::optional<QUrl>> checkedDestinations() const {
        QList<std::optional<QUrl>> destinations;
        for (const auto& check : m_service->checks)
            destinations << check.destination;
        return destinations;
    }

private Q_SLOTS:
    void init() {
        m_service = new FakeExtractionService;
        m_service->inspection = completeInspection();
        m_model = std::make_unique<ExtractionViewModel>(m_service);
    }
    void cleanup() { m_model.reset(); }

    void theShownPartsAreCheckedOncePerDestination() {
        QSignalSpy changes(m_model.get(), &ExtractionViewModel::inspectionChanged);
        m_model->addFiles(files({"a.zip", "a(1).zip", "b.zip"}));
        QVERIFY(m_model->isInspecting());
        QVERIFY(settle());
        QCOMPARE(m_model->selectedInspection(), completeInspection());
        QVERIFY(!changes.isEmpty());

        // Another archive's files change nothing about the shown parts.
        m_model->addFiles(files({"c.zip"}));
        QVERIFY(settle());
        QCOMPARE(m_service->checks.size(), 1);
        QCOMPARE(m_service->checks.first().parts, files({"a.zip", "a(1).zip"}));

        // A destination asks again, for the files the run would replace.
        m_model->setDestinationURL(destination);
        QVERIFY(settle());
        m_model->setDestinationURL(destination);
        QVERIFY(settle());
        QCOMPARE(checkedDestinations(), (QList<std::optional<QUrl>>{std::nullopt, destination}));

        // A part more is another set of parts.
        m_model->addFiles(files({"a(2).zip"}));
        QVERIFY(settle());
        QCOMPARE(m_service->checks.size(), 3);
        QCOMPARE(m_service->checks.last().parts, files({"a.zip", "a(1).zip", "a(2).zip"}));
    }

    // While the destination's check runs, what the parts' check found stays
    // shown, without another destination's files to replace.
    void anEarlierCheckOfThePartsShowsWhileTheNextRuns() {
        m_service->inspection = completeInspection(3);
        m_model->addFiles(files({"a.zip", "a(1).zip"}));
        m_model->setDestinationURL(destination);
        QVERIFY(settle());
        m_service->answersChecks = false;

        m_model->setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/tmp/elsewhere")));

        QVERIFY(m_model->isInspecting());
        const std::optional<ArchiveInspection> shown = m_model->selectedInspection();
        QVERIFY(shown && shown->complete);
        QCOMPARE(shown->conflicts, std::nullopt);
    }

    void aCheckThatCouldNotRunShowsNothing() {
        m_service->inspection = std::nullopt;
        m_model->addFiles(files({"a.zip"}));
        QVERIFY(settle());
        QCOMPARE(m_model->selectedInspection(), std::nullopt);
    }

    void startAsksBeforeReplacingFiles_data() {
        QTest::addColumn<qint64>("conflicts");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("isAsked");
        QTest::addRow("nothing to replace") << qint64(0) << true << false;
        QTest::addRow("files to replace") << qint64(12) << true << true;
        QTest::addRow("files to replace, by a tool that never asks")
            << qint64(12) << false << false;
    }
    void startAsksBeforeReplacingFiles() {
        QFETCH(qint64, conflicts);
        QFETCH(bool, asks);
        QFETCH(bool, isAsked);
        m_service->inspection = completeInspection(conflicts);
        m_model->setAsksBeforeReplacing(asks);
        m_model->addFiles(files({"a.zip", "a(1).zip"}));
        m_model->setDestinationURL(destination);
        QVERIFY(settle());
        QSignalSpy questions(m_model.get(), &ExtractionViewModel::replaceConfirmationRequested);

        m_model->startExtraction();

        QCOMPARE(questions.size(), isAsked ? 1 : 0);
        if (isAsked) {
            QCOMPARE(questions.first().at(0).value<qint64>(), conflicts);
            QCOMPARE(questions.first().at(1).toUrl(), destination);
            // Nothing has started: the answer decides.
            QCOMPARE(m_model->state(), ExtractionState::idle());
            QTest::qWait(20);
            QVERIFY(m_service->runs.isEmpty());
            m_model->confirmReplacing();
        }
        QCOMPARE(m_model->state(), ExtractionState::running());
        QVERIFY(QTest::qWaitFor([this] { return !m_service->runs.isEmpty(); }));
        // The run gets the destination's check, for its space check.
        QCOMPARE(m_service->runs.first().inspection, completeInspection(conflicts));
    }

    void aRefusedReplacementLeavesEverythingAsItWas() {
        m_service->inspection = completeInspection(2);
        m_model->addFiles(files({"a.zip", "a(1).zip"}));
        m_model->setDestinationURL(destination);
        QVERIFY(settle());
        m_model->setConsoleOutput(QStringLiteral("earlier run\n"));
        QSignalSpy changes(m_model.get(), &ExtractionViewModel::objectWillChange);

        m_model->startExtraction(); // and the user answers Cancel: nothing more

        QVERIFY(changes.isEmpty());
        QTest::qWait(20);
        QVERIFY(m_service->runs.isEmpty());
        QCOMPARE(m_model->consoleOutput(), QStringLiteral("earlier run\n"));
    }

    // A Start before the check has answered goes on as without a check.
    void startDuringTheCheckDoesNotWaitForIt() {
        m_service->answersChecks = false;
        m_model->addFiles(files({"a.zip", "a(1).zip"}));
        m_model->setDestinationURL(destination);

        m_model->startExtraction();

        QCOMPARE(m_model->state(), ExtractionState::running());
        QVERIFY(QTest::qWaitFor([this] { return !m_service->runs.isEmpty(); }));
        QCOMPARE(m_service->runs.first().inspection, std::nullopt);
    }

    // A run changes what the destination holds; the next Start must know.
    void theDestinationIsCheckedAgainAfterARun() {
        m_model->addFiles(files({"a.zip", "a(1).zip"}));
        m_model->setDestinationURL(destination);
        QVERIFY(settle());
        m_model->startExtraction();
        QVERIFY(QTest::qWaitFor([this] { return !m_service->runs.isEmpty(); }));
        const qsizetype checksBefore = m_service->checks.size();
        m_service->inspection = completeInspection(16);

        ExtractionEventStream* stream = m_service->runs.first().stream;
        stream->deliver(ExtractionProgress::completed());
        stream->end();
        QVERIFY(settle());

        QCOMPARE(m_service->checks.size(), checksBefore + 1);
        QCOMPARE(m_service->checks.last().destination, std::optional<QUrl>(destination));
        QCOMPARE(m_model->selectedInspection()->conflicts, 16);
    }
};

QTEST_GUILESS_MAIN(PartsCheckTest)
#include "tst_partscheck.moc"
