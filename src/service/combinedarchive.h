#pragma once

#include <QString>
#include <QUrl>

// The name and place of the combined archive that a run merges the parts
// into: "_combined_" + safe base name + ".zip" inside the destination folder.

// The base name with every code point other than a letter, mark or number
// (any script) or one of "-", "_", "." replaced by one "_". Nothing is
// trimmed, shortened or normalised.
QString safeBaseName(const QString& baseName);

QString combinedArchiveName(const QString& baseName);

QUrl combinedArchiveLocation(const QUrl& destination, const QString& baseName);
