#include "testsupport.h"

#include "service/extractioneventstream.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUuid>

QByteArray patternBytes(qint64 size, char seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 position = 0; position < size; ++position)
        bytes[position] = char(seed + position / 4093 + position % 251);
    return bytes;
}

QUrl writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file %s", qPrintable(path));
    return QUrl::fromLocalFile(path);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

ZipFileGroup groupOf(const QString& baseName, const QList<QUrl>& files) {
    return ZipFileGroup{QUuid::createUuid(), baseName, files, false, {}};
}

QString describe(const ExtractionProgress& event) {
    if (const auto* log = event.as<ExtractionProgress::Log>())
        return QStringLiteral("log: ") + log->text;
    if (const auto* progress = event.as<ExtractionProgress::Progress>())
        return QStringLiteral("progress: ") + QString::number(progress->fraction);
    if (const auto* error = event.as<ExtractionProgress::Error>())
        return QStringLiteral("error: ") + error->error.errorDescription();
    const auto* completed = event.as<ExtractionProgress::Completed>();
    if (completed && completed->extractedEntries)
        return QStringLiteral("completed: %1 extracted").arg(*completed->extractedEntries);
    return QStringLiteral("completed");
}

QString mergingLog(qsizetype parts) {
    return QStringLiteral("log: ▶ Merging %1 part(s) into combined archive…\n").arg(parts);
}

QString unzippingLog(const QString& destination) {
    return QStringLiteral("log: ✔ Merge complete.\n▶ Unzipping into %1…\n").arg(destination);
}

QStringList eventsBeforeTheExtractor(const QString& destination) {
    return {mergingLog(1), "progress: 0.5", unzippingLog(destination), "progress: 0.5"};
}

QStringList successEnding() {
    return {QStringLiteral("log: ✔ Extraction finished successfully.\n"), "progress: 1",
            "completed"};
}

RunRecorder::RunRecorder(ExtractionEventStream* stream)
    : stream(stream) {
    connect(stream, &ExtractionEventStream::delivered, this,
            [this](const ExtractionProgress& event) { events << describe(event); });
    connect(stream, &ExtractionEventStream::ended, this, [this] { hasEnded = true; });
}

bool RunRecorder::waitForEnd() {
    return QTest::qWaitFor([this] { return hasEnded; }, 30000);
}

Bench::Bench(const QString& script)
    : tool(path(QStringLiteral("tool")))
    , parts{writeFile(path(QStringLiteral("a.zip")), "tiny part")}
    , service(std::make_unique<ExtractionService>(tool)) {
    writeFile(tool, QStringLiteral("#!/bin/sh\n%1\n").arg(script).toUtf8());
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString Bench::path(const QString& name) const {
    return name.isEmpty() ? folder.path() : folder.filePath(name);
}

ExtractionEventStream* Bench::extract(const QString& destination,
                                      const std::optional<ArchiveInspection>& inspection,
                                      const QByteArray& password) {
    return service->extract(groupOf(QStringLiteral("a"), parts),
                            QUrl::fromLocalFile(destination.isEmpty() ? path() : destination),
                            inspection, password);
}

QStringList Bench::run(const QString& destination) {
    RunRecorder recorder(extract(destination));
    if (!recorder.waitForEnd())
        recorder.events << QStringLiteral("(the stream did not end)");
    return recorder.events;
}
