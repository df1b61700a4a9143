#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ExtractionPlan;
class Reporter;
struct PlannedEntry;
class ArchiveReader;
class EntryWriter;
class SmallFileWriters;

// Writes the plan's regular files on all cores. The files are cut into runs
// of neighbouring entries of similar weight; each worker opens its own reader
// on the archive, takes the next run and walks forward to it, so readers only
// ever move forward. Folders and links are not touched here: the plan has
// settled every conflict between entries, so files can land in any order.
class FileExtraction {
public:
    struct Target {
        int archiveFd;
        std::int64_t archiveStart; // bytes before it are not the archive's
        std::int64_t archiveSize;
        int destinationFd;
        std::string temporaryPrefix;
        mode_t umask;
    };

    FileExtraction(const ExtractionPlan& plan, Target target, Reporter& reporter);

    void run();

private:
    unsigned workerCount() const;
    void cutIntoRuns(unsigned workers);
    void work(unsigned worker);
    void extract(const PlannedEntry& entry, ArchiveReader& reader, EntryWriter& writer);

    const ExtractionPlan& m_plan;
    Target m_target;
    Reporter& m_reporter;
    std::vector<std::uint32_t> m_files; // positions in the plan, in reading order
    std::vector<std::size_t> m_runEnds;
    std::uint64_t m_totalWeight = 0;
    std::atomic<std::size_t> m_nextRun{0};
    unsigned m_cores = 1;
    // Workers still taking runs; while fewer than the cores, a large file
    // may have a thread of its own for writing.
    std::atomic<unsigned> m_busyWorkers{0};
    SmallFileWriters* m_smallFiles = nullptr; // while run() has them
};
