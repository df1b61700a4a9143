#include "extractionplan.h"

#include "archivereader.h"
#include "entryfailure.h"
#include "entryname.h"
#include "entrypath.h"
#include "passphrase.h"
#include "reporter.h"
#include "stoprequest.h"

#include <unistd.h>

#include <algorithm>

namespace {

constexpr std::string_view temporaryStem = ".kestrune-";

std::string entryLabel(const char* rawName, std::size_t number) {
    if (rawName && *rawName)
        return EntryName::toUtf8(rawName);
    return "entry " + std::to_string(number);
}

timespec timeOf(bool isSet, time_t seconds, long nanoseconds) {
    return isSet ? timespec{seconds, nanoseconds} : timespec{0, UTIME_OMIT};
}

// A header the library could read only in part: a name or link target that is
// not the UTF-8 the entry claims, or a problem with the data it describes.
EntryFailure headerFailure(const ArchiveReader& reader) {
    const std::string text = reader.errorText();
    if (text.find("cannot be converted") != std::string::npos)
        return {"refused: the name or link target is not valid UTF-8, although the entry says so"};
    return EntryFailure::fromLibraryText(text);
}

std::string typeProblem(archive_entry* header, PlannedEntry::Kind& kind) {
    if (archive_entry_hardlink(header))
        return "refused: hard links are not extracted";
    switch (archive_entry_filetype(header)) {
    case AE_IFREG:
        kind = PlannedEntry::Kind::File;
        return {};
    case AE_IFDIR:
        kind = PlannedEntry::Kind::Folder;
        return {};
    case AE_IFLNK:
        kind = PlannedEntry::Kind::Link;
        return {};
    default:
        return "refused: not a regular file, folder or symbolic link";
    }
}

void copyAttributes(archive_entry* header, PlannedEntry& entry) {
    if (entry.kind == PlannedEntry::Kind::Link) {
        const char* rawTarget = archive_entry_symlink(header);
        entry.linkTarget = EntryName::toUtf8(rawTarget ? rawTarget : "");
    }
    entry.mode = archive_entry_perm(header);
    entry.size = archive_entry_size(header);
    entry.modified = timeOf(archive_entry_mtime_is_set(header), archive_entry_mtime(header),
                            archive_entry_mtime_nsec(header));
    entry.accessed = timeOf(archive_entry_atime_is_set(header), archive_entry_atime(header),
                            archive_entry_atime_nsec(header));
}

// What the header says about the entry, or why it cannot be extracted on its
// own account, before other entries are considered.
std::optional<EntryFailure> readEntry(const ArchiveReader& reader, int status,
                                      PlannedEntry& entry) {
    archive_entry* header = reader.entry();
    const char* rawName = archive_entry_pathname(header);
    if (status != ARCHIVE_OK || !rawName)
        return headerFailure(reader);
    if (std::string problem = typeProblem(header, entry.kind); !problem.empty())
        return EntryFailure{std::move(problem)};
    if (archive_entry_is_encrypted(header) && !Passphrase::noteEncryptedEntry(entry.index))
        return EntryFailure::encrypted();
    const EntryPath::Normalized name = EntryPath::normalize(EntryName::toUtf8(rawName));
    if (name.problem != EntryPath::Problem::None)
        return EntryFailure{EntryPath::describe(name.problem)};
    entry.path = name.path;
    if (entry.path.empty()) {
        if (entry.kind != PlannedEntry::Kind::Folder)
            return EntryFailure{"refused: the name denotes the destination folder itself"};
        entry.action = PlannedEntry::Action::Ignore;
    }
    copyAttributes(header, entry);
    return std::nullopt;
}

} // namespace

void ExtractionPlan::build(ArchiveReader& reader, Reporter& reporter) {
    for (int status = reader.next(); status != ARCHIVE_EOF; status = reader.next()) {
        if (StopRequest::isRequested())
            return;
        ++m_entryCount;
        if (status == ARCHIVE_FATAL) {
            reportUnreadableRest(reader, reporter);
            return;
        }
        PlannedEntry entry;
        entry.index = m_entryCount - 1;
        if (const auto failure = admit(reader, status, entry)) {
            const char* rawName = archive_entry_pathname(reader.entry());
            reporter.entryFailed(
                entry.path.empty() ? entryLabel(rawName, m_entryCount) : entry.path, *failure);
            continue;
        }
        m_entries.push_back(std::move(entry));
    }
}

void ExtractionPlan::reportUnreadableRest(const ArchiveReader& reader, Reporter& reporter) const {
    const EntryFailure failure = EntryFailure::fromLibraryText(reader.errorText());
    reporter.entryFailed("entry " + std::to_string(m_entryCount), failure);
    reporter.archiveFailed("the archive cannot be read past entry " + std::to_string(m_entryCount));
}

std::optional<EntryFailure> ExtractionPlan::admit(const ArchiveReader& reader, int status,
                                                  PlannedEntry& entry) {
    if (auto failure = readEntry(reader, status, entry))
        return failure;
    std::string refusal = claimPath(entry);
    if (refusal.empty())
        refusal = checkLinkTarget(entry);
    if (refusal.empty())
        return std::nullopt;
    return EntryFailure{std::move(refusal)};
}

std::string ExtractionPlan::claimPath(PlannedEntry& entry) {
    if (entry.action == PlannedEntry::Action::Ignore)
        return {};
    std::string refusal = checkParents(entry.path);
    if (refusal.empty())
        refusal = checkOwnName(entry);
    if (refusal.empty())
        record(entry);
    return refusal;
}

// A refused link keeps its claim on the name: entries meant to be written
// through it are refused as well, instead of landing in a folder of that name.
std::string ExtractionPlan::checkLinkTarget(const PlannedEntry& entry) {
    if (entry.kind != PlannedEntry::Kind::Link)
        return {};
    const auto problem = EntryPath::checkLinkTarget(entry.path, entry.linkTarget);
    if (problem == EntryPath::LinkProblem::None)
        return {};
    m_claims.at(entry.path).entry = noEntry;
    return EntryPath::describe(problem);
}

std::string ExtractionPlan::checkParents(std::string_view path) const {
    for (std::size_t slash = path.find('/'); slash != std::string_view::npos;
         slash = path.find('/', slash + 1)) {
        const auto claim = m_claims.find(std::string(path.substr(0, slash)));
        if (claim == m_claims.end())
            continue;
        const std::string parent = EntryName::printable(path.substr(0, slash));
        if (claim->second.slot == Slot::Link)
            return "refused: would write through the symbolic link \"" + parent + "\"";
        if (claim->second.slot == Slot::File)
            return "refused: \"" + parent + "\" is a file in the archive, not a folder";
    }
    return {};
}

std::string ExtractionPlan::checkOwnName(const PlannedEntry& entry) const {
    const auto claim = m_claims.find(entry.path);
    if (claim == m_claims.end())
        return {};
    const bool claimedAsFolder =
        claim->second.slot == Slot::Folder || claim->second.slot == Slot::ImpliedFolder;
    if (entry.kind == PlannedEntry::Kind::Folder && !claimedAsFolder)
        return "refused: a file of the same name comes earlier in the archive";
    if (entry.kind != PlannedEntry::Kind::Folder && claimedAsFolder)
        return "refused: a folder of the same name is in the archive";
    return {};
}

void ExtractionPlan::record(const PlannedEntry& entry) {
    for (std::size_t slash = entry.path.find('/'); slash != std::string::npos;
         slash = entry.path.find('/', slash + 1))
        m_claims.try_emplace(entry.path.substr(0, slash), Claim{Slot::ImpliedFolder, 0});
    const Slot slot = entry.kind == PlannedEntry::Kind::Folder ? Slot::Folder
                      : entry.kind == PlannedEntry::Kind::File ? Slot::File
                                                               : Slot::Link;
    auto [claim, isNew] = m_claims.try_emplace(entry.path, Claim{slot, m_entries.size()});
    if (!isNew) {
        if (claim->second.slot != Slot::ImpliedFolder && claim->second.entry != noEntry)
            m_entries[claim->second.entry].action = PlannedEntry::Action::Supersede;
        claim->second = Claim{slot, m_entries.size()};
    }
    if (EntryPath::fileNameOf(entry.path).starts_with(temporaryStem))
        m_namesLikeTemporary.emplace_back(EntryPath::fileNameOf(entry.path));
}

std::string ExtractionPlan::temporaryPrefix() const {
    const std::string stem = std::string(temporaryStem) + std::to_string(::getpid()) + "-";
    std::string prefix = stem;
    for (int attempt = 0;; ++attempt) {
        const bool isTaken =
            std::any_of(m_namesLikeTemporary.begin(), m_namesLikeTemporary.end(),
                        [&](const std::string& name) { return name.starts_with(prefix); });
        if (!isTaken)
            return prefix;
        prefix = stem + std::to_string(attempt) + "-";
    }
}
