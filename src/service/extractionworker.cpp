#include "service/extractionworker.h"

#include "service/extractionrun.h"

#include <QThread>

ExtractionWorker::ExtractionWorker(QString extractorPath, Mailbox<RunRequest>& requests,
                                   Mailbox<RunEvent>& events)
    : m_extractorPath(std::move(extractorPath))
    , m_requests(requests)
    , m_events(events) {}

void ExtractionWorker::startRequestedRuns() {
    for (const RunRequest& request : m_requests.takeAll()) {
        if (QThread::currentThread()->isInterruptionRequested())
            return;
        startRun(request);
    }
}

void ExtractionWorker::cancelFlaggedRuns() {
    m_runs.removeAll(nullptr);
    for (const QPointer<ExtractionRun>& run : std::as_const(m_runs)) {
        if (run && run->isCancelRequested())
            run->cancel();
    }
}

void ExtractionWorker::startRun(const RunRequest& request) {
    auto* extraction = new ExtractionRun(request.group, request.destination, m_extractorPath,
                                         request.cancelled, this);
    if (request.inspection)
        extraction->setInspection(*request.inspection);
    extraction->setPassword(request.password);
    m_runs.append(extraction);
    const quint64 run = request.run;
    connect(extraction, &ExtractionRun::produced, this,
            [this, run](const ExtractionProgress& progress) {
                post({run, progress});
            });
    connect(extraction, &ExtractionRun::ended, this, [this, run, extraction] {
        post({run, std::nullopt});
        extraction->deleteLater();
    });
    extraction->start();
}

void ExtractionWorker::post(RunEvent event) {
    if (m_events.post(std::move(event)))
        Q_EMIT eventsPosted();
}
