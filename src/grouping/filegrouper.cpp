#include "grouping/filegrouper.h"

#include "grouping/unicodetext.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

const QRegularExpression& partNamePattern() {
    static const QRegularExpression pattern(QStringLiteral("\\((\\d+)\\)$"));
    return pattern;
}

// Base-10 conversion of ASCII digits only, up to the largest qint64.
std::optional<qint64> parseAsciiIndex(QStringView digits) {
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

struct Entry {
    QUrl location;
    qint64 partIndex;
};

struct Bucket {
    QString baseName; // as spelled by the first file that created the bucket
    QString key;      // its canonical form, for sorting
    QList<Entry> entries;
};

// The last path component without its extension, and whether that extension
// is "zip" in any letter case.
std::optional<QString> zipPartName(const QUrl& location) {
    const QString fileName = location.fileName();
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || QStringView(fileName).mid(dot + 1).compare(u"zip", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return fileName.left(dot);
}

ZipFileGroup buildGroup(Bucket& bucket) {
    std::stable_sort(bucket.entries.begin(), bucket.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.partIndex < b.partIndex; });

    QList<QUrl> files;
    QList<qint64> indices;
    files.reserve(bucket.entries.size());
    indices.reserve(bucket.entries.size());
    for (const Entry& entry : bucket.entries) {
        files << entry.location;
        indices << entry.partIndex;
    }
    MissingIndices missing = findMissingIndices(indices);
    return ZipFileGroup{QUuid::createUuid(), bucket.baseName, std::move(files),
                        missing.isMissingParts, std::move(missing.indices)};
}

} // namespace

ParsedPartName parsePartName(const QString& partName) {
    // A match can only start at the last "(" of a name that ends in ")", so
    // the pattern is tried there alone: same result, far less scanning.
    const qsizetype lastOpen = partName.endsWith(u')') ? partName.lastIndexOf(u'(') : -1;
    if (lastOpen < 0)
        return {partName, 0};
    const QRegularExpressionMatch match = partNamePattern().match(partName, lastOpen);
    if (!match.hasMatch())
        return {partName, 0};

    const std::optional<qint64> index = parseAsciiIndex(match.capturedView(1));
    if (!index)
        return {partName, 0};
    return {partName.left(match.capturedStart(0)), *index};
}

MissingIndices findMissingIndices(const QList<qint64>& partIndices) {
    if (partIndices.isEmpty())
        return {};

    QList<qint64> present = partIndices;
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    if (present.last() <= 0)
        return {};

    // Walk the gaps between present indices rather than the whole range, so
    // the work depends on how many files there are, not on their numbers.
    QList<qint64> missing;
    qint64 expected = 0;
    for (qint64 index : present) {
        if (index < 0)
            continue;
        for (; expected < index; ++expected) {
            if (missing.size() == maxListedMissingIndices)
                return {missing, true};
            missing << expected;
        }
        if (index == std::numeric_limits<qint64>::max())
            break;
        expected = index + 1;
    }
    return {missing, !missing.isEmpty()};
}

QList<ZipFileGroup> groupFiles(const QList<QUrl>& locations) {
    QList<Bucket> buckets;
    QHash<QString, qsizetype> bucketByKey;

    for (const QUrl& location : locations) {
        const std::optional<QString> partName = zipPartName(location);
        if (!partName)
            continue;
        ParsedPartName parsed = parsePartName(*partName);
        QString key = canonicalForm(parsed.baseName);
        auto found = bucketByKey.constFind(key);
        if (found == bucketByKey.constEnd()) {
            found = bucketByKey.insert(key, buckets.size());
            buckets.append(Bucket{std::move(parsed.baseName), std::move(key), {}});
        }
        buckets[*found].entries.append(Entry{location, parsed.partIndex});
    }

    std::sort(buckets.begin(), buckets.end(),
              [](const Bucket& a, const Bucket& b) { return compareCodePoints(a.key, b.key) < 0; });

    QList<ZipFileGroup> groups;
    groups.reserve(buckets.size());
    for (Bucket& bucket : buckets)
        groups << buildGroup(bucket);
    return groups;
}
