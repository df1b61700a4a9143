#pragma once

#include "entrydetails.h"

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class EntryWriter;
class Reporter;

// Creates small files on threads of their own while the reading thread reads
// on. For an archive of a great many tiny files, creating, timing and naming
// each file costs the kernel far more than reading it costs us, and only one
// reader can afford to hold the archive's directory: these threads put the
// creating on the other cores. A file is handed over only once its data has
// been read whole and checked, so a damaged entry never reaches a writer.
class SmallFileWriters {
public:
    // Starts up to `threads` writers, numbered from firstWriter for their
    // temporary names; none where no thread can be started.
    SmallFileWriters(unsigned threads, unsigned firstWriter, int destinationFd,
                     const std::string& temporaryPrefix, mode_t umask, Reporter& reporter);
    // Waits until every file handed over is written.
    ~SmallFileWriters();
    SmallFileWriters(const SmallFileWriters&) = delete;
    SmallFileWriters& operator=(const SmallFileWriters&) = delete;

    // Files of at most this size are worth handing over.
    static constexpr std::int64_t largestFile = 64 * 1024;

    // Queues the file for a writer. False, with nothing taken, while the
    // queue is full or no writer runs: then the caller writes it itself,
    // which keeps its core busy rather than waiting.
    bool hand(EntryDetails& entry, std::vector<char>& data);

private:
    struct File {
        EntryDetails entry;
        std::vector<char> data;
    };

    void work(EntryWriter& writer);

    // The queue's bounds keep its memory small next to the directory's.
    static constexpr std::size_t mostQueuedFiles = 512;
    static constexpr std::size_t mostQueuedBytes = 1024 * 1024;

    Reporter& m_reporter;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<File> m_files;      // guarded by m_mutex
    std::size_t m_queuedBytes = 0; // guarded
    bool m_closing = false;        // guarded
    std::vector<std::thread> m_threads;
};
