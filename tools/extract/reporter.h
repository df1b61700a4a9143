#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

struct EntryFailure;

// Writes the command's output for a console: one line per entry on standard
// output, one line per problem on standard error, a closing summary, and
// after a failure one last line on standard error that names its main cause.
// Safe to call from several threads; every line reaches its stream whole.
class Reporter {
public:
    explicit Reporter(std::string archiveName);
    ~Reporter();
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    enum class Outcome {
        Extracted,
        Created,
        Linked,
        Skipped,
    };
    void entryDone(Outcome outcome, std::string_view path, std::string_view detail = {});
    // A failure that stops the extraction (a full disk) stops it here; one
    // that only says it is stopping is no failure of the entry.
    void entryFailed(std::string_view path, const EntryFailure& failure);
    void archiveFailed(std::string_view reason);
    // Something the user should know that is no failure.
    void note(std::string_view text);
    // Says once, however many entries ran into the end of the file, that the
    // archive is truncated and a part may be missing.
    void archiveTruncated();

    void summary(std::size_t entryCount, std::string_view destination);
    bool hasFailed() const;
    // After the summary of a failed extraction: the one cause that matters
    // most, a full disk before a truncated archive before a damaged one
    // before a count of the entries that failed.
    void conclude(std::size_t entryCount);
    void flush();

private:
    void writeOutput(std::string line);
    void writeError(std::string line);
    void flushLocked();

    mutable std::mutex m_mutex;
    std::string m_archiveName;
    std::string m_pending;
    std::chrono::steady_clock::time_point m_pendingSince;
    std::size_t m_doneCount = 0;
    std::size_t m_failureCount = 0;
    std::string m_archiveFailure; // the first
    bool m_truncationReported = false;
    bool m_diskFullReported = false;
};
