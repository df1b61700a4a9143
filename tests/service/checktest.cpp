#include "servicetest.h"
#include "testsupport.h"

#include "service/archivecheck.h"
#include "service/archiveinspection.h"
#include "service/extractionservice.h"
#include "service/inspectionreply.h"
#include "service/spacecheck.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::optional<ArchiveInspection> awaitCheck(InspectionReply* reply) {
    QSignalSpy finished(reply, &InspectionReply::finished);
    if (!finished.wait(20000) || finished.size() != 1)
        return ArchiveInspection{false, {}, {}, {}, {}, {}, {}, {}, "(no single answer)"};
    return finished.first().first().value<std::optional<ArchiveInspection>>();
}

} // namespace

void ServiceTest::spaceShortage_data() {
    QTest::addColumn<qint64>("partsSize");
    QTest::addColumn<qint64>("unpacked"); // -1: not known
    QTest::addColumn<qint64>("replaced");
    QTest::addColumn<qint64>("available"); // -1: not known
    QTest::addColumn<qint64>("needed");    // 0: fits, or cannot tell
    QTest::addRow("fits") << qint64(100) << qint64(400) << qint64(0) << qint64(500) << qint64(0);
    QTest::addRow("the archive and its files at once do not fit")
        << qint64(100) << qint64(401) << qint64(0) << qint64(500) << qint64(501);
    QTest::addRow("replaced files make room")
        << qint64(100) << qint64(500) << qint64(100) << qint64(500) << qint64(0);
    QTest::addRow("replaced files free no more than the archive fills")
        << qint64(100) << qint64(50) << qint64(900) << qint64(90) << qint64(100);
    QTest::addRow("unpacked size not known")
        << qint64(100) << qint64(-1) << qint64(0) << qint64(1) << qint64(0);
    QTest::addRow("a file system that reports no size")
        << qint64(100) << qint64(400) << qint64(0) << qint64(-1) << qint64(0);
}

void ServiceTest::spaceShortage() {
    QFETCH(qint64, partsSize);
    QFETCH(qint64, unpacked);
    QFETCH(qint64, replaced);
    QFETCH(qint64, available);
    QFETCH(qint64, needed);
    ArchiveInspection inspection;
    if (unpacked >= 0)
        inspection.unpackedSize = unpacked;
    inspection.replacedBytes = replaced;

    const std::optional<SpaceShortage> shortage = findSpaceShortage(
        partsSize, inspection, available < 0 ? std::nullopt : std::optional<qint64>(available));

    QCOMPARE(shortage.has_value(), needed > 0);
    if (shortage) {
        QCOMPARE(shortage->needed, needed);
        QCOMPARE(shortage->available, available);
    }
}

// Told before the merge, a run that cannot fit writes nothing at all.
void ServiceTest::runThatCannotFitFailsBeforeItWrites() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "small part")};
    const QString destination = folder.filePath("out");
    QVERIFY(QDir().mkpath(destination));
    ArchiveInspection inspection;
    inspection.complete = true;
    inspection.unpackedSize = qint64(1) << 60; // an exbibyte

    ExtractionService service(
        writeTool(folder.path(), "tool", "echo ran > '" + folder.filePath("ran") + "'"));
    RunRecorder recorder(
        service.extract(groupOf("a", parts), QUrl::fromLocalFile(destination), inspection));
    QVERIFY(recorder.waitForEnd());

    QCOMPARE(recorder.events().size(), 2);
    QVERIFY2(recorder.events().first().startsWith("log: Not enough free space in " + destination +
                                                  ": the combined archive and the unpacked files "
                                                  "need "),
             qPrintable(recorder.events().first()));
    QCOMPARE(recorder.events().last(), QStringLiteral("error: Disk is full."));
    QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFileInfo::exists(folder.filePath("ran")));
}

// The extractor's verdicts on whole and broken sets are read in the
// end-to-end test; here, what is no verdict or no count.
void ServiceTest::checkAnswersOnceWhateverTheTool_data() {
    QTest::addColumn<QString>("script"); // empty: no such program
    QTest::addColumn<bool>("isChecked");
    QTest::addColumn<qint64>("entries"); // -1: not known
    QTest::addColumn<QString>("problem");
    QTest::addRow("a tool that answers")
        << R"(printf '{"complete":false,"entries":2,"problem":"p(1).zip does not continue p.zip."}')"
        << true << qint64(2) << "p(1).zip does not continue p.zip.";
    QTest::addRow("counts that are no counts are not known")
        << R"(printf '{"complete":true,"entries":-3}')" << true << qint64(-1) << QString();
    QTest::addRow("an answer without a verdict")
        << R"(printf '{"entries":3}')" << false << qint64(-1) << QString();
    QTest::addRow("a usage message of an older extractor, on standard output")
        << "echo 'usage: kestrune-extract -x -k ARCHIVE DESTINATION'" << false << qint64(-1)
        << QString();
    QTest::addRow("a tool that does not know the check")
        << "echo usage >&2; exit 2" << false << qint64(-1) << QString();
    QTest::addRow("a tool that answers but fails")
        << R"(printf '{"complete":true}'; exit 1)" << false << qint64(-1) << QString();
    QTest::addRow("no such program") << QString() << false << qint64(-1) << QString();
}

void ServiceTest::checkAnswersOnceWhateverTheTool() {
    QFETCH(QString, script);
    QFETCH(bool, isChecked);
    QTemporaryDir folder;
    const QString tool =
        script.isEmpty() ? folder.filePath("missing") : writeTool(folder.path(), "tool", script);
    ExtractionService service(tool);

    const std::optional<ArchiveInspection> inspection =
        awaitCheck(service.inspect({writeFile(folder.filePath("p.zip"), "x")}, std::nullopt));

    QCOMPARE(inspection.has_value(), isChecked);
    if (inspection) {
        QTEST(inspection->entries.value_or(-1), "entries");
        QTEST(inspection->problem, "problem");
    }
}

// The tool gets the parts in order, and the destination where there is one.
void ServiceTest::checkHandsTheToolItsParts() {
    QTemporaryDir folder;
    const QString arguments = folder.filePath("arguments");
    const QString tool =
        writeTool(folder.path(), "tool",
                  "printf '%s\\n' \"$@\" > '" + arguments + "'; printf '{\"complete\":true}'");
    ExtractionService service(tool);
    const QList<QUrl> parts{QUrl::fromLocalFile(folder.filePath("p.zip")),
                            QUrl::fromLocalFile(folder.filePath("p(1).zip"))};

    QVERIFY(awaitCheck(service.inspect(parts, QUrl::fromLocalFile(folder.filePath("out")))));

    QCOMPARE(QString::fromUtf8(readFile(arguments)).split('\n', Qt::SkipEmptyParts),
             (QStringList{"--inspect", "--json", "--destination", folder.filePath("out"),
                          folder.filePath("p.zip"), folder.filePath("p(1).zip")}));
}
