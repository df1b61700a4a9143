#pragma once

#include "grouping/zipfilegroup.h"
#include "platform/filesystem.h"
#include "service/archiveinspection.h"
#include "service/extractionprogress.h"
#include "service/runmessages.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <optional>

class ExtractorProcess;

// One extraction: asks for access, merges the group's parts into the combined
// archive, unzips it with the extractor command, then ends with exactly one
// closing event and gives its access back. A cancel stops it wherever it is:
// between two blocks of the merge, or by stopping the extractor; it then
// removes the combined archive and ends with the error `cancelled`. It lives
// on the service's thread and emits its events as plain values.
class ExtractionRun : public QObject {
    Q_OBJECT

public:
    ExtractionRun(ZipFileGroup group, QUrl destination, QString extractorPath, CancelFlag cancelled,
                  QObject* parent = nullptr);
    ~ExtractionRun() override;

    // Merges at once (blocking this thread for the copy), then starts the
    // extractor and returns; the run goes on when the extractor has ended.
    void start();

    // What a check of the parts found, for a run to see, before it writes
    // anything, whether it fits on the destination's file system.
    void setInspection(const ArchiveInspection& inspection) { m_inspection = inspection; }
    // For encrypted entries; wiped once the extractor has it, or when the
    // run ends before.
    void setPassword(const QByteArray& password) { m_password = password; }

    bool isCancelRequested() const { return m_cancelled->load(); }
    // Stops the extractor, if it runs; a merge sees the flag by itself.
    void cancel();

Q_SIGNALS:
    void produced(const ExtractionProgress& progress);
    // The stream is over: nothing is produced after this.
    void ended();

private:
    void askForAccess();
    bool fitsOnTheDestination();
    void unzip();
    void succeed();
    void fail(const ExtractionError& error);
    void removeCombinedArchive();
    void reportCancelledExtraction();
    void end();
    void giveBackAccess();
    void log(const QString& text);

    ZipFileGroup m_group;
    QUrl m_destination;
    QString m_extractorPath;
    CancelFlag m_cancelled;
    std::optional<ArchiveInspection> m_inspection;
    QByteArray m_password;
    ExtractorProcess* m_extractor = nullptr;
    QUrl m_combinedArchive;
    std::optional<FileSystem::FileIdentity> m_combinedArchiveIdentity;
    bool m_isDestinationGranted = false;
    QList<QPair<QUrl, bool>> m_partAccess;
};
