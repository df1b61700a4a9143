#pragma once

#include "grouping/zipfilegroup.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

class ExtractionEventStream;
class ExtractionProgress;
class ExtractionService;

constexpr qint64 mebibyte = 1024 * 1024;

// Bytes that differ from block to block, so a part copied twice, out of
// order or short shows in a comparison.
QByteArray patternBytes(qint64 size, char seed);

QUrl writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Writes an executable shell script "folder/name" with the given body and
// returns its path.
QString writeTool(const QString& folder, const QString& name, const QString& body);

ZipFileGroup groupOf(const QString& baseName, const QList<QUrl>& files);

// One event as a line: "log: …", "progress: 0.25", "error: <message>" or
// "completed", so whole runs compare as lists.
QString describe(const ExtractionProgress& event);

// The texts the service itself logs.
QString mergingLog(qsizetype parts);
QString unzippingLog(const QString& destination);
QString successLog();
// The events of a run over one small part up to the extractor's start.
QStringList eventsBeforeTheExtractor(const QString& destination);
// The events after an extractor that succeeded.
QStringList successEnding();

// Collects one run's events as described lines.
class RunRecorder : public QObject {
public:
    explicit RunRecorder(ExtractionEventStream* stream);

    const QStringList& events() const { return m_events; }
    bool hasEnded() const { return m_hasEnded; }
    bool isStreamGone() const { return m_stream.isNull(); }
    ExtractionEventStream* stream() const;
    [[nodiscard]] bool waitForEnd();

private:
    QPointer<ExtractionEventStream> m_stream;
    QStringList m_events;
    bool m_hasEnded = false;
};

// Runs one extraction to its end and returns its events.
QStringList runToEnd(ExtractionService& service, const ZipFileGroup& group,
                     const QString& destination);
// The same with a service of its own over `tool`, for the group "a" of `parts`.
QStringList runToEnd(const QString& tool, const QList<QUrl>& parts, const QString& destination);
// A run of one tiny part "a.zip" in `folder` through a stand-in extractor
// with the given script, into `destination` or else the folder itself.
QStringList runTool(const QString& folder, const QString& script, const QString& destination = {});
