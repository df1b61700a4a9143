#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Tells a watching parent how far the extraction has come: lines
// "<written> <total>\n" of file data bytes, on the descriptor that
// KESTRUNE_PROGRESS_FD names. Without one, every call does nothing. It never
// holds the extraction up: a line the reader is not ready for is dropped, and
// nothing of it ever goes to standard output or standard error.
namespace ProgressReport {

// Takes the descriptor from the environment. Must come before the process
// opens any file of its own, which could otherwise sit on the number named.
void openFromEnvironment();
// The descriptor a value of KESTRUNE_PROGRESS_FD names: a plain decimal
// number from 3 on, open in this process.
std::optional<int> descriptorFrom(std::string_view value);

// Reports 0 of the total the plan will write.
void start(std::int64_t totalBytes);
// From any thread; reports at most every interval.
void add(std::size_t bytes);
// Reports where it ended. Only once no worker adds any more.
void finish();

} // namespace ProgressReport
