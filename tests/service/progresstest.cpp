#include "servicetest.h"
#include "testsupport.h"

#include "service/extractionservice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

namespace {

qsizetype openDescriptors() {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

} // namespace

// The pauses make the tool's reports arrive as separate reads, more than the
// thinning interval apart.
void ServiceTest::extractorReportsFillTheSecondHalf_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("toolEvents");
    QTest::addColumn<QStringList>("ending");
    QTest::addRow("half of the data written is three quarters done")
        << "printf '50 100\\n' >&3" << QStringList{"progress: 0.75"} << successEnding();
    QTest::addRow("reports one after the other; none or all written moves nothing")
        << "printf '0 200\\n' >&3; sleep 0.2; printf '100 200\\n' >&3; sleep 0.2; "
           "printf '150 200\\n' >&3; sleep 0.2; printf '200 200\\n' >&3"
        << QStringList{"progress: 0.75", "progress: 0.875"} << successEnding();
    QTest::addRow("a report lower than the one before does not move the bar back")
        << "printf '60 100\\n' >&3; sleep 0.2; printf '20 100\\n' >&3; sleep 0.2; "
           "printf '80 100\\n' >&3"
        << QStringList{"progress: 0.8", "progress: 0.9"} << successEnding();
    QTest::addRow("a line split between two writes counts whole")
        << "printf '3' >&3; sleep 0.2; printf '0 40\\n' >&3" << QStringList{"progress: 0.875"}
        << successEnding();
    QTest::addRow("malformed lines after a good one are skipped")
        << "printf '25 100\\nabc 100\\n90 100x\\n80\\n70 100 5\\n-60 100\\n 65 100\\n64  100\\n"
           "99999999999999999999 100\\n0x63 100\\n\\n' >&3"
        << QStringList{"progress: 0.625"} << successEnding();
    QTest::addRow("an overlong line is skipped, whether read whole or in pieces")
        << "printf '%0100d 100\\n' 60 >&3; sleep 0.2; printf '30 100\\n%0100d' 50 >&3; "
           "sleep 0.2; printf ' 100\\n' >&3"
        << QStringList{"progress: 0.65"} << successEnding();
    QTest::addRow("a last line without its line break is no report")
        << "printf '50 100' >&3" << QStringList{} << successEnding();
    QTest::addRow("a total of 0, or more written than the total, moves nothing")
        << "printf '0 0\\n5 0\\n150 100\\n' >&3" << QStringList{} << successEnding();
    QTest::addRow("a failing tool's report comes before its failure; all written is no success")
        << "printf '40 100\\n' >&3; sleep 0.2; printf '100 100\\n' >&3; exit 1"
        << QStringList{"progress: 0.7"}
        << QStringList{"error: Extraction failed: tool extraction failed"};
}

void ServiceTest::extractorReportsFillTheSecondHalf() {
    QFETCH(QString, script);
    QFETCH(QStringList, toolEvents);
    QFETCH(QStringList, ending);
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};

    ExtractionService service(writeTool(folder.path(), "tool", script));
    const QStringList events = runToEnd(service, groupOf("a", parts), folder.path());

    QCOMPARE(events, eventsBeforeTheExtractor(folder.path()) + toolEvents + ending);
}

// The tool learns the descriptor from its environment, which keeps the rest,
// and holds only the pipe's write end, so the pipe ends when the tool does.
void ServiceTest::extractorGetsTheReportPipeAsDescriptor3() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    const QString record = folder.filePath("record");
    const QString tool = writeTool(
        folder.path(), "tool",
        "pipe=$(readlink /proc/$$/fd/3)\n"
        "ends=$(for fd in /proc/$$/fd/*; do readlink \"$fd\"; done | grep -cF \"$pipe\")\n"
        "printf '%s %s %s\\n' \"$KESTRUNE_PROGRESS_FD\" \"$ends\" \"$KESTRUNE_TEST_MARK\" > '" +
            record + "'");
    qputenv("KESTRUNE_TEST_MARK", "kept");
    qputenv("KESTRUNE_PROGRESS_FD", "7");

    ExtractionService service(tool);
    const QStringList events = runToEnd(service, groupOf("a", parts), folder.path());
    qunsetenv("KESTRUNE_TEST_MARK");
    qunsetenv("KESTRUNE_PROGRESS_FD");

    QCOMPARE(events.last(), "completed");
    QCOMPARE(readFile(record), "3 1 kept\n");
}

// Many reports at once reach the bar a few a second, each further than the one
// before.
void ServiceTest::floodOfReportsIsThinned() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    const QString tool =
        writeTool(folder.path(), "tool",
                  "i=1; while [ $i -le 4000 ]; do printf '%d 4000\\n' $i; i=$((i+1)); done >&3");

    ExtractionService service(tool);
    QElapsedTimer clock;
    clock.start();
    const QStringList events = runToEnd(service, groupOf("a", parts), folder.path());
    const qint64 elapsed = clock.elapsed();

    const QStringList before = eventsBeforeTheExtractor(folder.path());
    QCOMPARE(events.first(before.size()), before);
    QCOMPARE(events.last(3), successEnding());
    const QStringList reports = events.sliced(before.size(), events.size() - before.size() - 3);
    double previous = 0.5;
    for (const QString& report : reports) {
        QVERIFY2(report.startsWith("progress: "), qPrintable(report));
        const double fraction = report.sliced(10).toDouble();
        QVERIFY2(fraction > previous && fraction < 1.0, qPrintable(report));
        previous = fraction;
    }
    QVERIFY2(reports.size() <= 5 + elapsed / 20,
             qPrintable(QStringLiteral("%1 reports in %2 ms").arg(reports.size()).arg(elapsed)));
}

// Whatever the first run sets up once may stay; each run must give back the
// descriptors it opened.
void ServiceTest::runsLeaveNoDescriptorOpen() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    ExtractionService service(writeTool(folder.path(), "tool", "printf '1 2\\n' >&3"));
    QCOMPARE(runToEnd(service, groupOf("a", parts), folder.path()).last(), "completed");
    const qsizetype afterOneRun = openDescriptors();

    for (int run = 0; run < 3; ++run)
        QCOMPARE(runToEnd(service, groupOf("a", parts), folder.path()).last(), "completed");

    QCOMPARE(openDescriptors(), afterOneRun);
}
