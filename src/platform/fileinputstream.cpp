#include "platform/fileinputstream.h"

#include "platform/filesystem.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FileInputStream::Opened FileInputStream::open(const QUrl& location) {
    const QString path = FileSystem::localPath(location);
    if (path.isEmpty())
        return {std::nullopt, ENOENT};
    // Opened without waiting, so that a named pipe nobody writes to cannot
    // hold the merge (and the service's end) for ever before it is refused.
    FileDescriptor descriptor(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!descriptor.isValid())
        return {std::nullopt, errno};
    // Checked on the descriptor, not the path: what was opened is what is read.
    if (!descriptor.isRegularFile())
        return {std::nullopt, EINVAL};
    return {FileInputStream(std::move(descriptor)), 0};
}

FileInputStream::FileInputStream(FileDescriptor descriptor)
    : m_descriptor(std::move(descriptor)) {}

qint64 FileInputStream::read(char* buffer, qint64 maximum) {
    ssize_t count;
    do {
        count = ::read(m_descriptor.value(), buffer, size_t(maximum));
    } while (count < 0 && errno == EINTR);
    if (count < 0)
        m_lastError = errno;
    return count;
}
