#pragma once

#include "earlywriteback.h"

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Writes one file's data on a second thread, so that reading, inflating and
// checking the next blocks overlaps writing the ones before: for one large
// entry that is the difference between one busy core and two. Where that
// pays, the written data goes on to the disk at once (EarlyWriteback). The
// library's
// blocks live only until it is asked for the next one, so they are copied
// into a few slots of their own, which bounds the memory to slotCount slots.
class WriteBehind {
public:
    // Starts the writing thread for a file of about this size; where none
    // can be started, put() writes directly.
    WriteBehind(int fd, std::int64_t fileSize);
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Queues data for the file at the offset. False once a write has failed,
    // so the caller can stop reading; finish() tells why.
    bool put(const char* data, std::size_t size, off_t offset);
    // Waits until everything queued is written: 0, or the errno of the first
    // write that failed.
    int finish();

    static constexpr std::size_t slotCount = 4;
    static constexpr std::size_t slotSize = 1024 * 1024;

private:
    struct Slot {
        std::vector<char> bytes;
        off_t offset = 0;
    };

    void hand(Slot&& slot);
    void writeQueued();
    int write(const Slot& slot);

    const int m_fd;
    EarlyWriteback m_writeback; // used by whichever thread writes
    Slot m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Slot> m_queued; // guarded by m_mutex, oldest first
    std::vector<Slot> m_spare;  // guarded by m_mutex
    bool m_writing = false;     // guarded: the thread holds a slot
    bool m_closing = false;     // guarded
    int m_error = 0;            // guarded: the first failure
    std::thread m_thread;
};
