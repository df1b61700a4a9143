// Runs whose destination's file system fills half way, through the view
// model, the real service and the real kestrune-extract: during the merge, or
// during the extraction. Each must end as a failed run that says the disk is
// full and leave the dropped parts exactly as they were.

#include "zipfixture.h"

#include "model/extractionviewmodel.h"
#include "service/extractionservice.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

using namespace ZipFixture;

class FaultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullDestinationFailsTheRun_data() {
        QTest::addColumn<bool>("partsFit");
        QTest::addRow("the parts do not fit") << false;
        QTest::addRow("the parts fit, the unpacked files do not") << true;
    }
    void fullDestinationFailsTheRun() {
        QFETCH(bool, partsFit);
        QTemporaryDir root;
        const QString destination = root.filePath("out");
        QVERIFY(QDir().mkpath(destination));
        // A tmpfs of one mebibyte; mounting needs root. Detached at the end, so
        // that a file some process still holds open there cannot keep it.
        const QByteArray disk = QFile::encodeName(destination);
        if (::mount("tmpfs", disk.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1048576")) {
            if (errno == EPERM || errno == EACCES)
                QSKIP("filling a file system needs the right to mount a small tmpfs; run as root");
            QFAIL(std::strerror(errno));
        }
        const auto unmount = qScopeGuard([&] { ::umount2(disk.constData(), MNT_DETACH); });
        QByteArray archive = randomBytes(3 * mebibyte, 1);
        if (partsFit) {
            // Deflates to kilobytes, inflates to megabytes.
            QVERIFY(writeWithLibarchive(root.filePath("whole.zip"),
                                        {{"notes.txt", QByteArray(100000, 'n')},
                                         {"zeros.bin", QByteArray(8 * mebibyte, '\0')}},
                                        "zip:compression=deflate"));
            archive = readFile(root.filePath("whole.zip"));
            QVERIFY(archive.size() < mebibyte / 4);
        }
        const QStringList parts = writeParts(archive, root.path(), "photos", 3);
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
        QCOMPARE(readFile(parts[0]) + readFile(parts[1]) + readFile(parts[2]), archive);
        // The merge stopped where the disk did, with no byte out of place.
        const QByteArray combined = readFile(QDir(destination).filePath("_combined_photos.zip"));
        QVERIFY(!combined.isEmpty() && combined == archive.first(combined.size()));
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
