#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

// Writes the command's output for a console: one line per entry on standard
// output, one line per problem on standard error, and a closing summary.
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
    void entryFailed(std::string_view path, std::string_view reason);
    void archiveFailed(std::string_view reason);
    // Says once, however many entries ran into the end of the file, that the
    // archive is truncated and a part may be missing.
    void archiveTruncated();

    void summary(std::size_t entryCount, std::string_view destination);
    std::size_t failureCount() const;
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
    bool m_truncationReported = false;
};
