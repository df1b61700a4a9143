#include "progressreport.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// About twenty lines a second: enough for a smooth bar, too few to cost.
constexpr std::int64_t reportInterval = 50'000'000; // nanoseconds

std::atomic<int> reportFd{-1};
std::atomic<bool> started{false};
std::atomic<std::int64_t> writtenBytes{0};
std::atomic<std::int64_t> totalBytes{0};
std::atomic<std::int64_t> lastReportTime{0};
// Held by the one thread writing a line, so lines go out in the order their
// counts were read and written never goes backwards.
std::atomic_flag sending = ATOMIC_FLAG_INIT;

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One write of a short line: a pipe takes it whole or, when full, not at all.
// A reader that went away (EPIPE) is no reason to stop extracting.
void send() {
    const std::string line =
        std::to_string(writtenBytes.load()) + ' ' + std::to_string(totalBytes.load()) + '\n';
    [[maybe_unused]] const ssize_t ignored =
        ::write(reportFd.load(std::memory_order_relaxed), line.data(), line.size());
}

} // namespace

std::optional<int> ProgressReport::descriptorFrom(std::string_view value) {
    unsigned number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (value.empty() || error != std::errc() || stop != end || number < 3 ||
        number > unsigned(std::numeric_limits<int>::max()))
        return std::nullopt;
    if (::fcntl(int(number), F_GETFD) == -1)
        return std::nullopt;
    return int(number);
}

void ProgressReport::openFromEnvironment() {
    const char* value = std::getenv("KESTRUNE_PROGRESS_FD");
    if (!value)
        return;
    const std::optional<int> fd = descriptorFrom(value);
    if (!fd)
        return;
    // A reader that falls behind must cost a dropped line, never a wait.
    const int flags = ::fcntl(*fd, F_GETFL);
    if (flags == -1 || ::fcntl(*fd, F_SETFL, flags | O_NONBLOCK) == -1)
        return;
    reportFd.store(*fd);
}

void ProgressReport::start(std::int64_t total) {
    if (reportFd.load() < 0)
        return;
    totalBytes.store(total);
    lastReportTime.store(now());
    started.store(true);
    send();
}

void ProgressReport::add(std::size_t bytes) {
    if (reportFd.load(std::memory_order_relaxed) < 0)
        return;
    writtenBytes.fetch_add(std::int64_t(bytes), std::memory_order_relaxed);
    const std::int64_t time = now();
    std::int64_t last = lastReportTime.load(std::memory_order_relaxed);
    if (time - last < reportInterval)
        return;
    // One winner per interval; the others go on writing files.
    if (!lastReportTime.compare_exchange_strong(last, time, std::memory_order_relaxed))
        return;
    if (sending.test_and_set(std::memory_order_acquire))
        return;
    send();
    sending.clear(std::memory_order_release);
}

void ProgressReport::finish() {
    // An archive that could not be read has no plan, and nothing to count.
    if (reportFd.load() < 0 || !started.load() || sending.test_and_set(std::memory_order_acquire))
        return;
    send();
    sending.clear(std::memory_order_release);
}
