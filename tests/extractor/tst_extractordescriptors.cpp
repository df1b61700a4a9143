#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
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

// Where the report goes: a file, or a pipe nobody reads.
enum class Report { File, FullPipe, ReaderGone };

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
// descriptor 3 named by KESTRUNE_PROGRESS_FD, where given.
CommandRun extractWithReport(const ExtractionFolder& folder, int reportFd = -1) {
    QDir(folder.destination()).removeRecursively();
    return folder.extract(
        {reportFd < 0 ? QString() : QStringLiteral("KESTRUNE_PROGRESS_FD"), "3", 3, reportFd});
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
    // only grows. A reader that does not read changes nothing:
    // the extraction goes on as without a report, and never waits.
    void reportsProgressWithoutChangingTheRun_data() {
        QTest::addColumn<QList<ZipEntry>>("entries");
        QTest::addColumn<Report>("report");
        QTest::addColumn<qint64>("total");
        QList<ZipEntry> sizes{folderEntry("docs/"), fileEntry("docs/a", QByteArray(5000, 'a')),
                              fileEntry("empty", {}), linkEntry("docs/link", "a")};
        for (const char name : {'w', 'x', 'y', 'z'})
            sizes << fileEntry(QByteArray(1, name), QByteArray(8 * mebibyte, name));
        QTest::addRow("large files at once; folders and links count nothing")
            << sizes << Report::File << 4 * 8 * mebibyte + 5000;
        const QList<ZipEntry> two{fileEntry("a", QByteArray(300000, 'a')), fileEntry("b", "beta")};
        QTest::addRow("a full pipe") << two << Report::FullPipe << qint64(-1);
        QTest::addRow("a pipe whose reader has gone") << two << Report::ReaderGone << qint64(-1);
    }
    void reportsProgressWithoutChangingTheRun() {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(Report, report);
        QFETCH(qint64, total);
        ExtractionFolder folder;
        QVERIFY(folder.writeArchive(entries));
        QTemporaryFile file;
        int ends[2] = {-1, -1};
        if (report == Report::File) {
            QVERIFY(file.open());
            ends[1] = int(file.handle());
        } else {
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
        const CommandRun run = extractWithReport(folder, ends[1]);
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
        const QString problem = problemWith(file.readAll(), total);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The right password opens every entry; a wrong or missing one ends the
    // run before anything is written, not even the folder that comes first.
    // A password past the limit, or standard input, is no password, and never
    // a reason to wait.
    void opensEncryptedEntriesWithThePasswordOnly_data() {
        QTest::addColumn<bool>("aes");
        QTest::addColumn<std::optional<QByteArray>>("given");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("exitCode");
        const std::optional<QByteArray> right = password, none;
        const std::optional<QByteArray> wrong = QByteArray("c0rrect h0rsf");
        QTest::addRow("right for ZipCrypto") << false << right << "4" << 0;
        QTest::addRow("right for AES-256") << true << right << "4" << 0;
        QTest::addRow("wrong for ZipCrypto") << false << wrong << "4" << wrongPasswordStatus;
        QTest::addRow("wrong for AES-256") << true << wrong << "4" << wrongPasswordStatus;
        QTest::addRow("none") << false << none << "4" << passwordRequiredStatus;
        QTest::addRow("a password past the limit")
            << false << std::optional(QByteArray(5000, 'p')) << "4" << passwordRequiredStatus;
        QTest::addRow("standard input") << false << none << "0" << passwordRequiredStatus;
    }
    void opensEncryptedEntriesWithThePasswordOnly() {
        QFETCH(bool, aes);
        QFETCH(std::optional<QByteArray>, given);
        QFETCH(QString, variable);
        QFETCH(int, exitCode);
        ExtractionFolder folder;
        if (!writeWithLibarchive(folder.archive(),
                                 {{"folder", {}, 040755},
                                  {"folder/secret.txt", "hidden"},
                                  {"large.bin", QByteArray(100000, 'x')}},
                                 aes ? "zip:encryption=aes256" : "zip:encryption=zipcrypt",
                                 Sizes::Declared, password.constData()))
            QSKIP("this libarchive cannot write this encryption");

        const CommandRun run = extractWithPassword(folder, given, variable);

        QCOMPARE(run.exitCode, exitCode);
        const QStringList opened{"folder/", "folder/secret.txt=hidden",
                                 "large.bin=" + QString(100000, 'x')};
        QCOMPARE(tree(folder.destination()), exitCode ? QStringList() : opened);
        const QString reason = exitCode == wrongPasswordStatus ? "wrong password"
                               : exitCode ? "the archive is protected by a password"
                                          : QString();
        QVERIFY2(run.errors.contains(reason), qPrintable(run.errors));
        if (given && !given->isEmpty())
            QVERIFY(!run.output.contains(given->left(64)) && !run.errors.contains(given->left(64)));
    }
};

QTEST_GUILESS_MAIN(ExtractorDescriptorsTest)
#include "tst_extractordescriptors.moc"
