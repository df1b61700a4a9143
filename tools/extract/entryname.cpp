#include "entryname.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Code page 437, bytes 0x80 to 0xFF.
constexpr std::array<char16_t, 128> codePage437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, //
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, //
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, //
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, //
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, //
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, //
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, //
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, //
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, //
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, //
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, //
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, //
};

constexpr std::size_t printableLimit = 1024;

void appendUtf8(std::string& text, char32_t codePoint) {
    if (codePoint < 0x80) {
        text += char(codePoint);
    } else if (codePoint < 0x800) {
        text += char(0xC0 | (codePoint >> 6));
        text += char(0x80 | (codePoint & 0x3F));
    } else {
        text += char(0xE0 | (codePoint >> 12));
        text += char(0x80 | ((codePoint >> 6) & 0x3F));
        text += char(0x80 | (codePoint & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at the start of bytes, 0 when it is not
// one. Overlong forms, surrogates and values past U+10FFFF are not valid.
std::size_t sequenceLength(std::string_view bytes) {
    const auto lead = std::uint8_t(bytes[0]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    char32_t codePoint = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = std::uint8_t(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool isControl(std::string_view sequence) {
    const auto lead = std::uint8_t(sequence[0]);
    if (lead < 0x20 || lead == 0x7F)
        return true;
    // C1 controls, U+0080 to U+009F, encode as C2 80 to C2 9F.
    return lead == 0xC2 && std::uint8_t(sequence[1]) < 0xA0;
}

void appendEscape(std::string& text, std::uint8_t byte) {
    constexpr char digits[] = "0123456789abcdef";
    text += "\\x";
    text += digits[byte >> 4];
    text += digits[byte & 0xF];
}

} // namespace

bool EntryName::isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t length = sequenceLength(bytes);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string EntryName::toUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto value = std::uint8_t(byte);
        appendUtf8(text, value < 0x80 ? char32_t(value) : char32_t(codePage437[value - 0x80]));
    }
    return text;
}

std::string EntryName::printable(std::string_view name) {
    std::string text;
    while (!name.empty()) {
        if (text.size() >= printableLimit) {
            text += "…";
            break;
        }
        const std::size_t length = sequenceLength(name);
        if (length == 0 || isControl(name.substr(0, length))) {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i)
                appendEscape(text, std::uint8_t(name[i]));
            name.remove_prefix(std::max<std::size_t>(length, 1));
            continue;
        }
        text.append(name.substr(0, length));
        name.remove_prefix(length);
    }
    return text;
}
