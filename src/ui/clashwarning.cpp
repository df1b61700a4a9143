#include "ui/clashwarning.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// Past this many characters a folder name keeps its two ends.
constexpr qsizetype maximumComponentLength = 32;
// Clashes spelled out before the rest are only counted.
constexpr qsizetype spelledOutClashes = 3;

QString elidedComponent(const QString& component) {
    if (component.size() <= maximumComponentLength)
        return component;
    const qsizetype kept = (maximumComponentLength - 1) / 2;
    return component.first(kept) + QChar(0x2026) + component.last(kept);
}

// The last `depth` components of a path; all of them, rooted, when the
// path has no more. Beyond three components only the outermost folder,
// which is the one that differs, and the file name stay.
QString label(const QStringList& components, qsizetype depth) {
    const bool whole = depth >= components.size();
    QStringList shown = components.sliced(components.size() - std::min(depth, components.size()));
    if (shown.size() > 3)
        shown = {shown.first(), QString(QChar(0x2026)), shown.last()};
    for (qsizetype i = 0; i + 1 < shown.size(); ++i)
        shown[i] = elidedComponent(shown[i]);
    return (whole ? QStringLiteral("/") : QString()) + shown.join(u'/');
}

// A leading slash is no difference a reader would see at a glance: "/dl/s.zip"
// and "dl/s.zip" do not tell two files apart.
bool allDiffer(const QStringList& labels) {
    QStringList unrooted;
    for (const QString& label : labels)
        unrooted << (label.startsWith(u'/') ? label.sliced(1) : label);
    std::sort(unrooted.begin(), unrooted.end());
    return std::adjacent_find(unrooted.cbegin(), unrooted.cend()) == unrooted.cend();
}

QString partName(qint64 index) {
    return index == 0 ? QCoreApplication::translate("ClashWarning", "the base part")
                      : QCoreApplication::translate("ClashWarning", "part %1").arg(index);
}

QString clashText(const PartClash& clash) {
    const QStringList labels = ClashWarning::fileLabels(clash.files);
    if (labels.size() == 2)
        //: %1 is "part 3" or "the base part"; %2 and %3 are files named with their folders.
        return QCoreApplication::translate("ClashWarning",
                                           "Two files claim %1: %2 and %3 — remove one.")
            .arg(partName(clash.partIndex), labels.first(), labels.last());
    //: %1 counts the files, %2 is "part 3" or "the base part"; %3 lists all files but the
    //: last, which is %4.
    return QCoreApplication::translate(
               "ClashWarning", "%1 files claim %2: %3 and %4 — keep one and remove the others.")
        .arg(QString::number(labels.size()), partName(clash.partIndex),
             labels.first(labels.size() - 1).join(QStringLiteral(", ")), labels.last());
}

} // namespace

QStringList ClashWarning::fileLabels(const QList<QUrl>& files) {
    QList<QStringList> paths;
    qsizetype longest = 0;
    for (const QUrl& file : files) {
        paths << file.toLocalFile().split(u'/', Qt::SkipEmptyParts);
        longest = std::max(longest, paths.last().size());
    }
    // The same depth for every file, so the labels line up in one sentence.
    QStringList labels;
    for (qsizetype depth = 2;; ++depth) {
        labels.clear();
        for (const QStringList& path : std::as_const(paths))
            labels << label(path, depth);
        if (allDiffer(labels) || depth >= longest)
            return labels;
    }
}

QString ClashWarning::text(const QList<PartClash>& clashes) {
    // Two copies of a long archive in two folders clash on every part; a
    // few sentences say what is wrong, the count says how much.
    const qsizetype spelledOut =
        clashes.size() > spelledOutClashes + 1 ? spelledOutClashes : clashes.size();
    QStringList sentences;
    for (qsizetype i = 0; i < spelledOut; ++i)
        sentences << clashText(clashes.at(i));
    if (spelledOut < clashes.size())
        sentences << QCoreApplication::translate(
                         "ClashWarning", "%1 more part numbers are claimed by more than one file.")
                         .arg(clashes.size() - spelledOut);
    return sentences.join(u' ');
}
