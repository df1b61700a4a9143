#pragma once

#include <QString>

// Text comparison under Unicode canonical equivalence: a composed and a
// decomposed accented letter are the same text, and order is by code point.

// The NFC form, which is what every comparison below works on.
QString canonicalForm(const QString& text);

// Text below U+0300, which is its own NFC form since nothing there
// decomposes or combines; most names are such text. A quick check: false
// says nothing.
bool isPlainlyCanonical(QStringView text);

bool textEquals(const QString& left, const QString& right);

// Compares two texts by Unicode code point (not UTF-16 code unit, which would
// put characters above U+FFFF before U+E000–U+FFFF). Both must already be in
// canonical form. Returns <0, 0 or >0.
int compareCodePoints(QStringView left, QStringView right);
