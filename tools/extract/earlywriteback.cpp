#include "earlywriteback.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <system_error>

namespace {

// Small enough to keep the disk busy from the start, large enough that the
// requests cost next to nothing.
constexpr off_t step = 4 * 1024 * 1024;

} // namespace

EarlyWriteback::EarlyWriteback(int fd, std::int64_t fileSize, Policy policy)
    : m_fd(fd)
    , m_isWorthwhile(policy == Policy::Always || wouldPassBackgroundThreshold(fileSize)) {
    if (!m_isWorthwhile)
        return;
    try {
        m_thread = std::thread([this] { requestAsWritten(); });
    } catch (const std::system_error&) {
        // No thread: writtenUpTo() makes the requests itself.
    }
}

EarlyWriteback::~EarlyWriteback() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void EarlyWriteback::writtenUpTo(off_t end) {
    if (!m_isWorthwhile)
        return;
    if (!m_thread.joinable()) {
        requestUpTo(end);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_written = end;
    }
    m_changed.notify_one();
}

void EarlyWriteback::requestAsWritten() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Whatever the disk has not been asked for by the end is left to the
        // kernel's flusher, as for any other file.
        m_changed.wait(lock, [this] { return m_closing || m_written - m_requested >= step; });
        if (m_closing)
            return;
        const off_t end = m_written;
        lock.unlock();
        requestUpTo(end);
        lock.lock();
    }
}

void EarlyWriteback::requestUpTo(off_t end) {
    if (end - m_requested < step)
        return;
    ::sync_file_range(m_fd, m_requested, end - m_requested, SYNC_FILE_RANGE_WRITE);
    m_requested = end;
}

bool EarlyWriteback::wouldPassBackgroundThreshold(std::int64_t bytes) {
    std::FILE* statistics = std::fopen("/proc/vmstat", "re");
    if (!statistics)
        return false;
    long long dirtyPages = -1;
    long long thresholdPages = -1;
    char name[64];
    long long value = 0;
    while (std::fscanf(statistics, "%63s %lld", name, &value) == 2) {
        if (std::strcmp(name, "nr_dirty") == 0)
            dirtyPages = value;
        else if (std::strcmp(name, "nr_dirty_background_threshold") == 0)
            thresholdPages = value;
    }
    std::fclose(statistics);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (dirtyPages < 0 || thresholdPages <= 0 || pageSize <= 0)
        return false;
    // Only with much dirty data already waiting, which the flusher would
    // take first: with little, it soon comes to this file anyway.
    return dirtyPages > thresholdPages / 2 && dirtyPages + bytes / pageSize > thresholdPages;
}
