#pragma once

#include "uniquefd.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Opens folders below the destination one component at a time, never
// following a symbolic link, so nothing reached through it can lie outside
// the destination. Keeps the folders of the last path open, because
// consecutive entries of an archive mostly share their folder, and besides
// them the last folders reached, as many as the descriptor limit allows: an
// archive may also go round hundreds of folders entry by entry.
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
    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view path) const {
            return std::hash<std::string_view>{}(path);
        }
    };
    void keep(std::string_view path, int fd);

    Result openComponent(int parentFd, std::string_view name, std::string_view path,
                         Creation creation);

    int m_rootFd;
    std::vector<std::string> m_names;
    std::vector<UniqueFd> m_folders;
    std::unordered_map<std::string, UniqueFd, PathHash, std::equal_to<>> m_kept;
    std::size_t m_mostKept;
};
