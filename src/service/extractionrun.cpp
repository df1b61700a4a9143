#include "service/extractionrun.h"

#include "platform/filesystem.h"
#include "service/archivemerger.h"
#include "service/combinedarchive.h"
#include "service/extractorprocess.h"

ExtractionRun::ExtractionRun(ZipFileGroup group, QUrl destination, QString extractorPath,
                             QObject* parent)
    : QObject(parent)
    , m_group(std::move(group))
    , m_destination(std::move(destination))
    , m_extractorPath(std::move(extractorPath)) {}

ExtractionRun::~ExtractionRun() = default;

void ExtractionRun::start() {
    askForAccess();
    m_combinedArchive = combinedArchiveLocation(m_destination, m_group.baseName);
    log(QStringLiteral("▶ Merging %1 part(s) into combined archive…\n").arg(m_group.files.size()));

    ArchiveMerger merger(m_group.files, m_combinedArchive, [this](double fraction) {
        Q_EMIT produced(ExtractionProgress::progress(fraction));
    });
    if (const std::optional<ExtractionError> failure = merger.merge()) {
        fail(*failure);
        return;
    }
    m_combinedArchiveIdentity = FileSystem::fileIdentity(m_combinedArchive);
    log(QStringLiteral("✔ Merge complete.\n▶ Unzipping into %1…\n")
            .arg(m_destination.toLocalFile()));
    Q_EMIT produced(ExtractionProgress::progress(0.5));
    unzip();
}

void ExtractionRun::askForAccess() {
    m_isDestinationGranted = FileSystem::startAccess(m_destination);
    for (const QUrl& part : std::as_const(m_group.files))
        m_partAccess.append({part, FileSystem::startAccess(part)});
}

void ExtractionRun::unzip() {
    // A child of the run, so a run torn down with the service takes the tool with it.
    auto* extractor = new ExtractorProcess(m_extractorPath, this);
    connect(extractor, &ExtractorProcess::output, this, &ExtractionRun::log);
    connect(extractor, &ExtractorProcess::succeeded, this, &ExtractionRun::succeed);
    connect(extractor, &ExtractorProcess::failed, this, &ExtractionRun::fail);
    extractor->start(m_combinedArchive, m_destination);
}

void ExtractionRun::succeed() {
    // An archive may hold an entry with the combined archive's own name; the
    // extractor then replaced our file with the user's, which must stay.
    if (m_combinedArchiveIdentity &&
        FileSystem::fileIdentity(m_combinedArchive) == m_combinedArchiveIdentity)
        FileSystem::removeFile(m_combinedArchive);
    log(QStringLiteral("✔ Extraction finished successfully.\n"));
    Q_EMIT produced(ExtractionProgress::progress(1.0));
    Q_EMIT produced(ExtractionProgress::completed());
    end();
}

// The combined archive stays: as far as the merge got, or whole next to
// whatever the extractor wrote.
void ExtractionRun::fail(const ExtractionError& error) {
    Q_EMIT produced(ExtractionProgress::error(error));
    end();
}

void ExtractionRun::end() {
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
