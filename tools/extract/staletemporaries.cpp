#include "staletemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <vector>

namespace {

constexpr std::string_view stem = ".kestrune-";

bool isNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool isRunning(long process) {
    return ::kill(pid_t(process), 0) == 0 || errno == EPERM;
}

struct DirCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

} // namespace

long StaleTemporaries::processOf(std::string_view name) {
    if (!name.starts_with(stem))
        return 0;
    name.remove_prefix(stem.size());
    // The process, then a writer ("main" or a number), then a count, with
    // perhaps an attempt number between.
    std::vector<std::string_view> fields;
    for (std::size_t dash = 0; dash != std::string_view::npos; name.remove_prefix(dash + 1)) {
        dash = name.find('-');
        fields.push_back(name.substr(0, dash));
        if (dash == std::string_view::npos)
            break;
    }
    if (fields.size() < 3 || fields.size() > 4 || !isNumber(fields.back()))
        return 0;
    for (std::size_t i = 1; i + 1 < fields.size(); ++i) {
        if (!isNumber(fields[i]) && fields[i] != "main")
            return 0;
    }
    long process = 0;
    const std::string_view first = fields.front();
    const auto [end, error] = std::from_chars(first.data(), first.data() + first.size(), process);
    if (!isNumber(first) || error != std::errc() || process <= 0)
        return 0;
    return process;
}

bool StaleTemporaries::isTemporaryName(std::string_view name) {
    return processOf(name) != 0;
}

void StaleTemporaries::removeFrom(int folderFd) {
    // An O_PATH descriptor cannot be listed; this one is for reading only.
    const int listing = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    std::unique_ptr<DIR, DirCloser> folder(::fdopendir(listing));
    if (!folder) {
        ::close(listing);
        return;
    }
    while (const dirent* item = ::readdir(folder.get())) {
        const std::string_view name = item->d_name;
        const long process = processOf(name);
        if (process == 0 || process == long(::getpid()) || isRunning(process))
            continue;
        unsigned char type = item->d_type;
        struct stat status {};
        if (type == DT_UNKNOWN &&
            ::fstatat(::dirfd(folder.get()), item->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISREG(status.st_mode) ? DT_REG : S_ISLNK(status.st_mode) ? DT_LNK : DT_UNKNOWN;
        if (type == DT_REG || type == DT_LNK)
            ::unlinkat(::dirfd(folder.get()), item->d_name, 0);
    }
}
