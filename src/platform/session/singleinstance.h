#pragma once

#include "platform/session/instancerequest.h"

#include <QDBusConnection>
#include <QObject>

class InstanceSocket;

// One window per session: the first launch serves, and a later one hands
// its files to it and ends. On the session bus it serves
// org.freedesktop.Application under the desktop entry's id, which the
// desktop's own launchers may use too; without a bus a local socket
// carries the request instead. Every wait is short: an instance that does
// not answer leaves the launch to open a window of its own.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        Serving,    // the first instance: requests arrive as requested()
        HandedOver, // another instance took the launch's request; end now
        Alone,      // neither: the launch goes on with a window of its own
    };

    // Over the given bus; a connection that is not connected means there is
    // none, and the local socket is used.
    explicit SingleInstance(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    Role start(const InstanceRequest& launch);

Q_SIGNALS:
    // Files to add (maybe none) and the window to bring to the front.
    void requested(const InstanceRequest& request);

private:
    Role startOnBus(const InstanceRequest& launch);
    Role startOnSocket(const InstanceRequest& launch);
    bool handOverOnBus(const InstanceRequest& launch);

    QDBusConnection m_bus;
    bool m_isServingOnBus = false;
    InstanceSocket* m_socket = nullptr;
};
