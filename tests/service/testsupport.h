#pragma once

#include "grouping/zipfilegroup.h"
#include "service/extractionservice.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

constexpr qint64 mebibyte = 1024 * 1024;

// Bytes that differ from block to block, so a part copied twice, out of
// order or short shows in a comparison.
QByteArray patternBytes(qint64 size, char seed);

QUrl writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
ZipFileGroup groupOf(const QString& baseName, const QList<QUrl>& files);

// One event as a line: "log: …", "progress: 0.25", "error: <message>" or
// "completed", so whole runs compare as lists.
QString describe(const ExtractionProgress& event);

// The texts the service itself logs.
QString mergingLog(qsizetype parts);
QString unzippingLog(const QString& destination);
// The events of a run over one small part up to the extractor's start, and
// after an extractor that succeeded.
QStringList eventsBeforeTheExtractor(const QString& destination);
QStringList successEnding();

// Collects one run's events as described lines.
class RunRecorder : public QObject {
public:
    explicit RunRecorder(ExtractionEventStream* stream);

    QPointer<ExtractionEventStream> stream;
    QStringList events;
    bool hasEnded = false;
    [[nodiscard]] bool waitForEnd();
};

// A fresh folder with one tiny part "a.zip", and a service over a stand-in
// extractor "tool" there that runs the given shell script.
struct Bench {
    explicit Bench(const QString& script = QStringLiteral("exit 0"));
    QString path(const QString& name = {}) const;
    // A run of the group "a" of `parts` into `destination`, or else the folder.
    ExtractionEventStream* extract(const QString& destination = {},
                                   const std::optional<ArchiveInspection>& inspection = {},
                                   const QByteArray& password = {});
    // The same run to its end: its events.
    QStringList run(const QString& destination = {});

    QTemporaryDir folder;
    QString tool;
    QList<QUrl> parts;
    std::unique_ptr<ExtractionService> service;
};
