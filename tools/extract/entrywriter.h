#pragma once

#include "directorycursor.h"
#include "entrydetails.h"
#include "entryfailure.h"
#include "uniquefd.h"

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ArchiveReader;

// Puts planned entries on disk below the destination. A file is written
// without a name (O_TMPFILE) and linked under its name only when complete:
// whatever ends the process, no half file is left behind, and a failed entry
// never destroys the file it would have replaced, while a reader of that
// file (the archive itself, say) keeps reading the old one. Where the file
// system cannot make unnamed files, a temporary name stands in, renamed when
// the file is complete. One writer per thread.
class EntryWriter {
public:
    EntryWriter(int rootFd, std::string temporaryPrefix, mode_t umask);

    using Outcome = std::optional<EntryFailure>; // empty on success

    // The reader must stand at the entry's header. With a core to spare, a
    // large file is written by a second thread while this one reads on.
    Outcome writeFile(const EntryDetails& entry, std::int64_t size, ArchiveReader& reader,
                      bool coreToSpare);
    // A file whose data has been read whole.
    Outcome writeFile(const EntryDetails& entry, const std::vector<char>& data);
    // Reads the whole data of the entry the reader stands at, which the
    // archive's directory says is `size` bytes long, checking it as it goes.
    static Outcome readData(ArchiveReader& reader, std::int64_t size, std::vector<char>& data);
    Outcome makeFolder(const EntryDetails& entry);
    Outcome makeLink(const EntryDetails& entry);
    // Permissions and times of a folder, set once nothing more is written
    // into it: a read-only folder must not stop its own files, and every
    // file written would change its time.
    Outcome applyFolderAttributes(const EntryDetails& entry);

private:
    // A file being written: unnamed, or under a temporary name.
    struct PendingFile {
        UniqueFd fd;
        std::string temporaryName; // empty while unnamed
    };
    template<typename Copy> Outcome createFile(const EntryDetails& entry, Copy&& copy);
    PendingFile createPendingFile(int folderFd, mode_t mode);
    Outcome nameFile(int folderFd, PendingFile& file, const EntryDetails& entry);
    Outcome nameUnnamedFile(int folderFd, PendingFile& file, const EntryDetails& entry);
    UniqueFd createTemporaryFile(int folderFd, std::string& name, mode_t mode);
    bool createTemporaryLink(int folderFd, std::string& name, const std::string& target);
    Outcome copyData(ArchiveReader& reader, int fd);
    Outcome copyDataWritingBehind(ArchiveReader& reader, int fd, std::int64_t fileSize);
    Outcome moveIntoPlace(int folderFd, const std::string& temporary, const EntryDetails& entry);
    std::string nextTemporaryName();

    DirectoryCursor m_cursor;
    std::string m_temporaryPrefix;
    unsigned long m_temporaryCount = 0;
    mode_t m_umask;
    // Until a file system refuses them; then temporary names for this writer.
    bool m_unnamedFiles;
};
