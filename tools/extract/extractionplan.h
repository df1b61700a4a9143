#pragma once

#include "entryfailure.h"
#include "plannedentry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ArchiveReader;
class Reporter;

// Reads every entry header once and decides, before anything is written, what
// each entry will become. Refuses names that leave the destination, links
// that lead out of it, entries that go through a link or a file of the
// archive, and types other than files, folders and links, reporting each.
// Because every conflict between entries is settled here, the files can then
// be written in any order, by several workers at once.
class ExtractionPlan {
public:
    void build(ArchiveReader& reader, Reporter& reporter);

    const std::vector<PlannedEntry>& entries() const { return m_entries; }
    // Every entry header read, including refused ones.
    std::size_t entryCount() const { return m_entryCount; }
    // A name prefix for temporary files that no entry of the archive uses.
    std::string temporaryPrefix() const;

private:
    enum class Slot {
        ImpliedFolder,
        Folder,
        File,
        Link,
    };
    struct Claim {
        Slot slot;
        std::size_t entry; // position in m_entries, for explicit entries
    };
    static constexpr std::size_t noEntry = std::size_t(-1);

    void reportUnreadableRest(const ArchiveReader& reader, Reporter& reporter) const;
    std::optional<EntryFailure> admit(const ArchiveReader& reader, int status, PlannedEntry& entry);
    std::string claimPath(PlannedEntry& entry);
    std::string checkLinkTarget(const PlannedEntry& entry);
    std::string checkParents(std::string_view path) const;
    std::string checkOwnName(const PlannedEntry& entry) const;
    void record(const PlannedEntry& entry);

    std::vector<PlannedEntry> m_entries;
    std::unordered_map<std::string, Claim> m_claims;
    std::vector<std::string> m_namesLikeTemporary;
    std::size_t m_entryCount = 0;
};
