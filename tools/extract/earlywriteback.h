#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// Starts sending a large file's pages to the disk as soon as they are
// written, where the kernel would start flushing during the file anyway.
// Right after the merge the page cache holds the combined archive, gigabytes
// of dirty pages that will be deleted without ever needing the disk. Once
// the dirty pages pass the kernel's background threshold, its flusher begins
// with the oldest dirty file, that archive: the disk spends its time on
// bytes about to go, and deleting them then waits for those writes. Writing
// back the extracted file as it grows keeps the disk on the data that stays.
// Below the threshold nothing is flushed during the run, and starting the
// writes early would only cost work, so then this does nothing.
//
// The requests are made on a thread of its own: handing pages to a busy
// disk blocks, and the file's writer would then go at the disk's pace
// instead of the page cache's. Nothing waits for the writes themselves.
class EarlyWriteback {
public:
    enum class Policy { WhereTheKernelWouldFlush, Always };

    EarlyWriteback(int fd, std::int64_t fileSize, Policy policy = Policy::WhereTheKernelWouldFlush);
    // Waits for a request being made, not for the disk.
    ~EarlyWriteback();
    EarlyWriteback(const EarlyWriteback&) = delete;
    EarlyWriteback& operator=(const EarlyWriteback&) = delete;

    // The file holds its data up to this offset; written in order.
    void writtenUpTo(off_t end);

private:
    // Whether this many more dirty bytes would take the page cache past
    // the point where the kernel starts writing back on its own, with much
    // dirty data already there for its flusher to take first.
    static bool wouldPassBackgroundThreshold(std::int64_t bytes);

    void requestAsWritten();
    // Starts writeback up to end when a whole step has been written since
    // the last request.
    void requestUpTo(off_t end);

    const int m_fd;
    const bool m_isWorthwhile;
    off_t m_requested = 0; // by whichever thread requests
    std::mutex m_mutex;
    std::condition_variable m_changed;
    off_t m_written = 0;    // guarded by m_mutex
    bool m_closing = false; // guarded
    std::thread m_thread;   // none when not worthwhile or not startable
};
