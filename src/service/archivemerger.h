#pragma once

#include "platform/filesystem.h"
#include "service/extractionerror.h"

#include <QList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class FileOutputStream;

// Concatenates the parts of one archive, in the order given, into the
// combined archive, one 4 MiB block at a time, reporting the overall fraction
// after each block. It neither reorders, deduplicates nor checks the parts for
// gaps: their order and completeness are the group's.
class ArchiveMerger {
public:
    static constexpr qint64 blockSize = 4'194'304;

    // Called after every block copied with 0.5 × bytes copied ÷ total size;
    // not called at all when the total size is 0.
    using ProgressReport = std::function<void(double fraction)>;
    // Asked before every block; true stops the merge with `cancelled`.
    using CancelCheck = std::function<bool()>;

    ArchiveMerger(QList<QUrl> parts, QUrl combinedArchive, ProgressReport reportProgress,
                  CancelCheck isCancelled = {});
    ~ArchiveMerger();

    // Nothing on success; otherwise why the merge stopped. A failed merge
    // leaves the combined archive as far as it got.
    std::optional<ExtractionError> merge();

    // The file the merge created, once it has; to remove it later only if
    // it is still that file.
    std::optional<FileSystem::FileIdentity> combinedArchiveIdentity() const {
        return m_combinedArchiveIdentity;
    }

private:
    std::optional<ExtractionError> refuseOverwritingAPart() const;
    qint64 totalSize() const;
    std::optional<ExtractionError> copyPart(const QUrl& part, FileOutputStream& output);
    bool writeAll(FileOutputStream& output, qint64 count);
    void countCopied(qint64 count);

    QList<QUrl> m_parts;
    QUrl m_combinedArchive;
    ProgressReport m_reportProgress;
    CancelCheck m_isCancelled;
    std::optional<FileSystem::FileIdentity> m_combinedArchiveIdentity;
    std::unique_ptr<char[]> m_buffer;
    qint64 m_total = 0;
    qint64 m_copied = 0;
};
