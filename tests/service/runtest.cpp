#include "servicetest.h"
#include "testsupport.h"

#include "service/extractioneventstream.h"
#include "service/extractionrun.h"

#include <QDir>
#include <QTest>

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

const QString cancelledError = QStringLiteral("error: Extraction cancelled.");

} // namespace

// The tool keeps a copy of what it got. Blocks of 4, 2 and 2 MiB: each part
// is read on its own; an empty part moves no fraction. A combined archive
// left by an earlier run is replaced, not emptied: its other name keeps it.
void ServiceTest::successfulRunReportsEveryStepInOrder() {
    Bench bench("cp \"$3\" \"${0%/*}/seen\" && printf 'inflating: x\\n'");
    const QByteArray first = patternBytes(6 * mebibyte, 'a');
    const QByteArray last = patternBytes(2 * mebibyte, 'b');
    bench.parts = {writeFile(bench.path("a.zip"), first), writeFile(bench.path("a(1).zip"), {}),
                   writeFile(bench.path("a(2).zip"), last)};
    const QByteArray stale = patternBytes(9 * mebibyte, 'z');
    writeFile(bench.path("kept"), stale);
    QCOMPARE(::link(QFile::encodeName(bench.path("kept")),
                    QFile::encodeName(bench.path("_combined_a.zip"))),
             0);

    const QStringList expected =
        QStringList{mergingLog(3),        "progress: 0.25",           "progress: 0.375",
                    "progress: 0.5",      unzippingLog(bench.path()), "progress: 0.5",
                    "log: inflating: x\n"} +
        successEnding();
    QCOMPARE(bench.run(), expected);
    QVERIFY(readFile(bench.path("seen")) == first + last);
    QVERIFY(readFile(bench.path("kept")) == stale);
    QVERIFY(!QFileInfo::exists(bench.path("_combined_a.zip")));
}

// The tool becomes a long sleep under its own process id.
void ServiceTest::destroyingTheServiceKillsARunningExtractor() {
    Bench bench("echo $$ > \"$4/pid.new\" && mv \"$4/pid.new\" \"$4/pid\"\nexec sleep 60");
    RunRecorder recorder(bench.extract());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(bench.path("pid")), 30000);
    const pid_t toolProcess = readFile(bench.path("pid")).trimmed().toInt();
    QVERIFY(toolProcess > 0);

    bench.service.reset();

    QVERIFY(recorder.stream.isNull());
    QVERIFY(!recorder.hasEnded);
    QCOMPARE(::kill(toolProcess, 0), -1);
    QCOMPARE(errno, ESRCH);
}

// The flag is asked before every block: a merge of 6 MiB parts stopped after
// its first block copies no second one, and a run cancelled while it waited
// for its turn starts none; neither leaves a combined archive.
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
    Bench bench;
    bench.parts.clear();
    for (const char seed : {'a', 'b', 'c'})
        bench.parts << writeFile(bench.path(QStringLiteral("a%1.zip").arg(seed)),
                                 patternBytes(6 * mebibyte, seed));
    const CancelFlag cancelled = std::make_shared<std::atomic<bool>>(cancelledBeforeTheStart);
    ExtractionRun run(groupOf("a", bench.parts), QUrl::fromLocalFile(bench.path()), bench.tool,
                      cancelled);
    QStringList events;
    connect(&run, &ExtractionRun::produced, this, [&](const ExtractionProgress& event) {
        events << describe(event);
        if (event.is<ExtractionProgress::Progress>())
            cancelled->store(true);
    });

    run.start();

    QCOMPARE(events, expected);
    QVERIFY(!QFileInfo::exists(bench.path("_combined_a.zip")));
}

// The tool says it has started, then works until stopped; what it does on
// SIGTERM is the row's.
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
    Bench bench(
        QStringLiteral("trap '%1' TERM\necho started\nwhile :; do sleep 0.05; done").arg(onTerm));
    const QString destination = bench.path("out");
    QVERIFY(QDir().mkpath(destination));
    RunRecorder recorder(bench.extract(destination));
    QVERIFY(QTest::qWaitFor([&] { return recorder.events.contains("log: started\n"); }, 10000));

    recorder.stream->cancel();
    recorder.stream->cancel(); // a second click changes nothing
    QVERIFY(recorder.waitForEnd());

    QCOMPARE(recorder.events.last(2), (QStringList{summary.arg(destination), cancelledError}));
    QCOMPARE(recorder.events.count(cancelledError), 1);
    QVERIFY(!QFileInfo::exists(QDir(destination).filePath("_combined_a.zip")));
}
