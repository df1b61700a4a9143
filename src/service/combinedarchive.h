#pragma once

#include <QString>
#include <QUrl>

// The name and place of the combined archive that a run merges the parts
// into: "_combined_" + safe base name + ".zip" inside the destination folder.

// The base name with every code point other than a letter, mark or number
// (any script) or one of "-", "_", "." replaced by one "_". Nothing is
// trimmed, shortened or normalised.
QString safeBaseName(const QString& baseName);

// The first whole characters of a safe base name whose encoded file name
// takes at most maximumBytes; the name itself when it fits.
QString fittingBaseName(const QString& safeName, qsizetype maximumBytes);

// "_combined_" + safe base name + ".zip", the base name shortened where the
// whole would pass the 255 bytes a file name may take.
QString combinedArchiveName(const QString& baseName);

QUrl combinedArchiveLocation(const QUrl& destination, const QString& baseName);
