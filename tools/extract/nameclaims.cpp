#include "nameclaims.h"

#include <functional>

namespace {

// Past three quarters full, open addressing probes too long.
constexpr std::size_t mostPercentFull = 75;
constexpr std::size_t leastCells = 1024;

std::size_t cellsFor(std::size_t names) {
    std::size_t cells = leastCells;
    while (names * 100 > cells * mostPercentFull)
        cells *= 2;
    return cells;
}

} // namespace

void NameClaims::reserve(std::size_t names) {
    if (cellsFor(names) > m_hashes.size())
        grow(cellsFor(names));
}

std::optional<NameClaims::Claim> NameClaims::find(std::string_view name) const {
    if (m_hashes.empty())
        return std::nullopt;
    const std::size_t cell = cellOf(hashOf(name));
    if (m_hashes[cell] == 0)
        return std::nullopt;
    return Claim{Slot(m_values[cell] & 3), m_values[cell] >> 2};
}

std::optional<NameClaims::Claim> NameClaims::claimIfFree(std::string_view name, Claim claim) {
    reserve(m_count + 1);
    const std::uint64_t hash = hashOf(name);
    const std::size_t cell = cellOf(hash);
    if (m_hashes[cell] != 0)
        return Claim{Slot(m_values[cell] & 3), m_values[cell] >> 2};
    put(cell, hash, claim);
    ++m_count;
    return std::nullopt;
}

void NameClaims::set(std::string_view name, Claim claim) {
    reserve(m_count + 1);
    const std::uint64_t hash = hashOf(name);
    const std::size_t cell = cellOf(hash);
    m_count += m_hashes[cell] == 0 ? 1 : 0;
    put(cell, hash, claim);
}

void NameClaims::clear() {
    m_hashes = {};
    m_values = {};
    m_count = 0;
}

std::uint64_t NameClaims::hashOf(std::string_view name) {
    const std::uint64_t hash = std::hash<std::string_view>{}(name);
    return hash == 0 ? 1 : hash;
}

// The cell that holds the hash, or the free cell where it belongs.
std::size_t NameClaims::cellOf(std::uint64_t hash) const {
    const std::size_t mask = m_hashes.size() - 1;
    std::size_t cell = std::size_t(hash) & mask;
    while (m_hashes[cell] != 0 && m_hashes[cell] != hash)
        cell = (cell + 1) & mask;
    return cell;
}

void NameClaims::grow(std::size_t cells) {
    std::vector<std::uint64_t> hashes(cells, 0);
    std::vector<std::uint32_t> values(cells, 0);
    m_hashes.swap(hashes);
    m_values.swap(values);
    for (std::size_t old = 0; old < hashes.size(); ++old) {
        if (hashes[old] == 0)
            continue;
        const std::size_t cell = cellOf(hashes[old]);
        m_hashes[cell] = hashes[old];
        m_values[cell] = values[old];
    }
}

void NameClaims::put(std::size_t cell, std::uint64_t hash, Claim claim) {
    m_hashes[cell] = hash;
    m_values[cell] = claim.entry << 2 | std::uint32_t(claim.slot);
}
