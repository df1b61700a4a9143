#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <optional>

using namespace ZipFixture;

// What kestrune-extract does with the descriptors the service hands it: the
// progress lines on the one KESTRUNE_PROGRESS_FD names count the file data up
// to its total, never hold the extraction up and leave standard output and
// error as they were; the password read from the one KESTRUNE_PASSPHRASE_FD
// names opens encrypted entries, a wrong or missing one ends the run with its
// own status before anything is written, and it never shows in any output.

namespace {

constexpr int wrongPasswordStatus = 4;
constexpr int passwordRequiredStatus = 5;

// Where the report goes: a file, nowhere of ours, or a pipe nobody reads.
enum class Report { File, None, FullPipe, ReaderGone };
enum class Encryption { ZipCrypto, Aes, TwoPasswords };

// A stored entry encrypted with ZipCrypto by hand, so that one archive can
// hold entries of different passwords, which no archiver here writes. The
// header's last byte is the check byte a reader compares first.
ZipEntry encryptedEntry(const QByteArray& name, const QByteArray& data,
                        const QByteArray& password) {
    quint32 keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
    // One step of the CRC register, without zlib's inversions.
    const auto crcStep = [](quint32 crc, quint8 byte) {
        return ~ZipFixture::crc32(QByteArray(1, char(byte)), ~crc);
    };
    const auto update = [&](quint8 byte) {
        keys[0] = crcStep(keys[0], byte);
        keys[1] = (keys[1] + (keys[0] & 0xff)) * 134775813u + 1;
        keys[2] = crcStep(keys[2], quint8(keys[1] >> 24));
    };
    for (const char byte : password)
        update(quint8(byte));
    ZipEntry entry = fileEntry(name, {});
    entry.crc = ZipFixture::crc32(data);
    for (const char byte : QByteArray(11, '\x5a') + char(*entry.crc >> 24) + data) {
        const quint32 mask = (keys[2] | 2) & 0xffff;
        entry.data.append(char(quint8(byte) ^ quint8((mask * (mask ^ 1)) >> 8)));
        update(quint8(byte));
    }
    entry.declaredSize = quint32(data.size());
    entry.flags = 1;
    return entry;
}

// The password goes into a pipe whose write end is closed before the start,
// as the service does; the command gets the read end as 4.
CommandRun extractWithPassword(const ExtractionFolder& folder,
                               const std::optional<QByteArray>& password,
                               const QString& variable = QStringLiteral("4")) {
    CommandSetup setup{QStringLiteral("KESTRUNE_PASSPHRASE_FD"), variable};
    int ends[2] = {-1, -1};
    if (password && ::pipe2(ends, O_CLOEXEC) == 0) {
        [[maybe_unused]] const ssize_t written =
            ::write(ends[1], password->constData(), std::size_t(password->size()));
        ::close(ends[1]);
        setup.theirs = 4;
        setup.ours = ends[0];
    }
    const CommandRun run = folder.extract(setup);
    if (ends[0] >= 0)
        ::close(ends[0]);
    return run;
}

// Runs the command into an emptied destination, with `reportFd` as its
// descriptor 3 and KESTRUNE_PROGRESS_FD set to `value`, where given.
CommandRun extractWithReport(const ExtractionFolder& folder, int reportFd = -1,
                             const QString& value = QString()) {
    QDir(folder.destination()).removeRecursively();
    return folder.extract(
        {value.isNull() ? QString() : QStringLiteral("KESTRUNE_PROGRESS_FD"), value, 3, reportFd});
}

// Workers finish entries in any order.
QStringList linesOf(const QString& output) {
    QStringList lines = output.split('\n');
    lines.sort();
    return lines;
}

// What is wrong with a report that should count up to total in whole lines
// "<written> <total>\n": the first says 0, written never goes back and
// ends at the total. Empty when nothing is.
QString problemWith(const QByteArray& report, qint64 total) {
    const QByteArray ending = ' ' + QByteArray::number(total);
    if (!report.startsWith("0" + ending + "\n") || !report.endsWith(ending + "\n"))
        return "the report does not start at 0 and end at the total: " + QString::fromUtf8(report);
    qint64 previous = 0;
    for (const QByteArray& line : report.chopped(1).split('\n')) {
        const qint64 written = line.first(qMax(0, line.indexOf(' '))).toLongLong();
        if (QByteArray::number(written) + ending != line || written < previous || written > total)
            return QStringLiteral("line \"%1\" after %2 of %3").arg(line).arg(previous).arg(total);
        previous = written;
    }
    return previous == total ? QString() : QStringLiteral("the report ends at %1").arg(previous);
}

const QByteArray password = "c0rrect h0rse";

} // namespace

class ExtractorDescriptorsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The report counts the file data up to its total: with several workers
    // at once and large files written by threads of their own, written still
    // only grows, and the lines come a few a second. A value that names no
    // descriptor of ours, or a reader that does not read, changes nothing:
    // the extraction goes on as without a report, and never waits.
    void reportsProgressWithoutChangingTheRun_data() {
        QTest::addColumn<QList<ZipEntry>>("entries");
        QTest::addColumn<QString>("value");
        QTest::addColumn<Report>("report");
        QTest::addColumn<qint64>("total");
        QTest::addRow("files of several sizes; folders and links count nothing")
            << QList<ZipEntry>{folderEntry("docs/"), fileEntry("docs/a", QByteArray(5000, 'a')),
                               fileEntry("empty", {}), linkEntry("docs/link", "a"),
                               fileEntry("b", QByteArray(70000, 'b'))}
            << "3" << Report::File << qint64(75000);
        QTest::addRow("entries replaced by a later one of the same name count once")
            << QList<ZipEntry>{fileEntry("x", QByteArray(100, 'x')), fileEntry("x", "second"),
                               fileEntry("x", "later")}
            << "3" << Report::File << qint64(5);
        QTest::addRow("an archive without files counts up to 0")
            << QList<ZipEntry>{folderEntry("only/")} << "3" << Report::File << qint64(0);
        QList<ZipEntry> large{fileEntry("small", "small")};
        for (const char name : {'a', 'b', 'c', 'd'})
            large << fileEntry(QByteArray(1, name), QByteArray(8 * mebibyte, name));
        QTest::addRow("several large files at once")
            << large << "3" << Report::File << 4 * 8 * mebibyte + 5;
        const QList<ZipEntry> two{fileEntry("a", QByteArray(300000, 'a')), fileEntry("b", "beta")};
        QTest::addRow("not a number") << two << "three" << Report::None << qint64(-1);
        QTest::addRow("standard output") << two << "1" << Report::None << qint64(-1);
        QTest::addRow("a descriptor that is not open")
            << two << "987" << Report::None << qint64(-1);
        QTest::addRow("a full pipe") << two << "3" << Report::FullPipe << qint64(-1);
        QTest::addRow("a pipe whose reader has gone")
            << two << "3" << Report::ReaderGone << qint64(-1);
    }
    void reportsProgressWithoutChangingTheRun() {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(QString, value);
        QFETCH(Report, report);
        QFETCH(qint64, total);
        ExtractionFolder folder;
        QVERIFY(folder.writeArchive(entries));
        QTemporaryFile file;
        int ends[2] = {-1, -1};
        if (report == Report::File) {
            QVERIFY(file.open());
            ends[1] = int(file.handle());
        } else if (report != Report::None) {
            QVERIFY(::pipe2(ends, O_CLOEXEC) == 0);
        }
        if (report == Report::ReaderGone) {
            ::close(ends[0]);
            ends[0] = -1;
        } else if (report == Report::FullPipe) {
            // Filled without waiting, then handed over blocking as it was.
            ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
            const QByteArray filler(4096, 'f');
            while (::write(ends[1], filler.data(), filler.size()) > 0) {
            }
            ::fcntl(ends[1], F_SETFL, 0);
        }

        const CommandRun plain = extractWithReport(folder);
        QElapsedTimer clock;
        clock.start();
        const CommandRun run = extractWithReport(folder, ends[1], value);
        const qint64 elapsed = clock.elapsed();
        for (const int end : ends) {
            if (end >= 0 && report != Report::File)
                ::close(end);
        }

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(linesOf(run.output), linesOf(plain.output));
        QCOMPARE(run.errors, plain.errors);
        if (report != Report::File)
            return;
        QVERIFY(file.seek(0));
        const QByteArray lines = file.readAll();
        const QString problem = problemWith(lines, total);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // About twenty a second; a line per block would be thousands.
        QVERIFY2(
            lines.count('\n') <= 10 + elapsed / 20,
            qPrintable(QStringLiteral("%1 lines in %2 ms").arg(lines.count('\n')).arg(elapsed)));
    }

    // The right password opens every entry; a wrong or missing one ends the
    // run before anything is written, not even the folder that comes first.
    // In an archive of two passwords the first encrypted entry decides
    // whether the password is wrong, and a later entry that needs another
    // one fails alone, by name. A password past the limit, or standard
    // input, is no password, and never a reason to wait.
    void opensEncryptedEntriesWithThePasswordOnly_data() {
        QTest::addColumn<Encryption>("encryption");
        QTest::addColumn<std::optional<QByteArray>>("given");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("expectedTree");
        QTest::addColumn<QString>("expectedError");
        const std::optional<QByteArray> right = password, none;
        const std::optional<QByteArray> wrong = QByteArray("c0rrect h0rsf");
        const QStringList opened{"folder/", "folder/secret.txt=hidden",
                                 "large.bin=" + QString(100000, 'x')};
        const QString wrongText = "wrong password";
        const QString required = "the archive is protected by a password";
        QTest::addRow("right for ZipCrypto")
            << Encryption::ZipCrypto << right << "4" << 0 << opened << QString();
        QTest::addRow("right for AES-256")
            << Encryption::Aes << right << "4" << 0 << opened << QString();
        QTest::addRow("wrong for ZipCrypto") << Encryption::ZipCrypto << wrong << "4"
                                             << wrongPasswordStatus << QStringList() << wrongText;
        QTest::addRow("wrong for AES-256")
            << Encryption::Aes << wrong << "4" << wrongPasswordStatus << QStringList() << wrongText;
        QTest::addRow("none for ZipCrypto") << Encryption::ZipCrypto << none << "4"
                                            << passwordRequiredStatus << QStringList() << required;
        QTest::addRow("empty for AES-256")
            << Encryption::Aes << std::optional<QByteArray>("") << "4" << passwordRequiredStatus
            << QStringList() << required;
        QTest::addRow("the first of two passwords")
            << Encryption::TwoPasswords << std::optional<QByteArray>("first") << "4" << 1
            << QStringList{"a.txt=alpha", "plain.txt=open"}
            << "b.txt: the password does not open this entry";
        QTest::addRow("only a later entry's password")
            << Encryption::TwoPasswords << std::optional<QByteArray>("second") << "4"
            << wrongPasswordStatus << QStringList() << wrongText;
        QTest::addRow("a password past the limit")
            << Encryption::TwoPasswords << std::optional(QByteArray(5000, 'p')) << "4"
            << passwordRequiredStatus << QStringList() << required;
        QTest::addRow("standard input") << Encryption::TwoPasswords << none << "0"
                                        << passwordRequiredStatus << QStringList() << required;
    }
    void opensEncryptedEntriesWithThePasswordOnly() {
        QFETCH(Encryption, encryption);
        QFETCH(std::optional<QByteArray>, given);
        QFETCH(QString, variable);
        QFETCH(int, exitCode);
        QFETCH(QStringList, expectedTree);
        QFETCH(QString, expectedError);
        ExtractionFolder folder;
        if (encryption == Encryption::TwoPasswords) {
            QVERIFY(folder.writeArchive({encryptedEntry("a.txt", "alpha", "first"),
                                         fileEntry("plain.txt", "open"),
                                         encryptedEntry("b.txt", "beta", "second")}));
        } else if (!writeWithLibarchive(folder.archive(),
                                        {{"folder", {}, 040755},
                                         {"folder/secret.txt", "hidden"},
                                         {"large.bin", QByteArray(100000, 'x')}},
                                        encryption == Encryption::Aes ? "zip:encryption=aes256"
                                                                      : "zip:encryption=zipcrypt",
                                        Sizes::Declared, password.constData())) {
            QSKIP("this libarchive cannot write this encryption");
        }

        const CommandRun run = extractWithPassword(folder, given, variable);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(tree(folder.destination()), expectedTree);
        QVERIFY2(run.errors.contains(expectedError), qPrintable(run.errors));
        if (given && !given->isEmpty())
            QVERIFY(!run.output.contains(given->left(64)) && !run.errors.contains(given->left(64)));
    }
};

QTEST_GUILESS_MAIN(ExtractorDescriptorsTest)
#include "tst_extractordescriptors.moc"
