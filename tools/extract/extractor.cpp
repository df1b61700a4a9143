#include "extractor.h"

#include "archivediagnosis.h"
#include "archivereader.h"
#include "bytesource.h"
#include "directorycursor.h"
#include "entryname.h"
#include "entrypath.h"
#include "entrywriter.h"
#include "fileextraction.h"
#include "passphrase.h"
#include "progressreport.h"
#include "staletemporaries.h"
#include "stoprequest.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

std::size_t depthOf(const std::string& path) {
    return std::size_t(std::count(path.begin(), path.end(), '/'));
}

// Creates the destination and any missing folder above it, like mkdir -p.
bool createFolderTree(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

// The file data the plan will write: what the progress report counts up to.
std::int64_t bytesToWrite(const ExtractionPlan& plan) {
    std::int64_t total = 0;
    for (const PlannedEntry& entry : plan.entries()) {
        if (entry.kind == PlannedEntry::Kind::File && entry.action == PlannedEntry::Action::Write)
            total += std::max<std::int64_t>(entry.size, 0);
    }
    return total;
}

} // namespace

Extractor::Extractor(std::string archivePath, std::string destinationPath)
    : m_archivePath(std::move(archivePath))
    , m_destinationPath(std::move(destinationPath))
    , m_reporter(m_archivePath) {
    m_umask = ::umask(0);
    ::umask(m_umask);
}

int Extractor::run() {
    if (!openArchive() || !openDestination() || !readPlan() || !checkEntryCount() ||
        !checkPassword())
        return finish();
    ProgressReport::start(bytesToWrite(m_plan));
    removeStaleTemporaries();
    EntryWriter writer(m_destination.get(), m_plan.temporaryPrefix() + "main-", m_umask);
    createFolders(writer);
    writeFiles();
    // Links come last, after every file, so no file can be written through
    // a link the archive made. A stopped extraction leaves out what is left.
    if (!StopRequest::isRequested())
        createLinks(writer);
    if (!StopRequest::isRequested())
        finishFolders(writer);
    m_reporter.summary(m_plan.entryCount(), m_destinationPath);
    return finish();
}

int Extractor::finish() {
    ProgressReport::finish();
    if (StopRequest::signal() != 0) {
        m_reporter.flush();
        StopRequest::endBySignal();
    }
    if (!m_reporter.hasFailed())
        return succeeded;
    m_reporter.conclude(m_plan.entryCount());
    if (StopRequest::isDiskFull())
        return diskFull;
    return m_passwordProblem.value_or(failed);
}

bool Extractor::openArchive() {
    // Non-blocking, so that a FIFO given as the archive cannot make us wait.
    m_archive.reset(::open(m_archivePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!m_archive.isValid() || ::fstat(m_archive.get(), &status) != 0) {
        m_reporter.archiveFailed(std::string("cannot open the archive: ") + std::strerror(errno));
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        m_reporter.archiveFailed("not a zip archive: not a regular file");
        return false;
    }
    m_archiveSize = status.st_size;
    return true;
}

bool Extractor::openDestination() {
    if (!m_destinationPath.empty() && createFolderTree(m_destinationPath))
        m_destination.reset(::open(m_destinationPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (m_destination.isValid())
        return true;
    m_reporter.archiveFailed("cannot use the destination folder \"" +
                             EntryName::printable(m_destinationPath) +
                             "\": " + std::strerror(errno));
    return false;
}

bool Extractor::readPlan() {
    const FileBytes archive(m_archive.get(), m_archiveSize);
    m_endRecord = readEndRecord(archive);
    if (m_endRecord)
        m_archiveStart = m_endRecord->leadingBytes(archive);
    if (m_archiveStart > 0)
        m_reporter.note(std::to_string(m_archiveStart) +
                        " bytes before the archive's start are not part of it; skipped");
    ArchiveReader reader(m_archive.get(), m_archiveStart, m_archiveSize);
    if (reader.open()) {
        m_plan.build(reader, m_reporter, expectedEntryCount());
        return true;
    }
    switch (ArchiveDiagnosis::diagnose(m_archive.get(), m_archiveSize)) {
    case ArchiveDiagnosis::Verdict::NoEntries:
        return true; // Nothing to extract is no failure.
    case ArchiveDiagnosis::Verdict::Empty:
        m_reporter.archiveFailed("not a zip archive: the file is empty");
        break;
    case ArchiveDiagnosis::Verdict::NotZip:
        m_reporter.archiveFailed("not a zip archive");
        break;
    case ArchiveDiagnosis::Verdict::Truncated:
        m_reporter.archiveTruncated();
        break;
    case ArchiveDiagnosis::Verdict::Damaged:
        m_reporter.archiveFailed("the archive is damaged (" + reader.errorText() + ")");
        break;
    }
    return false;
}

// The library can miss entries without a word, when it misreads where the
// directory is; an extraction that claims success must have seen them all.
bool Extractor::checkEntryCount() {
    if (!m_endRecord || StopRequest::isRequested())
        return true;
    // A directory of more than 65535 entries without zip64 records declares
    // the count's low 16 bits only; more entries than declared are no loss.
    if (m_plan.entryCount() >= m_endRecord->entryCount)
        return true;
    m_reporter.archiveFailed("the archive's directory lists " +
                             std::to_string(m_endRecord->entryCount) + " entries, but only " +
                             std::to_string(m_plan.entryCount()) + " could be read");
    return false;
}

// A missing or wrong password ends the run before anything is written. The
// library tells a wrong one on the first read of an encrypted entry's data
// (by a check value of one byte for ZipCrypto, two for AES, so rarely a wrong
// password passes, and its entries then fail as damaged).
bool Extractor::checkPassword() {
    const std::optional<std::size_t> first = Passphrase::firstEncryptedEntry();
    if (!first || StopRequest::isRequested())
        return true;
    if (!Passphrase::isGiven()) {
        m_reporter.archiveFailed("the archive is protected by a password");
        m_passwordProblem = passwordRequired;
        return false;
    }
    ArchiveReader reader(m_archive.get(), m_archiveStart, m_archiveSize);
    if (reader.moveTo(*first) != ARCHIVE_OK)
        return true; // Whatever else is wrong with it, its writer reports.
    char block[4096];
    if (archive_read_data(reader.handle(), block, sizeof block) >= 0 ||
        !EntryFailure::fromLibraryText(reader.errorText()).isWrongPassword)
        return true;
    m_reporter.archiveFailed("wrong password");
    m_passwordProblem = wrongPassword;
    return false;
}

// What the end record promises, but never more than the archive's size allows,
// so that a lying count cannot make the plan reserve memory for nothing.
std::size_t Extractor::expectedEntryCount() const {
    constexpr std::int64_t smallestDirectoryRecord = 46;
    if (!m_endRecord)
        return 0;
    const auto possible = std::uint64_t((m_archiveSize - m_archiveStart) / smallestDirectoryRecord);
    return std::size_t(std::min<std::uint64_t>(m_endRecord->entryCount, possible));
}

void Extractor::removeStaleTemporaries() {
    DirectoryCursor folders(m_destination.get());
    StaleTemporaries::removeFrom(m_destination.get());
    for (const std::string& folder : m_plan.folders()) {
        const auto opened = folders.open(folder, DirectoryCursor::Creation::OpenExisting);
        if (opened.fd >= 0)
            StaleTemporaries::removeFrom(opened.fd);
    }
}

void Extractor::createFolders(EntryWriter& writer) {
    for (const PlannedEntry& entry : m_plan.entries()) {
        if (entry.action == PlannedEntry::Action::Ignore) {
            m_reporter.entryDone(Reporter::Outcome::Skipped, ".", "(the destination itself)");
            continue;
        }
        const EntryDetails* details = m_plan.detailsOf(entry);
        if (!details)
            continue; // a file to write
        if (entry.action == PlannedEntry::Action::Supersede) {
            m_reporter.entryDone(Reporter::Outcome::Skipped, details->path,
                                 "(a later entry of the same name replaces it)");
        } else if (entry.kind == PlannedEntry::Kind::Folder) {
            if (const auto failure = writer.makeFolder(*details))
                m_reporter.entryFailed(details->path, *failure);
            else
                m_createdFolders.push_back(details);
        }
    }
}

void Extractor::writeFiles() {
    FileExtraction::Target target{m_archive.get(),     m_archiveStart,           m_archiveSize,
                                  m_destination.get(), m_plan.temporaryPrefix(), m_umask};
    FileExtraction(m_plan, std::move(target), m_reporter).run();
}

void Extractor::createLinks(EntryWriter& writer) {
    for (const PlannedEntry& entry : m_plan.entries()) {
        if (entry.kind != PlannedEntry::Kind::Link || entry.action != PlannedEntry::Action::Write)
            continue;
        const EntryDetails& link = *m_plan.detailsOf(entry);
        if (const auto failure = writer.makeLink(link))
            m_reporter.entryFailed(link.path, *failure);
        else
            m_reporter.entryDone(Reporter::Outcome::Linked, link.path, "-> " + link.linkTarget);
    }
}

// Deepest first, so that a folder made read-only or unsearchable cannot stop
// the folders inside it from being finished.
void Extractor::finishFolders(EntryWriter& writer) {
    std::stable_sort(m_createdFolders.begin(), m_createdFolders.end(),
                     [](const EntryDetails* left, const EntryDetails* right) {
                         return depthOf(left->path) > depthOf(right->path);
                     });
    for (const EntryDetails* folder : m_createdFolders) {
        if (const auto failure = writer.applyFolderAttributes(*folder))
            m_reporter.entryFailed(folder->path, *failure);
        else
            m_reporter.entryDone(Reporter::Outcome::Created, folder->path + "/");
    }
}
