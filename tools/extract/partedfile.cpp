#include "partedfile.h"

#include "entryname.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

PartedFile::PartedFile(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        Part part;
        const std::size_t slash = path.rfind('/');
        part.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
        // Non-blocking, so that a FIFO cannot make the check wait.
        part.fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        struct stat status {};
        if (!part.fd.isValid() || ::fstat(part.fd.get(), &status) != 0) {
            m_problem = "cannot open " + EntryName::printable(path) + ": " + std::strerror(errno);
            return;
        }
        if (!S_ISREG(status.st_mode)) {
            m_problem = "cannot read " + EntryName::printable(path) + ": not a regular file";
            return;
        }
        part.start = m_size;
        part.size = status.st_size;
        m_size += part.size;
        m_parts.push_back(std::move(part));
    }
    if (m_parts.empty())
        m_problem = "no parts given";
}

std::size_t PartedFile::partAt(std::int64_t offset) const {
    const auto after =
        std::upper_bound(m_parts.begin(), m_parts.end(), offset,
                         [](std::int64_t value, const Part& part) { return value < part.start; });
    const auto index = std::size_t(std::max<std::ptrdiff_t>(0, after - m_parts.begin() - 1));
    // Empty parts share their start with the next; the byte is in the later.
    return std::min(index, m_parts.size() - 1);
}

bool PartedFile::readAt(std::int64_t offset, char* buffer, std::size_t count) const {
    if (offset < 0 || std::int64_t(count) > m_size - offset)
        return false;
    while (count > 0) {
        const Part& part = m_parts[partAt(offset)];
        const auto inPart = std::size_t(
            std::min<std::int64_t>(std::int64_t(count), part.start + part.size - offset));
        if (inPart == 0 ||
            !FileBytes(part.fd.get(), part.size).readAt(offset - part.start, buffer, inPart))
            return false;
        buffer += inPart;
        offset += std::int64_t(inPart);
        count -= inPart;
    }
    return true;
}
