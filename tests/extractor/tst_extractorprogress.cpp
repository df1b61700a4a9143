#include "zipfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <optional>

using namespace ZipFixture;

// The progress lines kestrune-extract writes on the descriptor that
// KESTRUNE_PROGRESS_FD names: they count the file data up to its total, never
// hold the extraction up, and leave standard output and error as they were.

namespace {

constexpr qint64 mebibyte = 1024 * 1024;

struct Run {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// Runs the command on archive.zip in root, into root/destination, emptied
// first. With a report descriptor, the command gets it as its descriptor 3;
// with a value, KESTRUNE_PROGRESS_FD is set to it.
Run runExtractor(const QString& root, int reportFd, const std::optional<QString>& value) {
    QDir(root + "/destination").removeRecursively();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.remove(QStringLiteral("KESTRUNE_PROGRESS_FD"));
    if (value)
        environment.insert(QStringLiteral("KESTRUNE_PROGRESS_FD"), *value);
    process.setProcessEnvironment(environment);
    if (reportFd >= 0) {
        process.setChildProcessModifier([reportFd] {
            // dup2() onto itself would leave close-on-exec set.
            if (reportFd == 3)
                ::fcntl(reportFd, F_SETFD, 0);
            else
                ::dup2(reportFd, 3);
        });
    }
    process.start(qEnvironmentVariable("KESTRUNE_EXTRACT"),
                  {"-x", "-k", root + "/archive.zip", root + "/destination"});
    const bool finished = process.waitForFinished(60000);
    if (!finished)
        process.kill();
    Run run;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    if (finished && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
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

bool writeArchive(const QString& root, const QList<ZipEntry>& entries) {
    QFile archive(root + "/archive.zip");
    return archive.open(QIODevice::WriteOnly) && archive.write(buildZip(entries)) > 0;
}

} // namespace

class ExtractorProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFileInfo(qEnvironmentVariable("KESTRUNE_EXTRACT")).isExecutable(),
                 "KESTRUNE_EXTRACT must name the built kestrune-extract");
    }

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
    }
    void reportCountsTheFileDataUpToItsTotal() {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(qint64, total);
        QTemporaryDir root;
        QVERIFY(writeArchive(root.path(), entries));
        QTemporaryFile report;
        QVERIFY(report.open());

        const Run plain = runExtractor(root.path(), -1, std::nullopt);
        const Run reported = runExtractor(root.path(), int(report.handle()), "3");

        QCOMPARE(reported.exitCode, 0);
        QCOMPARE(reported.output, plain.output);
        QCOMPARE(reported.errors, plain.errors);
        QVERIFY(report.seek(0));
        const QString problem = problemWith(report.readAll(), total);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Several workers at once, large files written by a thread of their own:
    // written still only grows, and the lines come a few a second.
    void reportOfALargeExtractionNeverGoesBackwards() {
        QTemporaryDir root;
        QList<Item> items;
        for (int index = 0; index < 6; ++index)
            items.append(
                Item{QStringLiteral("large%1").arg(index), QByteArray(24 * mebibyte, 'z')});
        items.append(Item{"small", "small"});
        QVERIFY(
            writeWithLibarchive(root.filePath("archive.zip"), items, "zip:compression=deflate"));
        QTemporaryFile report;
        QVERIFY(report.open());

        QElapsedTimer clock;
        clock.start();
        const Run run = runExtractor(root.path(), int(report.handle()), "3");
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(run.exitCode, 0);
        QVERIFY(report.seek(0));
        const QByteArray lines = report.readAll();
        const QString problem = problemWith(lines, 6 * 24 * mebibyte + 5);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // About twenty a second; a line per block would be thousands.
        QVERIFY2(
            lines.count('\n') <= 10 + elapsed / 20,
            qPrintable(QStringLiteral("%1 lines in %2 ms").arg(lines.count('\n')).arg(elapsed)));
    }

    void invalidDescriptorIsIgnored_data() {
        QTest::addColumn<QString>("value");
        QTest::addRow("empty") << "";
        QTest::addRow("not a number") << "three";
        QTest::addRow("standard output") << "1";
        QTest::addRow("standard error") << "2";
        QTest::addRow("a sign") << "+3";
        QTest::addRow("a negative number") << "-3";
        QTest::addRow("a blank after the number") << "3 ";
        QTest::addRow("digits and more") << "3x";
        QTest::addRow("past the range of a descriptor") << "4294967299";
        QTest::addRow("a descriptor that is not open") << "987";
    }
    void invalidDescriptorIsIgnored() {
        QFETCH(QString, value);
        QTemporaryDir root;
        QVERIFY(writeArchive(root.path(), {fileEntry("a", "alpha"), fileEntry("b", "beta")}));

        const Run plain = runExtractor(root.path(), -1, std::nullopt);
        const Run run = runExtractor(root.path(), -1, value);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, plain.output);
        QCOMPARE(run.errors, plain.errors);
        QVERIFY(QFile::exists(root.filePath("destination/b")));
    }

    // A blocking write would hang here until the test gives up.
    void readerThatDoesNotReadHoldsNothingUp_data() {
        QTest::addColumn<bool>("readerGone");
        QTest::addRow("a full pipe") << false;
        QTest::addRow("a pipe whose reader has gone") << true;
    }
    void readerThatDoesNotReadHoldsNothingUp() {
        QFETCH(bool, readerGone);
        QTemporaryDir root;
        QVERIFY(writeArchive(root.path(), {fileEntry("a", QByteArray(300000, 'a'))}));
        int ends[2];
        QVERIFY(::pipe2(ends, O_CLOEXEC) == 0);
        if (readerGone) {
            ::close(ends[0]);
        } else {
            // Filled without waiting, then handed over blocking as it was.
            ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
            const QByteArray filler(4096, 'f');
            while (::write(ends[1], filler.data(), filler.size()) > 0) {
            }
            ::fcntl(ends[1], F_SETFL, 0);
        }

        const Run plain = runExtractor(root.path(), -1, std::nullopt);
        const Run run = runExtractor(root.path(), ends[1], "3");
        ::close(ends[1]);
        if (!readerGone)
            ::close(ends[0]);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, plain.output);
        QCOMPARE(run.errors, plain.errors);
    }
};

QTEST_GUILESS_MAIN(ExtractorProgressTest)
#include "tst_extractorprogress.moc"
