#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Desktop notifications through org.freedesktop.Notifications: shows one
// at a time (a newer one replaces the app's previous one) and reports a
// click on it. Calls never wait; without a bus or a notification server
// nothing is shown and nothing is reported.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifications(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);

    // The body is plain text; what servers would read as markup is escaped.
    // A click on the notification is offered under the label.
    void show(const QString& summary, const QString& body, const QString& clickLabel);

Q_SIGNALS:
    // The notification was clicked (its default action), with the token
    // the server gave for bringing a window to the front, if any.
    void clicked(const QString& activationToken);

private Q_SLOTS:
    void handleActivationToken(uint id, const QString& token);
    void handleActionInvoked(uint id, const QString& actionKey);
    void handleClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    uint m_shownId = 0; // the server's id of ours on screen; 0: none
    QString m_activationToken;
};
