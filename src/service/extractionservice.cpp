#include "service/extractionservice.h"

#include "service/extractioneventstream.h"
#include "service/extractionworker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

ExtractionService::ExtractionService(QObject* parent)
    : ExtractionService(defaultExtractorPath(), parent) {}

ExtractionService::ExtractionService(QString extractorPath, QObject* parent)
    : QObject(parent)
    , m_extractorPath(std::move(extractorPath))
    , m_worker(new ExtractionWorker(m_extractorPath)) {
    qRegisterMetaType<ExtractionProgress>();
    m_thread.setObjectName(QStringLiteral("ExtractionService"));
    m_worker->moveToThread(&m_thread);
    // Deleted on its own thread as that thread finishes, with its runs.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    // Queued: the worker emits on its thread, the streams live on this one.
    connect(m_worker, &ExtractionWorker::produced, this, &ExtractionService::deliver,
            Qt::QueuedConnection);
    connect(m_worker, &ExtractionWorker::ended, this, &ExtractionService::endStream,
            Qt::QueuedConnection);
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
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, run, group, destination] { worker->startRun(run, group, destination); },
        Qt::QueuedConnection);
    return stream;
}

void ExtractionService::deliver(quint64 run, const ExtractionProgress& progress) {
    if (ExtractionEventStream* stream = m_streams.value(run))
        stream->deliver(progress);
}

// After this, anything a run still sends finds no stream and is dropped.
void ExtractionService::endStream(quint64 run) {
    if (ExtractionEventStream* stream = m_streams.take(run)) {
        stream->end();
        stream->deleteLater();
    }
}
