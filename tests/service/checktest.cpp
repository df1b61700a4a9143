#include "servicetest.h"
#include "testsupport.h"

#include "service/archivecheck.h"
#include "service/archiveinspection.h"
#include "service/inspectionreply.h"
#include "service/spacecheck.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {

std::optional<ArchiveInspection> awaitCheck(InspectionReply* reply) {
    QSignalSpy finished(reply, &InspectionReply::finished);
    if (!finished.wait(20000) || finished.size() != 1)
        return ArchiveInspection{false, {}, {}, {}, {}, {}, {}, {}, "(no single answer)"};
    return finished.first().first().value<std::optional<ArchiveInspection>>();
}

} // namespace

// Sizes in the order: parts, unpacked (-1: not known), replaced, available
// (-1: not known), needed (0: fits, or cannot tell).
void ServiceTest::spaceShortage_data() {
    QTest::addColumn<QList<qint64>>("sizes");
    QTest::addRow("the archive and its files at once do not fit")
        << QList<qint64>{100, 401, 0, 500, 501};
    QTest::addRow("replaced files make room") << QList<qint64>{100, 500, 100, 500, 0};
    QTest::addRow("replaced files free no more than the archive fills")
        << QList<qint64>{100, 50, 900, 90, 100};
    QTest::addRow("unpacked size not known") << QList<qint64>{100, -1, 0, 1, 0};
    QTest::addRow("a file system that reports no size") << QList<qint64>{100, 400, 0, -1, 0};
}

void ServiceTest::spaceShortage() {
    QFETCH(QList<qint64>, sizes);
    const auto known = [](qint64 size) { return size < 0 ? std::nullopt : std::optional(size); };
    ArchiveInspection inspection;
    inspection.unpackedSize = known(sizes[1]);
    inspection.replacedBytes = sizes[2];
    const std::optional<SpaceShortage> shortage =
        findSpaceShortage(sizes[0], inspection, known(sizes[3]));
    QCOMPARE(shortage ? shortage->needed : 0, sizes[4]);
}

// Told before the merge, a run that cannot fit writes nothing at all.
void ServiceTest::runThatCannotFitFailsBeforeItWrites() {
    Bench bench("echo ran > \"${0%/*}/ran\"");
    const QString destination = bench.path("out");
    QVERIFY(QDir().mkpath(destination));
    ArchiveInspection inspection;
    inspection.complete = true;
    inspection.unpackedSize = qint64(1) << 60; // an exbibyte

    RunRecorder recorder(bench.extract(destination, inspection));
    QVERIFY(recorder.waitForEnd());

    QCOMPARE(recorder.events.size(), 2);
    QVERIFY(recorder.events.first().startsWith("log: Not enough free space in " + destination));
    QCOMPARE(recorder.events.last(), QStringLiteral("error: Disk is full."));
    QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFileInfo::exists(bench.path("ran")));
}

// Verdicts are read in the end-to-end test; here, that the tool gets the
// parts in order and the destination, and that what is no verdict is none.
void ServiceTest::checkAnswersOnceWhateverTheTool_data() {
    QTest::addColumn<QString>("script"); // empty: no such program
    QTest::addRow("a tool that answers, here with its arguments")
        << R"(printf '{"complete":false,"problem":"%s"}' "$*")";
    QTest::addRow("an answer without a verdict") << R"(printf '{"entries":3}')";
    QTest::addRow("a tool that answers but fails") << R"(printf '{"complete":true}'; exit 1)";
    QTest::addRow("no such program") << QString();
}

void ServiceTest::checkAnswersOnceWhateverTheTool() {
    QFETCH(QString, script);
    Bench bench(script);
    if (script.isEmpty())
        QFile::remove(bench.tool);
    bench.parts << QUrl::fromLocalFile(bench.path("a(1).zip"));

    const std::optional<ArchiveInspection> inspection =
        awaitCheck(bench.service->inspect(bench.parts, QUrl::fromLocalFile(bench.path("out"))));

    QCOMPARE(inspection.has_value(), script.contains("problem"));
    if (inspection)
        QCOMPARE(inspection->problem,
                 QStringLiteral("--inspect --json --destination %1/out %1/a.zip %1/a(1).zip")
                     .arg(bench.path()));
}
