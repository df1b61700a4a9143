#include "platform/launcharguments.h"

#include <QDir>

QList<QUrl> locationsFromArguments(const QStringList& arguments, const QString& workingFolder) {
    QList<QUrl> locations;
    const QDir base(workingFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        // "scheme://…" or "file:/…"; a file may well be called "a:b.zip".
        const qsizetype scheme = argument.indexOf(QLatin1String("://"));
        const bool isUrl = argument.startsWith(QLatin1String("file:/")) ||
                           (scheme > 0 && !argument.left(scheme).contains(QLatin1Char('/')));
        if (isUrl) {
            const QUrl url(argument);
            if (url.isLocalFile())
                locations << QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
            continue;
        }
        locations << QUrl::fromLocalFile(QDir::cleanPath(base.absoluteFilePath(argument)));
    }
    return locations;
}
