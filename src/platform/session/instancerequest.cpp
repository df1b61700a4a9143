#include "platform/session/instancerequest.h"

#include <QDataStream>
#include <QDir>
#include <QIODevice>

namespace {

const QString activationTokenKey = QStringLiteral("activation-token");
// What some launchers send instead; GNOME takes the one for the other.
const QString startupIdKey = QStringLiteral("desktop-startup-id");
constexpr quint32 formatVersion = 1;

QList<QUrl> localFiles(const QStringList& uris) {
    QList<QUrl> files;
    for (const QString& uri : uris) {
        const QUrl url(uri);
        if (url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile()))
            files << QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
    }
    return files;
}

} // namespace

InstanceRequest InstanceRequest::fromLaunch(const QList<QUrl>& files) {
    return InstanceRequest{files, qEnvironmentVariable("XDG_ACTIVATION_TOKEN")};
}

QStringList InstanceRequest::uris() const {
    QStringList uris;
    for (const QUrl& file : files)
        uris << QString::fromUtf8(file.toEncoded());
    return uris;
}

QVariantMap InstanceRequest::platformData() const {
    QVariantMap data;
    if (!activationToken.isEmpty())
        data.insert(activationTokenKey, activationToken);
    return data;
}

InstanceRequest InstanceRequest::fromBus(const QStringList& uris, const QVariantMap& platformData) {
    QString token = platformData.value(activationTokenKey).toString();
    if (token.isEmpty())
        token = platformData.value(startupIdKey).toString();
    return InstanceRequest{localFiles(uris), token};
}

QByteArray InstanceRequest::toBytes() const {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << formatVersion << uris() << activationToken;
    return bytes;
}

std::optional<InstanceRequest> InstanceRequest::fromBytes(const QByteArray& bytes) {
    QDataStream stream(bytes);
    quint32 version = 0;
    QStringList uris;
    QString token;
    stream >> version >> uris >> token;
    if (stream.status() != QDataStream::Ok || version != formatVersion || !stream.atEnd())
        return std::nullopt;
    return InstanceRequest{localFiles(uris), token};
}
