// The extractor's own inflate, linked into this test as into the command,
// held to what zlib's callers rely on: the same bytes out, the stream's end
// reported, and not one byte of what follows the stream taken as its own,
// however the input and output are cut into pieces.

#include <QRandomGenerator>
#include <QTest>

#include <libdeflate.h>
#include <zlib.h>

namespace {

// Text, for matches reaching back across pieces.
QByteArray content(qsizetype size) {
    QRandomGenerator generator{quint32(size)};
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = "the quick brown fox "[generator.bounded(20)];
    return bytes;
}

// Raw deflate, as inside a zip.
QByteArray deflated(const QByteArray& data, int level) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    QByteArray out(qsizetype(libdeflate_deflate_compress_bound(compressor, data.size())),
                   Qt::Uninitialized);
    out.resize(qsizetype(libdeflate_deflate_compress(compressor, data.constData(),
                                                     std::size_t(data.size()), out.data(),
                                                     std::size_t(out.size()))));
    libdeflate_free_compressor(compressor);
    return out;
}

struct Outcome {
    int result = Z_OK;
    QByteArray output;
    qsizetype consumed = 0;
};

// Feeds `input` in pieces of 1 to `inPiece` bytes and takes output in
// pieces of 1 to `outPiece` (sizes drawn at random, the same every run), as
// a reader whose buffers end anywhere would, each call with totals counted
// from zero as the zip reader does.
Outcome inflateInPieces(const QByteArray& input, qsizetype inPiece, qsizetype outPiece) {
    z_stream stream{};
    Outcome outcome;
    if (inflateInit2(&stream, -15) != Z_OK)
        return {Z_STREAM_ERROR, {}, 0};
    QRandomGenerator sizes{42};
    QByteArray buffer(outPiece, Qt::Uninitialized);
    // Bounded, so that an inflate stuck without progress fails the test.
    for (int calls = 0; outcome.result == Z_OK && calls < 10'000'000; ++calls) {
        const qsizetype piece =
            std::min(1 + sizes.bounded(inPiece), input.size() - outcome.consumed);
        stream.next_in =
            reinterpret_cast<Bytef*>(const_cast<char*>(input.constData())) + outcome.consumed;
        stream.avail_in = uInt(piece);
        stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
        stream.avail_out = uInt(1 + sizes.bounded(outPiece));
        stream.total_in = stream.total_out = 0;
        outcome.result = inflate(&stream, Z_NO_FLUSH);
        outcome.consumed += qsizetype(stream.total_in);
        outcome.output += buffer.left(qsizetype(stream.total_out));
        if (outcome.result == Z_BUF_ERROR && piece > 0)
            outcome.result = Z_OK; // no room for output this time
        else if (outcome.result == Z_BUF_ERROR)
            break; // the input ran out before the stream did
    }
    inflateEnd(&stream);
    return outcome;
}

} // namespace

class InflateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void inflatesExactlyTheStream_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<int>("level");
        QTest::addColumn<qsizetype>("inPiece");
        QTest::addColumn<qsizetype>("outPiece");
        QTest::addRow("whole, as the zip reader asks")
            << qsizetype(3000000) << 6 << qsizetype(1 << 30) << qsizetype(256 * 1024);
        QTest::addRow("output one byte at a time")
            << qsizetype(20000) << 12 << qsizetype(1 << 30) << qsizetype(1);
        QTest::addRow("input one byte at a time")
            << qsizetype(200000) << 12 << qsizetype(1) << qsizetype(7777);
        QTest::addRow("stored blocks, tiny pieces both ways")
            << qsizetype(100000) << 0 << qsizetype(3) << qsizetype(5);
    }
    void inflatesExactlyTheStream() {
        QFETCH(qsizetype, size);
        QFETCH(int, level);
        QFETCH(qsizetype, inPiece);
        QFETCH(qsizetype, outPiece);
        const QByteArray data = content(size);
        const QByteArray stream = deflated(data, level);
        // What follows the stream in a zip: a data descriptor, the next header.
        const QByteArray after = QByteArray("PK\x07\x08", 4) + QByteArray(12, '\x55');

        const Outcome outcome = inflateInPieces(stream + after, inPiece, outPiece);

        QCOMPARE(outcome.result, Z_STREAM_END);
        QCOMPARE(outcome.consumed, stream.size());
        QVERIFY(outcome.output == data);
    }

    void refusesBrokenStreams() {
        const QByteArray data = content(300000);
        QByteArray damaged = deflated(data, 6);
        damaged[0] = '\xff'; // a final block of the reserved type
        const QByteArray truncated = deflated(data, 6).chopped(100);

        QCOMPARE(inflateInPieces(damaged, 1 << 30, 65536).result, Z_DATA_ERROR);
        const Outcome cut = inflateInPieces(truncated, 1 << 30, 65536);
        QCOMPARE(cut.result, Z_BUF_ERROR);
        QCOMPARE(cut.consumed, truncated.size());
    }
};

QTEST_GUILESS_MAIN(InflateTest)
#include "tst_inflate.moc"
