#pragma once

#include <sys/types.h>

#include <cstdint>

// Starts sending a large file's pages to the disk as soon as they are
// written, where the kernel would start flushing during the file anyway.
// Right after the merge the page cache holds the combined archive, gigabytes
// of dirty pages that will be deleted without ever needing the disk. Once
// the dirty pages pass the kernel's background threshold, its flusher begins
// with the oldest dirty file, that archive: the disk spends its time on
// bytes about to go, and deleting them then waits for those writes. Writing
// back the extracted file as it grows keeps the disk on the data that stays.
// Below the threshold nothing is flushed during the run, and starting the
// writes early would only cost work, so then this does nothing. Nothing
// waits for the writes here.
class EarlyWriteback {
public:
    EarlyWriteback(int fd, std::int64_t fileSize);

    // The file holds its data up to this offset; written in order.
    void writtenUpTo(off_t end);

private:
    // Whether this many more dirty bytes would take the page cache past
    // the point where the kernel starts writing back on its own, with much
    // dirty data already there for its flusher to take first.
    static bool wouldPassBackgroundThreshold(std::int64_t bytes);

    int m_fd;
    bool m_isWorthwhile;
    off_t m_started = 0; // writeback has been started below this offset
};
