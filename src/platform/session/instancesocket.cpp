#include "platform/session/instancesocket.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTimer>

#include <unistd.h>

#include <memory>

namespace {

// A launch waits no longer than this for the running instance; it then
// opens a window of its own rather than lose its files.
constexpr int connectTimeout = 1000;
constexpr int receiptTimeout = 5000;
// A client that has not sent its whole request by then is dropped.
constexpr int requestTimeout = 5000;
constexpr quint32 maximumRequestSize = 16 * 1024 * 1024;
constexpr char receipt = '\x01';

QString displayName() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("none");
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return display.replace(unsafe, QStringLiteral("_")).right(40);
}

// The temporary folder is shared: the socket goes into a folder that only
// this user may enter, and not into one somebody else made.
QString privateTemporaryFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/kestrune-%1").arg(::getuid());
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink() || info.ownerId() != ::getuid() ||
        info.permissions() & (QFile::WriteGroup | QFile::WriteOther))
        return {};
    return folder;
}

QByteArray framed(const QByteArray& bytes) {
    QByteArray frame;
    QDataStream(&frame, QIODevice::WriteOnly) << quint32(bytes.size());
    return frame + bytes;
}

} // namespace

InstanceSocket::InstanceSocket(QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this)) {
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection())
            receive(socket);
    });
}

QString InstanceSocket::path() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        folder = privateTemporaryFolder();
    if (folder.isEmpty())
        return {};
    return folder + QStringLiteral("/kestrune-") + displayName();
}

bool InstanceSocket::listen() {
    const QString socketPath = path();
    if (socketPath.isEmpty())
        return false;
    if (listenAt(socketPath))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // Left behind by an instance that is gone, unless one answers there.
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    if (probe.waitForConnected(connectTimeout))
        return false;
    QLocalServer::removeServer(socketPath);
    return listenAt(socketPath);
}

// No socket options: with them Qt makes the socket elsewhere and renames it
// into place, over the socket of an instance that listens already.
bool InstanceSocket::listenAt(const QString& socketPath) {
    m_server->setSocketOptions(QLocalServer::NoOptions);
    return m_server->listen(socketPath);
}

bool InstanceSocket::send(const InstanceRequest& request) {
    const QString socketPath = path();
    if (socketPath.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(connectTimeout))
        return false;
    socket.write(framed(request.toBytes()));
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(receiptTimeout))
            return false;
    }
    return socket.read(1) == QByteArray(1, receipt);
}

void InstanceSocket::receive(QLocalSocket* socket) {
    socket->setParent(this);
    auto buffer = std::make_shared<QByteArray>();
    QTimer::singleShot(requestTimeout, socket, &QLocalSocket::abort);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
        buffer->append(socket->readAll());
        if (buffer->size() < qsizetype(sizeof(quint32)))
            return;
        quint32 size = 0;
        QDataStream(*buffer) >> size;
        if (size > maximumRequestSize) {
            socket->abort();
            return;
        }
        if (buffer->size() < qsizetype(sizeof(quint32) + size))
            return;
        const auto request = InstanceRequest::fromBytes(buffer->mid(sizeof(quint32), size));
        if (!request) {
            socket->abort();
            return;
        }
        // The receipt follows the handling, as a reply on the bus does.
        Q_EMIT requested(*request);
        socket->write(QByteArray(1, receipt));
        socket->disconnectFromServer();
    });
}
