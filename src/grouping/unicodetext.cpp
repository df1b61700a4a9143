#include "grouping/unicodetext.h"

#include <algorithm>

QString canonicalForm(const QString& text) {
    // Nothing below U+0300 decomposes or combines, so such text, which most
    // names are, is its own NFC form; QString::normalized() costs more than
    // its own quick check, which groups of many files feel.
    const bool isBelowCombiningMarks =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x300; });
    return isBelowCombiningMarks ? text : text.normalized(QString::NormalizationForm_C);
}

bool textEquals(const QString& left, const QString& right) {
    return left == right || canonicalForm(left) == canonicalForm(right);
}

namespace {

// Lifts a UTF-16 unit so that plain unit order becomes code point order:
// surrogates (U+D800–U+DFFF, only ever part of a code point above U+FFFF)
// must sort after U+E000–U+FFFF.
char32_t codePointOrderKey(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF ? unit + 0x2000
                                            : (unit >= 0xE000 ? unit - 0x800 : unit);
}

} // namespace

int compareCodePoints(QStringView left, QStringView right) {
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t a = left[i].unicode();
        const char16_t b = right[i].unicode();
        if (a != b)
            return codePointOrderKey(a) < codePointOrderKey(b) ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}
