#include "service/extractionservice.h"

#include "service/extractioneventstream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

ExtractionService::ExtractionService(QObject* parent)
    : ExtractionService(defaultExtractorPath(), parent)
{
}

ExtractionService::ExtractionService(QString extractorPath, QObject* parent)
    : QObject(parent)
    , m_extractorPath(std::move(extractorPath))
{
}

ExtractionService::~ExtractionService() = default;

QString ExtractionService::defaultExtractorPath()
{
    const QDir applicationDir(QCoreApplication::applicationDirPath());
    const QString besideApp = applicationDir.filePath(QStringLiteral("kestrune-extract"));
    if (QFileInfo::exists(besideApp))
        return besideApp;
    return QDir::cleanPath(applicationDir.filePath(QStringLiteral("../libexec/kestrune/kestrune-extract")));
}

ExtractionEventStream* ExtractionService::extract(const ZipFileGroup& group, const QUrl& destination)
{
    // Placeholder until the merge and unzip steps land: every run fails.
    Q_UNUSED(group);
    Q_UNUSED(destination);
    auto* stream = new ExtractionEventStream(this);
    QMetaObject::invokeMethod(stream, [stream] {
        stream->deliver(ExtractionProgress::error(ExtractionError::extractionFailed(QStringLiteral("not available yet"))));
        stream->end();
        stream->deleteLater();
    }, Qt::QueuedConnection);
    return stream;
}
