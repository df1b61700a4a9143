#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bytes as text when they are complete, valid UTF-8 (no overlong forms,
// no encoded surrogates, no sequence cut off at either end); nothing
// otherwise. A leading byte order mark is kept as U+FEFF.
std::optional<QString> decodeUtf8(const QByteArray& bytes);
