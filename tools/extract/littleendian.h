#pragma once

#include <cstdint>

// A number as zip stores it: `count` bytes, least significant first.
inline std::uint64_t littleEndian(const char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[i]);
    return value;
}
