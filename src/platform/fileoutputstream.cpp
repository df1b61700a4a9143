#include "platform/fileoutputstream.h"

#include "platform/fileinputstream.h"
#include "platform/filesystem.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileOutputStream::Created FileOutputStream::createReplacing(const QUrl& location) {
    const QString path = FileSystem::localPath(location);
    if (path.isEmpty())
        return {std::nullopt, ENOENT};
    const QByteArray name = QFile::encodeName(path);
    // Removed rather than emptied: emptying would also empty every other name
    // of a hard-linked file, which may lie outside the destination.
    struct stat existing {};
    if (::lstat(name.constData(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::unlink(name.constData());
    // O_EXCL with O_NOFOLLOW: only a file made here and now is ever written,
    // never the target of a link someone left under this name.
    FileDescriptor descriptor(
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!descriptor.isValid())
        return {std::nullopt, errno};
    return {FileOutputStream(std::move(descriptor)), 0};
}

FileOutputStream::FileOutputStream(FileDescriptor descriptor)
    : m_descriptor(std::move(descriptor)) {}

qint64 FileOutputStream::write(const char* bytes, qint64 count) {
    // The page cache takes a large write in large folios, whose pages a
    // virtual machine that hands free memory back to its host must fault in
    // from the host again: on one, 2 GiB took 0.38 s in writes of 64 KiB and
    // 2.7 s or more in writes of 1 MiB. The caller writes the rest.
    constexpr qint64 maximumWrite = 64 * 1024;
    ssize_t written;
    do {
        written = ::write(m_descriptor.value(), bytes, size_t(std::min(count, maximumWrite)));
    } while (written < 0 && errno == EINTR);
    if (written < 0)
        m_lastError = errno;
    return written;
}

// Both ends are regular files: the input refuses anything else when it opens,
// and this stream only ever creates one.
qint64 FileOutputStream::appendFrom(FileInputStream& input, qint64 maximum) {
    ssize_t copied;
    do {
        copied = ::copy_file_range(input.m_descriptor.value(), nullptr, m_descriptor.value(),
                                   nullptr, size_t(maximum), 0);
    } while (copied < 0 && errno == EINTR);
    return copied;
}

std::optional<FileSystem::FileIdentity> FileOutputStream::identity() const {
    struct stat status {};
    if (::fstat(m_descriptor.value(), &status) != 0)
        return std::nullopt;
    return FileSystem::FileIdentity{quint64(status.st_dev), quint64(status.st_ino)};
}
