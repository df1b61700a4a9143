#pragma once

#include "grouping/zipfilegroup.h"
#include "service/extractionprogress.h"

#include <QObject>
#include <QString>
#include <QUrl>

// Lives on the service's thread and hosts its runs there: each run starts as
// one queued call, so runs merge one after the other, and a run waiting for
// its extractor leaves the thread free for the next. Runs are its children,
// so they go (and take their extractors with them) when it goes.
class ExtractionWorker : public QObject {
    Q_OBJECT

public:
    explicit ExtractionWorker(QString extractorPath);

    void startRun(quint64 run, const ZipFileGroup& group, const QUrl& destination);

Q_SIGNALS:
    void produced(quint64 run, const ExtractionProgress& progress);
    void ended(quint64 run);

private:
    QString m_extractorPath;
};
