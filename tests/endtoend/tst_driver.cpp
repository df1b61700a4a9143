// The headless driver kestrune-run as a user would run it, on sets of parts
// that once made a run lose data, hang or end in a false success. Each case
// states what the run must end with and what must be left on disk.

#include "zipfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

enum class Setup {
    PlainParts,
    LinkUnderTheCombinedName,
    PartLinkedToAnEndlessDevice,
    LongestBaseName,
    TwoFilesForOnePart,
    // What Info-ZIP writes for its standard input (zip64 end records with
    // real values), behind a megabyte of bytes that are not the archive's.
    StreamedZip64BehindLeadingBytes,
    CancelledAtOnce,
    CancelledWhileExtracting,
    EncryptedWithTheRightPassword,
    EncryptedWithAWrongPassword,
    EncryptedWithoutAPassword,
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class DriverTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;

    // Runs kestrune-run and returns its exit status and its last line.
    static std::pair<int, QString> run(const QStringList& options, const QString& destination,
                                       const QStringList& parts) {
        QProcess driver;
        driver.start(qEnvironmentVariable("KESTRUNE_RUN"),
                     options + QStringList{destination} + parts);
        if (!driver.waitForFinished(60000))
            return {-1, QStringLiteral("did not end")};
        const QList<QByteArray> lines = driver.readAllStandardOutput().trimmed().split('\n');
        return {driver.exitStatus() == QProcess::NormalExit ? driver.exitCode() : -1,
                QString::fromUtf8(lines.last())};
    }

    // A small archive holding a note that says "hello".
    QByteArray smallArchive() {
        const QString whole = m_root.filePath(QStringLiteral("whole.zip"));
        if (!ZipFixture::writeWithLibarchive(whole, {{"note.txt", "hello\n"}, {"b.txt", "b"}},
                                             "zip:compression=deflate"))
            return {};
        return readAll(whole);
    }

    // The note encrypted with the password "s3cret".
    QByteArray encryptedArchive() {
        const QString whole = m_root.filePath(QStringLiteral("encrypted.zip"));
        if (!ZipFixture::writeWithLibarchive(whole, {{"note.txt", "hello\n"}},
                                             "zip:encryption=zipcrypt", ZipFixture::Sizes::Declared,
                                             "s3cret"))
            return {};
        return readAll(whole);
    }

    // The same note read by Info-ZIP from its standard input, which it
    // calls "-"; empty where zip is not installed.
    static QByteArray streamedArchive() {
        const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));
        if (zip.isEmpty())
            return {};
        QProcess process;
        process.start(zip, {"-q", "-", "-"});
        process.write("hello\n");
        process.closeWriteChannel();
        if (!process.waitForFinished() || process.exitCode() != 0)
            return {};
        return process.readAllStandardOutput();
    }

    // Cuts an archive into parts named like browser downloads.
    static QStringList writeParts(const QByteArray& bytes, const QString& folder,
                                  const QString& baseName, int count) {
        QStringList parts;
        const qsizetype partSize = (bytes.size() + count - 1) / count;
        for (int i = 0; i < count; ++i) {
            const QString name =
                i == 0 ? baseName + ".zip" : QStringLiteral("%1(%2).zip").arg(baseName).arg(i);
            parts << QDir(folder).filePath(name);
            if (!writeAll(parts.last(), bytes.mid(i * partSize, partSize)))
                return {};
        }
        return parts;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        QVERIFY(QFileInfo(qEnvironmentVariable("KESTRUNE_RUN")).isExecutable());
    }

    void runEndsAsItMust_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("lastLine");
        QTest::addRow("plain parts extract") << Setup::PlainParts << 0 << "state: succeeded";
        QTest::addRow("a link under the combined archive's name is not written through")
            << Setup::LinkUnderTheCombinedName << 1
            << "state: failed: Cannot write to destination: _combined_s.zip";
        QTest::addRow("a part that links to /dev/zero is refused, not read without end")
            << Setup::PartLinkedToAnEndlessDevice << 1
            << "state: failed: Cannot read file: s(1).zip";
        QTest::addRow("a base name of 246 characters extracts")
            << Setup::LongestBaseName << 0 << "state: succeeded";
        QTest::addRow("a streamed zip64 archive behind leading bytes extracts")
            << Setup::StreamedZip64BehindLeadingBytes << 0 << "state: succeeded";
        QTest::addRow("two files for one part number are not merged")
            << Setup::TwoFilesForOnePart << 1
            << "state: not started: files claim one part number: ";
        QTest::addRow("a run cancelled at once ends before it merged")
            << Setup::CancelledAtOnce << 1 << "state: failed: Extraction cancelled.";
        QTest::addRow("a run cancelled while extracting stops the extractor and removes the merge")
            << Setup::CancelledWhileExtracting << 1 << "state: failed: Extraction cancelled.";
        QTest::addRow("an encrypted archive extracts with the password from --password-file")
            << Setup::EncryptedWithTheRightPassword << 0 << "state: succeeded";
        QTest::addRow("an encrypted archive with a wrong password writes nothing")
            << Setup::EncryptedWithAWrongPassword << 1 << "state: failed: Wrong password.";
        QTest::addRow("an encrypted archive without a password writes nothing")
            << Setup::EncryptedWithoutAPassword << 1
            << "state: failed: This archive is protected by a password.";
    }

    void runEndsAsItMust() {
        QFETCH(Setup, setup);
        QFETCH(int, exitStatus);
        QFETCH(QString, lastLine);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        const QString destination = QDir(folder).filePath("out");
        QVERIFY(QDir().mkpath(destination));
        const QString baseName = setup == Setup::LongestBaseName ? QString(246, u's') : "s";
        QByteArray archive = smallArchive();
        QString extractedNote = "note.txt";
        if (setup == Setup::StreamedZip64BehindLeadingBytes) {
            archive = streamedArchive();
            if (archive.isEmpty())
                QSKIP("Info-ZIP's zip is not installed");
            archive.prepend(QByteArray(1000000, 'Z'));
            extractedNote = "-";
        }
        const bool isEncrypted = setup == Setup::EncryptedWithTheRightPassword ||
                                 setup == Setup::EncryptedWithAWrongPassword ||
                                 setup == Setup::EncryptedWithoutAPassword;
        if (isEncrypted) {
            archive = encryptedArchive();
            if (archive.isEmpty())
                QSKIP("this libarchive cannot write encrypted zips");
        }
        QStringList parts = writeParts(archive, folder, baseName, 3);
        QCOMPARE(parts.size(), 3);
        const QString outside = QDir(folder).filePath("outside");
        QVERIFY(writeAll(outside, "the user's own file"));
        if (setup == Setup::LinkUnderTheCombinedName)
            QVERIFY(QFile::link(outside, QDir(destination).filePath("_combined_s.zip")));
        if (setup == Setup::TwoFilesForOnePart) {
            QVERIFY(QDir(folder).mkdir("b"));
            QVERIFY(QFile::copy(parts[1], QDir(folder).filePath("b/s(1).zip")));
            parts << QDir(folder).filePath("b/s(1).zip");
        }
        if (setup == Setup::PartLinkedToAnEndlessDevice) {
            QVERIFY(QFile::remove(parts[1]));
            QVERIFY(QFile::link("/dev/zero", parts[1]));
        }

        QStringList options;
        if (setup == Setup::CancelledAtOnce)
            options = QStringList{"--cancel-after-ms", "0"};
        if (setup == Setup::CancelledWhileExtracting) {
            // An extractor that would take far longer than the test may,
            // and knows no check of parts.
            const QString slowExtractor = QDir(folder).filePath("slow-extractor");
            QVERIFY(writeAll(slowExtractor,
                             "#!/bin/sh\n[ \"$1\" = --inspect ] && exit 2\nexec sleep 60\n"));
            QVERIFY(QFile::setPermissions(slowExtractor, QFile::ReadOwner | QFile::ExeOwner));
            options = QStringList{"--extractor", slowExtractor, "--cancel-after-ms", "500"};
        }
        if (setup == Setup::EncryptedWithTheRightPassword ||
            setup == Setup::EncryptedWithAWrongPassword) {
            const QString passwordFile = QDir(folder).filePath("password");
            QVERIFY(writeAll(passwordFile, setup == Setup::EncryptedWithTheRightPassword
                                               ? "s3cret\nsecond line\n"
                                               : "s3cres\n"));
            options = QStringList{"--password-file", passwordFile};
        }

        QElapsedTimer clock;
        clock.start();
        const auto [status, line] = run(options, destination, parts);

        QVERIFY2(line.startsWith(lastLine), qPrintable(line));
        QCOMPARE(status, exitStatus);
        // SIGTERM ends the stand-in at once; SIGKILL would follow after 3 s.
        if (setup == Setup::CancelledWhileExtracting)
            QVERIFY2(clock.elapsed() < 10'000, qPrintable(QString::number(clock.elapsed())));
        if (setup == Setup::CancelledAtOnce || setup == Setup::CancelledWhileExtracting)
            QCOMPARE(QDir(destination).entryList({"_combined_*"}, QDir::AllEntries | QDir::Hidden),
                     QStringList());
        // Only the combined archive, kept after a failure as ever.
        if (isEncrypted && exitStatus != 0)
            QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{"_combined_s.zip"});
        if (setup == Setup::TwoFilesForOnePart)
            QCOMPARE(QDir(destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList());
        QCOMPARE(readAll(outside), QByteArray("the user's own file"));
        if (exitStatus == 0)
            QCOMPARE(readAll(QDir(destination).filePath(extractedNote)), QByteArray("hello\n"));
    }
};

QTEST_GUILESS_MAIN(DriverTest)
#include "tst_driver.moc"
