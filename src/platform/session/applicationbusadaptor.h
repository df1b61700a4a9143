#pragma once

#include "platform/session/instancerequest.h"

#include <QDBusAbstractAdaptor>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

// org.freedesktop.Application on the running instance's object: what a
// later launch, the desktop's launcher or another program asks of it, turned
// into one request each. The app has no actions, so ActivateAction only
// shows the window. Requests go to a callback rather than a signal: every
// signal of an adaptor would be sent out on the bus.
class ApplicationBusAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    using Receiver = std::function<void(const InstanceRequest&)>;
    ApplicationBusAdaptor(QObject* parent, Receiver receiver);

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& name, const QVariantList& parameter,
                        const QVariantMap& platformData);

private:
    Receiver m_receiver;
};
