#pragma once

#include <QHashFunctions>
#include <QStringView>

#include <cstdint>
#include <cstring>

// A hash of a text's UTF-16 units, eight bytes at a time (MurmurHash64A),
// seeded with Qt's per-process seed so that names cannot be chosen to
// collide. Not qHash: where the CPU has AES, Qt's hash leaves the upper
// halves of the vector registers in use, and the plain SSE code that runs
// after it until the next vzeroupper is slowed down many times over;
// reading a drop's names spent most of its time there.
inline size_t seededHash(QStringView text) {
    constexpr std::uint64_t multiplier = 0xc6a4a7935bd1e995ULL;
    constexpr int shift = 47;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.utf16());
    std::size_t length = std::size_t(text.size()) * sizeof(char16_t);
    std::uint64_t hash = QHashSeed::globalSeed() ^ (length * multiplier);
    for (; length >= 8; bytes += 8, length -= 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        word *= multiplier;
        word ^= word >> shift;
        word *= multiplier;
        hash ^= word;
        hash *= multiplier;
    }
    if (length > 0) {
        std::uint64_t tail = 0;
        std::memcpy(&tail, bytes, length);
        hash ^= tail;
        hash *= multiplier;
    }
    hash ^= hash >> shift;
    hash *= multiplier;
    hash ^= hash >> shift;
    return hash;
}

// A key and its seededHash, as the grouping's hash tables keep their keys:
// growing a table reads the hash kept, not the key, and a lookup compares
// keys only when the hashes are equal.
template<typename Key> struct Hashed {
    Key key;
    size_t hash = 0;

    friend bool operator==(const Hashed& a, const Hashed& b) {
        return a.hash == b.hash && a.key == b.key;
    }
    friend size_t qHash(const Hashed& hashed, size_t) { return hashed.hash; }
};
