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

// The tool learns the descriptor from its environment, which keeps the rest,
// and holds only the pipe's write end, so the pipe ends when the tool does.
void ServiceTest::extractorGetsTheReportPipeAsDescriptor3() {
    QTemporaryDir folder;
    const QString record = folder.filePath("record");
    qputenv("KESTRUNE_TEST_MARK", "kept");
    qputenv("KESTRUNE_PROGRESS_FD", "7");

    const QStringList events = runTool(
        folder.path(),
        "pipe=$(readlink /proc/$$/fd/3)\n"
        "ends=$(for fd in /proc/$$/fd/*; do readlink \"$fd\"; done | grep -cF \"$pipe\")\n"
        "printf '%s %s %s\\n' \"$KESTRUNE_PROGRESS_FD\" \"$ends\" \"$KESTRUNE_TEST_MARK\" > '" +
            record + "'");
    qunsetenv("KESTRUNE_TEST_MARK");
    qunsetenv("KESTRUNE_PROGRESS_FD");

    QCOMPARE(events.last(), "completed");
    QCOMPARE(readFile(record), "3 1 kept\n");
}

// Many reports at once reach the bar a few a second, each further than the one
// before.
void ServiceTest::floodOfReportsIsThinned() {
    QTemporaryDir folder;
    QElapsedTimer clock;
    clock.start();
    const QStringList events =
        runTool(folder.path(),
                "i=1; while [ $i -le 4000 ]; do printf '%d 4000\\n' $i; i=$((i+1)); done >&3");
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
    const QString tool = writeTool(folder.path(), "tool", "printf '1 2\\n' >&3");
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    ExtractionService service(tool);
    QCOMPARE(runToEnd(service, groupOf("a", parts), folder.path()).last(), "completed");
    const qsizetype afterOneRun = openDescriptors();

    for (int run = 0; run < 3; ++run)
        QCOMPARE(runToEnd(service, groupOf("a", parts), folder.path()).last(), "completed");

    QCOMPARE(openDescriptors(), afterOneRun);
}
