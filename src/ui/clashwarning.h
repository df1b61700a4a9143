#pragma once

#include "grouping/zipfilegroup.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The header's words for files that claim one part number. Such files often
// share their name and differ only in their folder, so each is named with as
// much of its path as it takes to tell them apart.
namespace ClashWarning {

// One label per file: the file name behind the folders that set it apart
// ("a/s(1).zip", "b/s(1).zip"), at least its own folder, the whole path when
// nothing shorter differs. Long folder names and long runs of shared folders
// are shortened in the middle.
QStringList fileLabels(const QList<QUrl>& files);

// "Two files claim part 1: a/s(1).zip and b/s(1).zip — remove one." for each
// clash, the first few of a long list and a count of the rest. Each clash has
// two or more files, as the grouping makes them.
QString text(const QList<PartClash>& clashes);

} // namespace ClashWarning
