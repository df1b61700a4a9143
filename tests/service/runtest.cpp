#include "servicetest.h"
#include "testsupport.h"

#include "service/extractioneventstream.h"
#include "service/extractionservice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <memory>

// The tool keeps a copy of what it was given and reports one entry. Blocks
// of 4 MiB, 2 MiB and 2 MiB: each part is read on its own; empty parts move
// no fraction. A larger combined archive left by an earlier run leaves no
// bytes behind.
void ServiceTest::successfulRunReportsEveryStepInOrder_data() {
    QTest::addColumn<qint64>("firstSize");
    QTest::addColumn<qint64>("lastSize");
    QTest::addColumn<QStringList>("mergeProgress");
    QTest::addRow("6 MiB, nothing and 2 MiB")
        << 6 * mebibyte << 2 * mebibyte
        << QStringList{"progress: 0.25", "progress: 0.375", "progress: 0.5"};
    QTest::addRow("three empty parts") << qint64(0) << qint64(0) << QStringList();
}

void ServiceTest::successfulRunReportsEveryStepInOrder() {
    QFETCH(qint64, firstSize);
    QFETCH(qint64, lastSize);
    QFETCH(QStringList, mergeProgress);
    QTemporaryDir folder;
    const QByteArray first = patternBytes(firstSize, 'a');
    const QByteArray last = patternBytes(lastSize, 'b');
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), first),
                            writeFile(folder.filePath("a(1).zip"), {}),
                            writeFile(folder.filePath("a(2).zip"), last)};
    writeFile(folder.filePath("_combined_a.zip"), patternBytes(9 * mebibyte, 'z'));
    const QString seen = folder.filePath("seen");
    const QString tool =
        writeTool(folder.path(), "tool", "cp \"$3\" '" + seen + "' && printf 'inflating: x\\n'");

    ExtractionService service(tool);
    const QStringList events = runToEnd(service, groupOf("a", parts), folder.path());

    const QStringList expected = QStringList{mergingLog(3)} + mergeProgress +
                                 QStringList{unzippingLog(folder.path()),
                                             "progress: 0.5",
                                             "log: inflating: x\n",
                                             successLog(),
                                             "progress: 1",
                                             "completed"};
    QCOMPARE(events, expected);
    QVERIFY(readFile(seen) == first + last);
    QVERIFY(!QFileInfo::exists(folder.filePath("_combined_a.zip")));
}

// A consumer slower than the extractor's output, as a window appending
// floods of console text: events pile up, yet the event loop turns between
// deliveries, and nothing is lost or reordered.
void ServiceTest::slowConsumerGetsEveryEventInOrderOnePerTurn() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    const QString tool = writeTool(
        folder.path(), "tool", "for i in 1 2 3 4 5 6 7 8 9 10; do echo line $i; sleep 0.01; done");
    ExtractionService service(tool);
    RunRecorder recorder(service.extract(groupOf("a", parts), QUrl::fromLocalFile(folder.path())));

    // Each delivery queues a marker; if the loop turns between deliveries,
    // every marker has run before the next event comes.
    int markersRun = 0;
    QList<int> markersRunAtEvent;
    QString toolText;
    connect(recorder.stream(), &ExtractionEventStream::delivered, this,
            [&](const ExtractionProgress& event) {
                markersRunAtEvent << markersRun;
                QMetaObject::invokeMethod(
                    this, [&] { ++markersRun; }, Qt::QueuedConnection);
                const auto* log = event.as<ExtractionProgress::Log>();
                if (log && log->text.startsWith(QStringLiteral("line")))
                    toolText += log->text;
                QThread::msleep(30); // well past what one turn may take
            });
    QVERIFY(recorder.waitForEnd());

    QString expected;
    for (int line = 1; line <= 10; ++line)
        expected += QStringLiteral("line %1\n").arg(line);
    QCOMPARE(toolText, expected);
    QCOMPARE(recorder.events().last(), QStringLiteral("completed"));
    // One wakeup that was already queued may deliver an event ahead of a
    // marker; a batch delivered in one turn falls behind by more.
    for (qsizetype i = 0; i < markersRunAtEvent.size(); ++i)
        QVERIFY2(markersRunAtEvent[i] >= i - 1, qPrintable(QString::number(i)));
}

void ServiceTest::serviceMergesAnotherRunWhileAnExtractorRuns() {
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("slow"));
    QVERIFY(QDir(folder.path()).mkdir("fast"));
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    const QString release = folder.filePath("release");
    // Into "slow" the tool works until the test releases it.
    const QString tool = writeTool(folder.path(), "tool",
                                   "case \"$4\" in */slow)\n"
                                   "  printf 'waiting\\n'\n"
                                   "  while [ ! -e '" +
                                       release +
                                       "' ]; do sleep 0.05; done;;\n"
                                       "esac");
    ExtractionService service(tool);

    RunRecorder slow(
        service.extract(groupOf("a", parts), QUrl::fromLocalFile(folder.filePath("slow"))));
    QTRY_VERIFY_WITH_TIMEOUT(slow.events().contains("log: waiting\n"), 30000);
    RunRecorder fast(
        service.extract(groupOf("a", parts), QUrl::fromLocalFile(folder.filePath("fast"))));
    QVERIFY(fast.waitForEnd());

    QCOMPARE(fast.events().last(), "completed");
    QVERIFY(!slow.hasEnded());
    writeFile(release, {});
    QVERIFY(slow.waitForEnd());
    QCOMPARE(slow.events().last(), "completed");
}

void ServiceTest::destroyingTheServiceKillsARunningExtractor() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    const QString pidFile = folder.filePath("pid");
    // The tool becomes a long sleep under its own process id.
    const QString tool = writeTool(folder.path(), "tool",
                                   "echo $$ > '" + pidFile + ".new' && mv '" + pidFile + ".new' '" +
                                       pidFile + "'\nexec sleep 60");
    auto service = std::make_unique<ExtractionService>(tool);
    RunRecorder recorder(service->extract(groupOf("a", parts), QUrl::fromLocalFile(folder.path())));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pidFile), 30000);
    const pid_t toolProcess = readFile(pidFile).trimmed().toInt();
    QVERIFY(toolProcess > 0);

    service.reset();

    QVERIFY(recorder.isStreamGone());
    QVERIFY(!recorder.hasEnded());
    QCOMPARE(::kill(toolProcess, 0), -1);
    QCOMPARE(errno, ESRCH);
}
