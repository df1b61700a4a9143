#include "servicetest.h"
#include "testsupport.h"

#include "service/archivemerger.h"
#include "service/extractioneventstream.h"
#include "service/extractionrun.h"
#include "service/extractionservice.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString cancelledError = QStringLiteral("error: Extraction cancelled.");

// A stand-in extractor that says it has started, then works until stopped;
// what it does on SIGTERM is the test's.
QString toolThatWorksUntilStopped(const QString& folder, const QString& onTerm) {
    return writeTool(folder, QStringLiteral("tool"),
                     QStringLiteral("trap '%1' TERM\n"
                                    "echo started\n"
                                    "while :; do sleep 0.05; done\n")
                         .arg(onTerm));
}

} // namespace

// The flag is asked before every block: a merge of three 6 MiB parts stopped
// after its first block copies no second one, and a run cancelled while it
// waited for its turn does not even start one; neither leaves a combined
// archive.
void ServiceTest::cancelStopsTheMerge_data() {
    QTest::addColumn<bool>("cancelledBeforeTheStart");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("after the first block")
        << false << QStringList{mergingLog(3), "progress: 0.111111", cancelledError};
    QTest::addRow("before the run starts") << true << QStringList{cancelledError};
}

void ServiceTest::cancelStopsTheMerge() {
    QFETCH(bool, cancelledBeforeTheStart);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    QList<QUrl> parts;
    for (const char seed : {'a', 'b', 'c'})
        parts << writeFile(folder.filePath(QStringLiteral("a%1.zip").arg(seed)),
                           patternBytes(6 * mebibyte, seed));
    const CancelFlag cancelled = std::make_shared<std::atomic<bool>>(cancelledBeforeTheStart);
    ExtractionRun run(groupOf("a", parts), QUrl::fromLocalFile(folder.path()),
                      QStringLiteral("/nonexistent/tool"), cancelled);
    QStringList events;
    connect(&run, &ExtractionRun::produced, this, [&](const ExtractionProgress& event) {
        events << describe(event);
        if (event.is<ExtractionProgress::Progress>())
            cancelled->store(true);
    });

    run.start();

    QCOMPARE(events, expected);
    QVERIFY(!QFileInfo::exists(folder.filePath("_combined_a.zip")));
}

void ServiceTest::cancelStopsTheExtractor_data() {
    QTest::addColumn<QString>("onTerm");
    QTest::addColumn<QString>("summary");
    QTest::addRow("a tool that stops when asked, saying what it extracted")
        << "echo Extracted 3 of 10 entries into somewhere.; exit 143"
        << "log: Cancelled. 3 of 10 files had been extracted into %1.\n";
    QTest::addRow("a tool that ignores the request is killed")
        << ""
        << "log: Cancelled. Files already extracted stay in %1.\n";
}

void ServiceTest::cancelStopsTheExtractor() {
    QFETCH(QString, onTerm);
    QFETCH(QString, summary);
    QTemporaryDir folder;
    const QString destination = folder.filePath("out");
    QVERIFY(QDir().mkpath(destination));
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    ExtractionService service(toolThatWorksUntilStopped(folder.path(), onTerm));
    RunRecorder recorder(service.extract(groupOf("a", parts), QUrl::fromLocalFile(destination)));
    QVERIFY(QTest::qWaitFor([&] { return recorder.events().contains("log: started\n"); }, 10000));

    recorder.stream()->cancel();
    recorder.stream()->cancel(); // a second click changes nothing
    QVERIFY(recorder.waitForEnd());

    const QStringList ending{summary.arg(destination), cancelledError};
    QCOMPARE(recorder.events().mid(recorder.events().size() - 2), ending);
    QCOMPARE(recorder.events().count(cancelledError), 1);
    QVERIFY(!QFileInfo::exists(QDir(destination).filePath("_combined_a.zip")));
}

// A run that ends by itself while the cancel is on its way ends once, either
// way, and a cancel after its end does nothing.
void ServiceTest::cancelRacingTheEndOfTheRunIsHarmless() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    ExtractionService service(writeTool(folder.path(), "tool", "exit 0"));
    ExtractionEventStream* stream =
        service.extract(groupOf("a", parts), QUrl::fromLocalFile(folder.path()));
    RunRecorder recorder(stream);
    // The cancel leaves as the extractor starts, which ends at once.
    connect(stream, &ExtractionEventStream::delivered, this,
            [stream](const ExtractionProgress& event) {
                if (event.is<ExtractionProgress::Log>() &&
                    event.as<ExtractionProgress::Log>()->text.contains(u"Unzipping"))
                    stream->cancel();
            });
    // And again once it has ended.
    connect(stream, &ExtractionEventStream::ended, this, [stream] { stream->cancel(); });
    QVERIFY(recorder.waitForEnd());
    QTest::qWait(100);

    const QString last = recorder.events().last();
    QVERIFY2(last == "completed" || last == cancelledError, qPrintable(last));
    QCOMPARE(recorder.events().count("completed") + recorder.events().count(cancelledError), 1);
    QVERIFY(!QFileInfo::exists(folder.filePath("_combined_a.zip")));
}
