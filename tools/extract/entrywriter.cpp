#include "entrywriter.h"

#include "archivereader.h"
#include "entryname.h"
#include "entrypath.h"
#include "piecewrite.h"
#include "writebehind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Only permission bits: never setuid, setgid or sticky, whoever runs this.
constexpr mode_t permissionBits = 0777;
// O_EXCL: never opens what is already there, be it a file or a link.
constexpr int createFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
// From this size on a file is written on a thread of its own: starting one
// costs about as much as writing a few kilobytes.
constexpr std::int64_t writeBehindSize = 4 * 1024 * 1024;

EntryFailure systemFailure(std::string_view what, int error) {
    return {std::string(what) + ": " + std::strerror(error)};
}

// Reads the entry's data block by block, handing each block to `take` until
// it refuses one. Empty once the data has been read to its end, or refused.
template<typename Take> EntryWriter::Outcome forEachBlock(ArchiveReader& reader, Take&& take) {
    for (;;) {
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
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

std::string fileNameOf(const PlannedEntry& entry) {
    return std::string(EntryPath::fileNameOf(entry.path));
}

} // namespace

EntryWriter::EntryWriter(int rootFd, std::string temporaryPrefix, mode_t umask)
    : m_cursor(rootFd)
    , m_temporaryPrefix(std::move(temporaryPrefix))
    , m_umask(umask) {}

EntryWriter::Outcome EntryWriter::writeFile(const PlannedEntry& entry, ArchiveReader& reader,
                                            bool coreToSpare) {
    const auto folder =
        m_cursor.open(EntryPath::parentOf(entry.path), DirectoryCursor::Creation::CreateMissing);
    if (folder.fd < 0)
        return EntryFailure{folder.problem};
    const std::string name = fileNameOf(entry);
    const mode_t mode = entry.mode & permissionBits; // the kernel applies the umask
    // Where nothing has the name yet, the file is written in place: nothing
    // can be lost, and a rename per file is a good part of a small file's cost.
    UniqueFd file(::openat(folder.fd, name.c_str(), createFlags, mode));
    std::string temporary;
    if (!file.isValid() && errno == EEXIST)
        file = createTemporaryFile(folder.fd, temporary, mode);
    if (!file.isValid())
        return systemFailure("cannot create a file", errno);
    const bool writeBehind = coreToSpare && entry.size >= writeBehindSize;
    Outcome failure = writeBehind ? copyDataWritingBehind(reader, file.get(), entry.size)
                                  : copyData(reader, file.get());
    if (!failure)
        failure = finishFile(file, entry);
    if (!failure && !temporary.empty())
        failure = moveIntoPlace(folder.fd, temporary, entry);
    if (failure)
        ::unlinkat(folder.fd, temporary.empty() ? name.c_str() : temporary.c_str(), 0);
    return failure;
}

EntryWriter::Outcome EntryWriter::makeFolder(const PlannedEntry& entry) {
    const auto folder = m_cursor.open(entry.path, DirectoryCursor::Creation::CreateMissing);
    if (folder.fd < 0)
        return EntryFailure{folder.problem};
    return std::nullopt;
}

EntryWriter::Outcome EntryWriter::makeLink(const PlannedEntry& entry) {
    const auto folder =
        m_cursor.open(EntryPath::parentOf(entry.path), DirectoryCursor::Creation::CreateMissing);
    if (folder.fd < 0)
        return EntryFailure{folder.problem};
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

EntryWriter::Outcome EntryWriter::applyFolderAttributes(const PlannedEntry& entry) {
    const auto parent =
        m_cursor.open(EntryPath::parentOf(entry.path), DirectoryCursor::Creation::OpenExisting);
    if (parent.fd < 0)
        return EntryFailure{parent.problem};
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
        return error == 0;
    });
    if (!failure && error != 0)
        return systemFailure("cannot write", error);
    return failure;
}

EntryWriter::Outcome EntryWriter::copyDataWritingBehind(ArchiveReader& reader, int fd,
                                                        std::int64_t fileSize) {
    WriteBehind output(fd, fileSize);
    Outcome failure = forEachBlock(reader, [&](const char* data, std::size_t size, off_t offset) {
        return output.put(data, size, offset);
    });
    if (failure)
        return failure;
    if (const int error = output.finish())
        return systemFailure("cannot write", error);
    return std::nullopt;
}

EntryWriter::Outcome EntryWriter::finishFile(UniqueFd& file, const PlannedEntry& entry) {
    const timespec times[2] = {entry.accessed, entry.modified};
    if (::futimens(file.get(), times) != 0)
        return systemFailure("cannot set the file's time", errno);
    if (file.close() != 0)
        return systemFailure("cannot write", errno);
    return std::nullopt;
}

EntryWriter::Outcome EntryWriter::moveIntoPlace(int folderFd, const std::string& temporary,
                                                const PlannedEntry& entry) {
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
