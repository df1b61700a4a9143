#include "service/extractionservice.h"

#include "service/archivecheck.h"
#include "service/extractioneventstream.h"
#include "service/extractionworker.h"
#include "service/inspectionreply.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

namespace {

// Long enough to deliver many events per turn, short enough to leave the
// window a frame's worth of time between turns.
constexpr qint64 deliveryTimePerTurn = 8'000'000; // nanoseconds

} // namespace

ExtractionService::ExtractionService(QObject* parent)
    : ExtractionService(defaultExtractorPath(), parent) {}

ExtractionService::ExtractionService(QString extractorPath, QObject* parent)
    : ExtractionBackend(parent)
    , m_extractorPath(std::move(extractorPath)) {
    std::promise<ServiceThread> started;
    std::future<ServiceThread> ready = started.get_future();
    m_thread = std::thread(&ExtractionService::serve, this, std::move(started));
    m_serviceThread = ready.get();
}

ExtractionService::~ExtractionService() {
    // A merge in progress stops after its current block; a running extractor
    // is killed when its run goes with the worker.
    m_serviceThread.thread->requestInterruption();
    QMetaObject::invokeMethod(m_serviceThread.loop, &QEventLoop::quit, Qt::QueuedConnection);
    m_thread.join();
}

void ExtractionService::serve(std::promise<ServiceThread> started) {
    QEventLoop loop;
    ExtractionWorker worker(m_extractorPath, m_requests, m_events);
    // Wake-ups cross the threads as queued calls that carry nothing: the
    // values travel in the mailboxes and the cancel flags.
    connect(&worker, &ExtractionWorker::eventsPosted, &worker, [this] {
        QMetaObject::invokeMethod(this, &ExtractionService::deliverPostedEvents,
                                  Qt::QueuedConnection);
    });
    started.set_value({QThread::currentThread(), &loop, &worker});
    loop.exec();
}

QString ExtractionService::defaultExtractorPath() {
    return extractorPathFor(QCoreApplication::applicationDirPath());
}

// The build puts every program in one folder; an installed tree puts the
// extractor where its install rule says, which the build hands over here.
QString ExtractionService::extractorPathFor(const QString& applicationFolder) {
    const QDir applicationDir(applicationFolder);
    const QString besideApp = applicationDir.filePath(QStringLiteral("kestrune-extract"));
    if (QFileInfo::exists(besideApp))
        return besideApp;
    return QDir::cleanPath(applicationDir.filePath(
        QStringLiteral(KESTRUNE_EXTRACTOR_FROM_BINDIR "/kestrune-extract")));
}

ExtractionEventStream*
ExtractionService::extract(const ZipFileGroup& group, const QUrl& destination,
                           const std::optional<ArchiveInspection>& inspection,
                           const QByteArray& password) {
    auto* stream = new ExtractionEventStream(this);
    const quint64 run = ++m_lastRun;
    const CancelFlag cancelled = std::make_shared<std::atomic<bool>>(false);
    m_runs.insert(run, {stream, cancelled});
    connect(stream, &ExtractionEventStream::cancelRequested, this, [this, run] { cancel(run); });
    if (m_requests.post({run, group, destination, cancelled, inspection, password}))
        QMetaObject::invokeMethod(m_serviceThread.worker, &ExtractionWorker::startRequestedRuns,
                                  Qt::QueuedConnection);
    return stream;
}

InspectionReply* ExtractionService::inspect(const QList<QUrl>& parts,
                                            const std::optional<QUrl>& destination) {
    auto* reply = new InspectionReply(this);
    auto* check = new ArchiveCheck(m_extractorPath, parts, destination.value_or(QUrl()), reply);
    connect(check, &ArchiveCheck::finished, reply, &InspectionReply::finish);
    connect(reply, &InspectionReply::finished, reply, &QObject::deleteLater);
    check->start();
    return reply;
}

// The flag reaches a merge that holds the service thread at its next block;
// the wake-up reaches a run that waits for its extractor, or for its turn.
void ExtractionService::cancel(quint64 run) {
    const auto found = m_runs.constFind(run);
    if (found == m_runs.cend())
        return;
    found->cancelled->store(true);
    QMetaObject::invokeMethod(m_serviceThread.worker, &ExtractionWorker::cancelFlaggedRuns,
                              Qt::QueuedConnection);
}

// Once a stream has ended, anything its run still sends finds no stream and
// is dropped. One turn of the event loop delivers for a few milliseconds at
// most and leaves the rest for the next, so that a flood of console text
// cannot keep the window from painting and answering.
void ExtractionService::deliverPostedEvents() {
    QElapsedTimer turn;
    turn.start();
    while (std::optional<RunEvent> event = m_events.takeFirst()) {
        deliver(*event);
        if (turn.nsecsElapsed() > deliveryTimePerTurn) {
            // Queued behind what the window has to do meanwhile.
            QMetaObject::invokeMethod(this, &ExtractionService::deliverPostedEvents,
                                      Qt::QueuedConnection);
            return;
        }
    }
}

void ExtractionService::deliver(const RunEvent& event) {
    ExtractionEventStream* stream = m_runs.value(event.run).stream;
    if (!stream)
        return;
    if (event.progress) {
        stream->deliver(*event.progress);
    } else {
        m_runs.remove(event.run);
        stream->end();
        stream->deleteLater();
    }
}
