#pragma once

#include "platform/session/instancerequest.h"

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The road between launches where there is no session bus: the instance
// that serves listens on a local socket named for the user and the display,
// and a later launch writes its request there and waits for a one-byte
// receipt, so that it ends only once its files have been taken.
class InstanceSocket : public QObject {
    Q_OBJECT

public:
    explicit InstanceSocket(QObject* parent = nullptr);

    // In the user's runtime folder, or else in a folder of the user's own
    // in the temporary folder; empty when neither is to be had safely.
    static QString path();

    // False when another instance listens already, or the socket cannot be
    // made. A socket that nobody answers on is taken over.
    bool listen();

    // To the instance that listens; false if none took it in time.
    static bool send(const InstanceRequest& request);

Q_SIGNALS:
    void requested(const InstanceRequest& request);

private:
    bool listenAt(const QString& path);
    void receive(QLocalSocket* socket);

    QLocalServer* m_server;
};
