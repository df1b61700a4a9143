#pragma once

#include <string>
#include <string_view>

// Why an entry could not be extracted, in words for the user, with the library's
// own text kept for detail.
struct EntryFailure {
    std::string reason;
    // The data ended before the archive said it would: the typical sign of a
    // missing part, which the run reports once for the whole archive.
    bool isTruncation = false;

    static EntryFailure fromLibraryText(std::string_view text);
    static EntryFailure encrypted();
};
