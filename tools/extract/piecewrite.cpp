#include "piecewrite.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

int writePiecewise(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t count = ::pwrite(fd, data, std::min(size, maximumPiece), offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            return EIO; // a regular file that takes nothing will not take more later
        data += count;
        size -= std::size_t(count);
        offset += count;
    }
    return 0;
}
