#include "service/archivemerger.h"

#include "platform/fileinputstream.h"
#include "platform/fileoutputstream.h"
#include "platform/filesystem.h"

#include <QCoreApplication>
#include <QThread>

namespace {

// The service asks its thread to stop when it goes away (the window closed);
// the merge then stops between two blocks instead of copying on for minutes.
bool isStopRequested() {
    return QThread::currentThread()->isInterruptionRequested();
}

} // namespace

ArchiveMerger::ArchiveMerger(QList<QUrl> parts, QUrl combinedArchive, ProgressReport reportProgress,
                             CancelCheck isCancelled)
    : m_parts(std::move(parts))
    , m_combinedArchive(std::move(combinedArchive))
    , m_reportProgress(std::move(reportProgress))
    , m_isCancelled(std::move(isCancelled)) {}

ArchiveMerger::~ArchiveMerger() = default;

std::optional<ExtractionError> ArchiveMerger::merge() {
    if (std::optional<ExtractionError> refusal = refuseOverwritingAPart())
        return refusal;

    FileOutputStream::Created created = FileOutputStream::createReplacing(m_combinedArchive);
    if (!created.stream)
        return ExtractionError::writeFailed(m_combinedArchive, created.error);
    FileOutputStream& output = *created.stream;
    m_combinedArchiveIdentity = output.identity();

    m_total = totalSize();
    m_copied = 0;
    // Pages of the buffer are only touched when the kernel cannot copy by itself.
    m_buffer = std::make_unique_for_overwrite<char[]>(blockSize);
    std::optional<ExtractionError> failure;
    for (const QUrl& part : std::as_const(m_parts)) {
        failure = copyPart(part, output);
        if (failure)
            break;
    }
    m_buffer.reset();
    return failure;
}

// Replacing the combined archive first would destroy a part that is that very
// file (named so by hand, or reached through a link) before it is read.
std::optional<ExtractionError> ArchiveMerger::refuseOverwritingAPart() const {
    for (const QUrl& part : m_parts) {
        if (FileSystem::isSameFile(part, m_combinedArchive)) {
            return ExtractionError::extractionFailed(
                QCoreApplication::translate("ArchiveMerger",
                                            "the part %1 is the file the parts are merged into "
                                            "(%2); choose another destination folder")
                    .arg(part.fileName(), m_combinedArchive.fileName()));
        }
    }
    return std::nullopt;
}

// A part whose size cannot be read adds nothing here but is still copied.
qint64 ArchiveMerger::totalSize() const {
    qint64 total = 0;
    for (const QUrl& part : m_parts)
        total += FileSystem::fileSize(part).value_or(0);
    return total;
}

std::optional<ExtractionError> ArchiveMerger::copyPart(const QUrl& part, FileOutputStream& output) {
    FileInputStream::Opened opened = FileInputStream::open(part);
    if (!opened.stream)
        return ExtractionError::readPermissionDenied(part, opened.error);
    FileInputStream& input = *opened.stream;
    bool kernelCopies = true;
    while (!isStopRequested()) {
        if (m_isCancelled && m_isCancelled())
            return ExtractionError::cancelled();
        if (kernelCopies) {
            const qint64 copied = output.appendFrom(input, blockSize);
            if (copied > 0) {
                countCopied(copied);
                continue;
            }
            // At the end, or a pair the kernel cannot copy between: reads and
            // writes confirm the end or find out which side failed.
            kernelCopies = false;
        }
        const qint64 read = input.read(m_buffer.get(), blockSize);
        if (read < 0)
            return ExtractionError::readPermissionDenied(part, input.lastError());
        if (read == 0)
            return std::nullopt;
        if (!writeAll(output, read))
            return ExtractionError::writeFailed(m_combinedArchive, output.lastError());
        countCopied(read);
    }
    return ExtractionError::extractionFailed(
        QCoreApplication::translate("ArchiveMerger", "the merge was stopped"));
}

// A write that accepts nothing counts as a failure (with no errno, so never as a
// full disk): retrying it could go on forever.
bool ArchiveMerger::writeAll(FileOutputStream& output, qint64 count) {
    qint64 written = 0;
    while (written < count) {
        const qint64 accepted = output.write(m_buffer.get() + written, count - written);
        if (accepted <= 0)
            return false;
        written += accepted;
    }
    return true;
}

void ArchiveMerger::countCopied(qint64 count) {
    m_copied += count;
    if (m_total > 0)
        m_reportProgress(double(m_copied) / double(m_total) * 0.5);
}
