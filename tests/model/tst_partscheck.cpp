// The check of the shown parts, as the view model asks for it and uses it:
// when it asks, what it keeps, what Start asks because of it (files to
// replace, a password) and what a password failure leads to.

#include "fakeextractionservice.h"
#include "groupnames.h"

#include <QSignalSpy>
#include <QTest>

namespace {

enum class Check { Answered, CouldNotRun, Pending };

const QUrl destination = ScriptedModel::destination();

} // namespace

Q_DECLARE_METATYPE(Check)

class PartsCheckTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedModel> m_scripted;

    ExtractionViewModel& model() { return m_scripted->model; }
    FakeExtractionService* service() { return m_scripted->service; }

    void showParts() {
        model().addFiles(files({"a.zip", "a(1).zip"}));
        model().setDestinationURL(destination);
    }

    QList<std::optional<QUrl>> checkedDestinations() {
        QList<std::optional<QUrl>> destinations;
        for (const auto& check : service()->checks)
            destinations << check.destination;
        return destinations;
    }

private Q_SLOTS:
    void init() {
        m_scripted = std::make_unique<ScriptedModel>();
        service()->inspection = completeInspection();
    }
    void cleanup() { m_scripted.reset(); }

    void theShownPartsAreCheckedOncePerDestination() {
        model().addFiles(files({"a.zip", "a(1).zip", "b.zip"}));
        QVERIFY(model().isInspecting());
        QVERIFY(m_scripted->settle());
        QCOMPARE(model().selectedInspection(), completeInspection());

        // Another archive's files change nothing about the shown parts.
        model().addFiles(files({"c.zip"}));
        QVERIFY(m_scripted->settle());
        QCOMPARE(service()->checks.size(), 1);
        QCOMPARE(service()->checks.first().parts, files({"a.zip", "a(1).zip"}));

        // A destination asks again, for the files the run would replace.
        model().setDestinationURL(destination);
        QVERIFY(m_scripted->settle());
        model().setDestinationURL(destination);
        QVERIFY(m_scripted->settle());
        QCOMPARE(checkedDestinations(), (QList<std::optional<QUrl>>{std::nullopt, destination}));

        // A part more is another set of parts.
        model().addFiles(files({"a(2).zip"}));
        QVERIFY(m_scripted->settle());
        QCOMPARE(service()->checks.size(), 3);
        QCOMPARE(service()->checks.last().parts, files({"a.zip", "a(1).zip", "a(2).zip"}));
    }

    // While the destination's check runs, what the parts' check found stays
    // shown, without another destination's files to replace.
    void anEarlierCheckOfThePartsShowsWhileTheNextRuns() {
        service()->inspection = completeInspection(3);
        showParts();
        QVERIFY(m_scripted->settle());
        service()->answersChecks = false;

        model().setDestinationURL(QUrl::fromLocalFile(QStringLiteral("/tmp/elsewhere")));

        QVERIFY(model().isInspecting());
        const std::optional<ArchiveInspection> shown = model().selectedInspection();
        QVERIFY(shown && shown->complete);
        QCOMPARE(shown->conflicts, std::nullopt);
    }

    // Each question is answered yes here; until it is, nothing is written
    // and nothing starts. The run gets the destination's check, for its
    // space check, and the password.
    void startAsksWhatTheCheckCallsFor_data() {
        QTest::addColumn<Check>("check");
        QTest::addColumn<qint64>("conflicts");
        QTest::addColumn<qint64>("encryptedEntries");
        QTest::addColumn<bool>("asksBeforeReplacing");
        QTest::addColumn<QStringList>("questions");
        QTest::addRow("nothing to replace, nothing encrypted")
            << Check::Answered << qint64(0) << qint64(0) << true << QStringList{};
        QTest::addRow("files to replace")
            << Check::Answered << qint64(12) << qint64(0) << true << QStringList{"replace 12"};
        QTest::addRow("files to replace, by a tool that never asks")
            << Check::Answered << qint64(12) << qint64(0) << false << QStringList{};
        QTest::addRow("encrypted entries")
            << Check::Answered << qint64(0) << qint64(2) << true << QStringList{"password"};
        QTest::addRow("both: replacing is asked first")
            << Check::Answered << qint64(3) << qint64(1) << true
            << QStringList{"replace 3", "password"};
        QTest::addRow("a check that could not run")
            << Check::CouldNotRun << qint64(0) << qint64(0) << true << QStringList{};
        QTest::addRow("a Start before the check has answered does not wait for it")
            << Check::Pending << qint64(5) << qint64(5) << true << QStringList{};
    }
    void startAsksWhatTheCheckCallsFor() {
        QFETCH(Check, check);
        QFETCH(qint64, conflicts);
        QFETCH(qint64, encryptedEntries);
        QFETCH(bool, asksBeforeReplacing);
        QFETCH(QStringList, questions);
        const ArchiveInspection found = completeInspection(conflicts, encryptedEntries);
        service()->inspection = check == Check::CouldNotRun ? std::nullopt : std::optional(found);
        service()->answersChecks = check != Check::Pending;
        model().setAsksBeforeReplacing(asksBeforeReplacing);
        showParts();
        if (check != Check::Pending)
            QVERIFY(m_scripted->settle());
        QStringList asked;
        connect(&model(), &ExtractionViewModel::replaceConfirmationRequested, this,
                [&](qint64 count, const QUrl& where) {
                    QCOMPARE(where, destination);
                    asked << QStringLiteral("replace %1").arg(count);
                });
        connect(&model(), &ExtractionViewModel::passwordRequested, this,
                [&] { asked << QStringLiteral("password"); });
        QSignalSpy changes(&model(), &ExtractionViewModel::objectWillChange);

        model().startExtraction();
        if (!asked.isEmpty()) {
            QVERIFY(changes.isEmpty());
            QTest::qWait(20);
            QVERIFY(service()->runs.isEmpty());
        }
        if (asked.value(0).startsWith(u"replace"))
            model().confirmReplacing();
        const bool needsPassword = asked.contains(u"password");
        if (needsPassword) {
            QCOMPARE(model().state(), ExtractionState::idle());
            model().startWithPassword("s3cret");
        }

        QCOMPARE(asked, questions);
        QCOMPARE(model().state(), ExtractionState::running());
        QVERIFY(m_scripted->waitForRuns(1));
        const FakeExtractionService::Run& run = service()->runs.first();
        QCOMPARE(run.inspection, check == Check::Answered ? std::optional(found) : std::nullopt);
        QCOMPARE(run.password, needsPassword ? QByteArray("s3cret") : QByteArray());
    }

    // A password failure fails the run with its own message, and the next
    // Start asks, even where the check had found nothing encrypted; another
    // failure says nothing about the password.
    void aPasswordFailureAsksAtTheNextStart_data() {
        QTest::addColumn<qint64>("encryptedEntries");
        QTest::addColumn<ExtractionError>("error");
        QTest::addColumn<bool>("asks");
        QTest::addRow("a wrong password") << qint64(1) << ExtractionError::wrongPassword() << true;
        QTest::addRow("no password for encrypted entries the check missed")
            << qint64(0) << ExtractionError::passwordRequired() << true;
        QTest::addRow("a full disk") << qint64(0) << ExtractionError::diskFull() << false;
    }
    void aPasswordFailureAsksAtTheNextStart() {
        QFETCH(qint64, encryptedEntries);
        QFETCH(ExtractionError, error);
        QFETCH(bool, asks);
        service()->inspection = completeInspection(0, encryptedEntries);
        showParts();
        QVERIFY(m_scripted->settle());
        model().startWithPassword("wrong");
        QVERIFY(m_scripted->waitForRuns(1));

        m_scripted->end(ExtractionProgress::error(error));

        QCOMPARE(model().state(), ExtractionState::failed(error.errorDescription()));
        QCOMPARE(model().needsPassword(), asks);
        QVERIFY(m_scripted->settle());
        QSignalSpy questions(&model(), &ExtractionViewModel::passwordRequested);
        model().startExtraction();
        QCOMPARE(questions.size(), asks ? 1 : 0);
    }

    // A run changes what the destination holds; the next Start must know.
    void theDestinationIsCheckedAgainAfterARun() {
        showParts();
        QVERIFY(m_scripted->settle());
        QVERIFY(m_scripted->start());
        const qsizetype checksBefore = service()->checks.size();
        service()->inspection = completeInspection(16);

        m_scripted->end(ExtractionProgress::completed());
        QVERIFY(m_scripted->settle());

        QCOMPARE(service()->checks.size(), checksBefore + 1);
        QCOMPARE(service()->checks.last().destination, std::optional<QUrl>(destination));
        QCOMPARE(model().selectedInspection()->conflicts, 16);
    }
};

QTEST_GUILESS_MAIN(PartsCheckTest)
#include "tst_partscheck.moc"
