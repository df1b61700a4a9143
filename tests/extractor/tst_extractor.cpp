#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

using namespace ZipFixture;

namespace {

const QByteArray outsideMarker = "@OUTSIDE@";

enum class Writer { Fixture, LibarchiveZip64, InfoZipFromStandardInput };
using Entries = QList<ZipEntry>;

} // namespace

class ExtractorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extractsEveryEntryWithTimesAndPermissions_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("streamed");
        QTest::addRow("stored") << QByteArray("zip:compression=store") << false;
        QTest::addRow("deflated") << QByteArray("zip:compression=deflate") << false;
        QTest::addRow("deflated, sizes in data descriptors")
            << QByteArray("zip:compression=deflate") << true;
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
        ZipEntry device = fileEntry("device", {});
        device.mode = 020644;
        ZipEntry fifo = fileEntry("fifo", {});
        fifo.mode = 010644;
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
        ZipEntry flagged = fileEntry("caf\xc3\xa9.txt", "x");
        flagged.flags = 0x800;
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
        QTest::addRow("a link inside, then a file through it")
            << Entries{folderEntry("real"), linkEntry("l", "real"), fileEntry("l/x", "through"), ok}
            << none << 1 << QStringList{"l->real", "ok.txt=ok", "real/"}
            << "refused: would write through the symbolic link \"l\"";
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
        QTest::addRow("a UTF-8 name, flagged")
            << Entries{flagged} << none << 0 << QStringList{"café.txt=x"} << QString();
        QTest::addRow("a UTF-8 name, not flagged")
            << Entries{fileEntry("na\xc3\xafve.txt", "x")} << none << 0
            << QStringList{"naïve.txt=x"} << QString();
        QTest::addRow("a name in code page 437")
            << Entries{fileEntry("m\x81nchen \x9c.txt", "x")} << none << 0
            << QStringList{"münchen £.txt=x"} << QString();
        QTest::addRow("odd bytes in a name are kept")
            << Entries{fileEntry("tab\tline\nescape\x1b", "odd"), ok} << none << 0
            << QStringList{"ok.txt=ok", "tab\tline\nescape\x1b=odd"} << QString();
        QTest::addRow("a file where the archive has a folder")
            << Entries{folderEntry("x"), fileEntry("x", "file"), ok} << none << 1
            << QStringList{"ok.txt=ok", "x/"} << QString();
        QTest::addRow("a folder below a file of the archive")
            << Entries{fileEntry("y", "file"), fileEntry("y/z", "inner"), ok} << none << 1
            << QStringList{"ok.txt=ok", "y=file"} << QString();
        QTest::addRow("a device node is refused")
            << Entries{device, ok} << none << 1 << QStringList{"ok.txt=ok"} << QString();
        QTest::addRow("a FIFO is never made")
            << Entries{fifo, ok} << none << 0 << QStringList{"fifo=", "ok.txt=ok"} << QString();
        QTest::addRow("a damaged entry stops nothing after it")
            << Entries{fileEntry("before", "b"), damaged, ok} << none << 1
            << QStringList{"before=b", "ok.txt=ok"} << "damaged: corrupt data";
        QTest::addRow("a huge declared size")
            << Entries{huge, ok} << none << 1 << QStringList{"ok.txt=ok"} << QString();
        QTest::addRow("no entries at all") << Entries{} << none << 0 << QStringList{} << QString();
        QTest::addRow("a sound entry replaces a file")
            << Entries{fileEntry("a.txt", "new")} << old << 0 << QStringList{"a.txt=new"}
            << QString();
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
        debris("the main writer's temporary of an ended process", ended + "main-0", true);
        debris("with an attempt number", ended + "1-main-4", true);
        debris("a temporary of a running process",
               ".kestrune-" + QString::number(QCoreApplication::applicationPid()) + "-0-1", false);
        debris("a user's file of a similar name", ".kestrune-notes", false);
        debris("a name with a word where a number goes", ended + "x-1", false);
        debris("no leading dot", "kestrune-2147483646-0-1", false);
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
        if (failures > 0)
            QVERIFY2(run.errors.endsWith(QStringLiteral("kestrune-extract: %1 of %2 entries could "
                                                        "not be extracted\n")
                                             .arg(failures)
                                             .arg(entries.size())),
                     qPrintable(run.errors));
        QCOMPARE(run.output.count('\n'), entries.size() - failures + 1);
        QVERIFY(!run.output.contains('\x1b'));
        // Names come out as UTF-8 whatever the locale.
        for (const QString& item : expectedTree) {
            if (failures == 0 && item.contains('=') && !item.contains('\t') &&
                !existing.contains(item))
                QVERIFY2(run.output.contains(item.section('=', 0, 0)), qPrintable(run.output));
        }
    }

    void anEntryNamedLikeTheArchiveCannotDamageIt() {
        ExtractionFolder folder;
        const QString archive = folder.destination() + "/bundle.zip";
        const QByteArray replacement(300000, 'r');
        QVERIFY(writeFile(archive, buildZip({fileEntry("bundle.zip", replacement),
                                             fileEntry("after.txt", "read from the original")})));

        const CommandRun run = runExtractor({"-x", "-k", archive, folder.destination()});

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readFile(archive), replacement);
        QCOMPARE(readFile(folder.destination() + "/after.txt"), "read from the original");
    }

    void reportsUnreadableArchives_data() {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("expectedError");

        const QByteArray sound =
            buildZip({fileEntry("one", QByteArray(5000, '1')),
                      fileEntry("two", QByteArray(5000, '2')), fileEntry("three", "3")});
        const QString truncated =
            "the archive is truncated: a part, possibly the last one, may be missing";
        QTest::addRow("not a zip") << QByteArray("just some text\n") << "not a zip archive";
        QTest::addRow("an empty file") << QByteArray() << "not a zip archive: the file is empty";
        QTest::addRow("the last part missing") << sound.left(6000) << truncated;
        QTest::addRow("the end record cut short") << sound.chopped(10) << truncated;
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
        // The problem, then the same as the conclusion a caller reads last.
        QCOMPARE(run.errors.count('\n'), 2);
        QVERIFY2(run.errors.contains(": " + expectedError + "\n"), qPrintable(run.errors));
        QVERIFY2(run.errors.endsWith("\nkestrune-extract: " + expectedError + "\n"),
                 qPrintable(run.errors));
        QCOMPARE(tree(folder.destination()), QStringList());
        QVERIFY(folder.outsideIsUntouched());
    }

    // Bytes in front of an archive (a self-extractor's program, a stray part)
    // shift every offset in it; the archive is found behind them.
    void findsTheArchiveBehindLeadingBytes_data() {
        QTest::addColumn<Writer>("writer");
        QTest::addRow("a classic end record") << Writer::Fixture;
        QTest::addRow("zip64 end records") << Writer::LibarchiveZip64;
        QTest::addRow("zip64 records of streamed input") << Writer::InfoZipFromStandardInput;
    }
    void findsTheArchiveBehindLeadingBytes() {
        QFETCH(Writer, writer);
        ExtractionFolder folder;
        const QByteArray data = randomBytes(300000, 7);
        QString name = "a.bin";
        if (writer == Writer::Fixture) {
            QVERIFY(folder.writeArchive({fileEntry("a.bin", data)}));
        } else if (writer == Writer::LibarchiveZip64) {
            QVERIFY(writeWithLibarchive(folder.archive(), {{name, data}},
                                        "zip:zip64,zip:compression=deflate"));
        } else {
            const QString zip = QStandardPaths::findExecutable("zip");
            if (zip.isEmpty())
                QSKIP("Info-ZIP's zip is not installed");
            QProcess process;
            process.setStandardOutputFile(folder.archive());
            process.start(zip, {"-q", "-", "-"});
            process.write(data);
            process.closeWriteChannel();
            QVERIFY(process.waitForFinished() && process.exitCode() == 0);
            name = "-"; // what zip calls its standard input
        }
        const QByteArray prefix(1000000, 'Z');
        QVERIFY(writeFile(folder.archive(), prefix + readFile(folder.archive())));

        const CommandRun run = folder.extract();

        QCOMPARE(run.errors, QString());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains("1000000 bytes before the archive's start"),
                 qPrintable(run.output));
        QVERIFY(readFile(folder.destination() + "/" + name) == data);
    }

    void rejectsOtherUses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addRow("no arguments") << QStringList();
        QTest::addRow("unknown option") << QStringList{"-x", "-y", "a.zip", "dest"};
        QTest::addRow("one argument too many") << QStringList{"-x", "-k", "a.zip", "dest", "more"};
    }
    void rejectsOtherUses() {
        QFETCH(QStringList, arguments);
        const CommandRun run = runExtractor(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.errors.startsWith("usage: kestrune-extract -x -k ARCHIVE DESTINATION"));
        QCOMPARE(run.output, QString());
    }

    // Shared among workers, large files written by threads of their own, and
    // one file per folder in turn round more folders than a writer keeps open,
    // twice, so that every folder is left and found again. Hundreds of tiny
    // files are read by one worker and created by writer threads beside it.
    void extractsLargeArchivesCompletely_data() {
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("largeFiles");
        QTest::addRow("many workers, large files") << 1100 << 3;
        QTest::addRow("one reader, many tiny files") << 300 << 0;
    }
    void extractsLargeArchivesCompletely() {
        QFETCH(int, folders);
        QFETCH(int, largeFiles);
        ExtractionFolder folder;
        QList<Item> items;
        QStringList expected{"link->d7/f7"};
        for (int index = 0; index < 2 * folders; ++index) {
            const QString name = QStringLiteral("d%1/f%2").arg(index % folders).arg(index);
            const QByteArray data = name.toUtf8().repeated(index % 50 * (largeFiles ? 20 : 1) + 1);
            items.append(Item{name, data});
            expected << name + "=" + data;
            if (index < folders)
                expected << QStringLiteral("d%1/").arg(index);
        }
        for (int index = 0; index < largeFiles; ++index) {
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
        QVERIFY2(
            run.output.contains("skipped:   d5/f5 (a later entry of the same name replaces it)"),
            qPrintable(run.output.left(2000)));
        QVERIFY(run.output.endsWith(QStringLiteral("Extracted %1 of %1 entries into %2.\n")
                                        .arg(items.size())
                                        .arg(folder.destination())));
        expected.sort();
        QVERIFY(tree(folder.destination()) == expected);
    }
};

QTEST_GUILESS_MAIN(ExtractorTest)
#include "tst_extractor.moc"
