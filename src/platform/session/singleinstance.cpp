#include "platform/session/singleinstance.h"

#include "platform/session/applicationbusadaptor.h"
#include "platform/session/instancesocket.h"
#include "platform/session/sessionids.h"

#include <QDBusMessage>

namespace {

// The running instance answers at once; a launch that hears nothing by
// then opens its own window rather than hang.
constexpr int handOverTimeout = 5000;

} // namespace

SingleInstance::SingleInstance(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus) {}

SingleInstance::~SingleInstance() {
    if (!m_isServingOnBus)
        return;
    m_bus.unregisterService(SessionIds::applicationId());
    m_bus.unregisterObject(SessionIds::applicationPath());
}

SingleInstance::Role SingleInstance::start(const InstanceRequest& launch) {
    return m_bus.isConnected() ? startOnBus(launch) : startOnSocket(launch);
}

// The object is there before the name, so a caller that sees the name can
// call at once. Asking for the name settles who serves: the bus gives it
// to one connection only.
SingleInstance::Role SingleInstance::startOnBus(const InstanceRequest& launch) {
    new ApplicationBusAdaptor(
        this, [this](const InstanceRequest& request) { Q_EMIT requested(request); });
    const QString path = SessionIds::applicationPath();
    if (m_bus.registerObject(path, this, QDBusConnection::ExportAdaptors)) {
        if (m_bus.registerService(SessionIds::applicationId())) {
            m_isServingOnBus = true;
            return Role::Serving;
        }
        m_bus.unregisterObject(path);
    }
    return handOverOnBus(launch) ? Role::HandedOver : Role::Alone;
}

bool SingleInstance::handOverOnBus(const InstanceRequest& launch) {
    const bool hasFiles = !launch.files.isEmpty();
    QDBusMessage call = QDBusMessage::createMethodCall(
        SessionIds::applicationId(), SessionIds::applicationPath(),
        QStringLiteral("org.freedesktop.Application"),
        hasFiles ? QStringLiteral("Open") : QStringLiteral("Activate"));
    if (hasFiles)
        call << launch.uris();
    call << launch.platformData();
    return m_bus.call(call, QDBus::Block, handOverTimeout).type() == QDBusMessage::ReplyMessage;
}

SingleInstance::Role SingleInstance::startOnSocket(const InstanceRequest& launch) {
    m_socket = new InstanceSocket(this);
    connect(m_socket, &InstanceSocket::requested, this, &SingleInstance::requested);
    if (m_socket->listen())
        return Role::Serving;
    return InstanceSocket::send(launch) ? Role::HandedOver : Role::Alone;
}
