#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The names the plan has handed out, and to what. Keeps a 64-bit hash of each
// name instead of the name, so that an archive of millions of entries costs
// twelve bytes a name. Two names of one hash count as one name: at worst an
// entry is refused or skipped needlessly, about once in 10^12 archives of a
// million entries; a conflict between equal names is never missed.
class NameClaims {
public:
    enum class Slot : std::uint8_t {
        ImpliedFolder,
        Folder,
        File,
        Link,
    };
    static constexpr std::uint32_t noEntry = (1u << 30) - 1;
    static constexpr std::size_t mostEntries = noEntry;

    struct Claim {
        Slot slot;
        std::uint32_t entry; // position in the plan, or noEntry
    };

    void reserve(std::size_t names);
    std::optional<Claim> find(std::string_view name) const;
    // Claims a free name; a claimed one keeps its claim, which is returned.
    std::optional<Claim> claimIfFree(std::string_view name, Claim claim);
    void set(std::string_view name, Claim claim);
    // Frees the table once the plan is made.
    void clear();

private:
    static std::uint64_t hashOf(std::string_view name);
    std::size_t cellOf(std::uint64_t hash) const;
    void grow(std::size_t cells);
    void put(std::size_t cell, std::uint64_t hash, Claim claim);

    // Parallel arrays: a zero hash marks a free cell.
    std::vector<std::uint64_t> m_hashes;
    std::vector<std::uint32_t> m_values; // entry << 2 | slot
    std::size_t m_count = 0;
};
