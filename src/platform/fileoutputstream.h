#pragma once

#include "platform/filedescriptor.h"
#include "platform/filesystem.h"

#include <QUrl>

#include <optional>

class FileInputStream;

// Writes one new regular file from its start to its end.
class FileOutputStream {
public:
    struct Created;
    // A new, empty regular file at the location. A regular file already there
    // is removed first (its other names, if any, keep their contents); a link,
    // a pipe, a device or a folder there is never opened, written through or
    // removed, and the creation fails with EEXIST.
    static Created createReplacing(const QUrl& location);

    // The number of bytes accepted (possibly fewer than given: at most 64 KiB
    // go in one call), negative on error, with the errno value in lastError().
    qint64 write(const char* bytes, qint64 count);

    // Lets the kernel copy up to maximum bytes from the input's position to
    // this file's end, which on file systems that can shares the blocks
    // instead of copying them. Returns the number of bytes copied; 0 or
    // negative when nothing was copied, either at the input's end or because
    // the kernel cannot copy between these two files. The caller then goes on
    // with read() and write(), which tell the end, the failing side and the
    // unsupported pair apart.
    qint64 appendFrom(FileInputStream& input, qint64 maximum);

    int lastError() const { return m_lastError; }

    // Which file this stream writes, to recognise it later by its name.
    std::optional<FileSystem::FileIdentity> identity() const;

private:
    explicit FileOutputStream(FileDescriptor descriptor);

    FileDescriptor m_descriptor;
    int m_lastError = 0;
};

struct FileOutputStream::Created {
    std::optional<FileOutputStream> stream;
    int error = 0; // errno value when there is no stream
};
