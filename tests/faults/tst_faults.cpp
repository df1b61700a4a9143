// Runs whose destination's file system fills half way, through the view
// model, the real service and the real kestrune-extract: during the merge, or
// during the extraction. Each must end as a failed run that says the disk is
// full, in its state and at the end of the console, and leave the dropped
// parts exactly as they were.

#include "tmpfsmount.h"
#include "zipfixture.h"

#include "model/extractionviewmodel.h"
#include "service/extractionservice.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace ZipFixture;

namespace {

constexpr qint64 mebibyte = 1024 * 1024;

enum class Filled { DuringTheMerge, DuringTheExtraction };

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullDestinationFailsTheRun_data() {
        QTest::addColumn<Filled>("filled");
        QTest::addRow("the parts do not fit") << Filled::DuringTheMerge;
        QTest::addRow("the parts fit, the unpacked files do not") << Filled::DuringTheExtraction;
    }
    void fullDestinationFailsTheRun() {
        QFETCH(Filled, filled);
        QTemporaryDir root;
        const QString downloads = root.filePath("downloads");
        const QString destination = root.filePath("out");
        QVERIFY(QDir().mkpath(downloads) && QDir().mkpath(destination));
        TmpfsMount destinationDisk(destination, mebibyte);
        if (destinationDisk.isRefused())
            QSKIP(qPrintable(destinationDisk.problem()));
        QVERIFY2(destinationDisk.isMounted(), qPrintable(destinationDisk.problem()));
        QByteArray archive = randomBytes(3 * mebibyte, 1);
        if (filled == Filled::DuringTheExtraction) {
            // Deflates to kilobytes, inflates to megabytes.
            const QString whole = root.filePath("whole.zip");
            QVERIFY(writeWithLibarchive(
                whole,
                {{"notes.txt", QByteArray("Kestrune joins split archives.\n").repeated(2000)},
                 {"zeros.bin", QByteArray(8 * mebibyte, '\0')}},
                "zip:compression=deflate"));
            archive = readFile(whole);
            QVERIFY(archive.size() < mebibyte / 4);
        }
        const QStringList parts = writeParts(archive, downloads, "photos", 3);
        QCOMPARE(parts.size(), 3);
        ExtractionViewModel model(new ExtractionService(qEnvironmentVariable("KESTRUNE_EXTRACT")));
        model.setDestinationURL(QUrl::fromLocalFile(destination));
        model.addFiles({QUrl::fromLocalFile(parts[0]), QUrl::fromLocalFile(parts[1]),
                        QUrl::fromLocalFile(parts[2])});

        // Started before the check has answered, so the run itself meets the full disk.
        model.startExtraction();
        QVERIFY(QTest::qWaitFor(
            [&] { return model.state().kind() != ExtractionState::Kind::Running; }, 60000));

        QCOMPARE(model.state(), ExtractionState::failed("Disk is full."));
        const QString console = model.consoleOutput();
        QVERIFY2(console.endsWith(QStringLiteral("\n⚠ Error:\nDisk is full.\n")),
                 qPrintable(console));
        QCOMPARE(readFile(parts[0]) + readFile(parts[1]) + readFile(parts[2]), archive);
        QCOMPARE(QDir(downloads).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);
        const QByteArray combined = readFile(QDir(destination).filePath("_combined_photos.zip"));
        if (filled == Filled::DuringTheMerge) {
            // Stopped where the disk did, with no byte out of place; the
            // extractor never ran.
            QVERIFY(combined.size() > 0 && combined.size() <= mebibyte);
            QVERIFY(combined == archive.first(combined.size()));
            QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{"_combined_photos.zip"});
        } else {
            // The extractor named the entry and the reason before it gave up.
            QVERIFY2(console.contains(QStringLiteral("zeros.bin")) &&
                         console.contains(QStringLiteral("No space left on device")),
                     qPrintable(console));
            QVERIFY(combined == archive);
        }
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
