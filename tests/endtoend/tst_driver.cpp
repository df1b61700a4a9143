// The headless driver kestrune-run as a user would run it, through the real
// view model, service and extractor: the paths no stand-in covers end to end
// (the combined archive's name at its longest, the password's way from the
// user to the extractor and the status that comes back) and a cancel.

#include "zipfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ZipFixture;

namespace {

enum class Setup {
    PlainParts,
    LongestBaseName,
    RightPassword,
    WrongPassword,
    CancelledWhileExtracting,
};

// Runs kestrune-run and returns its exit status and its last line.
std::pair<int, QString> runDriver(const QStringList& arguments) {
    QProcess driver;
    driver.start(qEnvironmentVariable("KESTRUNE_RUN"), arguments);
    if (!driver.waitForFinished(60000))
        return {-1, QStringLiteral("did not end")};
    const QList<QByteArray> lines = driver.readAllStandardOutput().trimmed().split('\n');
    return {driver.exitStatus() == QProcess::NormalExit ? driver.exitCode() : -1,
            QString::fromUtf8(lines.last())};
}

} // namespace

class DriverTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;

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
        QTest::addRow("a base name of 246 characters extracts")
            << Setup::LongestBaseName << 0 << "state: succeeded";
        QTest::addRow("an encrypted archive extracts with the password from --password-file")
            << Setup::RightPassword << 0 << "state: succeeded";
        QTest::addRow("an encrypted archive with a wrong password writes nothing")
            << Setup::WrongPassword << 1 << "state: failed: Wrong password.";
        QTest::addRow("a run cancelled while extracting stops the extractor and removes the merge")
            << Setup::CancelledWhileExtracting << 1 << "state: failed: Extraction cancelled.";
    }

    void runEndsAsItMust() {
        QFETCH(Setup, setup);
        QFETCH(int, exitStatus);
        QFETCH(QString, lastLine);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        const QString destination = QDir(folder).filePath("out");
        QVERIFY(QDir().mkpath(destination));
        const bool isEncrypted = setup == Setup::RightPassword || setup == Setup::WrongPassword;
        const QString whole = QDir(folder).filePath("whole.zip");
        if (!writeWithLibarchive(whole, {{"note.txt", "hello\n"}, {"b.txt", "b"}},
                                 isEncrypted ? "zip:encryption=zipcrypt"
                                             : "zip:compression=deflate",
                                 Sizes::Declared, isEncrypted ? "s3cret" : nullptr))
            QSKIP("this libarchive cannot write this archive");
        const QString baseName = setup == Setup::LongestBaseName ? QString(246, u's') : "s";
        const QStringList parts = writeParts(readFile(whole), folder, baseName, 3);
        QVERIFY(QFile::remove(whole));
        QCOMPARE(parts.size(), 3);

        QStringList options;
        if (setup == Setup::CancelledWhileExtracting) {
            // An extractor that would take far longer than the test may,
            // and knows no check of parts.
            const QString slowExtractor = QDir(folder).filePath("slow-extractor");
            QVERIFY(writeFile(slowExtractor,
                              "#!/bin/sh\n[ \"$1\" = --inspect ] && exit 2\nexec sleep 60\n"));
            QVERIFY(QFile::setPermissions(slowExtractor, QFile::ReadOwner | QFile::ExeOwner));
            options = QStringList{"--extractor", slowExtractor, "--cancel-after-ms", "500"};
        }
        if (isEncrypted) {
            const QString passwordFile = QDir(folder).filePath("password");
            QVERIFY(writeFile(passwordFile, setup == Setup::RightPassword ? "s3cret\nsecond line\n"
                                                                          : "s3cres\n"));
            options = QStringList{"--password-file", passwordFile};
        }

        QElapsedTimer clock;
        clock.start();
        const auto [status, line] = runDriver(options + QStringList{destination} + parts);

        QVERIFY2(line.startsWith(lastLine), qPrintable(line));
        QCOMPARE(status, exitStatus);
        const QStringList left =
            QDir(destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        if (exitStatus == 0) {
            QCOMPARE(left, (QStringList{"b.txt", "note.txt"}));
            QCOMPARE(readFile(QDir(destination).filePath("note.txt")), QByteArray("hello\n"));
        }
        if (setup == Setup::WrongPassword) // the combined archive, kept after a failure as ever
            QCOMPARE(left, QStringList{"_combined_s.zip"});
        if (setup == Setup::CancelledWhileExtracting) {
            QCOMPARE(left, QStringList());
            // SIGTERM ends the stand-in at once; SIGKILL would follow after 3 s.
            QVERIFY2(clock.elapsed() < 10'000, qPrintable(QString::number(clock.elapsed())));
        }
    }
};

QTEST_GUILESS_MAIN(DriverTest)
#include "tst_driver.moc"
