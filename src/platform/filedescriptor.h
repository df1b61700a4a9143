#pragma once

#include <utility>

// Owns one POSIX file descriptor and closes it when it goes, on every path.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor) {}
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    bool isValid() const { return m_descriptor >= 0; }
    int value() const { return m_descriptor; }

    // Whether the descriptor refers to a regular file (not a device, pipe or folder).
    bool isRegularFile() const;

private:
    int m_descriptor = -1;
};
