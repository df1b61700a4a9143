#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// One entry that survived the checks of the plan, with what writing it needs.
struct PlannedEntry {
    enum class Kind {
        File,
        Folder,
        Link,
    };
    enum class Action {
        Write,
        // Another entry of the same name comes later and wins, as it would
        // when extracting one entry after the other.
        Supersede,
        // A folder entry that names the destination folder itself.
        Ignore,
    };

    std::size_t index = 0; // position in the archive's reading order
    std::string path;      // normalized, UTF-8, relative to the destination
    std::string linkTarget;
    Kind kind = Kind::File;
    Action action = Action::Write;
    mode_t mode = 0;
    std::int64_t size = 0;
    timespec modified{0, UTIME_OMIT};
    timespec accessed{0, UTIME_OMIT};
};
