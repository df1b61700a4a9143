#pragma once

#include "platform/filedescriptor.h"

#include <QUrl>

#include <optional>

#include <sys/types.h>

class FileInputStream;

// Appends to the end of one file.
class FileOutputStream {
public:
    // Nothing when the location cannot be opened for writing.
    static std::optional<FileOutputStream> openForAppend(const QUrl& location);

    // The number of bytes accepted (possibly fewer than given), negative on error.
    qint64 write(const char* bytes, qint64 count);

    // Lets the kernel copy up to maximum bytes from the input's position to
    // this file's end, which on file systems that can shares the blocks
    // instead of copying them. Returns the number of bytes copied; 0 or
    // negative when nothing was copied, either at the input's end or because
    // the kernel cannot copy between these two files. The caller then goes on
    // with read() and write(), which tell the end, the failing side and the
    // unsupported pair apart.
    qint64 appendFrom(FileInputStream& input, qint64 maximum);

    // Sets the file's size to this many more bytes at once, so that the
    // writes that follow fill it in place instead of growing the file, and
    // its record on disk, with every block. No disk space is taken: the
    // blocks come as the data reaches the disk, and a file deleted before
    // then never gets any. Where the size cannot be set, nothing changes.
    void presize(qint64 count);
    // Cuts the file back to the bytes written, for when fewer came than the
    // size set up front. False when the file could not be cut.
    bool trimToWritten();

private:
    explicit FileOutputStream(FileDescriptor descriptor);

    FileDescriptor m_descriptor;
    bool m_isRegularFile;
    off_t m_presizedEnd = 0; // the size set up front, 0 for none
};
