#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
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

constexpr int wrongPasswordStatus = 4;
constexpr int passwordRequiredStatus = 5;

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
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

// The password goes into a pipe whose write end is closed before the start,
// as the service does; the command gets the read end as 4.
CommandRun extract(const ExtractionFolder& folder, const std::optional<QByteArray>& password,
                   const QString& variable = QStringLiteral("4")) {
    CommandSetup setup{{{QStringLiteral("KESTRUNE_PASSPHRASE_FD"), variable}}, {}};
    int ends[2] = {-1, -1};
    if (password && ::pipe2(ends, O_CLOEXEC) == 0) {
        [[maybe_unused]] const ssize_t written =
            ::write(ends[1], password->constData(), std::size_t(password->size()));
        ::close(ends[1]);
        setup.descriptors = {{4, ends[0]}};
    }
    const CommandRun run = folder.extract(setup);
    if (ends[0] >= 0)
        ::close(ends[0]);
    return run;
}

const QByteArray password = "c0rrect h0rse";

} // namespace

class ExtractorPasswordTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The right password opens every entry; a wrong or missing one ends the
    // run with its own status before anything is written, not even the
    // folder that comes first.
    void anEncryptedArchive_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<std::optional<QByteArray>>("given");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("conclusion"); // empty: success
        const QByteArray zipCrypto = "zip:encryption=zipcrypt";
        const QByteArray aes = "zip:encryption=aes256";
        const std::optional<QByteArray> right = password;
        const std::optional<QByteArray> wrong = QByteArray("c0rrect h0rsf");
        const QString required = "the archive is protected by a password";
        QTest::addRow("right for ZipCrypto") << zipCrypto << right << 0 << QString();
        QTest::addRow("right for AES-256") << aes << right << 0 << QString();
        QTest::addRow("wrong for ZipCrypto")
            << zipCrypto << wrong << wrongPasswordStatus << "wrong password";
        QTest::addRow("wrong for AES-256")
            << aes << wrong << wrongPasswordStatus << "wrong password";
        QTest::addRow("none for ZipCrypto")
            << zipCrypto << std::optional<QByteArray>() << passwordRequiredStatus << required;
        QTest::addRow("empty for AES-256")
            << aes << std::optional<QByteArray>("") << passwordRequiredStatus << required;
    }
    void anEncryptedArchive() {
        QFETCH(QByteArray, options);
        QFETCH(std::optional<QByteArray>, given);
        QFETCH(int, exitCode);
        QFETCH(QString, conclusion);
        ExtractionFolder folder;
        const QByteArray large(100000, 'x');
        if (!writeWithLibarchive(
                folder.archive(),
                {{"folder", {}, 040755}, {"folder/secret.txt", "hidden"}, {"large.bin", large}},
                options.constData(), Sizes::Declared, password.constData()))
            QSKIP("this libarchive cannot write this encryption");

        const CommandRun run = extract(folder, given);

        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QCOMPARE(readFile(folder.destination() + "/folder/secret.txt"), QByteArray("hidden"));
            QCOMPARE(readFile(folder.destination() + "/large.bin"), large);
        } else {
            QCOMPARE(filesIn(folder.destination()), QStringList());
            QVERIFY2(run.errors.trimmed().endsWith(conclusion), qPrintable(run.errors));
        }
        if (given && !given->isEmpty())
            QVERIFY(!run.output.contains(*given) && !run.errors.contains(*given));
    }

    // An archive of two passwords: the first encrypted entry decides whether
    // the password is wrong, and an entry after it that needs another one
    // fails alone, by name. A password past the limit, or standard input, is
    // no password, and never a reason to wait.
    void anArchiveOfTwoPasswords_data() {
        QTest::addColumn<std::optional<QByteArray>>("given");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("written");
        const std::optional<QByteArray> none;
        QTest::addRow("the first entry's password")
            << std::optional<QByteArray>("first") << "4" << 1 << QStringList{"a.txt", "plain.txt"};
        QTest::addRow("only a later entry's password")
            << std::optional<QByteArray>("second") << "4" << wrongPasswordStatus << QStringList();
        QTest::addRow("a password past the limit") << std::optional(QByteArray(5000, 'p')) << "4"
                                                   << passwordRequiredStatus << QStringList();
        QTest::addRow("standard input") << none << "0" << passwordRequiredStatus << QStringList();
    }
    void anArchiveOfTwoPasswords() {
        QFETCH(std::optional<QByteArray>, given);
        QFETCH(QString, variable);
        QFETCH(int, exitCode);
        QFETCH(QStringList, written);
        ExtractionFolder folder;
        QVERIFY(folder.writeArchive({encryptedEntry("a.txt", "alpha", "first"),
                                     fileEntry("plain.txt", "open"),
                                     encryptedEntry("b.txt", "beta", "second")}));

        const CommandRun run = extract(folder, given, variable);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(filesIn(folder.destination()), written);
        if (exitCode == 1) {
            QCOMPARE(readFile(folder.destination() + "/a.txt"), QByteArray("alpha"));
            QVERIFY2(run.errors.contains("b.txt: the password does not open this entry"),
                     qPrintable(run.errors));
        }
        if (given)
            QVERIFY(!run.errors.contains(QString::fromLatin1(given->left(64))));
    }
};

QTEST_GUILESS_MAIN(ExtractorPasswordTest)
#include "tst_extractorpassword.moc"
