#include "fifo.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int patience = 60000; // milliseconds

int openEnd(const QString& path, int access) {
    return ::open(QFile::encodeName(path).constData(), access | O_NONBLOCK | O_CLOEXEC);
}

bool waitUntilWritable(int descriptor) {
    pollfd waiting{descriptor, POLLOUT, 0};
    return ::poll(&waiting, 1, patience) == 1 && (waiting.revents & POLLOUT);
}

} // namespace

namespace Fifo {

int openWriter(const QString& path) {
    return openEnd(path, O_WRONLY);
}

int openReader(const QString& path) {
    return openEnd(path, O_RDONLY);
}

int openBothEnds(const QString& path) {
    return openEnd(path, O_RDWR);
}

void shrink(int descriptor) {
    ::fcntl(descriptor, F_SETPIPE_SZ, int(::sysconf(_SC_PAGESIZE)));
}

bool writeAll(int descriptor, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (count > 0) {
            written += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // A full pipe says EAGAIN; anything else means the reader is gone.
        if ((count < 0 && errno != EAGAIN) || !waitUntilWritable(descriptor))
            return false;
    }
    return true;
}

qint64 waitingBytes(int descriptor) {
    int count = 0;
    return ::ioctl(descriptor, FIONREAD, &count) == 0 ? count : -1;
}

QByteArray readWaiting(int descriptor) {
    QByteArray bytes;
    char block[4096];
    for (;;) {
        const ssize_t count = ::read(descriptor, block, sizeof block);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return bytes; // empty for now (EAGAIN), or no writer any more
        bytes.append(block, count);
    }
}

} // namespace Fifo
