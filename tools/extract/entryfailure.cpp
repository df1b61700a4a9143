#include "entryfailure.h"

#include "entryname.h"

#include <cerrno>
#include <cstring>

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

} // namespace

EntryFailure EntryFailure::fromLibraryText(std::string_view text) {
    // Some of the library's messages end in a line break; each problem must
    // stay on one line.
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    const std::string detail = " (" + EntryName::printable(text) + ")";
    if (contains(text, "CRC"))
        return {"CRC mismatch, the data is damaged" + detail};
    // The library says "Incorrect passphrase" once every password it was
    // given has failed on the entry.
    if (contains(text, "ncorrect passphrase")) {
        EntryFailure failure{"the password does not open this entry"};
        failure.isWrongPassword = true;
        return failure;
    }
    if (contains(text, "Passphrase") || contains(text, "ncrypt"))
        return encrypted();
    if (contains(text, "Unsupported") || contains(text, "unsupported"))
        return {"unsupported compression method" + detail};
    if (contains(text, "runcated") || contains(text, "Premature end"))
        return {"the data ends early, the archive is truncated" + detail, true};
    return {"corrupt data" + detail};
}

EntryFailure EntryFailure::encrypted() {
    return {"encrypted entry; no password was given"};
}

EntryFailure EntryFailure::fromSystemError(std::string_view what, int error) {
    EntryFailure failure{std::string(what) + ": " + std::strerror(error)};
    failure.isDiskFull = error == ENOSPC || error == EDQUOT;
    return failure;
}

EntryFailure EntryFailure::stopped() {
    EntryFailure failure{"stopped before it was complete"};
    failure.isStop = true;
    return failure;
}
