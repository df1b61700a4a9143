#include "servicetest.h"
#include "testsupport.h"

#include "grouping/filegrouper.h"
#include "service/archivemerger.h"
#include "service/combinedarchive.h"

#include <QDir>
#include <QStorageInfo>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

enum class PartFault { Missing, LinkToEndlessDevice, NamedPipe };
enum class TakenName { LinkToAFileOutside, LinkToNowhere, NamedPipe };

std::optional<ExtractionError> merge(
    const QList<QUrl>& parts, const QString& combined,
    const ArchiveMerger::ProgressReport& report = [](double) {}) {
    return ArchiveMerger(parts, QUrl::fromLocalFile(combined), report).merge();
}

} // namespace

// File names take at most 255 bytes: "_combined_" and ".zip" leave 241.
void ServiceTest::combinedArchiveNameFitsAFileName() {
    QCOMPARE(::combinedArchiveName(QString(246, u'a')), "_combined_" + QString(241, u'a') + ".zip");
}

// The merge copies what each part holds when it is read, where the kernel's
// copy fails (between file systems, or a size that reads as 0), and of a part
// cut short before it is opened, neither its old size nor zeros.
void ServiceTest::mergeCopiesWhatEachPartHolds() {
    QTemporaryDir folder;
    QTemporaryDir otherFolder(QStringLiteral("/dev/shm/kestrune-XXXXXX"));
    const QByteArray second = patternBytes(6 * mebibyte, 'b');
    QByteArray expected = patternBytes(6 * mebibyte, 'a');
    QList<QUrl> parts{writeFile(folder.filePath("a.zip"), expected),
                      writeFile(folder.filePath("a(1).zip"), second)};
    expected += second.left(mebibyte);
    if (otherFolder.isValid() &&
        QStorageInfo(otherFolder.path()).device() != QStorageInfo(folder.path()).device()) {
        parts << writeFile(otherFolder.filePath("a(2).zip"), patternBytes(5 * mebibyte, 'x'));
        expected += patternBytes(5 * mebibyte, 'x');
    }
    const QString sizeless = QStringLiteral("/proc/version");
    if (QFileInfo(sizeless).size() == 0 && !readFile(sizeless).isEmpty()) {
        parts << QUrl::fromLocalFile(sizeless);
        expected += readFile(sizeless);
    }
    const QString combined = folder.filePath("_combined_a.zip");

    bool isChanged = false;
    QVERIFY(!merge(parts, combined, [&](double) {
        if (!std::exchange(isChanged, true))
            QVERIFY(QFile::resize(folder.filePath("a(1).zip"), mebibyte));
    }));
    QVERIFY(readFile(combined) == expected);
}

// A merge stopped (the service quits) before its first block holds no disk
// space for the parts it did not copy.
void ServiceTest::mergeStopsWhenItsThreadIsAskedToStop() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), patternBytes(mebibyte, 'a'))};
    const QString combined = folder.filePath("_combined_a.zip");

    std::optional<ExtractionError> failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        QThread::currentThread()->requestInterruption();
        failure = merge(parts, combined);
    }));
    thread->start();
    QVERIFY(thread->wait(30000));

    QVERIFY(failure && failure->is<ExtractionError::ExtractionFailed>());
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(combined).constData(), &status), 0);
    QCOMPARE(status.st_size, off_t(0));
    QCOMPARE(status.st_blocks, blkcnt_t(0));
}

void ServiceTest::unreadablePart_data() {
    QTest::addColumn<PartFault>("fault");
    QTest::addRow("a missing part") << PartFault::Missing;
    QTest::addRow("a link to an endless device is refused, not read") // it would fill the disk
        << PartFault::LinkToEndlessDevice;
    QTest::addRow("a named pipe is refused, not merged as an empty part") << PartFault::NamedPipe;
}

void ServiceTest::unreadablePart() {
    QFETCH(PartFault, fault);
    Bench bench(QStringLiteral("exit 3"));
    const QString faulty = bench.path("a(1).zip");
    bench.parts << QUrl::fromLocalFile(faulty);
    if (fault == PartFault::LinkToEndlessDevice)
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), faulty));
    if (fault == PartFault::NamedPipe)
        QCOMPARE(::mkfifo(QFile::encodeName(faulty).constData(), 0600), 0);

    const QStringList events = bench.run();

    // The merging message, the first part's fraction, the error.
    QCOMPARE(events.size(), 3);
    QCOMPARE(events.first(), mergingLog(2));
    QCOMPARE(events.last(), "error: Cannot read file: a(1).zip");
    QCOMPARE(readFile(bench.path("_combined_a.zip")), "tiny part");
}

// Only a regular file under the combined archive's name is ever replaced:
// whatever else sits there (left by someone else, or by a hostile archive
// extracted before) is neither written through nor removed.
void ServiceTest::unwritableCombinedArchive_data() {
    QTest::addColumn<TakenName>("taken");
    QTest::addRow("a link to a file outside the destination") << TakenName::LinkToAFileOutside;
    QTest::addRow("a link to nothing, which would create its target") << TakenName::LinkToNowhere;
    QTest::addRow("a named pipe") << TakenName::NamedPipe;
}

void ServiceTest::unwritableCombinedArchive() {
    QFETCH(TakenName, taken);
    Bench bench(QStringLiteral("exit 3"));
    const QString destination = bench.path("destination");
    const QString combined = destination + "/_combined_a.zip";
    const QString outside = bench.path("outside");
    writeFile(outside, "the user's own file");
    QVERIFY(QDir().mkdir(destination));
    if (taken == TakenName::LinkToAFileOutside)
        QVERIFY(QFile::link(outside, combined));
    if (taken == TakenName::LinkToNowhere)
        QVERIFY(QFile::link(bench.path("created-through-link"), combined));
    if (taken == TakenName::NamedPipe)
        QCOMPARE(::mkfifo(QFile::encodeName(combined).constData(), 0600), 0);

    QCOMPARE(bench.run(destination),
             (QStringList{mergingLog(1), "error: Cannot write to destination: _combined_a.zip"}));
    QCOMPARE(readFile(outside), "the user's own file");
    QVERIFY(!QFileInfo::exists(bench.path("created-through-link")));
    const QFileInfo after(combined); // neither removed nor replaced
    QVERIFY(taken == TakenName::NamedPipe ? after.exists() && !after.isFile() : after.isSymLink());
}

// A part that is the combined archive under another name would be destroyed
// before it is read.
void ServiceTest::partThatIsTheCombinedArchive_data() {
    QTest::addColumn<bool>("isHardLink");
    QTest::addRow("a part that links to the combined archive stays intact") << false;
    QTest::addRow("a part that is a hard link of the combined archive stays intact") << true;
}

void ServiceTest::partThatIsTheCombinedArchive() {
    QFETCH(bool, isHardLink);
    Bench bench(QStringLiteral("exit 3"));
    const QByteArray precious = patternBytes(mebibyte, 'p');
    const QString combined = bench.path("_combined_a.zip");
    writeFile(combined, precious);
    const QString elsewhere = bench.path("a(1).zip");
    QVERIFY(isHardLink ? ::link(QFile::encodeName(combined), QFile::encodeName(elsewhere)) == 0
                       : QFile::link(combined, elsewhere));
    bench.parts << QUrl::fromLocalFile(elsewhere);

    const QStringList events = bench.run();

    QCOMPARE(events.size(), 2);
    QVERIFY2(events.last().startsWith("error: Extraction failed: ") &&
                 events.last().contains("_combined_a.zip"),
             qPrintable(events.last()));
    QVERIFY(readFile(combined) == precious);
}

// However the group was made, two files for one part number, or a spanned
// set, are never merged.
void ServiceTest::groupThatIsNoByteSplitArchiveIsNotMerged_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("error");
    QTest::addRow("two files claim one part")
        << QStringList{"a/s.zip", "a/s(1).zip", "b/s(1).zip"}
        << "Extraction failed: two files claim one part number; remove one";
    QTest::addRow("a spanned set") << QStringList{"a/s.z01", "a/s.zip", "a/s.z02"}
                                   << "These parts (s.z01 … s.zip) are a PKZIP spanned set";
}

void ServiceTest::groupThatIsNoByteSplitArchiveIsNotMerged() {
    QFETCH(QStringList, names);
    QFETCH(QString, error);
    Bench bench(QStringLiteral("exit 3"));
    QVERIFY(QDir().mkpath(bench.path("a")) && QDir().mkpath(bench.path("b")));
    QList<QUrl> parts;
    for (const QString& name : names)
        parts << writeFile(bench.path(name), name.toUtf8());
    const QList<ZipFileGroup> groups = groupFiles(parts);
    QCOMPARE(groups.size(), 1);

    RunRecorder recorder(bench.service->extract(groups.first(), QUrl::fromLocalFile(bench.path())));
    QVERIFY(recorder.waitForEnd());

    QCOMPARE(recorder.events.size(), 1);
    QVERIFY2(recorder.events.first().startsWith("error: " + error),
             qPrintable(recorder.events.first()));
    QVERIFY(!QFileInfo::exists(bench.path("_combined_s.zip")));
}
