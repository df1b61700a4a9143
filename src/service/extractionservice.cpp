#include "service/extractionservice.h"

#include "service/extractioneventstream.h"
#include "service/extractionworker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ExtractionService::ExtractionService(QObject* parent)
    : ExtractionService(defaultExtractorPath(), parent) {}

ExtractionService::ExtractionService(QString extractorPath, QObject* parent)
    : QObject(parent)
    , m_extractorPath(std::move(extractorPath))
    , m_worker(new ExtractionWorker(m_extractorPath, m_requests, m_events)) {
    m_thread.setObjectName(QStringLiteral("ExtractionService"));
    m_worker->moveToThread(&m_thread);
    // Deleted on its own thread as that thread finishes, with its runs.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    // Every connection across the two threads is made before the thread
    // starts; the signals carry nothing, the values travel in the mailboxes.
    connect(this, &ExtractionService::runsRequested, m_worker,
            &ExtractionWorker::startRequestedRuns, Qt::QueuedConnection);
    connect(m_worker, &ExtractionWorker::eventsPosted, this,
            &ExtractionService::deliverPostedEvents, Qt::QueuedConnection);
    m_thread.start();
}

ExtractionService::~ExtractionService() {
    m_thread.requestInterruption();
    m_thread.quit();
    m_thread.wait();
}

QString ExtractionService::defaultExtractorPath() {
    const QDir applicationDir(QCoreApplication::applicationDirPath());
    const QString besideApp = applicationDir.filePath(QStringLiteral("kestrune-extract"));
    if (QFileInfo::exists(besideApp))
        return besideApp;
    return QDir::cleanPath(
        applicationDir.filePath(QStringLiteral("../libexec/kestrune/kestrune-extract")));
}

ExtractionEventStream* ExtractionService::extract(const ZipFileGroup& group,
                                                  const QUrl& destination) {
    auto* stream = new ExtractionEventStream(this);
    const quint64 run = ++m_lastRun;
    m_streams.insert(run, stream);
    if (m_requests.post({run, group, destination}))
        Q_EMIT runsRequested();
    return stream;
}

// Once a stream has ended, anything its run still sends finds no stream and
// is dropped.
void ExtractionService::deliverPostedEvents() {
    for (RunEvent& event : m_events.takeAll()) {
        ExtractionEventStream* stream = m_streams.value(event.run);
        if (!stream)
            continue;
        if (event.progress) {
            stream->deliver(*event.progress);
        } else {
            m_streams.remove(event.run);
            stream->end();
            stream->deleteLater();
        }
    }
}
