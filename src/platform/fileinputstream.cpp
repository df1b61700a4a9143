#include "platform/fileinputstream.h"

#include "platform/filesystem.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::optional<FileInputStream> FileInputStream::open(const QUrl& location) {
    const QString path = FileSystem::localPath(location);
    if (path.isEmpty())
        return std::nullopt;
    // Opened without waiting, so that a named pipe nobody writes to cannot
    // hold the merge (and the service's end) for ever; it reads as empty.
    // Reads wait again as usual.
    FileDescriptor descriptor(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!descriptor.isValid())
        return std::nullopt;
    const int flags = ::fcntl(descriptor.value(), F_GETFL);
    if (flags < 0 || ::fcntl(descriptor.value(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return std::nullopt;
    return FileInputStream(std::move(descriptor));
}

FileInputStream::FileInputStream(FileDescriptor descriptor)
    : m_descriptor(std::move(descriptor))
    , m_isRegularFile(m_descriptor.isRegularFile()) {}

qint64 FileInputStream::read(char* buffer, qint64 maximum) {
    ssize_t count;
    do {
        count = ::read(m_descriptor.value(), buffer, size_t(maximum));
    } while (count < 0 && errno == EINTR);
    return count;
}
