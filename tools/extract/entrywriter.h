#pragma once

#include "directorycursor.h"
#include "entryfailure.h"
#include "plannedentry.h"
#include "uniquefd.h"

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

class ArchiveReader;

// Puts planned entries on disk below the destination. Whatever replaces an
// existing file or link is written under a temporary name in its folder and
// renamed over the real name only when complete, so a failed entry never
// destroys the file it would have replaced, and a reader of the file being
// replaced (the archive itself, say) keeps reading the old one. A failed new
// file is removed again. One writer per thread.
class EntryWriter {
public:
    EntryWriter(int rootFd, std::string temporaryPrefix, mode_t umask);

    using Outcome = std::optional<EntryFailure>; // empty on success

    // The reader must stand at the entry's header. With a core to spare, a
    // large file is written by a second thread while this one reads on.
    Outcome writeFile(const PlannedEntry& entry, ArchiveReader& reader, bool coreToSpare);
    Outcome makeFolder(const PlannedEntry& entry);
    Outcome makeLink(const PlannedEntry& entry);
    // Permissions and times of a folder, set once nothing more is written
    // into it: a read-only folder must not stop its own files, and every
    // file written would change its time.
    Outcome applyFolderAttributes(const PlannedEntry& entry);

private:
    UniqueFd createTemporaryFile(int folderFd, std::string& name, mode_t mode);
    bool createTemporaryLink(int folderFd, std::string& name, const std::string& target);
    Outcome copyData(ArchiveReader& reader, int fd);
    Outcome copyDataWritingBehind(ArchiveReader& reader, int fd, std::int64_t fileSize);
    Outcome finishFile(UniqueFd& file, const PlannedEntry& entry);
    Outcome moveIntoPlace(int folderFd, const std::string& temporary, const PlannedEntry& entry);
    std::string nextTemporaryName();

    DirectoryCursor m_cursor;
    std::string m_temporaryPrefix;
    unsigned long m_temporaryCount = 0;
    mode_t m_umask;
};
