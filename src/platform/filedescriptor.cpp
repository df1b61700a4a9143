#include "platform/filedescriptor.h"

#include <sys/stat.h>
#include <unistd.h>

FileDescriptor::~FileDescriptor() {
    // Nothing useful can be done about a failed close here; the data of a
    // failed write was already reported by the write itself.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool FileDescriptor::isRegularFile() const {
    struct stat status {};
    return isValid() && ::fstat(m_descriptor, &status) == 0 && S_ISREG(status.st_mode);
}
