#include "service/utf8streamdecoder.h"

namespace {

// How many bytes a sequence with this lead byte takes; 0 for a byte that
// cannot start one (a continuation byte or an invalid byte).
qsizetype sequenceLength(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    if (value < 0x80)
        return 1;
    if (value >= 0xC2 && value <= 0xDF)
        return 2;
    if (value >= 0xE0 && value <= 0xEF)
        return 3;
    if (value >= 0xF0 && value <= 0xF4)
        return 4;
    return 0;
}

// Where an unfinished sequence at the end of the bytes begins, or size() when
// the bytes end on a character boundary (or on bytes that no continuation
// could make valid, which are decoded as they are).
qsizetype unfinishedTail(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const char byte = bytes[size - back];
        if ((static_cast<unsigned char>(byte) & 0xC0) == 0x80)
            continue; // a continuation byte: its lead is further back
        return sequenceLength(byte) > back ? size - back : size;
    }
    return size;
}

} // namespace

QString Utf8StreamDecoder::decode(QByteArrayView chunk) {
    QByteArray bytes = std::exchange(m_unfinished, {});
    bytes.append(chunk);
    const qsizetype complete = unfinishedTail(bytes);
    m_unfinished = bytes.sliced(complete);
    bytes.truncate(complete);
    return QString::fromUtf8(bytes);
}

QString Utf8StreamDecoder::finish() {
    if (std::exchange(m_unfinished, {}).isEmpty())
        return {};
    return QString(QChar::ReplacementCharacter);
}
