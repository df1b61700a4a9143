#include "grouping/filegrouper.h"

#include "grouping/unicodetext.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <thread>
#include <vector>

namespace {

// Base-10 conversion of one or more ASCII digits, up to the largest qint64.
// Digits of other scripts and values too large are refused: such a name has
// no part number.
std::optional<qint64> parseAsciiIndex(QStringView digits) {
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    if (digits.isEmpty())
        return std::nullopt;
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

struct PartNameView {
    QStringView baseName;
    qint64 partIndex;
};

// The pattern "(digits)" anchored at the end can only match at the last "("
// of a name that ends in ")", and only if all between is digits. Checked by
// hand on a view, which spares a regular expression match and a copy per file.
PartNameView splitPartName(QStringView partName) {
    const qsizetype open = partName.endsWith(u')') ? partName.lastIndexOf(u'(') : -1;
    if (open < 0)
        return {partName, 0};
    const std::optional<qint64> index =
        parseAsciiIndex(partName.sliced(open + 1, partName.size() - open - 2));
    if (!index)
        return {partName, 0};
    return {partName.first(open), *index};
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

// The path as QUrl::fileName() sees it, fully decoded. The form QUrl keeps
// differs from that only where it holds a percent sign, which few names do;
// decoding every path would cost more than all the rest of the grouping.
QString decodedPath(const QUrl& location) {
    QString path = location.path(QUrl::PrettyDecoded);
    return path.contains(u'%') ? location.path(QUrl::FullyDecoded) : path;
}

// The last path component without its extension, where that extension is
// "zip" in any letter case. A view into path.
std::optional<QStringView> zipPartName(const QString& path) {
    const QStringView fileName = QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || fileName.sliced(dot + 1).compare(u"zip", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return fileName.first(dot);
}

// What one dropped location's name says: whether it is a part of a zip
// archive and, if so, of which one and with which number.
struct NamedPart {
    QUrl location; // copied while its object is at hand
    QString baseName;
    QString key; // the canonical form of baseName
    qint64 partIndex = 0;
    bool isZipPart = false;
};

NamedPart readName(const QUrl& location) {
    const QString path = decodedPath(location);
    const std::optional<QStringView> partName = zipPartName(path);
    if (!partName)
        return {};
    const PartNameView parsed = splitPartName(*partName);
    QString baseName = parsed.baseName.toString();
    QString key = canonicalForm(baseName);
    return {location, std::move(baseName), std::move(key), parsed.partIndex, true};
}

// Below this many items per core a thread costs more than it saves.
constexpr qsizetype minimumShare = 4096;

// Calls work(begin, end) on consecutive shares of [0, count), one per core
// when there is enough to do, the first on the calling thread, and returns
// once every share is done. Large drops are mostly waiting for memory: each
// location is an object of its own somewhere on the heap, and the cores can
// wait side by side.
template<typename Work> void inShares(qsizetype count, Work work) {
    const qsizetype cores = qsizetype(std::max(1u, std::thread::hardware_concurrency()));
    const qsizetype shares = std::clamp(count / minimumShare, qsizetype(1), cores);
    const qsizetype size = (count + shares - 1) / shares;
    std::vector<std::jthread> helpers;
    for (qsizetype begin = size; begin < count; begin += size)
        helpers.emplace_back(work, begin, std::min(count, begin + size));
    work(qsizetype(0), std::min(count, size));
}

// A bucket's files in merge order, with the part index of each.
struct PartOrder {
    QList<QUrl> files;
    QList<qint64> indices;
};

PartOrder inPartOrder(QList<Entry> entries) {
    // Stable, so files with equal numbers keep their drop order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.partIndex < b.partIndex; });
    PartOrder order;
    order.files.reserve(entries.size());
    order.indices.reserve(entries.size());
    for (Entry& entry : entries) {
        order.files << std::move(entry.location);
        order.indices << entry.partIndex;
    }
    return order;
}

// Runs of equal indices, which lie side by side in part order.
QList<PartClash> clashesIn(const PartOrder& order) {
    QList<PartClash> clashes;
    const QList<qint64>& indices = order.indices;
    for (qsizetype begin = 0, end = 0; begin < indices.size(); begin = end) {
        end = begin + 1;
        while (end < indices.size() && indices[end] == indices[begin])
            ++end;
        if (end - begin > 1)
            clashes.append(PartClash{indices[begin], order.files.sliced(begin, end - begin)});
    }
    return clashes;
}

ZipFileGroup buildGroup(Bucket& bucket) {
    PartOrder order = inPartOrder(std::move(bucket.entries));
    MissingIndices missing = findMissingIndices(order.indices);
    QList<PartClash> clashes = clashesIn(order);
    return ZipFileGroup{QUuid::createUuid(),        bucket.baseName,
                        std::move(order.files),     missing.isMissingParts,
                        std::move(missing.indices), std::move(clashes)};
}

} // namespace

ParsedPartName parsePartName(const QString& partName) {
    const PartNameView parsed = splitPartName(partName);
    if (parsed.baseName.size() == partName.size())
        return {partName, 0};
    return {parsed.baseName.toString(), parsed.partIndex};
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

QList<PartClash> findPartClashes(const QList<QUrl>& files) {
    QList<Entry> entries;
    entries.reserve(files.size());
    for (const QUrl& file : files) {
        const NamedPart name = readName(file);
        if (name.isZipPart)
            entries.append(Entry{file, name.partIndex});
    }
    return clashesIn(inPartOrder(std::move(entries)));
}

QList<ZipFileGroup> groupFiles(const QList<QUrl>& locations) {
    std::vector<NamedPart> names(static_cast<std::size_t>(locations.size()));
    inShares(locations.size(), [&locations, read = names.data()](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i)
            read[i] = readName(locations[i]);
    });

    // In drop order: the first file of a bucket spells its base name, and
    // parts with equal numbers keep their order.
    QList<Bucket> buckets;
    QHash<QString, qsizetype> bucketByKey;
    for (NamedPart& name : names) {
        if (!name.isZipPart)
            continue;
        auto found = bucketByKey.constFind(name.key);
        if (found == bucketByKey.constEnd()) {
            found = bucketByKey.insert(name.key, buckets.size());
            buckets.append(Bucket{std::move(name.baseName), std::move(name.key), {}});
        }
        buckets[*found].entries.append(Entry{std::move(name.location), name.partIndex});
    }

    std::sort(buckets.begin(), buckets.end(),
              [](const Bucket& a, const Bucket& b) { return compareCodePoints(a.key, b.key) < 0; });

    QList<ZipFileGroup> groups(buckets.size());
    inShares(buckets.size(),
             [bucket = buckets.data(), built = groups.data()](qsizetype begin, qsizetype end) {
                 for (qsizetype i = begin; i < end; ++i)
                     built[i] = buildGroup(bucket[i]);
             });
    return groups;
}
