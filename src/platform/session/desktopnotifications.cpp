#include "platform/session/desktopnotifications.h"

#include "platform/session/sessionids.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString defaultAction = QStringLiteral("default");

} // namespace

DesktopNotifications::DesktopNotifications(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus) {
    if (!m_bus.isConnected())
        return;
    m_bus.connect(service, path, interface, QStringLiteral("ActivationToken"), this,
                  SLOT(handleActivationToken(uint, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(handleActionInvoked(uint, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(handleClosed(uint, uint)));
}

void DesktopNotifications::show(const QString& summary, const QString& body,
                                const QString& clickLabel) {
    if (!m_bus.isConnected())
        return;
    QDBusMessage notify =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QStringList actions{defaultAction, clickLabel};
    const QVariantMap hints{{QStringLiteral("desktop-entry"), SessionIds::applicationId()}};
    notify << QCoreApplication::applicationName() << m_shownId << SessionIds::applicationId()
           << summary << body.toHtmlEscaped() << actions << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<uint> reply = *call;
                if (reply.isValid())
                    m_shownId = reply.value();
                call->deleteLater();
            });
}

void DesktopNotifications::handleActivationToken(uint id, const QString& token) {
    if (id != 0 && id == m_shownId)
        m_activationToken = token;
}

void DesktopNotifications::handleActionInvoked(uint id, const QString& actionKey) {
    if (id == 0 || id != m_shownId || actionKey != defaultAction)
        return;
    Q_EMIT clicked(std::exchange(m_activationToken, QString()));
}

void DesktopNotifications::handleClosed(uint id, uint reason) {
    Q_UNUSED(reason);
    if (id != 0 && id == m_shownId) {
        m_shownId = 0;
        m_activationToken.clear();
    }
}
