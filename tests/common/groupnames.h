#pragma once

#include "grouping/zipfilegroup.h"

#include <QList>
#include <QStringList>
#include <QUrl>

// Dropped-file locations and the names tests compare groups by.

// "a.zip" lies in /downloads; an absolute path stays as it is.
inline QList<QUrl> files(const QStringList& names) {
    QList<QUrl> urls;
    for (const QString& name : names)
        urls << QUrl::fromLocalFile(name.startsWith(u'/') ? name
                                                          : QStringLiteral("/downloads/") + name);
    return urls;
}

inline QStringList fileNames(const ZipFileGroup& group) {
    QStringList names;
    for (const QUrl& url : group.files)
        names << url.fileName();
    return names;
}

inline QStringList baseNames(const QList<ZipFileGroup>& groups) {
    QStringList names;
    for (const ZipFileGroup& group : groups)
        names << group.baseName;
    return names;
}
