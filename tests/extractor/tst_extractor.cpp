#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

using namespace ZipFixture;

namespace {

const QByteArray outsideMarker = "@OUTSIDE@";

using Entries = QList<ZipEntry>;

} // namespace

class ExtractorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extractsEveryEntryWithTimesAndPermissions_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("streamed");
        QTest::addRow("stored") << QByteArray("zip:compression=store") << false;
        QTest::addRow("deflated, sizes in data descriptors")
            << QByteArray("zip:compression=deflate") << true;
        QTest::addRow("zip64 records") << QByteArray("zip:zip64,zip:compression=deflate") << false;
    }
    // Permissions as the archive has them, less the umask and never a
    // set-user-ID, set-group-ID or sticky bit.
    void extractsEveryEntryWithTimesAndPermissions() {
        QFETCH(QByteArray, options);
        QFETCH(bool, streamed);
        ExtractionFolder folder;
        QByteArray big;
        for (int i = 0; i < 40000; ++i)
            big += QByteArray::number(i * 7919 % 10007);
        const QList<Item> items = {
            {"docs/", {}, 047777, 1500000000},
            {"docs/readme.txt", "read me\n", 0100666, 1500000100},
            {"bin/tool", "#!/bin/sh\n", 0104755, 1500000200},
            {"empty", {}, 0102755, 1500000300},
            {"data/big.bin", big, 0101600, 1500000400},
        };
        QVERIFY(writeWithLibarchive(folder.archive(), items, options.constData(),
                                    streamed ? Sizes::Streamed : Sizes::Declared));

        const mode_t previous = ::umask(027);
        const CommandRun run = folder.extract();
        ::umask(previous);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.errors, QString());
        const QString destination = folder.destination();
        QCOMPARE(tree(destination), QStringList({"bin/", "bin/tool=#!/bin/sh\n", "data/",
                                                 "data/big.bin=" + QString::fromLatin1(big),
                                                 "docs/", "docs/readme.txt=read me\n", "empty="}));
        for (const Item& item : items) {
            struct stat status {};
            QCOMPARE(::lstat(QFile::encodeName(destination + "/" + item.name).constData(), &status),
                     0);
            QCOMPARE(qint64(status.st_mtime), item.modified);
            QCOMPARE(status.st_mode & 07777, item.mode & 0750);
        }
        const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), items.size() + 1);
        QCOMPARE(lines.last(), "Extracted 5 of 5 entries into " + destination + ".");
    }

    // Whatever an entry asks for, nothing outside the destination changes; a
    // refused entry costs one line on standard error, never the entries after
    // it, and every entry written gives one line on standard output, whatever
    // bytes its name holds. A file already there is replaced only by sound
    // data, and no temporary file stays behind. A temporary whose process is
    // gone is debris of that process; one of a running process, or anything
    // else of similar name, is not ours to take.
    void whatTheDestinationHoldsAfterwards_data() {
        QTest::addColumn<QList<ZipEntry>>("entries");
        // Made beforehand: "name->target", "name=content", "folder/".
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QStringList>("expectedTree");
        QTest::addColumn<QString>("expectedError");

        const ZipEntry ok = fileEntry("ok.txt", "ok");
        const QStringList none;
        ZipEntry huge = fileEntry("huge", "tiny");
        huge.declaredSize = 0xFFFFFFF0;
        const ZipEntry device = fileEntry("device", {}, 020644),
                       fifo = fileEntry("fifo", {}, 010644);
        // A final deflate block of the reserved type.
        ZipEntry damaged = fileEntry("damaged", QByteArray(64, '\xff'));
        damaged.method = 8;
        damaged.declaredSize = 1000;
        ZipEntry wrongCrc = fileEntry("a.txt", "new");
        wrongCrc.crc = 0x12345678;
        ZipEntry unsupported = fileEntry("a.txt", "new");
        unsupported.method = 6;
        // Large enough for the checksum to be taken over many blocks and for
        // the file to be written by a thread of its own, with an odd length;
        // one byte in the middle changed after the CRC was taken.
        QByteArray large(5 * 1024 * 1024 + 5, Qt::Uninitialized);
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = char((i * 2654435761u) >> 13);
        ZipEntry corrupted = fileEntry("a.txt", large);
        corrupted.crc = ZipFixture::crc32(large);
        corrupted.data[large.size() / 2] = char(corrupted.data[large.size() / 2] ^ 0x10);
        const QStringList old{"a.txt=old"};
        QTest::addRow("a name with a .. component")
            << Entries{fileEntry("../outside/victim", "evil"),
                       fileEntry("a/../../outside/victim", "evil"), ok}
            << none << 2 << QStringList{"ok.txt=ok"} << "refused: the path contains";
        QTest::addRow("an absolute name")
            << Entries{fileEntry(outsideMarker + "/victim", "evil"), ok} << none << 1
            << QStringList{"ok.txt=ok"} << "refused: absolute path";
        QTest::addRow("a link to an absolute folder, then a file through it")
            << Entries{linkEntry("l", outsideMarker), fileEntry("l/victim", "evil"), ok} << none
            << 2 << QStringList{"ok.txt=ok"} << "refused: symbolic link to an absolute path";
        QTest::addRow("a link to .., then a file through it")
            << Entries{linkEntry("l", ".."), fileEntry("l/outside/victim", "evil"), ok} << none << 2
            << QStringList{"ok.txt=ok"} << "refused: symbolic link leads outside";
        QTest::addRow("a link whose .. follows another link")
            << Entries{linkEntry("b", "."), linkEntry("a", "b/../outside"), ok} << none << 1
            << QStringList{"b->.", "ok.txt=ok"} << "may lead outside";
        QTest::addRow("a file through a link the destination already has")
            << Entries{fileEntry("l/victim", "evil"), ok} << QStringList{"l->../outside"} << 1
            << QStringList{"l->../outside", "ok.txt=ok"} << "refused: would write through";
        QTest::addRow("an entry replaces a link instead of writing through it")
            << Entries{fileEntry("l", "mine"), ok} << QStringList{"l->../outside/victim"} << 0
            << QStringList{"l=mine", "ok.txt=ok"} << QString();
        QTest::addRow("links that stay inside are made")
            << Entries{fileEntry("sub/f", "x"), linkEntry("sub/l", "f"),
                       linkEntry("up/l", "../sub/f"), ok}
            << none << 0
            << QStringList{"ok.txt=ok", "sub/", "sub/f=x", "sub/l->f", "up/", "up/l->../sub/f"}
            << QString();
        QTest::addRow("an empty name, \".\" and only slashes are refused")
            << Entries{fileEntry("", "a"), fileEntry(".", "b"), fileEntry("///", "c"), ok} << none
            << 3 << QStringList{"ok.txt=ok"} << QString();
        QTest::addRow("odd bytes in a name are kept")
            << Entries{fileEntry("tab\tline\nescape\x1b", "odd"), ok} << none << 0
            << QStringList{"ok.txt=ok", "tab\tline\nescape\x1b=odd"} << QString();
        QTest::addRow("a file where the archive has a folder, and a folder below a file")
            << Entries{folderEntry("x"), fileEntry("x", "file"), fileEntry("y", "file"),
                       fileEntry("y/z", "inner"), ok}
            << none << 2 << QStringList{"ok.txt=ok", "x/", "y=file"} << QString();
        QTest::addRow("a device node is refused, a FIFO is made a file")
            << Entries{device, fifo, ok} << none << 1 << QStringList{"fifo=", "ok.txt=ok"}
            << QString();
        QTest::addRow("a damaged entry or a huge declared size stops nothing after it")
            << Entries{fileEntry("before", "b"), damaged, huge, ok} << none << 2
            << QStringList{"before=b", "ok.txt=ok"} << "damaged: corrupt data";
        QTest::addRow("a large sound entry replaces a file")
            << Entries{fileEntry("a.txt", large)} << old << 0
            << QStringList{"a.txt=" + QString::fromLatin1(large)} << QString();
        QTest::addRow("one changed byte in a large entry leaves the file")
            << Entries{corrupted} << old << 1 << old << "a.txt: CRC mismatch";
        QTest::addRow("a CRC mismatch leaves the file")
            << Entries{wrongCrc} << old << 1 << old << "a.txt: CRC mismatch";
        QTest::addRow("an unsupported method leaves the file")
            << Entries{unsupported} << old << 1 << old << "a.txt: unsupported compression method";
        const Entries newFile{fileEntry("folder/new.txt", "new")};
        const QStringList removed{"folder/", "folder/new.txt=new"};
        const auto debris = [&](const char* row, const QString& name, bool isRemoved) {
            const QStringList existing{"folder/", name + "=debris", "folder/" + name + "=debris"};
            QTest::addRow("%s", row)
                << newFile << existing << 0 << (isRemoved ? removed : removed + existing.mid(1))
                << QString();
        };
        const QString ended = ".kestrune-2147483646-";
        debris("a writer's temporary of an ended process", ended + "3-17", true);
        debris("a temporary of a running process",
               ".kestrune-" + QString::number(QCoreApplication::applicationPid()) + "-0-1", false);
        debris("a user's file of a similar name", ".kestrune-notes", false);
    }
    void whatTheDestinationHoldsAfterwards() {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(QStringList, existing);
        QFETCH(int, failures);
        QFETCH(QStringList, expectedTree);
        QFETCH(QString, expectedError);
        expectedTree.sort();
        ExtractionFolder folder;
        for (ZipEntry& entry : entries) {
            entry.name.replace(outsideMarker, QFile::encodeName(folder.outside()));
            entry.data.replace(outsideMarker, QFile::encodeName(folder.outside()));
        }
        for (const QString& item : existing) {
            if (item.endsWith('/')) {
                QVERIFY(QDir(folder.destination()).mkpath(item));
                continue;
            }
            const qsizetype link = item.indexOf("->");
            const QString path =
                folder.destination() + "/" + item.left(link >= 0 ? link : item.indexOf('='));
            QVERIFY(link >= 0 ? QFile::link(item.mid(link + 2), path)
                              : writeFile(path, item.section('=', 1).toLatin1()));
        }
        QVERIFY(folder.writeArchive(entries));

        const CommandRun run = folder.extract();

        QCOMPARE(run.exitCode, failures == 0 ? 0 : 1);
        QVERIFY(folder.outsideIsUntouched());
        QCOMPARE(tree(folder.destination()), expectedTree);
        QVERIFY2(run.errors.contains(expectedError), qPrintable(run.errors));
        // One line per problem and, after any, the conclusion.
        QCOMPARE(run.errors.count('\n'), failures == 0 ? 0 : failures + 1);
        QCOMPARE(run.output.count('\n'), entries.size() - failures + 1);
        QVERIFY(!run.output.contains('\x1b'));
    }

    void reportsUnreadableArchives_data() {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("expectedError");

        const QByteArray sound =
            buildZip({fileEntry("one", QByteArray(5000, '1')),
                      fileEntry("two", QByteArray(5000, '2')), fileEntry("three", "3")});
        const QString truncated =
            "the archive is truncated: a part, possibly the last one, may be missing";
        QTest::addRow("the last part missing") << sound.left(6000) << truncated;
        QTest::addRow("a middle part missing") << sound.left(3000) + sound.mid(8000) << truncated;
        // The end record is the archive's own count of its entries: a reading
        // that found fewer must not pass for a whole extraction.
        QByteArray lying = sound;
        const qsizetype endRecord = lying.lastIndexOf("PK\5\6");
        lying[endRecord + 8] = lying[endRecord + 10] = 5; // on this disk, in all
        QTest::addRow("more entries in the end record than in the directory")
            << lying << "the archive's directory lists 5 entries, but only 3 could be read";
    }
    void reportsUnreadableArchives() {
        QFETCH(QByteArray, archive);
        QFETCH(QString, expectedError);
        ExtractionFolder folder;
        QVERIFY(writeFile(folder.archive(), archive));

        const CommandRun run = folder.extract();

        QCOMPARE(run.exitCode, 1);
        // The problem is the conclusion a caller reads last.
        QVERIFY2(run.errors.endsWith("\nkestrune-extract: " + expectedError + "\n"),
                 qPrintable(run.errors));
        QCOMPARE(tree(folder.destination()), QStringList());
        QVERIFY(folder.outsideIsUntouched());
    }

    // Shared among workers, large files written by threads of their own, and
    // one file per folder in turn round more folders than a writer keeps open,
    // twice, so that every folder is left and found again.
    void extractsLargeArchivesCompletely() {
        const int folders = 1100;
        ExtractionFolder folder;
        QList<Item> items;
        QStringList expected{"link->d7/f7"};
        for (int index = 0; index < 2 * folders; ++index) {
            const QString name = QStringLiteral("d%1/f%2").arg(index % folders).arg(index);
            const QByteArray data = name.toUtf8().repeated(index % 50 * 20 + 1);
            items.append(Item{name, data});
            expected << name + "=" + data;
            if (index < folders)
                expected << QStringLiteral("d%1/").arg(index);
        }
        for (int index = 0; index < 3; ++index) {
            const QByteArray data(3 * 1024 * 1024, char('a' + index));
            items.append(Item{QStringLiteral("large%1").arg(index), data});
            expected << QStringLiteral("large%1=").arg(index) + data;
        }
        items.append(Item{"link", "d7/f7", 0120777});
        items.append(Item{"d5/f5", "again"});
        expected.removeIf([](const QString& item) { return item.startsWith("d5/f5="); });
        expected << "d5/f5=again";
        QVERIFY(writeWithLibarchive(folder.archive(), items, "zip:compression=deflate"));

        const CommandRun run = folder.extract();

        QCOMPARE(run.exitCode, 0);
        expected.sort();
        QVERIFY(tree(folder.destination()) == expected);
    }
};

QTEST_GUILESS_MAIN(ExtractorTest)
#include "tst_extractor.moc"
