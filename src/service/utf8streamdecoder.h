#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Turns a byte stream that arrives in arbitrary chunks into UTF-8 text without
// losing any of it: a character cut at the end of one chunk is completed from
// the next, and bytes that are not UTF-8 become U+FFFD in place, leaving the
// text around them intact. One decoder per stream.
class Utf8StreamDecoder {
public:
    // The text of the chunk, less an unfinished character at its end, which
    // is kept for the next call.
    QString decode(QByteArrayView chunk);
    // At the end of the stream: an unfinished character as U+FFFD, or nothing.
    QString finish();

private:
    QByteArray m_unfinished;
};
