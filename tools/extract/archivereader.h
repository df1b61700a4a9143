#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One reader of the zip archive on a descriptor that several readers share:
// each reads with pread at its own position, so every worker can walk the
// same file independently. Uses the seekable zip reader, which trusts the
// central directory, and can be reopened after a fatal error to go on with
// later entries.
class ArchiveReader {
public:
    // The descriptor stays owned by the caller and must outlive the reader.
    // The archive is the file's bytes from `start` on: what comes before it
    // is not the archive's, and its offsets count from there.
    ArchiveReader(int fd, std::int64_t start, std::int64_t fileSize);

    bool open();

    // Moves to the entry at index (entries counted from 0 in reading order),
    // reopening when the reader is past it or broken. Returns the status of
    // that entry's header: ARCHIVE_OK, a warning or failure for this entry
    // alone, ARCHIVE_FATAL when the archive cannot be read that far, or
    // ARCHIVE_EOF when there is no such entry.
    int moveTo(std::size_t index);
    int next() { return moveTo(m_nextIndex); }

    // After a fatal error while reading an entry's data the library refuses
    // every further call; the next moveTo() starts over.
    void markBroken() { m_broken = true; }
    // Starting over walks every header again from the first. So that an
    // archive full of damaged entries cannot make that endless, a reader gives
    // up once it has walked far more headers again than the archive holds.
    bool hasGivenUp() const { return m_hasGivenUp; }

    archive* handle() const { return m_archive.get(); }
    archive_entry* entry() const { return m_entry; }
    std::string errorText() const;

private:
    struct Deleter {
        void operator()(archive* handle) const { archive_read_free(handle); }
    };

    static la_ssize_t read(archive* handle, void* self, const void** buffer);
    static la_int64_t skip(archive* handle, void* self, la_int64_t request);
    static la_int64_t seek(archive* handle, void* self, la_int64_t offset, int whence);

    std::unique_ptr<archive, Deleter> m_archive;
    std::vector<char> m_buffer;
    archive_entry* m_entry = nullptr;
    int m_fd;
    std::int64_t m_start;
    std::int64_t m_size; // from m_start
    std::int64_t m_position = 0;
    std::size_t m_nextIndex = 0;
    std::size_t m_furthestIndex = 0;
    std::size_t m_walkedAgain = 0;
    bool m_broken = false;
    bool m_hasGivenUp = false;
};
