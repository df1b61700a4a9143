// The headless driver kestrune-run as a user would run it, through the real
// view model, service and extractor: the paths no stand-in covers end to end
// (the combined archive's name at its longest, the password's way from the
// user to the extractor) and a cancel.

#include "zipfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ZipFixture;

namespace {

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

    QString destination() const { return m_root.filePath("out"); }
    QStringList left() const {
        return QDir(destination()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(QFileInfo(qEnvironmentVariable("KESTRUNE_RUN")).isExecutable()); }
    void init() {
        QVERIFY(QDir(destination()).removeRecursively() && QDir().mkpath(destination()));
    }

    // Parts of a base name of 246 characters, the longest the combined
    // archive's name can follow; the password is the file's first line.
    void extractsWithThePasswordFromItsFile() {
        const QString whole = m_root.filePath("whole.zip");
        if (!writeWithLibarchive(whole, {{"note.txt", "hello\n"}, {"b.txt", "b"}},
                                 "zip:encryption=zipcrypt", Sizes::Declared, "s3cret"))
            QSKIP("this libarchive cannot write ZipCrypto");
        const QStringList parts = writeParts(readFile(whole), m_root.path(), QString(246, u's'), 3);
        QCOMPARE(parts.size(), 3);
        const QString passwordFile = m_root.filePath("password");
        QVERIFY(writeFile(passwordFile, "s3cret\nsecond line\n"));

        const auto [status, line] =
            runDriver(QStringList{"--password-file", passwordFile, destination()} + parts);

        QCOMPARE(line, QStringLiteral("state: succeeded"));
        QCOMPARE(status, 0);
        QCOMPARE(left(), (QStringList{"b.txt", "note.txt"}));
        QCOMPARE(readFile(QDir(destination()).filePath("note.txt")), QByteArray("hello\n"));
    }

    // An extractor that would take far longer than the test may, and knows no
    // check of parts: SIGTERM ends it at once (SIGKILL would follow after
    // 3 s), and the merge goes.
    void aCancelWhileExtractingStopsTheExtractor() {
        const QStringList parts = writeParts(randomBytes(100000, 3), m_root.path(), "c", 3);
        QCOMPARE(parts.size(), 3);
        const QString slowExtractor = m_root.filePath("slow-extractor");
        QVERIFY(writeFile(slowExtractor,
                          "#!/bin/sh\n[ \"$1\" = --inspect ] && exit 2\nexec sleep 60\n"));
        QVERIFY(QFile::setPermissions(slowExtractor, QFile::ReadOwner | QFile::ExeOwner));

        QElapsedTimer clock;
        clock.start();
        const auto [status, line] = runDriver(
            QStringList{"--extractor", slowExtractor, "--cancel-after-ms", "500", destination()} +
            parts);

        QVERIFY2(line.startsWith("state: failed: Extraction cancelled."), qPrintable(line));
        QCOMPARE(status, 1);
        QCOMPARE(left(), QStringList());
        QVERIFY2(clock.elapsed() < 10'000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(DriverTest)
#include "tst_driver.moc"
