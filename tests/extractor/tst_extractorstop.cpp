#include "extractorcommand.h"
#include "zipfixture.h"

#include <QProcess>
#include <QTest>

#include <signal.h>
#include <zlib.h>

using namespace ZipFixture;

// An extraction ended from outside: by a signal that asks it to stop, or by
// SIGKILL, which nothing can catch. Either way no entry is left half written
// under its name and no temporary stays behind; asked, it also says what it
// had done, and ends by the signal it was sent.

namespace {

// Large enough that its extraction is still under way when the signal comes.
constexpr qint64 hugeSize = 3 * 1024 * mebibyte;

// A deflated entry of `size` zeros, made without holding them: one mebibyte
// compressed after a full flush stands on its own, so copies of it in a row,
// then an empty final block, are a valid stream of many. Its CRC is never
// reached: the extraction is always stopped first.
ZipEntry zerosEntry(const QByteArray& name, qint64 size) {
    QByteArray zeros(mebibyte, '\0');
    QByteArray piece(mebibyte, '\0');
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
    stream.avail_in = uInt(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(piece.data());
    stream.avail_out = uInt(piece.size());
    deflate(&stream, Z_FULL_FLUSH);
    deflateEnd(&stream);
    piece.truncate(piece.size() - stream.avail_out);
    ZipEntry entry = fileEntry(name, piece.repeated(size / mebibyte) + QByteArray("\x03\x00", 2));
    entry.method = 8;
    entry.crc = 0;
    entry.declaredSize = quint32(size);
    return entry;
}

} // namespace

class ExtractorStopTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        // The small file comes first: its line is the sign that the huge one,
        // whose start flushes the output, is being written.
        m_archive = m_root.filePath("huge.zip");
        QVERIFY(writeFile(
            m_archive, buildZip({fileEntry("small.txt", "small"), zerosEntry("huge.bin", hugeSize),
                                 fileEntry("after.txt", "after")})));
    }

    void stopsMidEntryAndLeavesOnlyWholeFiles_data() {
        QTest::addColumn<int>("signal");
        QTest::addRow("SIGTERM") << SIGTERM;
        QTest::addRow("SIGKILL, which cannot be caught") << SIGKILL;
    }
    void stopsMidEntryAndLeavesOnlyWholeFiles() {
        QFETCH(int, signal);
        const QString destination = m_root.filePath(QTest::currentDataTag());
        QProcess process;
        process.start(extractorPath(), {"-x", "-k", m_archive, destination});
        QByteArray output;
        while (!output.contains("extracted: small.txt\n") && process.waitForReadyRead(10000))
            output += process.readAllStandardOutput();
        QVERIFY2(output.contains("extracted: small.txt\n"), output.constData());

        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(5000));
        output += process.readAllStandardOutput();

        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(process.exitCode(), signal);
        // Whole files only, after.txt perhaps, written by another worker: no
        // huge.bin of any size, no temporary under any name, none claimed.
        QStringList items = tree(destination);
        items.removeOne("after.txt=after");
        QCOMPARE(items, QStringList{"small.txt=small"});
        QVERIFY(!output.contains("huge.bin"));
    }

private:
    QTemporaryDir m_root;
    QString m_archive;
};

QTEST_GUILESS_MAIN(ExtractorStopTest)
#include "tst_extractorstop.moc"
