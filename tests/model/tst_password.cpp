// Encrypted archives as the view model handles them: when Start asks for the
// password, what an unanswered question leaves, what the run gets, and what
// a wrong password leads to.

#include "fakeextractionservice.h"
#include "groupnames.h"
#include "model/extractionviewmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QUrl destination = QUrl::fromLocalFile(QStringLiteral("/tmp/out"));

} // namespace

class PasswordTest : public QObject {
    Q_OBJECT

private:
    FakeExtractionService* m_service = nullptr;
    std::unique_ptr<ExtractionViewModel> m_model;

    bool settle() {
        return QTest::qWaitFor([this] { return !m_model->isInspecting(); });
    }
    bool runReachesTheService(qsizetype count) {
        return QTest::qWaitFor([this, count] { return m_service->runs.size() == count; });
    }
    void showParts() {
        m_model->addFiles(files({"a.zip", "a(1).zip"}));
        m_model->setDestinationURL(destination);
    }
    void endRunWith(const ExtractionError& error) {
        auto* stream = m_service->runs.last().stream.data();
        stream->deliver(ExtractionProgress::error(error));
        stream->end();
    }

private Q_SLOTS:
    void init() {
        m_service = new FakeExtractionService;
        m_model = std::make_unique<ExtractionViewModel>(m_service);
    }
    void cleanup() { m_model.reset(); }

    void startAsksOnlyWhenTheCheckFoundEncryptedEntries_data() {
        QTest::addColumn<qint64>("encryptedEntries"); // -1: the check could not run
        QTest::addColumn<bool>("isAsked");
        QTest::addRow("encrypted entries") << qint64(2) << true;
        QTest::addRow("no encrypted entries") << qint64(0) << false;
        QTest::addRow("no check") << qint64(-1) << false;
    }
    void startAsksOnlyWhenTheCheckFoundEncryptedEntries() {
        QFETCH(qint64, encryptedEntries);
        QFETCH(bool, isAsked);
        m_service->inspection = encryptedEntries < 0
                                    ? std::nullopt
                                    : std::optional(completeInspection(0, encryptedEntries));
        showParts();
        QVERIFY(settle());
        QSignalSpy questions(m_model.get(), &ExtractionViewModel::passwordRequested);

        m_model->startExtraction();

        QCOMPARE(questions.size(), isAsked ? 1 : 0);
        QCOMPARE(m_model->state(), isAsked ? ExtractionState::idle() : ExtractionState::running());
    }

    // The user cancels the question: nothing is written, nothing starts.
    void anUnansweredQuestionLeavesEverythingAsItWas() {
        m_service->inspection = completeInspection(0, 1);
        showParts();
        QVERIFY(settle());
        m_model->setConsoleOutput(QStringLiteral("earlier run\n"));
        QSignalSpy changes(m_model.get(), &ExtractionViewModel::objectWillChange);

        m_model->startExtraction();

        QVERIFY(changes.isEmpty());
        QTest::qWait(20);
        QVERIFY(m_service->runs.isEmpty());
        QCOMPARE(m_model->consoleOutput(), QStringLiteral("earlier run\n"));
    }

    // Replacing files is asked first; the password after it.
    void theReplaceQuestionComesFirst() {
        m_service->inspection = completeInspection(3, 1);
        showParts();
        QVERIFY(settle());
        QSignalSpy replaceQuestions(m_model.get(),
                                    &ExtractionViewModel::replaceConfirmationRequested);
        QSignalSpy passwordQuestions(m_model.get(), &ExtractionViewModel::passwordRequested);

        m_model->startExtraction();
        QCOMPARE(replaceQuestions.size(), 1);
        QCOMPARE(passwordQuestions.size(), 0);
        m_model->confirmReplacing();

        QCOMPARE(passwordQuestions.size(), 1);
        QCOMPARE(m_model->state(), ExtractionState::idle());
    }

    void theRunGetsThePassword() {
        m_service->inspection = completeInspection(0, 1);
        showParts();
        QVERIFY(settle());
        m_model->startExtraction();

        m_model->startWithPassword("s3cret");
        QCOMPARE(m_model->state(), ExtractionState::running());
        QVERIFY(runReachesTheService(1));
        QCOMPARE(m_service->runs.last().password, QByteArray("s3cret"));
    }

    // A wrong password fails the run with its own message, and the next
    // Start asks again, even where the check had found nothing encrypted.
    void aPasswordFailureAsksAgainAtTheNextStart_data() {
        QTest::addColumn<qint64>("encryptedEntries");
        QTest::addColumn<ExtractionError>("error");
        QTest::addColumn<QString>("message");
        QTest::addRow("a wrong password")
            << qint64(1) << ExtractionError::wrongPassword() << QStringLiteral("Wrong password.");
        QTest::addRow("no password for encrypted entries the check missed")
            << qint64(0) << ExtractionError::passwordRequired()
            << QStringLiteral("This archive is protected by a password.");
    }
    void aPasswordFailureAsksAgainAtTheNextStart() {
        QFETCH(qint64, encryptedEntries);
        QFETCH(ExtractionError, error);
        QFETCH(QString, message);
        m_service->inspection = completeInspection(0, encryptedEntries);
        showParts();
        QVERIFY(settle());
        m_model->startWithPassword("wrong");
        QVERIFY(runReachesTheService(1));

        endRunWith(error);

        QCOMPARE(m_model->state(), ExtractionState::failed(message));
        QVERIFY(m_model->needsPassword());
        QVERIFY(settle());
        QSignalSpy questions(m_model.get(), &ExtractionViewModel::passwordRequested);
        m_model->startExtraction();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(m_model->state(), ExtractionState::failed(message));
    }

    // Another failure says nothing about the password.
    void anotherFailureDoesNotAskForAPassword() {
        m_service->inspection = completeInspection(0, 0);
        showParts();
        QVERIFY(settle());
        m_model->startExtraction();
        QVERIFY(runReachesTheService(1));

        endRunWith(ExtractionError::diskFull());

        QVERIFY(!m_model->needsPassword());
    }
};

QTEST_GUILESS_MAIN(PasswordTest)
#include "tst_password.moc"
