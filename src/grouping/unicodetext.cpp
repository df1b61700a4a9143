#include "grouping/unicodetext.h"

QString canonicalForm(const QString& text) {
    // QString::normalized() costs more than this check, which groups of many
    // files feel.
    return isPlainlyCanonical(text) ? text : text.normalized(QString::NormalizationForm_C);
}

bool isPlainlyCanonical(QStringView text) {
    // Or-ing every unit, without a branch per unit, may overshoot (0x100 |
    // 0x200) but never misses a unit at or above U+0300.
    char16_t bits = 0;
    for (QChar c : text)
        bits |= c.unicode();
    return bits < 0x300;
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
