#pragma once

#include <cstdint>

// One entry that survived the checks of the plan. Kept small, because an
// archive may hold millions: a file's name, permissions and times are read
// again from its header when it is written, and only folders, links and
// skipped entries keep theirs in the plan's EntryDetails.
struct PlannedEntry {
    enum class Kind : std::uint8_t {
        File,
        Folder,
        Link,
    };
    enum class Action : std::uint8_t {
        Write,
        // Another entry of the same name comes later and wins, as it would
        // when extracting one entry after the other.
        Supersede,
        // A folder entry that names the destination folder itself.
        Ignore,
    };

    std::int64_t size = 0;
    std::uint32_t index = 0; // position in the archive's reading order
    Kind kind = Kind::File;
    Action action = Action::Write;
};
