#include "reporter.h"

#include "entryfailure.h"
#include "entryname.h"
#include "stoprequest.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

// Writes up to this size reach a pipe in one piece, so a reader never sees
// half a line or half a character.
constexpr std::size_t atomicWriteSize = PIPE_BUF;
constexpr auto outputDelay = std::chrono::milliseconds(50);
constexpr std::string_view program = "kestrune-extract: ";
constexpr std::string_view truncationText =
    "the archive is truncated: a part, possibly the last one, may be missing";

void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t count = ::write(fd, text.data(), text.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return; // Nobody is listening any more; extraction goes on regardless.
        text.remove_prefix(std::size_t(count));
    }
}

std::string_view label(Reporter::Outcome outcome) {
    switch (outcome) {
    case Reporter::Outcome::Extracted:
        return "extracted: ";
    case Reporter::Outcome::Created:
        return "created:   ";
    case Reporter::Outcome::Linked:
        return "linked:    ";
    case Reporter::Outcome::Skipped:
        return "skipped:   ";
    }
    return {};
}

} // namespace

Reporter::Reporter(std::string archiveName)
    : m_archiveName(EntryName::printable(archiveName)) {}

Reporter::~Reporter() {
    flush();
}

void Reporter::entryDone(Outcome outcome, std::string_view path, std::string_view detail) {
    std::string line(label(outcome));
    line += EntryName::printable(path);
    if (!detail.empty())
        line.append(" ").append(EntryName::printable(detail));
    std::lock_guard lock(m_mutex);
    ++m_doneCount;
    writeOutput(std::move(line));
}

void Reporter::entryFailed(std::string_view path, const EntryFailure& failure) {
    if (failure.isStop)
        return;
    std::string line(program);
    line.append(EntryName::printable(path)).append(": ").append(failure.reason);
    {
        std::lock_guard lock(m_mutex);
        ++m_failureCount;
        // Once the disk is full, the entries already under way fail too;
        // the first one says why.
        if (m_diskFullReported && failure.isDiskFull)
            return;
        m_diskFullReported = m_diskFullReported || failure.isDiskFull;
        writeError(std::move(line));
    }
    if (failure.isDiskFull)
        StopRequest::requestForFullDisk();
    if (failure.isTruncation)
        archiveTruncated();
}

void Reporter::archiveFailed(std::string_view reason) {
    std::string line(program);
    line.append(m_archiveName).append(": ").append(reason);
    std::lock_guard lock(m_mutex);
    if (m_archiveFailure.empty())
        m_archiveFailure = reason;
    writeError(std::move(line));
}

void Reporter::note(std::string_view text) {
    std::lock_guard lock(m_mutex);
    writeOutput("note:      " + EntryName::printable(text));
}

void Reporter::archiveTruncated() {
    {
        std::lock_guard lock(m_mutex);
        if (m_truncationReported)
            return;
        m_truncationReported = true;
    }
    std::string line(program);
    line.append(m_archiveName).append(": ").append(truncationText);
    std::lock_guard lock(m_mutex);
    writeError(std::move(line));
}

void Reporter::summary(std::size_t entryCount, std::string_view destination) {
    std::lock_guard lock(m_mutex);
    std::string line = "Extracted " + std::to_string(m_doneCount) + " of " +
                       std::to_string(entryCount) + " entries into " +
                       EntryName::printable(destination);
    if (m_failureCount > 0)
        line += "; " + std::to_string(m_failureCount) + " failed";
    writeOutput(line + ".");
    flushLocked();
}

bool Reporter::hasFailed() const {
    std::lock_guard lock(m_mutex);
    return m_failureCount > 0 || !m_archiveFailure.empty() || m_truncationReported;
}

void Reporter::conclude(std::size_t entryCount) {
    std::lock_guard lock(m_mutex);
    std::string cause;
    if (m_diskFullReported)
        cause = "the destination's disk is full";
    else if (m_truncationReported)
        cause = truncationText;
    else if (!m_archiveFailure.empty())
        cause = m_archiveFailure;
    else if (m_failureCount > 0)
        cause = std::to_string(m_failureCount) + " of " + std::to_string(entryCount) +
                " entries could not be extracted";
    if (!cause.empty())
        writeError(std::string(program) + cause);
}

void Reporter::flush() {
    std::lock_guard lock(m_mutex);
    flushLocked();
}

// Entry lines are gathered into blocks of whole lines, written at most
// outputDelay late: one write per line costs more than a small file's whole
// extraction when an archive holds many thousands of them.
void Reporter::writeOutput(std::string line) {
    line += '\n';
    if (m_pending.size() + line.size() > atomicWriteSize)
        flushLocked();
    if (m_pending.empty())
        m_pendingSince = std::chrono::steady_clock::now();
    m_pending += line;
    if (std::chrono::steady_clock::now() - m_pendingSince >= outputDelay)
        flushLocked();
}

void Reporter::writeError(std::string line) {
    flushLocked(); // Keeps entry lines and problems in the order they happened.
    line += '\n';
    writeAll(STDERR_FILENO, line);
}

void Reporter::flushLocked() {
    writeAll(STDOUT_FILENO, m_pending);
    m_pending.clear();
}
