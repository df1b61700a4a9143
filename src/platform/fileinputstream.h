#pragma once

#include "platform/filedescriptor.h"

#include <QUrl>

#include <optional>

// Reads one regular file from its start to its end in pieces of the caller's
// size. Anything else (a device, a pipe, a folder) is refused at the open:
// /dev/zero never ends and a pipe may never begin.
class FileInputStream {
public:
    struct Opened;
    // The stream, or why it could not be opened (an errno value).
    static Opened open(const QUrl& location);

    // The number of bytes read: 0 at the end of the file, negative on error,
    // with the errno value in lastError().
    qint64 read(char* buffer, qint64 maximum);
    int lastError() const { return m_lastError; }

private:
    explicit FileInputStream(FileDescriptor descriptor);

    FileDescriptor m_descriptor;
    int m_lastError = 0;

    friend class FileOutputStream; // lets the kernel copy straight from this file
};

struct FileInputStream::Opened {
    std::optional<FileInputStream> stream;
    int error = 0;
};
