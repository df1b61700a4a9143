#pragma once

#include "grouping/zipfilegroup.h"
#include "service/archiveinspection.h"
#include "service/extractionbackend.h"
#include "service/extractionprogress.h"
#include "service/mailbox.h"
#include "service/runmessages.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <future>
#include <thread>

class ExtractionEventStream;
class ExtractionWorker;
class InspectionReply;
class QEventLoop;
class QThread;

// Merges the parts of one group into a combined archive in the destination
// folder and unpacks it there with the extractor command. Runs one operation
// at a time on a thread of its own; it holds no state between runs.
//
// Destroying the service stops its thread: a merge in progress stops after
// its current block, a running extractor is killed, and the streams of
// unfinished runs go without a closing event.
class ExtractionService : public ExtractionBackend {
    Q_OBJECT

public:
    explicit ExtractionService(QObject* parent = nullptr);
    explicit ExtractionService(QString extractorPath, QObject* parent = nullptr);
    ~ExtractionService() override;

    // Call these on the thread this object lives on (the main thread), where
    // the streams and replies live too. A check runs as a child process, so
    // neither this thread nor a merge on the service's thread holds it up.
    ExtractionEventStream* extract(const ZipFileGroup& group, const QUrl& destination,
                                   const std::optional<ArchiveInspection>& inspection = {},
                                   const QByteArray& password = {}) override;
    InspectionReply* inspect(const QList<QUrl>& parts,
                             const std::optional<QUrl>& destination) override;

    QString extractorPath() const { return m_extractorPath; }

    // The bundled kestrune-extract: beside the application, or in the
    // libexec folder of an installed tree.
    static QString defaultExtractorPath();
    // The same, for an application in that folder.
    static QString extractorPathFor(const QString& applicationFolder);

private:
    // What the service thread publishes once it is ready to take requests.
    struct ServiceThread {
        QThread* thread;
        QEventLoop* loop;
        ExtractionWorker* worker;
    };

    void serve(std::promise<ServiceThread> started);
    void deliverPostedEvents();
    void deliver(const RunEvent& event);
    void cancel(quint64 run);

    struct Run {
        QPointer<ExtractionEventStream> stream;
        CancelFlag cancelled;
    };

    QString m_extractorPath;
    // Between this thread and the worker's, both ways; declared before the
    // thread, so they outlive it.
    Mailbox<RunRequest> m_requests;
    Mailbox<RunEvent> m_events;
    // A joinable thread running a Qt event loop: joining it is what tells
    // ThreadSanitizer that all it did is over, which QThread, a detached
    // thread, cannot.
    std::thread m_thread;
    ServiceThread m_serviceThread{};
    // The runs still going, by run number. The worker thread only ever sees
    // the numbers and the cancel flags; the streams are touched on this
    // object's thread.
    QHash<quint64, Run> m_runs;
    quint64 m_lastRun = 0;
};
