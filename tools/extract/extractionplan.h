#pragma once

#include "entrydetails.h"
#include "entryfailure.h"
#include "nameclaims.h"
#include "plannedentry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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
    // expectedEntries only sizes the tables up front; any count may follow.
    void build(ArchiveReader& reader, Reporter& reporter, std::size_t expectedEntries = 0);

    const std::vector<PlannedEntry>& entries() const { return m_entries; }
    // Name and attributes of a folder, a link or a skipped entry; empty for
    // a file to write, whose header has them.
    const EntryDetails* detailsOf(const PlannedEntry& entry) const;
    // Every folder below the destination that the plan writes into.
    const std::vector<std::string>& folders() const { return m_folders; }
    // Every entry header read, including refused ones.
    std::size_t entryCount() const { return m_entryCount; }
    // A name prefix for temporary files that no entry of the archive uses.
    std::string temporaryPrefix() const;

    // The entry's name as the plan checks it; none when it has no name or
    // one the plan refuses.
    static std::optional<std::string> pathOf(archive_entry* header);

private:
    struct Candidate {
        PlannedEntry entry;
        EntryDetails details;
    };
    using Slot = NameClaims::Slot;

    void reportUnreadableRest(const ArchiveReader& reader, Reporter& reporter) const;
    std::optional<EntryFailure> admit(const ArchiveReader& reader, int status,
                                      Candidate& candidate);
    std::string claimPath(const Candidate& candidate);
    std::string checkLinkTarget(const Candidate& candidate);
    std::string checkParents(std::string_view path) const;
    std::string checkOwnName(const Candidate& candidate) const;
    void record(const Candidate& candidate);
    void keep(Candidate&& candidate);

    std::vector<PlannedEntry> m_entries;
    std::vector<EntryDetails> m_details; // in reading order once built
    std::vector<std::string> m_folders;
    NameClaims m_claims;
    std::vector<std::string> m_namesLikeTemporary;
    std::size_t m_entryCount = 0;
};
