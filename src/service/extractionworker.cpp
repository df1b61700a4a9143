#include "service/extractionworker.h"

#include "service/extractionrun.h"

ExtractionWorker::ExtractionWorker(QString extractorPath)
    : m_extractorPath(std::move(extractorPath)) {}

void ExtractionWorker::startRun(quint64 run, const ZipFileGroup& group, const QUrl& destination) {
    auto* extraction = new ExtractionRun(group, destination, m_extractorPath, this);
    connect(extraction, &ExtractionRun::produced, this,
            [this, run](const ExtractionProgress& progress) { Q_EMIT produced(run, progress); });
    connect(extraction, &ExtractionRun::ended, this, [this, run, extraction] {
        Q_EMIT ended(run);
        extraction->deleteLater();
    });
    extraction->start();
}
