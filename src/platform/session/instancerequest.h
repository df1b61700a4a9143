#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <optional>

// What a launch asks of the instance that already runs: files to add (none:
// just show the window), and the token a Wayland compositor wants before it
// lets that window come to the front. Files travel as absolute file: URIs,
// so the receiver never resolves a path against its own working folder.
struct InstanceRequest {
    QList<QUrl> files;
    QString activationToken;

    // A launch's request: its files, with the token its launcher left in the
    // environment.
    static InstanceRequest fromLaunch(const QList<QUrl>& files);

    // As org.freedesktop.Application's Open and Activate carry it. URIs
    // other than local files are left out, as for a drop.
    QStringList uris() const;
    QVariantMap platformData() const;
    static InstanceRequest fromBus(const QStringList& uris, const QVariantMap& platformData);

    // As the local socket carries it; empty when the bytes are not one.
    QByteArray toBytes() const;
    static std::optional<InstanceRequest> fromBytes(const QByteArray& bytes);

    bool operator==(const InstanceRequest&) const = default;
};
