// Runs whose destination's file system fills half way, through the view
// model, the real service and the real kestrune-extract: during the merge, or
// during the extraction. Each must end as a failed run that says the disk is
// full and leave the dropped parts exactly as they were.

#include "zipfixture.h"

#include "model/extractionviewmodel.h"
#include "service/extractionservice.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

using namespace ZipFixture;

namespace {

enum class Filled { DuringTheMerge, DuringTheExtraction };

// A small tmpfs on a folder while it lives. Mounting needs root, or the
// right to mount in a namespace of one's own.
struct SmallDisk {
    SmallDisk(const QString& folder, qint64 size)
        : path(QFile::encodeName(folder)) {
        const QByteArray options = "size=" + QByteArray::number(size);
        if (::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()))
            error = errno;
    }
    // Detached, so that a file some process still holds open there cannot
    // keep the mount, and the folder under it, in place after the test.
    ~SmallDisk() {
        if (error == 0)
            ::umount2(path.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    QByteArray path;
    int error = 0;
};

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
        const QString destination = root.filePath("out");
        QVERIFY(QDir().mkpath(destination));
        const SmallDisk disk(destination, mebibyte);
        if (disk.error == EPERM || disk.error == EACCES)
            QSKIP("filling a file system needs the right to mount a small tmpfs; run as root");
        QVERIFY2(disk.error == 0, std::strerror(disk.error));
        QByteArray archive = randomBytes(3 * mebibyte, 1);
        if (filled == Filled::DuringTheExtraction) {
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
            const QString console = model.consoleOutput();
            QVERIFY2(console.contains(QStringLiteral("zeros.bin")) &&
                         console.contains(QStringLiteral("No space left on device")),
                     qPrintable(console));
            QVERIFY(combined == archive);
        }
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
