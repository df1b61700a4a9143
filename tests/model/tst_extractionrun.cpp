#include "fakeextractionservice.h"
#include "model/extractionviewmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QUrl destination = QUrl::fromLocalFile(QStringLiteral("/tmp/out"));

QList<QUrl> parts(int count) {
    QList<QUrl> urls{QUrl::fromLocalFile(QStringLiteral("/downloads/a.zip"))};
    for (int i = 1; i < count; ++i)
        urls << QUrl::fromLocalFile(QStringLiteral("/downloads/a(%1).zip").arg(i));
    return urls;
}

} // namespace

class ExtractionRunTest : public QObject {
    Q_OBJECT

private:
    FakeExtractionService* m_service = nullptr;
    std::unique_ptr<ExtractionViewModel> m_model;

    // Starts a run on a three-part group and waits until it reached the service.
    ExtractionEventStream* start() {
        m_model->startExtraction();
        if (!QTest::qWaitFor([&] { return !m_service->runs.isEmpty(); }))
            return nullptr;
        return m_service->runs.last().stream;
    }

private Q_SLOTS:
    void init() {
        m_service = new FakeExtractionService;
        m_model = std::make_unique<ExtractionViewModel>(m_service);
        m_model->addFiles(parts(3));
        m_model->setDestinationURL(destination);
    }
    void cleanup() { m_model.reset(); }

    void startResetsAtOnceAndRunsLater() {
        m_model->startExtraction();

        QCOMPARE(m_model->state(), ExtractionState::running());
        QCOMPARE(m_model->progress(), 0.0);
        QVERIFY(m_model->consoleOutput().isEmpty());
        QVERIFY(!m_model->canStartExtraction());
        QVERIFY2(m_service->runs.isEmpty(), "the run starts after the current main-thread work");

        QTRY_COMPARE(m_service->runs.size(), 1);
        QCOMPARE(m_service->runs.first().destination, destination);
        QCOMPARE(m_service->runs.first().group.files, parts(3));
    }

    void successfulRunConcatenatesLogs() {
        ExtractionEventStream* stream = start();
        QVERIFY(stream);
        stream->deliver(ExtractionProgress::log("▶ Merging 3 part(s) into combined archive…\n"));
        stream->deliver(ExtractionProgress::progress(0.25));
        stream->deliver(ExtractionProgress::progress(0.5));
        stream->deliver(ExtractionProgress::log("tool output"));
        stream->deliver(ExtractionProgress::log(" without newline\n"));
        stream->deliver(ExtractionProgress::progress(1.0));
        QCOMPARE(m_model->state(), ExtractionState::running());
        stream->deliver(ExtractionProgress::completed());
        stream->end();

        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QCOMPARE(m_model->progress(), 1.0);
        QCOMPARE(m_model->consoleOutput(),
                 QStringLiteral(
                     "▶ Merging 3 part(s) into combined archive…\ntool output without newline\n"));
        QVERIFY(m_model->canStartExtraction());
    }

    void failedRunAppendsErrorBlockAndKeepsProgress() {
        ExtractionEventStream* stream = start();
        QVERIFY(stream);
        stream->deliver(ExtractionProgress::log("merging\n"));
        stream->deliver(ExtractionProgress::progress(0.3));
        const auto error = ExtractionError::readPermissionDenied(
            QUrl::fromLocalFile(QStringLiteral("/downloads/a(1).zip")));
        stream->deliver(ExtractionProgress::error(error));
        stream->end();

        const QString message = QStringLiteral("Cannot read file: a(1).zip");
        QCOMPARE(m_model->state(), ExtractionState::failed(message));
        QCOMPARE(m_model->state().message(), message);
        QCOMPARE(m_model->progress(), 0.3);
        QCOMPARE(m_model->consoleOutput(), "merging\n\n⚠ Error:\n" + message + "\n");
        QVERIFY(m_model->canStartExtraction());
    }

    void progressIsStoredUnchanged() {
        ExtractionEventStream* stream = start();
        QVERIFY(stream);
        QSignalSpy spy(m_model.get(), &ExtractionViewModel::progressChanged);
        for (double fraction : {0.4, 0.2, 1.5})
            stream->deliver(ExtractionProgress::progress(fraction));
        QCOMPARE(spy.size(), 3);
        QCOMPARE(m_model->progress(), 1.5);
    }

    void logsAreAppendedPieceByPiece() {
        ExtractionEventStream* stream = start();
        QVERIFY(stream);
        QSignalSpy appended(m_model.get(), &ExtractionViewModel::consoleOutputAppended);
        QSignalSpy changed(m_model.get(), &ExtractionViewModel::consoleOutputChanged);
        stream->deliver(ExtractionProgress::log("one\n"));
        stream->deliver(ExtractionProgress::log("two\n"));
        QCOMPARE(appended.size(), 2);
        QCOMPARE(appended.at(1).at(0).toString(), QStringLiteral("two\n"));
        QCOMPARE(changed.size(), 2);
    }

    void runWorksOnCopies() {
        m_model->startExtraction();
        // Changes before the run reaches the service must not reach it either.
        m_model->addFiles({QUrl::fromLocalFile(QStringLiteral("/downloads/a(3).zip"))});
        m_model->setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/elsewhere")));
        QTRY_COMPARE(m_service->runs.size(), 1);
        QCOMPARE(m_service->runs.first().group.files, parts(3));
        QCOMPARE(m_service->runs.first().destination, destination);
    }

    void startWhileRunningIsIgnored() {
        QVERIFY(start());
        m_model->startExtraction();
        QTest::qWait(20);
        QCOMPARE(m_service->runs.size(), 1);
    }

    void missingPartsDoNotPreventAStart() {
        m_model->reset();
        m_model->addFiles({QUrl::fromLocalFile(QStringLiteral("/downloads/b(2).zip"))});
        QVERIFY(m_model->selectedGroup()->isMissingParts);
        QVERIFY(m_model->canStartExtraction());
        QVERIFY(start());
    }

    void clashingPartsKeepTheRunFromStarting() {
        const QUrl copy = QUrl::fromLocalFile(QStringLiteral("/elsewhere/a(1).zip"));
        m_model->addFiles({copy});
        QVERIFY(m_model->selectedGroup()->hasClashingParts());
        QVERIFY(!m_model->canStartExtraction());

        m_model->startExtraction();
        QTest::qWait(20);
        QVERIFY(m_service->runs.isEmpty());
        QCOMPARE(m_model->state(), ExtractionState::idle());

        m_model->removeFile(copy);
        QVERIFY(m_model->canStartExtraction());
        QVERIFY(start());
        QCOMPARE(m_service->runs.first().group.files, parts(3));
    }
};

QTEST_GUILESS_MAIN(ExtractionRunTest)
#include "tst_extractionrun.moc"
