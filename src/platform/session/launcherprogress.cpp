#include "platform/session/launcherprogress.h"

#include "platform/session/sessionids.h"

#include <QDBusMessage>
#include <QtMath>

LauncherProgress::LauncherProgress(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus) {}

void LauncherProgress::show(double fraction) {
    const int percent = qBound(0, qRound(fraction * 100), 100);
    if (m_shownPercent == percent)
        return;
    m_shownPercent = percent;
    update(percent / 100.0, true);
}

void LauncherProgress::hide() {
    if (!m_shownPercent)
        return;
    m_shownPercent.reset();
    update(0.0, false);
}

void LauncherProgress::update(double progress, bool isVisible) {
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        SessionIds::applicationPath(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("progress"), progress},
                                 {QStringLiteral("progress-visible"), isVisible}};
    signal << QStringLiteral("application://%1.desktop").arg(SessionIds::applicationId())
           << properties;
    m_bus.send(signal);
}
