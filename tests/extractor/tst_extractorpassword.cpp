#include "zipfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <optional>

using namespace ZipFixture;

// Encrypted entries and the password handed over on the descriptor that
// KESTRUNE_PASSPHRASE_FD names: the right one opens them, a wrong or missing
// one ends the run with its own status before anything is written, and the
// password never shows in any output.

namespace {

constexpr int passwordDescriptor = 4;
constexpr int wrongPasswordStatus = 4;
constexpr int passwordRequiredStatus = 5;

struct Run {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// The password goes into a pipe whose write end is closed before the start,
// as the service does; the command gets the read end as descriptor 4.
Run runExtractor(const QString& root, const std::optional<QByteArray>& password,
                 const QString& variable = QString::number(passwordDescriptor)) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("KESTRUNE_PASSPHRASE_FD"), variable);
    process.setProcessEnvironment(environment);
    int ends[2] = {-1, -1};
    if (password && ::pipe2(ends, O_CLOEXEC) == 0) {
        [[maybe_unused]] const ssize_t written =
            ::write(ends[1], password->constData(), std::size_t(password->size()));
        ::close(ends[1]);
        const int readFd = ends[0];
        process.setChildProcessModifier([readFd] { ::dup2(readFd, passwordDescriptor); });
    }
    process.start(qEnvironmentVariable("KESTRUNE_EXTRACT"),
                  {"-x", "-k", root + "/archive.zip", root + "/destination"});
    const bool finished = process.waitForFinished(60000);
    if (!finished)
        process.kill();
    if (ends[0] >= 0)
        ::close(ends[0]);
    Run run;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    if (finished && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// ZipCrypto by hand, so that one archive can hold entries of different
// passwords, which no archiver here writes.
class ZipCryptoKeys {
public:
    explicit ZipCryptoKeys(const QByteArray& password) {
        for (const char byte : password)
            update(quint8(byte));
    }
    QByteArray encrypt(const QByteArray& plain) {
        QByteArray result;
        for (const char byte : plain) {
            const quint32 mask = (m_keys[2] | 2) & 0xffff;
            result.append(char(quint8(byte) ^ quint8((mask * (mask ^ 1)) >> 8)));
            update(quint8(byte));
        }
        return result;
    }

private:
    static quint32 crcStep(quint32 crc, quint8 byte) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
        return crc;
    }
    void update(quint8 byte) {
        m_keys[0] = crcStep(m_keys[0], byte);
        m_keys[1] = (m_keys[1] + (m_keys[0] & 0xff)) * 134775813u + 1;
        m_keys[2] = crcStep(m_keys[2], quint8(m_keys[1] >> 24));
    }
    quint32 m_keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

// A stored entry encrypted with ZipCrypto; the header's last byte is the
// check byte a reader compares first.
ZipEntry encryptedEntry(const QByteArray& name, const QByteArray& data,
                        const QByteArray& password) {
    ZipEntry entry = fileEntry(name, data);
    const quint32 crc = ZipFixture::crc32(data);
    QByteArray header(11, '\x5a');
    header.append(char(crc >> 24));
    entry.data = ZipCryptoKeys(password).encrypt(header + data);
    entry.crc = crc;
    entry.declaredSize = quint32(data.size());
    entry.flags = 1;
    return entry;
}

class Sandbox {
public:
    Sandbox() { QDir(m_root.path()).mkpath(QStringLiteral("destination")); }
    QString root() const { return m_root.path(); }
    QString destination() const { return m_root.filePath(QStringLiteral("destination")); }
    QString archive() const { return m_root.filePath(QStringLiteral("archive.zip")); }
    bool writeArchive(const QList<ZipEntry>& entries) const {
        QFile file(archive());
        const QByteArray bytes = buildZip(entries);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private:
    QTemporaryDir m_root;
};

const QByteArray password = "c0rrect h0rse";

} // namespace

class ExtractorPasswordTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theRightPasswordOpensEncryptedEntries_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addRow("ZipCrypto") << QByteArray("zip:encryption=zipcrypt");
        QTest::addRow("AES-256") << QByteArray("zip:encryption=aes256");
        QTest::addRow("AES-128") << QByteArray("zip:encryption=aes128");
    }
    void theRightPasswordOpensEncryptedEntries() {
        QFETCH(QByteArray, options);
        Sandbox sandbox;
        if (!writeWithLibarchive(sandbox.archive(),
                                 {{"first.txt", "one"}, {"second.txt", QByteArray(100000, 'x')}},
                                 options.constData(), Sizes::Declared, password.constData()))
            QSKIP("this libarchive cannot write this encryption");

        const Run run = runExtractor(sandbox.root(), password);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(contents(sandbox.destination() + "/first.txt"), QByteArray("one"));
        QCOMPARE(contents(sandbox.destination() + "/second.txt"), QByteArray(100000, 'x'));
        QVERIFY(!run.output.contains(password) && !run.errors.contains(password));
    }

    void aWrongOrMissingPasswordWritesNothing_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<std::optional<QByteArray>>("given");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("conclusion");
        const std::optional<QByteArray> wrong = QByteArray("c0rrect h0rsf");
        const std::optional<QByteArray> none;
        QTest::addRow("wrong for ZipCrypto") << QByteArray("zip:encryption=zipcrypt") << wrong
                                             << wrongPasswordStatus << QByteArray("wrong password");
        QTest::addRow("wrong for AES-256") << QByteArray("zip:encryption=aes256") << wrong
                                           << wrongPasswordStatus << QByteArray("wrong password");
        QTest::addRow("none for ZipCrypto")
            << QByteArray("zip:encryption=zipcrypt") << none << passwordRequiredStatus
            << QByteArray("the archive is protected by a password");
        QTest::addRow("empty for AES-256")
            << QByteArray("zip:encryption=aes256") << std::optional<QByteArray>("")
            << passwordRequiredStatus << QByteArray("the archive is protected by a password");
    }
    void aWrongOrMissingPasswordWritesNothing() {
        QFETCH(QByteArray, options);
        QFETCH(std::optional<QByteArray>, given);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, conclusion);
        Sandbox sandbox;
        // The folder and the plain file come first: neither may be written.
        if (!writeWithLibarchive(
                sandbox.archive(),
                {{"folder", {}, 040755}, {"plain.txt", "open"}, {"folder/secret.txt", "hidden"}},
                options.constData(), Sizes::Declared, password.constData()))
            QSKIP("this libarchive cannot write this encryption");

        const Run run = runExtractor(sandbox.root(), given);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(filesIn(sandbox.destination()), QStringList());
        QVERIFY2(run.errors.trimmed().endsWith(conclusion), run.errors.constData());
        if (given && !given->isEmpty())
            QVERIFY(!run.output.contains(*given) && !run.errors.contains(*given));
    }

    // The first encrypted entry decides whether the password is wrong; an
    // entry after it that needs another one fails alone, by name.
    void entriesOfAnotherPasswordFailAlone_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("written");
        QTest::addRow("the first entry's password")
            << QByteArray("first") << 1 << QStringList{"a.txt", "plain.txt"};
        QTest::addRow("only a later entry's password")
            << QByteArray("second") << wrongPasswordStatus << QStringList();
    }
    void entriesOfAnotherPasswordFailAlone() {
        QFETCH(QByteArray, given);
        QFETCH(int, exitCode);
        QFETCH(QStringList, written);
        Sandbox sandbox;
        QVERIFY(sandbox.writeArchive({encryptedEntry("a.txt", "alpha", "first"),
                                      fileEntry("plain.txt", "open"),
                                      encryptedEntry("b.txt", "beta", "second")}));

        const Run run = runExtractor(sandbox.root(), given);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(filesIn(sandbox.destination()), written);
        if (exitCode == 1) {
            QCOMPARE(contents(sandbox.destination() + "/a.txt"), QByteArray("alpha"));
            QVERIFY2(run.errors.contains("b.txt: the password does not open this entry"),
                     run.errors.constData());
        }
    }

    // A value that names no usable descriptor is no password, and never a
    // reason to wait: the run goes on as without one.
    void anInvalidDescriptorIsIgnored_data() {
        QTest::addColumn<QString>("value");
        QTest::addRow("not a number") << QStringLiteral("four");
        QTest::addRow("standard input") << QStringLiteral("0");
        QTest::addRow("a number with a sign") << QStringLiteral("+4");
        QTest::addRow("a descriptor that is not open") << QStringLiteral("999");
        QTest::addRow("empty") << QString();
    }
    void anInvalidDescriptorIsIgnored() {
        QFETCH(QString, value);
        Sandbox sandbox;
        QVERIFY(sandbox.writeArchive(
            {fileEntry("plain.txt", "open"), encryptedEntry("secret.txt", "hidden", password)}));

        const Run run = runExtractor(sandbox.root(), std::nullopt, value);

        QCOMPARE(run.exitCode, passwordRequiredStatus);
        QCOMPARE(filesIn(sandbox.destination()), QStringList());
    }

    void aPasswordPastTheLimitIsIgnored() {
        Sandbox sandbox;
        const QByteArray tooLong(5000, 'p');
        QVERIFY(sandbox.writeArchive({encryptedEntry("secret.txt", "hidden", tooLong)}));

        const Run run = runExtractor(sandbox.root(), tooLong);

        QCOMPARE(run.exitCode, passwordRequiredStatus);
        QVERIFY(!run.errors.contains(tooLong.left(64)));
    }
};

QTEST_GUILESS_MAIN(ExtractorPasswordTest)
#include "tst_extractorpassword.moc"
