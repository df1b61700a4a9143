#include "bytesource.h"

#include <unistd.h>

#include <cerrno>

bool FileBytes::readAt(std::int64_t offset, char* buffer, std::size_t count) const {
    if (offset < 0)
        return false;
    while (count > 0) {
        const ssize_t read = ::pread(m_fd, buffer, count, offset);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;
        buffer += read;
        offset += read;
        count -= std::size_t(read);
    }
    return true;
}
