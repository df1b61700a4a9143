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

NameClaims::Slot slotOf(PlannedEntry::Kind kind) {
    switch (kind) {
    case PlannedEntry::Kind::Folder:
        return NameClaims::Slot::Folder;
    case PlannedEntry::Kind::File:
        return NameClaims::Slot::File;
    case PlannedEntry::Kind::Link:
        return NameClaims::Slot::Link;
    }
    return NameClaims::Slot::File;
}

} // namespace

void ExtractionPlan::build(ArchiveReader& reader, Reporter& reporter, std::size_t expectedEntries) {
    m_entries.reserve(expectedEntries);
    m_claims.reserve(expectedEntries);
    for (int status = reader.next(); status != ARCHIVE_EOF; status = reader.next()) {
        if (StopRequest::isRequested())
            break;
        ++m_entryCount;
        if (status == ARCHIVE_FATAL) {
            reportUnreadableRest(reader, reporter);
            break;
        }
        if (m_entryCount > NameClaims::mostEntries) {
            reporter.archiveFailed("the archive holds more entries than can be extracted");
            break;
        }
        Candidate candidate;
        candidate.entry.index = std::uint32_t(m_entryCount - 1);
        if (const auto failure = admit(reader, status, candidate)) {
            const char* rawName = archive_entry_pathname(reader.entry());
            const std::string& path = candidate.details.path;
            reporter.entryFailed(path.empty() ? entryLabel(rawName, m_entryCount) : path, *failure);
            continue;
        }
        keep(std::move(candidate));
    }
    // The checks are done; what is written needs no claims.
    m_claims.clear();
    std::sort(m_details.begin(), m_details.end(),
              [](const EntryDetails& left, const EntryDetails& right) {
                  return left.index < right.index;
              });
}

const EntryDetails* ExtractionPlan::detailsOf(const PlannedEntry& entry) const {
    const auto found = std::lower_bound(
        m_details.begin(), m_details.end(), entry.index,
        [](const EntryDetails& details, std::uint32_t index) { return details.index < index; });
    return found != m_details.end() && found->index == entry.index ? &*found : nullptr;
}

std::optional<std::string> ExtractionPlan::pathOf(archive_entry* header) {
    const char* rawName = archive_entry_pathname(header);
    if (!rawName)
        return std::nullopt;
    EntryPath::Normalized name = EntryPath::normalize(EntryName::toUtf8(rawName));
    if (name.problem != EntryPath::Problem::None)
        return std::nullopt;
    return std::move(name.path);
}

void ExtractionPlan::reportUnreadableRest(const ArchiveReader& reader, Reporter& reporter) const {
    const EntryFailure failure = EntryFailure::fromLibraryText(reader.errorText());
    reporter.entryFailed("entry " + std::to_string(m_entryCount), failure);
    reporter.archiveFailed("the archive cannot be read past entry " + std::to_string(m_entryCount));
}

// What the header says about the entry, or why it cannot be extracted on its
// own account or beside the entries before it.
std::optional<EntryFailure> ExtractionPlan::admit(const ArchiveReader& reader, int status,
                                                  Candidate& candidate) {
    archive_entry* header = reader.entry();
    const char* rawName = archive_entry_pathname(header);
    if (status != ARCHIVE_OK || !rawName)
        return headerFailure(reader);
    PlannedEntry& entry = candidate.entry;
    if (std::string problem = typeProblem(header, entry.kind); !problem.empty())
        return EntryFailure{std::move(problem)};
    if (archive_entry_is_encrypted(header) && !Passphrase::noteEncryptedEntry(entry.index))
        return EntryFailure::encrypted();
    const EntryPath::Normalized name = EntryPath::normalize(EntryName::toUtf8(rawName));
    if (name.problem != EntryPath::Problem::None)
        return EntryFailure{EntryPath::describe(name.problem)};
    if (name.path.empty()) {
        if (entry.kind != PlannedEntry::Kind::Folder)
            return EntryFailure{"refused: the name denotes the destination folder itself"};
        entry.action = PlannedEntry::Action::Ignore;
    }
    entry.size = archive_entry_size(header);
    candidate.details = EntryDetails::fromHeader(header, entry.index, name.path);
    std::string refusal = claimPath(candidate);
    if (refusal.empty())
        refusal = checkLinkTarget(candidate);
    if (refusal.empty())
        return std::nullopt;
    return EntryFailure{std::move(refusal)};
}

std::string ExtractionPlan::claimPath(const Candidate& candidate) {
    if (candidate.entry.action == PlannedEntry::Action::Ignore)
        return {};
    std::string refusal = checkParents(candidate.details.path);
    if (refusal.empty())
        refusal = checkOwnName(candidate);
    if (refusal.empty())
        record(candidate);
    return refusal;
}

// A refused link keeps its claim on the name: entries meant to be written
// through it are refused as well, instead of landing in a folder of that name.
std::string ExtractionPlan::checkLinkTarget(const Candidate& candidate) {
    if (candidate.entry.kind != PlannedEntry::Kind::Link)
        return {};
    const std::string& path = candidate.details.path;
    const auto problem = EntryPath::checkLinkTarget(path, candidate.details.linkTarget);
    if (problem == EntryPath::LinkProblem::None)
        return {};
    m_claims.set(path, {Slot::Link, NameClaims::noEntry});
    return EntryPath::describe(problem);
}

std::string ExtractionPlan::checkParents(std::string_view path) const {
    for (std::size_t slash = path.find('/'); slash != std::string_view::npos;
         slash = path.find('/', slash + 1)) {
        const auto claim = m_claims.find(path.substr(0, slash));
        if (!claim)
            continue;
        const std::string parent = EntryName::printable(path.substr(0, slash));
        if (claim->slot == Slot::Link)
            return "refused: would write through the symbolic link \"" + parent + "\"";
        if (claim->slot == Slot::File)
            return "refused: \"" + parent + "\" is a file in the archive, not a folder";
    }
    return {};
}

std::string ExtractionPlan::checkOwnName(const Candidate& candidate) const {
    const auto claim = m_claims.find(candidate.details.path);
    if (!claim)
        return {};
    const bool claimedAsFolder = claim->slot == Slot::Folder || claim->slot == Slot::ImpliedFolder;
    const bool isFolder = candidate.entry.kind == PlannedEntry::Kind::Folder;
    if (isFolder && !claimedAsFolder)
        return "refused: a file of the same name comes earlier in the archive";
    if (!isFolder && claimedAsFolder)
        return "refused: a folder of the same name is in the archive";
    return {};
}

void ExtractionPlan::record(const Candidate& candidate) {
    const std::string& path = candidate.details.path;
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string_view folder = std::string_view(path).substr(0, slash);
        if (!m_claims.claimIfFree(folder, {Slot::ImpliedFolder, NameClaims::noEntry}))
            m_folders.emplace_back(folder);
    }
    const NameClaims::Claim claim{slotOf(candidate.entry.kind), std::uint32_t(m_entries.size())};
    if (const auto earlier = m_claims.claimIfFree(path, claim)) {
        if (earlier->slot != Slot::ImpliedFolder && earlier->entry != NameClaims::noEntry) {
            PlannedEntry& superseded = m_entries[earlier->entry];
            superseded.action = PlannedEntry::Action::Supersede;
            // A file keeps no name of its own in the plan; it is this one.
            if (superseded.kind == PlannedEntry::Kind::File)
                m_details.push_back({superseded.index, path, {}, 0, {}, {}});
        }
        m_claims.set(path, claim);
    }
    if (EntryPath::fileNameOf(path).starts_with(temporaryStem))
        m_namesLikeTemporary.emplace_back(EntryPath::fileNameOf(path));
}

void ExtractionPlan::keep(Candidate&& candidate) {
    const bool keepsDetails = candidate.entry.kind != PlannedEntry::Kind::File &&
                              candidate.entry.action == PlannedEntry::Action::Write;
    if (keepsDetails)
        m_details.push_back(std::move(candidate.details));
    m_entries.push_back(candidate.entry);
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
