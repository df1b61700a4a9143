#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace ZipFixture;

// The progress lines kestrune-extract writes on the descriptor that
// KESTRUNE_PROGRESS_FD names: they count the file data up to its total, never
// hold the extraction up, and leave standard output and error as they were.

namespace {

constexpr qint64 mebibyte = 1024 * 1024;

enum class Pipe { None, Full, ReaderGone };

// Runs the command into an emptied destination; with a report descriptor,
// the command gets it as its descriptor 3, with a value,
// KESTRUNE_PROGRESS_FD is set to it.
CommandRun extract(const ExtractionFolder& folder, int reportFd = -1,
                   const QString& value = QString()) {
    QDir(folder.destination()).removeRecursively();
    CommandSetup setup;
    if (!value.isNull())
        setup.environment = {{QStringLiteral("KESTRUNE_PROGRESS_FD"), value}};
    if (reportFd >= 0)
        setup.descriptors = {{3, reportFd}};
    return folder.extract(setup);
}

// Workers finish entries in any order.
QStringList linesOf(const QString& output) {
    QStringList lines = output.split('\n');
    lines.sort();
    return lines;
}

// What is wrong with a report of lines "<written> <total>\n" that should count
// up to total, or an empty text: the first line says 0 of the total, every
// line the same total, written never goes back, the last line is complete.
QString problemWith(const QByteArray& report, qint64 total) {
    if (!report.endsWith('\n'))
        return "the report does not end with a whole line: " + QString::fromUtf8(report);
    const QList<QByteArray> lines = report.chopped(1).split('\n');
    qint64 previous = -1;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> numbers = line.split(' ');
        bool writtenOk = false;
        bool totalOk = false;
        const qint64 written = numbers.value(0).toLongLong(&writtenOk);
        const qint64 lineTotal = numbers.value(1).toLongLong(&totalOk);
        if (numbers.size() != 2 || !writtenOk || !totalOk || written < 0)
            return "malformed line: " + QString::fromUtf8(line);
        if (lineTotal != total || written < previous || written > total)
            return QStringLiteral("line \"%1\" after %2 of %3").arg(line).arg(previous).arg(total);
        previous = written;
    }
    if (lines.first() != "0 " + QByteArray::number(total))
        return "the first line is " + QString::fromUtf8(lines.first());
    if (previous != total)
        return QStringLiteral("the report ends at %1 of %2").arg(previous).arg(total);
    return {};
}

} // namespace

class ExtractorProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // With several workers at once and large files written by threads of
    // their own, written still only grows, and the lines come a few a second.
    void reportCountsTheFileDataUpToItsTotal_data() {
        QTest::addColumn<QList<ZipEntry>>("entries");
        QTest::addColumn<qint64>("total");
        QTest::addRow("files of several sizes; folders and links count nothing")
            << QList<ZipEntry>{folderEntry("docs/"), fileEntry("docs/a", QByteArray(5000, 'a')),
                               fileEntry("empty", {}), linkEntry("docs/link", "a"),
                               fileEntry("b", QByteArray(70000, 'b'))}
            << qint64(75000);
        QTest::addRow("an entry replaced by a later one of the same name counts once")
            << QList<ZipEntry>{fileEntry("x", QByteArray(100, 'x')), fileEntry("x", "later")}
            << qint64(5);
        QTest::addRow("an archive without files counts up to 0")
            << QList<ZipEntry>{folderEntry("only/")} << qint64(0);
        QList<ZipEntry> large{fileEntry("small", "small")};
        for (const char name : {'a', 'b', 'c', 'd'})
            large << fileEntry(QByteArray(1, name), QByteArray(8 * mebibyte, name));
        QTest::addRow("several large files at once") << large << 4 * 8 * mebibyte + 5;
    }
    void reportCountsTheFileDataUpToItsTotal() {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(qint64, total);
        ExtractionFolder folder;
        QVERIFY(folder.writeArchive(entries));
        QTemporaryFile report;
        QVERIFY(report.open());

        const CommandRun plain = extract(folder);
        QElapsedTimer clock;
        clock.start();
        const CommandRun reported = extract(folder, int(report.handle()), "3");
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(reported.exitCode, 0);
        QCOMPARE(linesOf(reported.output), linesOf(plain.output));
        QCOMPARE(reported.errors, plain.errors);
        QVERIFY(report.seek(0));
        const QByteArray lines = report.readAll();
        const QString problem = problemWith(lines, total);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // About twenty a second; a line per block would be thousands.
        QVERIFY2(
            lines.count('\n') <= 10 + elapsed / 20,
            qPrintable(QStringLiteral("%1 lines in %2 ms").arg(lines.count('\n')).arg(elapsed)));
    }

    // A value that names no descriptor of ours, or a reader that does not
    // read: the extraction goes on as without a report, and never waits.
    void aReportThatCannotBeReadChangesNothing_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<Pipe>("pipe");
        QTest::addRow("not a number") << "three" << Pipe::None;
        QTest::addRow("standard output") << "1" << Pipe::None;
        QTest::addRow("a descriptor that is not open") << "987" << Pipe::None;
        QTest::addRow("a full pipe") << "3" << Pipe::Full;
        QTest::addRow("a pipe whose reader has gone") << "3" << Pipe::ReaderGone;
    }
    void aReportThatCannotBeReadChangesNothing() {
        QFETCH(QString, value);
        QFETCH(Pipe, pipe);
        ExtractionFolder folder;
        QVERIFY(
            folder.writeArchive({fileEntry("a", QByteArray(300000, 'a')), fileEntry("b", "beta")}));
        int ends[2] = {-1, -1};
        QVERIFY(pipe == Pipe::None || ::pipe2(ends, O_CLOEXEC) == 0);
        if (pipe == Pipe::ReaderGone) {
            ::close(ends[0]);
            ends[0] = -1;
        } else if (pipe == Pipe::Full) {
            // Filled without waiting, then handed over blocking as it was.
            ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
            const QByteArray filler(4096, 'f');
            while (::write(ends[1], filler.data(), filler.size()) > 0) {
            }
            ::fcntl(ends[1], F_SETFL, 0);
        }

        const CommandRun plain = extract(folder);
        const CommandRun run = extract(folder, ends[1], value);
        for (const int end : ends) {
            if (end >= 0)
                ::close(end);
        }

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, plain.output);
        QCOMPARE(run.errors, plain.errors);
        QVERIFY(QFile::exists(folder.destination() + "/b"));
    }
};

QTEST_GUILESS_MAIN(ExtractorProgressTest)
#include "tst_extractorprogress.moc"
