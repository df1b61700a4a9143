#include "service/utf8text.h"

#include <QStringDecoder>

std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    // Stateless: a character cut at the end of the bytes is an error here,
    // not something to complete from the next call.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
