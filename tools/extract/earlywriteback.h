#pragma once

#include <fcntl.h>
#include <sys/types.h>

// Starts sending a large file's pages to the disk as soon as they are
// written. The combined archive being read is itself gigabytes of dirty
// pages that will be deleted without ever needing the disk; left alone, the
// kernel's flusher begins with the oldest dirty file, that archive, so the
// disk spends its time on bytes about to go, and deleting them then waits
// for those writes. Writing back the extracted file as it grows keeps the
// disk on the data that stays. Starting the writes costs the caller some
// work, so only a thread that has a core to itself does it. Nothing waits
// for these writes here.
class EarlyWriteback {
public:
    explicit EarlyWriteback(int fd)
        : m_fd(fd) {}

    // The file holds its data up to this offset; written in order.
    void writtenUpTo(off_t end) {
        if (end - m_started < step)
            return;
        ::sync_file_range(m_fd, m_started, end - m_started, SYNC_FILE_RANGE_WRITE);
        m_started = end;
    }

private:
    static constexpr off_t step = 4 * 1024 * 1024;

    int m_fd;
    off_t m_started = 0; // writeback has been started below this offset
};
