#pragma once

#include "platform/filedescriptor.h"

#include <QUrl>

#include <optional>

// Reads one file from its start to its end in pieces of the caller's size.
class FileInputStream {
public:
    // Nothing when the location cannot be opened for reading.
    static std::optional<FileInputStream> open(const QUrl& location);

    // The number of bytes read: 0 at the end of the file, negative on error.
    qint64 read(char* buffer, qint64 maximum);

private:
    explicit FileInputStream(FileDescriptor descriptor);

    FileDescriptor m_descriptor;
    bool m_isRegularFile;

    friend class FileOutputStream; // lets the kernel copy straight from this file
};
