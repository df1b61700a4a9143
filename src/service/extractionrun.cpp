#include "service/extractionrun.h"

#include "platform/filesystem.h"
#include "service/archivemerger.h"
#include "service/combinedarchive.h"
#include "service/extractorprocess.h"
#include "service/secret.h"
#include "service/spacecheck.h"

#include <QCoreApplication>
#include <QLocale>

ExtractionRun::ExtractionRun(ZipFileGroup group, QUrl destination, QString extractorPath,
                             CancelFlag cancelled, QObject* parent)
    : QObject(parent)
    , m_group(std::move(group))
    , m_destination(std::move(destination))
    , m_extractorPath(std::move(extractorPath))
    , m_cancelled(std::move(cancelled)) {}

ExtractionRun::~ExtractionRun() = default;

void ExtractionRun::start() {
    // Two files for one part number would both be merged, into an archive
    // that is neither; the window never starts such a group, nor may anyone.
    if (m_group.hasClashingParts()) {
        fail(ExtractionError::extractionFailed(QCoreApplication::translate(
            "ExtractionRun", "two files claim one part number; remove one")));
        return;
    }
    if (const std::optional<QString> refusal = m_group.refusalDescription()) {
        fail(ExtractionError::cannotJoin(*refusal));
        return;
    }
    askForAccess();
    // Cancelled while it waited for its turn: nothing has happened yet.
    if (isCancelRequested()) {
        fail(ExtractionError::cancelled());
        return;
    }
    if (!fitsOnTheDestination())
        return;
    m_combinedArchive = combinedArchiveLocation(m_destination, m_group.baseName);
    // English keeps its "part(s)"; other languages have their plural forms.
    log(QCoreApplication::translate("ExtractionRun",
                                    "▶ Merging %n part(s) into combined archive…\n", nullptr,
                                    int(m_group.files.size())));

    ArchiveMerger merger(
        m_group.files, m_combinedArchive,
        [this](double fraction) { Q_EMIT produced(ExtractionProgress::progress(fraction)); },
        [this] { return isCancelRequested(); });
    const std::optional<ExtractionError> failure = merger.merge();
    m_combinedArchiveIdentity = merger.combinedArchiveIdentity();
    if (failure) {
        if (failure->is<ExtractionError::Cancelled>())
            removeCombinedArchive();
        fail(*failure);
        return;
    }
    log(QCoreApplication::translate("ExtractionRun", "✔ Merge complete.\n▶ Unzipping into %1…\n")
            .arg(m_destination.toLocalFile()));
    Q_EMIT produced(ExtractionProgress::progress(0.5));
    unzip();
}

void ExtractionRun::askForAccess() {
    m_isDestinationGranted = FileSystem::startAccess(m_destination);
    for (const QUrl& part : std::as_const(m_group.files))
        m_partAccess.append({part, FileSystem::startAccess(part)});
}

// A run that cannot fit fails before it writes a byte, instead of minutes
// later with a full disk.
bool ExtractionRun::fitsOnTheDestination() {
    if (!m_inspection)
        return true;
    qint64 partsSize = 0;
    for (const QUrl& part : std::as_const(m_group.files))
        partsSize += FileSystem::fileSize(part).value_or(0);
    const std::optional<SpaceShortage> shortage =
        findSpaceShortage(partsSize, *m_inspection, FileSystem::availableSpace(m_destination));
    if (!shortage)
        return true;
    const QLocale locale;
    log(QCoreApplication::translate("ExtractionRun",
                                    "Not enough free space in %1: the combined archive and the "
                                    "unpacked files need %2, and %3 are free.\n")
            .arg(m_destination.toLocalFile(), locale.formattedDataSize(shortage->needed),
                 locale.formattedDataSize(shortage->available)));
    fail(ExtractionError::diskFull());
    return false;
}

void ExtractionRun::cancel() {
    if (m_extractor)
        m_extractor->cancel();
}

void ExtractionRun::unzip() {
    // A child of the run, so a run torn down with the service takes the tool with it.
    m_extractor = new ExtractorProcess(m_extractorPath, this);
    connect(m_extractor, &ExtractorProcess::output, this, &ExtractionRun::log);
    // The tool's own reports, already thinned to a few a second, fill the
    // second half of the bar; it never moves back. A full bar means success,
    // which only the tool's exit status tells: links and folders come after
    // the last byte. A tool that reports nothing leaves the bar at a half.
    connect(m_extractor, &ExtractorProcess::bytesWritten, this,
            [this, shown = 0.5](qint64 written, qint64 total) mutable {
                if (total <= 0)
                    return;
                const double fraction = 0.5 + 0.5 * double(written) / double(total);
                if (fraction <= shown || fraction >= 1.0)
                    return;
                shown = fraction;
                Q_EMIT produced(ExtractionProgress::progress(fraction));
            });
    connect(m_extractor, &ExtractorProcess::succeeded, this, &ExtractionRun::succeed);
    connect(m_extractor, &ExtractorProcess::failed, this, [this](const ExtractionError& error) {
        if (error.is<ExtractionError::Cancelled>())
            reportCancelledExtraction();
        fail(error);
    });
    m_extractor->start(m_combinedArchive, m_destination, m_password);
    Secret::wipe(m_password);
    // Cancelled between the merge and here.
    if (isCancelRequested())
        m_extractor->cancel();
}

// A cancelled extraction keeps the files the extractor finished; what it was
// writing it removed itself. The combined archive goes, as after success.
void ExtractionRun::reportCancelledExtraction() {
    removeCombinedArchive();
    const QString destination = m_destination.toLocalFile();
    if (const auto count = m_extractor->extractedCount()) {
        log(QCoreApplication::translate("ExtractionRun",
                                        "Cancelled. %1 of %2 files had been extracted into %3.\n")
                .arg(QLocale().toString(count->extracted), QLocale().toString(count->total),
                     destination));
    } else {
        log(QCoreApplication::translate("ExtractionRun",
                                        "Cancelled. Files already extracted stay in %1.\n")
                .arg(destination));
    }
}

void ExtractionRun::succeed() {
    removeCombinedArchive();
    log(QCoreApplication::translate("ExtractionRun", "✔ Extraction finished successfully.\n"));
    Q_EMIT produced(ExtractionProgress::progress(1.0));
    const auto count = m_extractor->extractedCount();
    Q_EMIT produced(ExtractionProgress::completed(count ? std::optional<qint64>(count->extracted)
                                                        : std::nullopt));
    end();
}

// The combined archive stays: as far as the merge got, or whole next to
// whatever the extractor wrote.
void ExtractionRun::fail(const ExtractionError& error) {
    Q_EMIT produced(ExtractionProgress::error(error));
    end();
}

// Only the very file the merge made: an archive may hold an entry with the
// combined archive's own name, and the extractor then replaced our file with
// the user's, which must stay.
void ExtractionRun::removeCombinedArchive() {
    if (m_combinedArchiveIdentity &&
        FileSystem::fileIdentity(m_combinedArchive) == m_combinedArchiveIdentity)
        FileSystem::removeFile(m_combinedArchive);
}

void ExtractionRun::end() {
    Secret::wipe(m_password);
    Q_EMIT ended();
    giveBackAccess();
}

void ExtractionRun::giveBackAccess() {
    if (m_isDestinationGranted)
        FileSystem::stopAccess(m_destination);
    for (const auto& [part, isGranted] : std::as_const(m_partAccess)) {
        if (isGranted)
            FileSystem::stopAccess(part);
    }
    m_isDestinationGranted = false;
    m_partAccess.clear();
}

void ExtractionRun::log(const QString& text) {
    Q_EMIT produced(ExtractionProgress::log(text));
}
