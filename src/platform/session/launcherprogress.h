#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

// Progress on the app's task-bar entry, as com.canonical.Unity.LauncherEntry
// signals it (read by KDE Plasma and the common docks): an Update for the
// desktop entry whenever the whole percent shown changes, and one that
// hides it. Signals only, nothing to wait for; without a bus, nothing.
class LauncherProgress : public QObject {
    Q_OBJECT

public:
    explicit LauncherProgress(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);

    // A fraction from 0 to 1; more precision than a percent is not sent.
    void show(double fraction);
    void hide();

private:
    void update(double progress, bool isVisible);

    QDBusConnection m_bus;
    std::optional<int> m_shownPercent; // none: hidden
};
