#include "archivereader.h"

#include "passphrase.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Big enough to keep the per-call cost of the library low, small enough that
// hopping from one local header to the next does not read much in vain.
constexpr std::size_t blockSize = 128 * 1024;
// How many headers a reader may walk again after fatal errors: this many
// times the entries it has reached, plus a fixed allowance, which lets small
// archives start over as often as they need.
constexpr std::size_t walkAgainFactor = 8;
constexpr std::size_t walkAgainAllowance = 64 * 1024;

} // namespace

ArchiveReader::ArchiveReader(int fd, std::int64_t start, std::int64_t fileSize)
    : m_buffer(blockSize)
    , m_fd(fd)
    , m_start(start)
    , m_size(fileSize - start) {}

bool ArchiveReader::open() {
    m_archive.reset(archive_read_new());
    m_entry = nullptr;
    m_position = 0;
    m_nextIndex = 0;
    m_broken = false;
    if (!m_archive)
        return false;
    archive* handle = m_archive.get();
    archive_read_support_format_zip_seekable(handle);
    Passphrase::applyTo(handle);
    archive_read_set_callback_data(handle, this);
    archive_read_set_read_callback(handle, &ArchiveReader::read);
    archive_read_set_skip_callback(handle, &ArchiveReader::skip);
    archive_read_set_seek_callback(handle, &ArchiveReader::seek);
    if (archive_read_open1(handle) != ARCHIVE_OK) {
        m_broken = true;
        return false;
    }
    return true;
}

int ArchiveReader::moveTo(std::size_t index) {
    const bool isFirstOpen = !m_archive;
    if (isFirstOpen || m_broken || index < m_nextIndex) {
        if (!isFirstOpen)
            m_walkedAgain += index;
        m_hasGivenUp = m_walkedAgain > walkAgainFactor * m_furthestIndex + walkAgainAllowance;
        if (m_hasGivenUp || !open())
            return ARCHIVE_FATAL;
    }
    m_furthestIndex = std::max(m_furthestIndex, index);
    for (;;) {
        const int status = archive_read_next_header(m_archive.get(), &m_entry);
        if (status == ARCHIVE_EOF)
            return status;
        if (status == ARCHIVE_FATAL) {
            m_broken = true;
            return status;
        }
        if (m_nextIndex++ == index)
            return status;
    }
}

std::string ArchiveReader::errorText() const {
    const char* text = m_archive ? archive_error_string(m_archive.get()) : nullptr;
    return text ? text : "the archive cannot be read";
}

la_ssize_t ArchiveReader::read(archive* handle, void* self, const void** buffer) {
    auto* reader = static_cast<ArchiveReader*>(self);
    for (;;) {
        const ssize_t count =
            ::pread(reader->m_fd, reader->m_buffer.data(), reader->m_buffer.size(),
                    reader->m_start + reader->m_position);
        if (count >= 0) {
            reader->m_position += count;
            *buffer = reader->m_buffer.data();
            return count;
        }
        if (errno != EINTR) {
            archive_set_error(handle, errno, "cannot read the archive");
            return -1;
        }
    }
}

la_int64_t ArchiveReader::skip(archive*, void* self, la_int64_t request) {
    auto* reader = static_cast<ArchiveReader*>(self);
    const la_int64_t remaining = std::max<la_int64_t>(reader->m_size - reader->m_position, 0);
    const la_int64_t step = std::clamp<la_int64_t>(request, 0, remaining);
    reader->m_position += step;
    return step;
}

la_int64_t ArchiveReader::seek(archive* handle, void* self, la_int64_t offset, int whence) {
    auto* reader = static_cast<ArchiveReader*>(self);
    la_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = reader->m_position;
    else if (whence == SEEK_END)
        base = reader->m_size;
    if (base + offset < 0) {
        archive_set_error(handle, EINVAL, "seek before the start of the archive");
        return ARCHIVE_FATAL;
    }
    reader->m_position = base + offset;
    return reader->m_position;
}
