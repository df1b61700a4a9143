#pragma once

#include "platform/filedescriptor.h"

#include <QUrl>

#include <optional>

class FileInputStream;

// Appends to the end of one file.
class FileOutputStream {
public:
    // Nothing when the location cannot be opened for writing.
    static std::optional<FileOutputStream> openForAppend(const QUrl& location);

    // The number of bytes accepted (possibly fewer than given: at most 64 KiB
    // go in one call), negative on error.
    qint64 write(const char* bytes, qint64 count);

    // Lets the kernel copy up to maximum bytes from the input's position to
    // this file's end, which on file systems that can shares the blocks
    // instead of copying them. Returns the number of bytes copied; 0 or
    // negative when nothing was copied, either at the input's end or because
    // the kernel cannot copy between these two files. The caller then goes on
    // with read() and write(), which tell the end, the failing side and the
    // unsupported pair apart.
    qint64 appendFrom(FileInputStream& input, qint64 maximum);

private:
    explicit FileOutputStream(FileDescriptor descriptor);

    FileDescriptor m_descriptor;
    bool m_isRegularFile;
};
