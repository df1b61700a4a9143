#pragma once

#include <cstddef>
#include <cstdint>

// Bytes at an offset of something that need not be one file: the archive,
// or the parts of a split archive read as if they had been joined.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t size() const = 0;
    // Exactly `count` bytes from `offset` on, or false.
    virtual bool readAt(std::int64_t offset, char* buffer, std::size_t count) const = 0;
};

// One open file; the descriptor stays the caller's.
class FileBytes final : public ByteSource {
public:
    FileBytes(int fd, std::int64_t size)
        : m_fd(fd)
        , m_size(size) {}
    std::int64_t size() const override { return m_size; }
    bool readAt(std::int64_t offset, char* buffer, std::size_t count) const override;

private:
    int m_fd;
    std::int64_t m_size;
};
