#pragma once

#include "grouping/heldgroups.h"
#include "grouping/zipfilegroup.h"
#include "model/extractionstate.h"
#include "service/archiveinspection.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

class ExtractionEventStream;
class ExtractionProgress;
class ExtractionBackend;
class ExtractionError;

// The model behind the main window: the archive groups made from dropped
// files, the one group shown and extracted, the destination, and the state,
// progress and console text of the current run. Lives on the main thread and
// never touches the file system itself.
//
// Every write of a published field first emits objectWillChange() (also when
// the value does not change), then stores the value, then emits the field's
// own change signal.
class ExtractionViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<ZipFileGroup> groups READ groups NOTIFY groupsChanged)
    Q_PROPERTY(
        std::optional<ZipFileGroup> selectedGroup READ selectedGroup NOTIFY selectedGroupChanged)
    Q_PROPERTY(std::optional<QUrl> destinationURL READ destinationURL WRITE setDestinationURL NOTIFY
                   destinationURLChanged)
    Q_PROPERTY(ExtractionState state READ state NOTIFY stateChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(
        QString consoleOutput READ consoleOutput WRITE setConsoleOutput NOTIFY consoleOutputChanged)
    Q_PROPERTY(bool canStartExtraction READ canStartExtraction)

public:
    explicit ExtractionViewModel(QObject* parent = nullptr);
    // Over another backend: the service with another extractor command, or
    // a test's scripted one. The model takes it over.
    explicit ExtractionViewModel(ExtractionBackend* backend, QObject* parent = nullptr);
    ~ExtractionViewModel() override;

    ExtractionBackend* extractionBackend() const { return m_extractionBackend; }

    const QList<ZipFileGroup>& groups() const { return m_held.groups(); }
    const std::optional<ZipFileGroup>& selectedGroup() const { return m_selectedGroup; }
    const std::optional<QUrl>& destinationURL() const { return m_destinationURL; }
    const ExtractionState& state() const { return m_state; }
    double progress() const { return m_progress; }
    const QString& consoleOutput() const { return m_consoleOutput; }

    // Written directly by the views: the folder chooser and the console's Clear.
    void setDestinationURL(const std::optional<QUrl>& destination);
    void setConsoleOutput(const QString& text);

    // Dropping more files works at any time and keeps the shown group's name.
    // Groups whose names the new files do not have keep their ids.
    void addFiles(const QList<QUrl>& locations);
    // Removing and reset do nothing while a run is going (see canRemoveFiles).
    void removeGroup(const ZipFileGroup& group);
    void removeFile(const QUrl& location);
    void removeFile(qsizetype position);
    void reset();
    // Shows another of the held groups, found by id; the files stay as they
    // are. Refused while a run is going, like removing (see canRemoveFiles).
    void selectGroup(const QUuid& id);

    // False while a run is going: the shown group is the one being extracted,
    // and taking it away would leave the run going on unseen.
    bool canRemoveFiles() const;

    // The shown group and another plainly are one archive whose parts a
    // browser named with a space (archive.zip, archive (1).zip …), and no
    // run is going.
    bool canJoinSpaceNamedParts() const;
    // Shows those two groups as one, in part order, named as archive.zip's
    // group, until a file of it is removed; later drops keep the join while
    // the two still plainly make one set. Does nothing unless
    // canJoinSpaceNamedParts().
    void joinSpaceNamedParts();

    bool canStartExtraction() const;
    void startExtraction();
    // The folder the current or latest run writes to; empty before the
    // first. The destination may be chosen anew while a run goes.
    const QUrl& runDestination() const { return m_runDestination; }
    // How many entries the latest run extracted, as the extractor said when
    // it succeeded; empty otherwise.
    std::optional<qint64> extractedEntryCount() const { return m_extractedEntryCount; }

    // Asks the current run to stop; it then ends in `failed` with the
    // cancelled message, like any failure. Does nothing unless running, and
    // a run that finishes first simply ends as it would have.
    void cancel();
    // From cancel() until the run ends.
    bool isCancelling() const;

    // What the check of the shown group's parts found, on its own signal
    // rather than as a published field: it arrives whenever the check ends.
    // Empty until a check has ended, or where it could not run. Counts of
    // files to replace are those of the chosen destination, or empty.
    std::optional<ArchiveInspection> selectedInspection() const;
    // A check of the shown group's parts (with the chosen destination) is
    // under way.
    bool isInspecting() const;

    // Before a run replaces files in the destination, as the check says it
    // would, startExtraction() asks through replaceConfirmationRequested()
    // instead of starting; confirmReplacing() then starts. Tools that never
    // ask turn this off.
    void setAsksBeforeReplacing(bool asks) { m_asksBeforeReplacing = asks; }
    void confirmReplacing();

    // The shown group's archive holds encrypted entries, as its check says
    // or as a run of the same parts found. Start (and confirmReplacing())
    // then asks through passwordRequested() instead of starting, and
    // startWithPassword() starts; a question left unanswered changes nothing.
    bool needsPassword() const;
    // Starts a run with the password, which lives in memory for that run only
    // and is wiped when it ends; an empty one starts without a password.
    void startWithPassword(QByteArray password);
Q_SIGNALS:
    void objectWillChange();
    void groupsChanged();
    void selectedGroupChanged();
    void destinationURLChanged();
    void stateChanged();
    void progressChanged();
    // Emitted after every change of the console text; an append also emits
    // consoleOutputAppended() with just the new piece first, so a view can
    // follow the text without re-reading all of it.
    void consoleOutputAppended(const QString& piece);
    void consoleOutputChanged();
    // cancel() has asked the run to stop; isCancelling() is now true.
    void cancelRequested();
    // selectedInspection() or isInspecting() may have changed.
    void inspectionChanged();
    // addFiles() was given this many new files that are not split zip parts;
    // they were left out, as always, but the user should hear of it.
    void filesIgnored(qint64 count);
    // Start was pressed for a run that would replace `fileCount` files in
    // the destination; nothing has started.
    void replaceConfirmationRequested(qint64 fileCount, const QUrl& destination);
    // Start was pressed for an archive that needs a password; nothing has
    // started.
    void passwordRequested();

private:
    void regroup(const QList<QUrl>& files);
    std::optional<ZipFileGroup> heldGroupLike(const ZipFileGroup& group) const;
    bool isJoined(const ZipFileGroup& group) const;
    void removeFromJoinedGroup(const ZipFileGroup& joined, qsizetype position);
    void setSelectedGroup(std::optional<ZipFileGroup> group);
    void showGroup(std::optional<ZipFileGroup> group);
    void forgetFinishedRun();
    void setState(ExtractionState state);
    void setProgress(double progress);
    void appendConsoleOutput(const QString& piece);

    void askForPasswordOrBegin();
    void beginRun(QByteArray password = {});
    void runExtraction(const ZipFileGroup& group, const QUrl& destination,
                       const std::optional<ArchiveInspection>& inspection);
    void notePasswordFailure(const ExtractionError& error);
    void wipePassword();
    QString inspectionKey() const;
    void inspectSelectedGroup();
    void forgetInspectionsOf(const QUrl& destination);
    void handleEvent(const ExtractionProgress& event);

    ExtractionBackend* m_extractionBackend;
    // The current run's stream, once the run has reached the service.
    QPointer<ExtractionEventStream> m_stream;
    bool m_isCancelRequested = false;
    HeldGroups m_held;
    // The sets the user joined, by their join keys (see spacenamedparts.h).
    QSet<QString> m_joinKeys;
    std::optional<ZipFileGroup> m_selectedGroup;
    std::optional<QUrl> m_destinationURL;
    ExtractionState m_state;
    double m_progress = 0.0;
    QString m_consoleOutput;

    // The checks' findings, by parts and destination; empty where the check
    // could not run. Asked again only when the parts or the destination
    // change, or a run has changed the destination's files.
    QHash<QString, std::optional<ArchiveInspection>> m_inspections;
    // The latest finding by parts alone, shown while the destination's check runs.
    QHash<QString, ArchiveInspection> m_latestInspections;
    QHash<QString, int> m_pendingInspections; // how many checks of a key are under way
    int m_inspectionRound = 0; // a reset starts a new one; answers of older ones are dropped
    bool m_asksBeforeReplacing = true;

    // The current run's password, if it has one; wiped when the run ends.
    QByteArray m_runPassword;
    QString m_runPartsKey;
    QUrl m_runDestination;
    std::optional<qint64> m_extractedEntryCount;
    // Parts whose run ended for want of the right password.
    QSet<QString> m_partsNeedingPassword;
};
