#include "platform/session/applicationbusadaptor.h"

ApplicationBusAdaptor::ApplicationBusAdaptor(QObject* parent, Receiver receiver)
    : QDBusAbstractAdaptor(parent)
    , m_receiver(std::move(receiver)) {}

void ApplicationBusAdaptor::Activate(const QVariantMap& platformData) {
    m_receiver(InstanceRequest::fromBus({}, platformData));
}

void ApplicationBusAdaptor::Open(const QStringList& uris, const QVariantMap& platformData) {
    m_receiver(InstanceRequest::fromBus(uris, platformData));
}

void ApplicationBusAdaptor::ActivateAction(const QString& name, const QVariantList& parameter,
                                           const QVariantMap& platformData) {
    Q_UNUSED(name);
    Q_UNUSED(parameter);
    Activate(platformData);
}
