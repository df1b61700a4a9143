#include "servicetest.h"
#include "testsupport.h"

#include "grouping/filegrouper.h"
#include "service/archivemerger.h"
#include "service/combinedarchive.h"
#include "service/extractionservice.h"

#include <QDir>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

enum class PartFault { Missing, Folder, LinkToEndlessDevice, NamedPipe };
enum class TakenName { MissingFolder, LinkToAFileOutside, LinkToNowhere, NamedPipe };
enum class SameFile { SameName, SymbolicLink, HardLink };

// An extractor that must never be reached in these tests.
QString unreachableTool(const QTemporaryDir& folder) {
    return writeTool(folder.path(), QStringLiteral("tool"), QStringLiteral("exit 3"));
}

} // namespace

void ServiceTest::combinedArchiveName_data() {
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("expected");
    QTest::addRow("each blank, sign and bracket becomes one underscore")
        << "a+b (final)"
        << "_combined_a_b__final_.zip";
    QTest::addRow("letters, digits, marks of any script and -_. stay")
        << "Ärger-名前_καλό.٣e\u0301"
        << "_combined_Ärger-名前_καλό.٣e\u0301.zip";
    QTest::addRow("a symbol above U+FFFF becomes exactly one underscore") << "a😀b"
                                                                          << "_combined_a_b.zip";
    QTest::addRow("folder separators cannot lead out of the destination")
        << "../up/x"
        << "_combined_.._up_x.zip";
    // File names take at most 255 bytes: "_combined_" and ".zip" leave 241.
    QTest::addRow("a 246-character base name is cut to fit")
        << QString(246, u'a') << "_combined_" + QString(241, u'a') + ".zip";
    QTest::addRow("two-byte letters are cut between characters, never inside one")
        << QString(200, u'ä') << "_combined_" + QString(120, u'ä') + ".zip";
    QTest::addRow("a letter above U+FFFF is kept whole or not at all")
        << QString("𝐀").repeated(70) << "_combined_" + QString("𝐀").repeated(60) + ".zip";
}

void ServiceTest::combinedArchiveName() {
    QFETCH(QString, baseName);
    QFETCH(QString, expected);
    QCOMPARE(::combinedArchiveName(baseName), expected);
}

void ServiceTest::mergeCopiesAPartFromAnotherFileSystem() {
    QTemporaryDir folder;
    QTemporaryDir otherFolder(QStringLiteral("/dev/shm/kestrune-XXXXXX"));
    if (!otherFolder.isValid() ||
        QStorageInfo(otherFolder.path()).device() == QStorageInfo(folder.path()).device())
        QSKIP("no second file system to copy from");
    const QByteArray bytes = patternBytes(5 * mebibyte, 'x');
    const QList<QUrl> parts{writeFile(otherFolder.filePath("a.zip"), bytes)};
    const QString combined = folder.filePath("_combined_a.zip");

    QVERIFY(!ArchiveMerger(parts, QUrl::fromLocalFile(combined), [](double) {}).merge());
    QVERIFY(readFile(combined) == bytes);
}

// The kernel's file copy reports the end of such a file at once; the merge
// must not take that for the end of its bytes.
void ServiceTest::mergeCopiesAPartWhoseSizeReadsAsZero() {
    QTemporaryDir folder;
    const QString sizeless = QStringLiteral("/proc/version");
    if (QFileInfo(sizeless).size() != 0 || readFile(sizeless).isEmpty())
        QSKIP("no file that reports size 0 but holds bytes");
    const QByteArray first = patternBytes(2 * mebibyte, 'a');
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), first),
                            QUrl::fromLocalFile(sizeless)};
    const QString combined = folder.filePath("_combined_a.zip");

    QList<double> fractions;
    QVERIFY(!ArchiveMerger(parts, QUrl::fromLocalFile(combined), [&](double fraction) {
                 fractions << fraction;
             }).merge());
    QVERIFY(readFile(combined) == first + readFile(sizeless));
    // Its bytes count as copied but not in the total, so the fraction passes 0.5.
    QCOMPARE(fractions.size(), 2);
    QCOMPARE(fractions.first(), 0.5);
    QVERIFY(fractions.last() > 0.5);
}

// A part that changes while the merge copies: the one being copied is read
// to its end through the descriptor the merge holds; one cut short before it
// is opened gives only the bytes it still has, neither its old size nor zeros.
void ServiceTest::mergeCopiesWhatAPartHoldsWhenItIsRead_data() {
    QTest::addColumn<bool>("deleteTheFirst");
    QTest::addRow("the part being copied is deleted") << true;
    QTest::addRow("the next part is cut short") << false;
}

void ServiceTest::mergeCopiesWhatAPartHoldsWhenItIsRead() {
    QFETCH(bool, deleteTheFirst);
    QTemporaryDir folder;
    const QByteArray first = patternBytes(6 * mebibyte, 'a');
    const QByteArray second = patternBytes(6 * mebibyte, 'b');
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), first),
                            writeFile(folder.filePath("a(1).zip"), second)};
    const QString combined = folder.filePath("_combined_a.zip");

    bool isChanged = false;
    QVERIFY(!ArchiveMerger(parts, QUrl::fromLocalFile(combined), [&](double) {
                 if (std::exchange(isChanged, true))
                     return;
                 QVERIFY(deleteTheFirst ? QFile::remove(folder.filePath("a.zip"))
                                        : QFile::resize(folder.filePath("a(1).zip"), mebibyte));
             }).merge());
    QVERIFY(isChanged);
    QVERIFY(readFile(combined) == first + (deleteTheFirst ? second : second.left(mebibyte)));
}

void ServiceTest::mergeStopsWhenItsThreadIsAskedToStop() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), patternBytes(mebibyte, 'a'))};
    const QString combined = folder.filePath("_combined_a.zip");

    std::optional<ExtractionError> failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        QThread::currentThread()->requestInterruption();
        failure = ArchiveMerger(parts, QUrl::fromLocalFile(combined), [](double) {}).merge();
    }));
    thread->start();
    QVERIFY(thread->wait(30000));

    QVERIFY(failure && failure->is<ExtractionError::ExtractionFailed>());
    QCOMPARE(QFileInfo(combined).size(), 0);
    // Nor does it hold disk space for the parts it did not copy.
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(combined).constData(), &status), 0);
    QCOMPARE(status.st_blocks, blkcnt_t(0));
}

void ServiceTest::unreadablePart_data() {
    QTest::addColumn<PartFault>("fault");
    QTest::addColumn<int>("faultyPart");
    QTest::addRow("a missing first part ends the run right after the merging message")
        << PartFault::Missing << 0;
    QTest::addRow("a folder in place of the third part cannot be read") << PartFault::Folder << 2;
    QTest::addRow("a link to an endless device is refused, not read") // it would fill the disk
        << PartFault::LinkToEndlessDevice << 1;
    QTest::addRow("a named pipe is refused, not merged as an empty part")
        << PartFault::NamedPipe << 1;
}

void ServiceTest::unreadablePart() {
    QFETCH(PartFault, fault);
    QFETCH(int, faultyPart);
    QTemporaryDir folder;
    const QStringList names{"a.zip", "a(1).zip", "a(2).zip"};
    QList<QUrl> parts;
    QByteArray mergedBefore;
    for (int index = 0; index < names.size(); ++index) {
        const QByteArray bytes = patternBytes(mebibyte, char('a' + index));
        parts << writeFile(folder.filePath(names[index]), bytes);
        if (index < faultyPart)
            mergedBefore += bytes;
    }
    QFile::remove(folder.filePath(names[faultyPart]));
    const QString faulty = folder.filePath(names[faultyPart]);
    if (fault == PartFault::Folder)
        QVERIFY(QDir(folder.path()).mkdir(names[faultyPart]));
    if (fault == PartFault::LinkToEndlessDevice)
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), faulty));
    if (fault == PartFault::NamedPipe)
        QCOMPARE(::mkfifo(QFile::encodeName(faulty).constData(), 0600), 0);

    const QStringList events = runToEnd(unreachableTool(folder), parts, folder.path());

    // The merging message, one fraction per part copied before, the error.
    QCOMPARE(events.size(), 2 + faultyPart);
    QCOMPARE(events.first(), mergingLog(3));
    QCOMPARE(events.last(), "error: Cannot read file: " + names[faultyPart]);
    QVERIFY(readFile(folder.filePath("_combined_a.zip")) == mergedBefore);
}

// Only a regular file under the combined archive's name is ever replaced:
// whatever else sits there (left by someone else, or by a hostile archive
// extracted before) is neither written through nor removed.
void ServiceTest::unwritableCombinedArchive_data() {
    QTest::addColumn<TakenName>("taken");
    QTest::addRow("a destination folder that does not exist") << TakenName::MissingFolder;
    QTest::addRow("a link to a file outside the destination") << TakenName::LinkToAFileOutside;
    QTest::addRow("a link to nothing, which would create its target") << TakenName::LinkToNowhere;
    QTest::addRow("a named pipe") << TakenName::NamedPipe;
}

void ServiceTest::unwritableCombinedArchive() {
    QFETCH(TakenName, taken);
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), patternBytes(mebibyte, 'a'))};
    const QString destination = folder.filePath("destination");
    const QString combined = destination + "/_combined_a.zip";
    const QString outside = folder.filePath("outside");
    const QByteArray precious = "the user's own file";
    writeFile(outside, precious);
    if (taken != TakenName::MissingFolder)
        QVERIFY(QDir(folder.path()).mkdir("destination"));
    if (taken == TakenName::LinkToAFileOutside)
        QVERIFY(QFile::link(outside, combined));
    if (taken == TakenName::LinkToNowhere)
        QVERIFY(QFile::link(folder.filePath("created-through-link"), combined));
    if (taken == TakenName::NamedPipe)
        QCOMPARE(::mkfifo(QFile::encodeName(combined).constData(), 0600), 0);
    const QFileInfo before(combined);

    const QStringList events = runToEnd(unreachableTool(folder), parts, destination);

    const QStringList expected{mergingLog(1),
                               "error: Cannot write to destination: _combined_a.zip"};
    QCOMPARE(events, expected);
    QVERIFY(readFile(outside) == precious);
    QVERIFY(!QFileInfo::exists(folder.filePath("created-through-link")));
    const QFileInfo after(combined);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.exists() || after.isSymLink(), before.exists() || before.isSymLink());
}

// A stale combined archive is replaced, not emptied: another name of the same
// file, possibly outside the destination, keeps its bytes.
void ServiceTest::staleCombinedArchiveWithAnotherNameIsReplacedNotEmptied() {
    QTemporaryDir folder;
    const QByteArray part = patternBytes(mebibyte, 'a');
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), part)};
    const QString combined = folder.filePath("_combined_a.zip");
    const QByteArray stale = patternBytes(2 * mebibyte, 's');
    writeFile(folder.filePath("kept"), stale);
    QCOMPARE(::link(QFile::encodeName(folder.filePath("kept")), QFile::encodeName(combined)), 0);

    ArchiveMerger merger(parts, QUrl::fromLocalFile(combined), [](double) {});
    QVERIFY(!merger.merge());

    QVERIFY(readFile(combined) == part);
    QVERIFY(readFile(folder.filePath("kept")) == stale);
}

void ServiceTest::partThatIsTheCombinedArchive_data() {
    QTest::addColumn<SameFile>("sameFile");
    QTest::addRow("a part named like the combined archive in the destination stays intact")
        << SameFile::SameName;
    QTest::addRow("a part that links to the combined archive stays intact")
        << SameFile::SymbolicLink;
    QTest::addRow("a part that is a hard link of the combined archive stays intact")
        << SameFile::HardLink;
}

void ServiceTest::partThatIsTheCombinedArchive() {
    QFETCH(SameFile, sameFile);
    QTemporaryDir folder;
    const QByteArray precious = patternBytes(mebibyte, 'p');
    const QString combined = folder.filePath("_combined_a.zip");
    const QUrl combinedPart = writeFile(combined, precious);
    QVERIFY(QDir(folder.path()).mkdir("elsewhere"));
    const QString elsewhere = folder.filePath("elsewhere/a(1).zip");
    if (sameFile == SameFile::SymbolicLink)
        QVERIFY(QFile::link(combined, elsewhere));
    if (sameFile == SameFile::HardLink)
        QCOMPARE(::link(QFile::encodeName(combined), QFile::encodeName(elsewhere)), 0);
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), patternBytes(mebibyte, 'a')),
                            sameFile == SameFile::SameName ? combinedPart
                                                           : QUrl::fromLocalFile(elsewhere)};

    const QStringList events = runToEnd(unreachableTool(folder), parts, folder.path());

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
    QTest::addRow("a spanned set")
        << QStringList{"a/s.z01", "a/s.zip", "a/s.z02"}
        << "These parts (s.z01 … s.zip) are a PKZIP spanned set, not byte-split parts: joined "
           "end to end they do not make an archive, so Kestrune cannot extract them.";
}

void ServiceTest::groupThatIsNoByteSplitArchiveIsNotMerged() {
    QFETCH(QStringList, names);
    QFETCH(QString, error);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("a") && QDir(folder.path()).mkpath("b"));
    QList<QUrl> parts;
    for (const QString& name : names)
        parts << writeFile(folder.filePath(name), name.toUtf8());

    ExtractionService service(unreachableTool(folder));
    const QList<ZipFileGroup> groups = groupFiles(parts);
    QCOMPARE(groups.size(), 1);
    const QStringList events = runToEnd(service, groups.first(), folder.path());

    QCOMPARE(events, QStringList{"error: " + error});
    QVERIFY(!QFileInfo::exists(folder.filePath("_combined_s.zip")));
}
