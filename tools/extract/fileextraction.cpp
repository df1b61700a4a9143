#include "fileextraction.h"

#include "archivereader.h"
#include "entrywriter.h"
#include "extractionplan.h"
#include "reporter.h"
#include "smallfilewriters.h"
#include "stoprequest.h"

#include <sched.h>

#include <algorithm>
#include <optional>
#include <system_error>
#include <thread>

namespace {

// Creating, timing and renaming a file costs about as much as inflating this
// many bytes, so many small files weigh as much as a few large ones.
constexpr std::uint64_t perFileWeight = 16 * 1024;
// Below this much work per worker, another thread costs more than it saves.
constexpr std::uint64_t leastWeightPerWorker = 8 * 1024 * 1024;
// Past a handful of workers the file system, not the cores, sets the pace.
constexpr unsigned mostWorkers = 8;
// Every worker's reader holds its own copy of the archive's directory, about
// this much per entry, whatever the entry's size. The readers beyond the
// first may take this much together: an archive of a great many tiny files
// is read by one worker rather than held in memory several times over.
constexpr std::uint64_t directoryBytesPerEntry = 160;
constexpr std::uint64_t extraDirectoryBudget = 32 * 1024 * 1024;
// Runs per worker: enough to even out workers that end up slower.
constexpr std::size_t runsPerWorker = 8;
// Before a large file, pending entry lines go out, so the console does not
// wait for the file to show what came before it.
constexpr std::int64_t largeFileSize = 1024 * 1024;
// Below this many files, threads that only create small ones do not pay.
constexpr std::size_t leastFilesForWriters = 256;

// The cores this process may run on, which a CPU set or taskset can limit
// below the machine's count.
unsigned usableCores() {
    cpu_set_t cores;
    if (::sched_getaffinity(0, sizeof(cores), &cores) == 0)
        return unsigned(std::max(1, CPU_COUNT(&cores)));
    return std::max(1u, std::thread::hardware_concurrency());
}

std::uint64_t weightOf(const PlannedEntry& entry) {
    return std::uint64_t(std::max<std::int64_t>(entry.size, 0)) + perFileWeight;
}

} // namespace

FileExtraction::FileExtraction(const ExtractionPlan& plan, Target target, Reporter& reporter)
    : m_plan(plan)
    , m_target(std::move(target))
    , m_reporter(reporter) {
    const auto& entries = plan.entries();
    for (std::size_t position = 0; position < entries.size(); ++position) {
        const PlannedEntry& entry = entries[position];
        if (entry.kind == PlannedEntry::Kind::File && entry.action == PlannedEntry::Action::Write) {
            m_files.push_back(std::uint32_t(position));
            m_totalWeight += weightOf(entry);
        }
    }
}

void FileExtraction::run() {
    m_cores = usableCores();
    unsigned workers = workerCount();
    cutIntoRuns(workers);
    // One large file is one run: a second worker would find nothing to do.
    workers = unsigned(std::clamp<std::size_t>(m_runEnds.size(), 1, workers));
    m_busyWorkers = workers;
    // Fewer readers than cores, as the directory's memory allows for an
    // archive of very many files: the other cores create the small ones.
    std::optional<SmallFileWriters> smallFiles;
    if (workers < m_cores && m_files.size() >= leastFilesForWriters) {
        // As many as cores: a writer waits on the file system at times, and
        // the reader writes a file itself whenever they have enough queued.
        smallFiles.emplace(std::min(m_cores, mostWorkers), mostWorkers, m_target.destinationFd,
                           m_target.temporaryPrefix, m_target.umask, m_reporter);
        m_smallFiles = &*smallFiles;
    }
    // Declared after the writers: the readers end before them.
    std::vector<std::jthread> threads;
    for (unsigned worker = 1; worker < workers; ++worker) {
        try {
            threads.emplace_back([this, worker] { work(worker); });
        } catch (const std::system_error&) {
            break; // The workers that did start, and this thread, share the runs.
        }
    }
    work(0);
    for (std::jthread& thread : threads)
        thread.join();
    m_smallFiles = nullptr;
}

unsigned FileExtraction::workerCount() const {
    const std::uint64_t useful = std::max<std::uint64_t>(1, m_totalWeight / leastWeightPerWorker);
    const std::uint64_t directoryBytes =
        std::max<std::uint64_t>(1, m_plan.entryCount() * directoryBytesPerEntry);
    const std::uint64_t affordable = 1 + extraDirectoryBudget / directoryBytes;
    return unsigned(std::min<std::uint64_t>({m_cores, mostWorkers, useful, affordable}));
}

void FileExtraction::cutIntoRuns(unsigned workers) {
    const std::uint64_t runWeight =
        std::max<std::uint64_t>(1, m_totalWeight / (workers * runsPerWorker));
    std::uint64_t weight = 0;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        weight += weightOf(m_plan.entries()[m_files[i]]);
        if (weight >= runWeight || i + 1 == m_files.size()) {
            m_runEnds.push_back(i + 1);
            weight = 0;
        }
    }
}

void FileExtraction::work(unsigned worker) {
    ArchiveReader reader(m_target.archiveFd, m_target.archiveStart, m_target.archiveSize);
    EntryWriter writer(m_target.destinationFd,
                       m_target.temporaryPrefix + std::to_string(worker) + "-", m_target.umask);
    for (std::size_t run = m_nextRun++; run < m_runEnds.size(); run = m_nextRun++) {
        const std::size_t begin = run == 0 ? 0 : m_runEnds[run - 1];
        for (std::size_t i = begin; i < m_runEnds[run] && !StopRequest::isRequested(); ++i)
            extract(m_plan.entries()[m_files[i]], reader, writer);
    }
    --m_busyWorkers;
}

void FileExtraction::extract(const PlannedEntry& entry, ArchiveReader& reader,
                             EntryWriter& writer) {
    if (entry.size >= largeFileSize)
        m_reporter.flush();
    const int status = reader.moveTo(entry.index);
    // The plan keeps no name for a file: the header it read gives it again.
    std::optional<std::string> path;
    if (status == ARCHIVE_OK)
        path = ExtractionPlan::pathOf(reader.entry());
    EntryWriter::Outcome failure;
    if (path) {
        auto details = EntryDetails::fromHeader(reader.entry(), entry.index, *path);
        if (m_smallFiles && entry.size >= 0 && entry.size <= SmallFileWriters::largestFile) {
            // Read and checked here; created here too while the writers
            // have enough queued.
            std::vector<char> data;
            failure = EntryWriter::readData(reader, entry.size, data);
            if (!failure && m_smallFiles->hand(details, data))
                return;
            if (!failure)
                failure = writer.writeFile(details, data);
        } else {
            failure = writer.writeFile(details, entry.size, reader, m_busyWorkers < m_cores);
        }
    } else if (status == ARCHIVE_OK)
        failure = EntryFailure{"the entry is no longer the one the plan read"};
    else if (status == ARCHIVE_EOF)
        failure = EntryFailure{"the entry is no longer in the archive"};
    else if (reader.hasGivenUp())
        failure = EntryFailure{"not read: too many damaged entries come before it"};
    else
        failure = EntryFailure::fromLibraryText(reader.errorText());
    const std::string label = path ? *path : "entry " + std::to_string(entry.index + 1);
    if (!failure) {
        m_reporter.entryDone(Reporter::Outcome::Extracted, label);
        return;
    }
    m_reporter.entryFailed(label, *failure);
}
