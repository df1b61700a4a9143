#include "testsupport.h"

#include "service/extractioneventstream.h"
#include "service/extractionservice.h"

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

QString writeTool(const QString& folder, const QString& name, const QString& body) {
    const QString path = QDir(folder).filePath(name);
    writeFile(path, QStringLiteral("#!/bin/sh\n%1\n").arg(body).toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadOther | QFile::ExeOther);
    return path;
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
    return QStringLiteral("log: ✔ Merge complete.\n▶ Unzipping into ") + destination +
           QStringLiteral("…\n");
}

QString successLog() {
    return QStringLiteral("log: ✔ Extraction finished successfully.\n");
}

QStringList eventsBeforeTheExtractor(const QString& destination) {
    return {mergingLog(1), "progress: 0.5", unzippingLog(destination), "progress: 0.5"};
}

QStringList successEnding() {
    return {successLog(), "progress: 1", "completed"};
}

RunRecorder::RunRecorder(ExtractionEventStream* stream)
    : m_stream(stream) {
    connect(stream, &ExtractionEventStream::delivered, this,
            [this](const ExtractionProgress& event) { m_events << describe(event); });
    connect(stream, &ExtractionEventStream::ended, this, [this] { m_hasEnded = true; });
}

ExtractionEventStream* RunRecorder::stream() const {
    return m_stream;
}

bool RunRecorder::waitForEnd() {
    return QTest::qWaitFor([this] { return m_hasEnded; }, 30000);
}

QStringList runToEnd(ExtractionService& service, const ZipFileGroup& group,
                     const QString& destination) {
    RunRecorder recorder(service.extract(group, QUrl::fromLocalFile(destination)));
    if (!recorder.waitForEnd())
        return recorder.events() + QStringList{QStringLiteral("(the stream did not end)")};
    return recorder.events();
}

QStringList runToEnd(const QString& tool, const QList<QUrl>& parts, const QString& destination) {
    ExtractionService service(tool);
    return runToEnd(service, groupOf(QStringLiteral("a"), parts), destination);
}

QStringList runTool(const QString& folder, const QString& script, const QString& destination) {
    const QList<QUrl> parts{writeFile(QDir(folder).filePath(QStringLiteral("a.zip")), "tiny part")};
    return runToEnd(writeTool(folder, QStringLiteral("tool"), script), parts,
                    destination.isEmpty() ? folder : destination);
}
