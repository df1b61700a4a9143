#pragma once

#include "grouping/zipfilegroup.h"
#include "service/extractionprogress.h"

#include <QObject>
#include <QString>
#include <QUrl>

class ExtractionEventStream;

// Merges the parts of one group into a combined archive in the destination
// folder and unpacks it there with the extractor command. Runs one operation
// at a time on a thread of its own; it holds no state between runs.
class ExtractionService : public QObject {
    Q_OBJECT

public:
    explicit ExtractionService(QObject* parent = nullptr);
    explicit ExtractionService(QString extractorPath, QObject* parent = nullptr);
    ~ExtractionService() override;

    // Starts a run and returns at once with its event stream, which lives on
    // the calling thread. The service owns the stream and deletes it some time
    // after it has ended.
    // Virtual so that tests of the layers above can script a run.
    virtual ExtractionEventStream* extract(const ZipFileGroup& group, const QUrl& destination);

    QString extractorPath() const { return m_extractorPath; }

    // The bundled kestrune-extract: beside the application, or in the
    // libexec folder of an installed tree.
    static QString defaultExtractorPath();

private:
    QString m_extractorPath;
};
