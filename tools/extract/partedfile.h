#pragma once

#include "bytesource.h"
#include "uniquefd.h"

#include <cstdint>
#include <string>
#include <vector>

// The parts of a split archive, read as if joined in the order given,
// without copying a byte of them.
class PartedFile final : public ByteSource {
public:
    // Opens every part; a part that cannot be opened or is not a regular
    // file leaves the file unopened, with the reason in problem().
    explicit PartedFile(const std::vector<std::string>& paths);

    bool isOpen() const { return m_problem.empty(); }
    const std::string& problem() const { return m_problem; }

    std::int64_t size() const override { return m_size; }
    bool readAt(std::int64_t offset, char* buffer, std::size_t count) const override;

    std::size_t partCount() const { return m_parts.size(); }
    // The part that holds the byte at offset (the last part for offsets past
    // the end), and the file name of a part.
    std::size_t partAt(std::int64_t offset) const;
    const std::string& fileNameOf(std::size_t part) const { return m_parts[part].fileName; }

private:
    struct Part {
        UniqueFd fd;
        std::string fileName;
        std::int64_t start = 0; // in the joined bytes
        std::int64_t size = 0;
    };
    std::vector<Part> m_parts;
    std::int64_t m_size = 0;
    std::string m_problem;
};
