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
    // No space or quota left: every entry after it would fail as well.
    bool isDiskFull = false;
    // Not the entry's fault: the extraction is stopping.
    bool isStop = false;
    // The password given does not open the entry.
    bool isWrongPassword = false;

    static EntryFailure fromLibraryText(std::string_view text);
    static EntryFailure fromSystemError(std::string_view what, int error);
    static EntryFailure encrypted();
    static EntryFailure stopped();
};
