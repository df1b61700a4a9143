#pragma once

#include "uniquefd.h"

#include <string>
#include <string_view>
#include <vector>

// Opens folders below the destination one component at a time, never
// following a symbolic link, so nothing reached through it can lie outside
// the destination. Keeps the folders of the last path open, because
// consecutive entries of an archive mostly share their folder.
class DirectoryCursor {
public:
    // The root descriptor stays owned by the caller.
    explicit DirectoryCursor(int rootFd);

    enum class Creation {
        CreateMissing,
        OpenExisting,
    };
    struct Result {
        int fd = -1; // owned by the cursor, valid until the next call
        std::string problem;
        int error = 0; // the system's reason, where it had one
    };
    // path is normalized and relative to the root; empty means the root.
    Result open(std::string_view path, Creation creation);

private:
    Result openComponent(int parentFd, std::string_view name, std::string_view path,
                         Creation creation);

    int m_rootFd;
    std::vector<std::string> m_names;
    std::vector<UniqueFd> m_folders;
};
