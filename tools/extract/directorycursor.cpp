#include "directorycursor.h"

#include "entryname.h"
#include "entrypath.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// O_PATH: the folder is only a place to create in; it needs no read
// permission and cannot be mistaken for anything but itself.
constexpr int folderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Several cursors work at once, and the process needs descriptors for its
// files too: each cursor keeps at most a sixteenth of the limit.
std::size_t mostKeptFolders() {
    constexpr rlim_t mostPerCursor = 1024;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return std::size_t(std::min(limit.rlim_cur / 16, mostPerCursor));
}

std::string quoted(std::string_view path) {
    return "\"" + EntryName::printable(path) + "\"";
}

} // namespace

DirectoryCursor::DirectoryCursor(int rootFd)
    : m_rootFd(rootFd)
    , m_mostKept(mostKeptFolders()) {}

DirectoryCursor::Result DirectoryCursor::open(std::string_view path, Creation creation) {
    if (const auto kept = m_kept.find(path); kept != m_kept.end())
        return {kept->second.get(), {}};
    const std::vector<std::string_view> names = EntryPath::components(path);
    std::size_t kept = 0;
    while (kept < m_names.size() && kept < names.size() && m_names[kept] == names[kept])
        ++kept;
    m_names.resize(kept);
    m_folders.resize(kept);
    for (std::size_t i = kept; i < names.size(); ++i) {
        const int parentFd = m_folders.empty() ? m_rootFd : m_folders.back().get();
        // The components are views into path, so this is the path up to name i.
        const auto reachedLength = std::size_t(names[i].data() + names[i].size() - path.data());
        Result step = openComponent(parentFd, names[i], path.substr(0, reachedLength), creation);
        if (step.fd < 0)
            return step;
        m_names.emplace_back(names[i]);
        m_folders.emplace_back(step.fd);
    }
    if (m_folders.empty())
        return {m_rootFd, {}};
    keep(path, m_folders.back().get());
    return {m_folders.back().get(), {}};
}

void DirectoryCursor::keep(std::string_view path, int fd) {
    if (m_mostKept == 0)
        return;
    if (m_kept.size() >= m_mostKept)
        m_kept.clear();
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0)
        m_kept.emplace(std::string(path), UniqueFd(copy));
}

DirectoryCursor::Result DirectoryCursor::openComponent(int parentFd, std::string_view name,
                                                       std::string_view path, Creation creation) {
    const std::string component(name);
    int fd = ::openat(parentFd, component.c_str(), folderFlags);
    if (fd < 0 && errno == ENOENT && creation == Creation::CreateMissing) {
        // Another worker may create the same folder at the same moment.
        if (::mkdirat(parentFd, component.c_str(), 0777) == 0 || errno == EEXIST)
            fd = ::openat(parentFd, component.c_str(), folderFlags);
    }
    if (fd >= 0)
        return {fd, {}};
    const int error = errno;
    struct stat status {};
    if (::fstatat(parentFd, component.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode))
            return {-1, "refused: would write through the symbolic link " + quoted(path) +
                            " in the destination"};
        if (!S_ISDIR(status.st_mode))
            return {-1, "cannot create the folder " + quoted(path) +
                            ": a file of that name is in the way"};
    }
    return {-1, "cannot open the folder " + quoted(path) + ": " + std::strerror(error), error};
}
