#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The files a launch names, the way a file manager's Open With (Exec=… %F)
// or a shell hands them over: paths, relative to the folder the launch
// started in, or file: URLs. Other URLs name nothing here. Whether a file
// is a part is the grouping's to decide, as for a drop.
QList<QUrl> locationsFromArguments(const QStringList& arguments, const QString& workingFolder);
