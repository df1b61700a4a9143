#include "earlywriteback.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Small enough to keep the disk busy from the start, large enough that the
// requests cost next to nothing.
constexpr off_t step = 4 * 1024 * 1024;

} // namespace

EarlyWriteback::EarlyWriteback(int fd, std::int64_t fileSize)
    : m_fd(fd)
    , m_isWorthwhile(wouldPassBackgroundThreshold(fileSize)) {}

void EarlyWriteback::writtenUpTo(off_t end) {
    if (!m_isWorthwhile || end - m_started < step)
        return;
    ::sync_file_range(m_fd, m_started, end - m_started, SYNC_FILE_RANGE_WRITE);
    m_started = end;
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
