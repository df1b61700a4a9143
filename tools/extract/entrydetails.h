#pragma once

#include <archive_entry.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

// What writing an entry needs beyond its place in the plan: its name,
// permissions, times and link target, as its header gives them.
struct EntryDetails {
    std::uint32_t index = 0; // position in the archive's reading order
    std::string path;        // normalized, UTF-8, relative to the destination
    std::string linkTarget;
    mode_t mode = 0;
    timespec modified{0, UTIME_OMIT};
    timespec accessed{0, UTIME_OMIT};

    // Everything but the path, which the plan checks and normalizes.
    static EntryDetails fromHeader(archive_entry* header, std::uint32_t index, std::string path);
};
