#pragma once

#include <cstdint>

// Explains why the zip reader refused a file. The reader looks for the end
// record of the central directory at the end of the file; without it, or when
// the directory it points to lies beyond the end, the reader calls the file
// "unrecognized", while the usual cause here is a missing part.
namespace ArchiveDiagnosis {

enum class Verdict {
    Empty,
    // A well-formed zip without entries, which the reader declines.
    NoEntries,
    NotZip,
    // Begins like a zip but ends before its end record, or before the
    // offsets its central directory names.
    Truncated,
    Damaged,
};

Verdict diagnose(int fd, std::int64_t fileSize);

} // namespace ArchiveDiagnosis
