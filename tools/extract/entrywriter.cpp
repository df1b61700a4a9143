#include "entrywriter.h"

#include "archivereader.h"
#include "entryname.h"
#include "entrypath.h"
#include "piecewrite.h"
#include "progressreport.h"
#include "stoprequest.h"
#include "writebehind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Only permission bits: never setuid, setgid or sticky, whoever runs this.
constexpr mode_t permissionBits = 0777;
// O_EXCL: never opens what is already there, be it a file or a link.
constexpr int createFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int unnamedFlags = O_WRONLY | O_TMPFILE | O_CLOEXEC;
// From this size on a file is written on a thread of its own: starting one
// costs about as much as writing a few kilobytes.
constexpr std::int64_t writeBehindSize = 4 * 1024 * 1024;

EntryFailure systemFailure(std::string_view what, int error) {
    return EntryFailure::fromSystemError(what, error);
}

EntryFailure folderFailure(const DirectoryCursor::Result& folder) {
    EntryFailure failure{folder.problem};
    failure.isDiskFull = folder.error == ENOSPC || folder.error == EDQUOT;
    return failure;
}

// An unnamed file gets its name through /proc: linking the descriptor itself
// (AT_EMPTY_PATH) is for privileged processes only.
bool canNameUnnamedFiles() {
    static const bool hasProc = ::access("/proc/self/fd", X_OK) == 0;
    return hasProc;
}

// The file systems that cannot make unnamed files say so in one of these.
bool refusesUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Reads the entry's data block by block, handing each block to `take` until
// it refuses one. Empty once the data has been read to its end, or refused.
template<typename Take> EntryWriter::Outcome forEachBlock(ArchiveReader& reader, Take&& take) {
    for (;;) {
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        if (StopRequest::isRequested())
            return EntryFailure::stopped();
        const int status = archive_read_data_block(reader.handle(), &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return std::nullopt;
        // A warning is a failure too: the library warns of a CRC mismatch.
        if (status != ARCHIVE_OK) {
            if (status == ARCHIVE_FATAL)
                reader.markBroken();
            return EntryFailure::fromLibraryText(reader.errorText());
        }
        if (!take(static_cast<const char*>(block), size, off_t(offset)))
            return std::nullopt;
    }
}

std::string fileNameOf(const EntryDetails& entry) {
    return std::string(EntryPath::fileNameOf(entry.path));
}

} // namespace

EntryWriter::EntryWriter(int rootFd, std::string temporaryPrefix, mode_t umask)
    : m_cursor(rootFd)
    , m_temporaryPrefix(std::move(temporaryPrefix))
    , m_umask(umask)
    , m_unnamedFiles(canNameUnnamedFiles()) {}

EntryWriter::Outcome EntryWriter::writeFile(const EntryDetails& entry, std::int64_t size,
                                            ArchiveReader& reader, bool coreToSpare) {
    const bool writeBehind = coreToSpare && size >= writeBehindSize;
    return createFile(entry, [&](int fd) {
        return writeBehind ? copyDataWritingBehind(reader, fd, size) : copyData(reader, fd);
    });
}

EntryWriter::Outcome EntryWriter::writeFile(const EntryDetails& entry,
                                            const std::vector<char>& data) {
    return createFile(entry, [&](int fd) -> Outcome {
        if (const int error = writePiecewise(fd, data.data(), data.size(), 0))
            return systemFailure("cannot write", error);
        ProgressReport::add(data.size());
        return std::nullopt;
    });
}

EntryWriter::Outcome EntryWriter::readData(ArchiveReader& reader, std::int64_t size,
                                           std::vector<char>& data) {
    data.clear();
    data.reserve(std::size_t(std::max<std::int64_t>(size, 0)));
    bool tooLong = false;
    const Outcome failure =
        forEachBlock(reader, [&](const char* block, std::size_t blockSize, off_t offset) {
            // The library would refuse data beyond the size the directory
            // gives only once all of it had been read: too late for memory.
            tooLong = offset < 0 || offset > size || std::int64_t(blockSize) > size - offset;
            if (tooLong)
                return false;
            data.resize(std::size_t(offset)); // zeros for a hole
            data.insert(data.end(), block, block + blockSize);
            return true;
        });
    if (!failure && tooLong)
        return EntryFailure{"the entry holds more data than the archive's directory says"};
    return failure;
}

template<typename Copy>
EntryWriter::Outcome EntryWriter::createFile(const EntryDetails& entry, Copy&& copy) {
    const auto folder =
        m_cursor.open(EntryPath::parentOf(entry.path), DirectoryCursor::Creation::CreateMissing);
    if (folder.fd < 0)
        return folderFailure(folder);
    const mode_t mode = entry.mode & permissionBits; // the kernel applies the umask
    PendingFile file = createPendingFile(folder.fd, mode);
    if (!file.fd.isValid())
        return systemFailure("cannot create a file", errno);
    Outcome failure = copy(file.fd.get());
    const timespec times[2] = {entry.accessed, entry.modified};
    if (!failure && ::futimens(file.fd.get(), times) != 0)
        failure = systemFailure("cannot set the file's time", errno);
    if (!failure)
        failure = nameFile(folder.fd, file, entry);
    // An unnamed file vanishes with its descriptor; a named one goes now.
    if (failure && !file.temporaryName.empty())
        ::unlinkat(folder.fd, file.temporaryName.c_str(), 0);
    return failure;
}

EntryWriter::Outcome EntryWriter::makeFolder(const EntryDetails& entry) {
    const auto folder = m_cursor.open(entry.path, DirectoryCursor::Creation::CreateMissing);
    if (folder.fd < 0)
        return folderFailure(folder);
    return std::nullopt;
}

EntryWriter::Outcome EntryWriter::makeLink(const EntryDetails& entry) {
    const auto folder =
        m_cursor.open(EntryPath::parentOf(entry.path), DirectoryCursor::Creation::CreateMissing);
    if (folder.fd < 0)
        return folderFailure(folder);
    std::string temporary;
    if (!createTemporaryLink(folder.fd, temporary, entry.linkTarget))
        return systemFailure("cannot create the symbolic link", errno);
    const timespec times[2] = {entry.accessed, entry.modified};
    ::utimensat(folder.fd, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW);
    Outcome failure = moveIntoPlace(folder.fd, temporary, entry);
    if (failure)
        ::unlinkat(folder.fd, temporary.c_str(), 0);
    return failure;
}

EntryWriter::Outcome EntryWriter::applyFolderAttributes(const EntryDetails& entry) {
    const auto parent =
        m_cursor.open(EntryPath::parentOf(entry.path), DirectoryCursor::Creation::OpenExisting);
    if (parent.fd < 0)
        return folderFailure(parent);
    UniqueFd folder(::openat(parent.fd, fileNameOf(entry).c_str(),
                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isValid())
        return systemFailure("cannot open the folder", errno);
    if (::fchmod(folder.get(), entry.mode & permissionBits & ~m_umask) != 0)
        return systemFailure("cannot set the folder's permissions", errno);
    const timespec times[2] = {entry.accessed, entry.modified};
    if (::futimens(folder.get(), times) != 0)
        return systemFailure("cannot set the folder's time", errno);
    return std::nullopt;
}

EntryWriter::Outcome EntryWriter::copyData(ArchiveReader& reader, int fd) {
    int error = 0;
    Outcome failure = forEachBlock(reader, [&](const char* data, std::size_t size, off_t offset) {
        error = writePiecewise(fd, data, size, offset);
        if (error != 0)
            return false;
        ProgressReport::add(size);
        return true;
    });
    if (!failure && error != 0)
        return systemFailure("cannot write", error);
    return failure;
}

EntryWriter::Outcome EntryWriter::copyDataWritingBehind(ArchiveReader& reader, int fd,
                                                        std::int64_t fileSize) {
    WriteBehind output(fd, fileSize);
    Outcome failure = forEachBlock(reader, [&](const char* data, std::size_t size, off_t offset) {
        if (!output.put(data, size, offset))
            return false;
        ProgressReport::add(size);
        return true;
    });
    if (failure)
        return failure;
    if (const int error = output.finish())
        return systemFailure("cannot write", error);
    return std::nullopt;
}

EntryWriter::PendingFile EntryWriter::createPendingFile(int folderFd, mode_t mode) {
    PendingFile file;
    if (m_unnamedFiles) {
        file.fd.reset(::openat(folderFd, ".", unnamedFlags, mode));
        if (file.fd.isValid() || !refusesUnnamedFiles(errno))
            return file;
        m_unnamedFiles = false;
    }
    file.fd = createTemporaryFile(folderFd, file.temporaryName, mode);
    return file;
}

// A failed close of a written file can mean lost data, so the name it got
// goes again.
EntryWriter::Outcome EntryWriter::nameFile(int folderFd, PendingFile& file,
                                           const EntryDetails& entry) {
    if (file.temporaryName.empty())
        return nameUnnamedFile(folderFd, file, entry);
    if (file.fd.close() != 0)
        return systemFailure("cannot write", errno);
    return moveIntoPlace(folderFd, file.temporaryName, entry);
}

EntryWriter::Outcome EntryWriter::nameUnnamedFile(int folderFd, PendingFile& file,
                                                  const EntryDetails& entry) {
    const std::string self = "/proc/self/fd/" + std::to_string(file.fd.get());
    const std::string name = fileNameOf(entry);
    std::string named = name;
    // Linking never replaces: where the name is taken, the file gets a
    // temporary name first and is renamed over it.
    if (::linkat(AT_FDCWD, self.c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        if (errno != EEXIST)
            return systemFailure("cannot create a file", errno);
        for (;;) {
            named = nextTemporaryName();
            if (::linkat(AT_FDCWD, self.c_str(), folderFd, named.c_str(), AT_SYMLINK_FOLLOW) == 0)
                break;
            if (errno != EEXIST)
                return systemFailure("cannot create a file", errno);
        }
        file.temporaryName = named;
        if (file.fd.close() != 0)
            return systemFailure("cannot write", errno);
        return moveIntoPlace(folderFd, named, entry);
    }
    if (file.fd.close() != 0) {
        const int error = errno;
        ::unlinkat(folderFd, name.c_str(), 0);
        return systemFailure("cannot write", error);
    }
    return std::nullopt;
}

EntryWriter::Outcome EntryWriter::moveIntoPlace(int folderFd, const std::string& temporary,
                                                const EntryDetails& entry) {
    if (::renameat(folderFd, temporary.c_str(), folderFd, fileNameOf(entry).c_str()) == 0)
        return std::nullopt;
    if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST)
        return EntryFailure{"cannot replace it: a folder of that name is in the way"};
    return systemFailure("cannot put it in place", errno);
}

UniqueFd EntryWriter::createTemporaryFile(int folderFd, std::string& name, mode_t mode) {
    for (;;) {
        name = nextTemporaryName();
        const int fd = ::openat(folderFd, name.c_str(), createFlags, mode);
        if (fd >= 0 || errno != EEXIST)
            return UniqueFd(fd);
    }
}

bool EntryWriter::createTemporaryLink(int folderFd, std::string& name, const std::string& target) {
    for (;;) {
        name = nextTemporaryName();
        if (::symlinkat(target.c_str(), folderFd, name.c_str()) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
}

std::string EntryWriter::nextTemporaryName() {
    return m_temporaryPrefix + std::to_string(m_temporaryCount++);
}
