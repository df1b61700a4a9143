#include "grouping/filegrouper.h"

#include "grouping/unicodetext.h"

#include <QHash>
#include <QSet>

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
    PartNaming naming;
    QList<Entry> entries;
};

// The path as QUrl::fileName() sees it, fully decoded. The form QUrl keeps
// differs from that only where it holds a percent sign, which few names do;
// decoding every path would cost more than all the rest of the grouping.
QString decodedPath(const QUrl& location) {
    QString path = location.path(QUrl::PrettyDecoded);
    return path.contains(u'%') ? location.path(QUrl::FullyDecoded) : path;
}

// A part file's name split into its part name and its extension(s).
struct NameParts {
    QStringView partName;
    QStringView number; // the digits after ".zip." or ".z"; empty for .zip
    PartNaming naming = PartNaming::Parenthesised;
};

bool isAsciiDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The last path component, when it names a zip part: "a.zip" or "a(1).zip",
// "a.zip.001", or "a.z01". Letter case plays no part in the extensions.
// Views into path.
std::optional<NameParts> splitFileName(const QString& path) {
    const QStringView fileName = QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    const QStringView extension = fileName.sliced(dot + 1);
    const QStringView stem = fileName.first(dot);
    if (extension.compare(u"zip", Qt::CaseInsensitive) == 0)
        return NameParts{stem, {}, PartNaming::Parenthesised};
    if (isAsciiDigits(extension) && stem.endsWith(u".zip", Qt::CaseInsensitive))
        return NameParts{stem.chopped(4), extension, PartNaming::Numbered};
    if (extension.size() >= 3 && (extension[0] == u'z' || extension[0] == u'Z') &&
        isAsciiDigits(extension.sliced(1)))
        return NameParts{stem, extension.sliced(1), PartNaming::Spanned};
    return std::nullopt;
}

// The one spelling splitters give each number: at least three digits, zero
// padded to three, so .001 … .999, .1000. Other spellings (.01, .0001, .000)
// are not parts, which keeps one number to one file name.
std::optional<qint64> numberedIndex(QStringView digits) {
    if (digits.size() < 3 || (digits.size() > 3 && digits[0] == u'0'))
        return std::nullopt;
    const std::optional<qint64> index = parseAsciiIndex(digits);
    if (!index || *index < 1)
        return std::nullopt;
    return index;
}

// .z01, .z02 …, .z100: numbered from 1, as zip writes them.
std::optional<qint64> spannedIndex(QStringView digits) {
    if (digits.size() > 2 && digits[0] == u'0')
        return std::nullopt;
    const std::optional<qint64> index = parseAsciiIndex(digits);
    if (!index || *index < 1)
        return std::nullopt;
    return index;
}

// The last segment of a spanned set, archive.zip, comes after every .zNN.
constexpr qint64 spannedLastSegment = std::numeric_limits<qint64>::max();

// What one dropped location's name says: whether it is a part of a zip
// archive and, if so, of which one, in which naming and with which number.
struct NamedPart {
    QUrl location; // copied while its object is at hand
    QString baseName;
    QString key; // the canonical form of baseName
    qint64 partIndex = 0;
    PartNaming naming = PartNaming::Parenthesised;
    bool isZipPart = false;
    // "archive.zip": part 0, or the last segment of a spanned set when
    // archive.z01 or its like was dropped too.
    bool isBareZip = false;
};

NamedPart readName(const QUrl& location) {
    const QString path = decodedPath(location);
    const std::optional<NameParts> parts = splitFileName(path);
    if (!parts)
        return {};
    PartNameView parsed{parts->partName, 0};
    switch (parts->naming) {
    case PartNaming::Parenthesised:
        parsed = splitPartName(parts->partName);
        break;
    case PartNaming::Numbered:
        if (const std::optional<qint64> index = numberedIndex(parts->number))
            parsed.partIndex = *index;
        else
            return {};
        break;
    case PartNaming::Spanned:
        if (const std::optional<qint64> index = spannedIndex(parts->number))
            parsed.partIndex = *index;
        else
            return {};
        break;
    }
    const bool isBareZip = parts->naming == PartNaming::Parenthesised &&
                           parsed.baseName.size() == parts->partName.size();
    QString baseName = parsed.baseName.toString();
    QString key = canonicalForm(baseName);
    return {location, std::move(baseName), std::move(key), parsed.partIndex, parts->naming, true,
            isBareZip};
}

// A bare archive.zip belongs to the spanned set of the same name, if one
// was dropped: zip names the last segment so.
void assignLastSegments(std::vector<NamedPart>& names) {
    QSet<QString> spannedKeys;
    for (const NamedPart& name : names) {
        if (name.isZipPart && name.naming == PartNaming::Spanned)
            spannedKeys.insert(name.key);
    }
    if (spannedKeys.isEmpty())
        return;
    for (NamedPart& name : names) {
        if (name.isBareZip && spannedKeys.contains(name.key)) {
            name.naming = PartNaming::Spanned;
            name.partIndex = spannedLastSegment;
        }
    }
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
    MissingIndices missing;
    QList<PartClash> clashes;
    // A spanned set is refused whole, so its numbers need no checking.
    if (bucket.naming != PartNaming::Spanned) {
        missing = findMissingIndices(order.indices, firstPartIndex(bucket.naming));
        clashes = clashesIn(order);
    }
    return ZipFileGroup{newGroupId(),
                        bucket.baseName,
                        std::move(order.files),
                        missing.isMissingParts,
                        std::move(missing.indices),
                        std::move(clashes),
                        bucket.naming};
}

std::vector<NamedPart> readNames(const QList<QUrl>& locations) {
    std::vector<NamedPart> names(static_cast<std::size_t>(locations.size()));
    inShares(locations.size(), [&locations, read = names.data()](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i)
            read[i] = readName(locations[i]);
    });
    assignLastSegments(names);
    return names;
}

} // namespace

qint64 firstPartIndex(PartNaming naming) {
    return naming == PartNaming::Parenthesised ? 0 : 1;
}

ParsedPartName parsePartName(const QString& partName) {
    const PartNameView parsed = splitPartName(partName);
    if (parsed.baseName.size() == partName.size())
        return {partName, 0};
    return {parsed.baseName.toString(), parsed.partIndex};
}

std::optional<QString> groupingKey(const QUrl& location) {
    NamedPart name = readName(location);
    return name.isZipPart ? std::optional<QString>(std::move(name.key)) : std::nullopt;
}

QString groupingKey(const ZipFileGroup& group) {
    return canonicalForm(group.baseName);
}

bool precedesInGroupOrder(QStringView key, PartNaming naming, QStringView otherKey,
                          PartNaming otherNaming) {
    const int order = compareCodePoints(key, otherKey);
    return order != 0 ? order < 0 : naming < otherNaming;
}

std::optional<qint64> partIndexOf(const QUrl& location) {
    const NamedPart name = readName(location);
    return name.isZipPart ? std::optional<qint64>(name.partIndex) : std::nullopt;
}

MissingIndices findMissingIndices(const QList<qint64>& partIndices, qint64 firstIndex) {
    if (partIndices.isEmpty())
        return {};

    QList<qint64> present = partIndices;
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    if (present.last() <= firstIndex)
        return {};

    // Walk the gaps between present indices rather than the whole range, so
    // the work depends on how many files there are, not on their numbers.
    QList<qint64> missing;
    qint64 expected = firstIndex;
    for (qint64 index : present) {
        if (index < firstIndex)
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
    for (NamedPart& name : readNames(files)) {
        if (name.isZipPart && name.naming != PartNaming::Spanned)
            entries.append(Entry{std::move(name.location), name.partIndex});
    }
    return clashesIn(inPartOrder(std::move(entries)));
}

ZipFileGroup groupAs(const QString& baseName, const QList<QUrl>& files) {
    Bucket bucket{baseName, canonicalForm(baseName), PartNaming::Parenthesised, {}};
    for (NamedPart& name : readNames(files)) {
        if (name.isZipPart && name.naming == PartNaming::Parenthesised)
            bucket.entries.append(Entry{std::move(name.location), name.partIndex});
    }
    return buildGroup(bucket);
}

QList<ZipFileGroup> groupFiles(const QList<QUrl>& locations) {
    std::vector<NamedPart> names = readNames(locations);

    // In drop order: the first file of a bucket spells its base name, and
    // parts with equal numbers keep their order. One name in two namings
    // makes two buckets.
    QList<Bucket> buckets;
    QHash<std::pair<int, QString>, qsizetype> bucketByKey;
    for (NamedPart& name : names) {
        if (!name.isZipPart)
            continue;
        const std::pair<int, QString> key{int(name.naming), name.key};
        auto found = bucketByKey.constFind(key);
        if (found == bucketByKey.constEnd()) {
            found = bucketByKey.insert(key, buckets.size());
            buckets.append(Bucket{std::move(name.baseName), std::move(name.key), name.naming, {}});
        }
        buckets[*found].entries.append(Entry{std::move(name.location), name.partIndex});
    }

    std::sort(buckets.begin(), buckets.end(), [](const Bucket& a, const Bucket& b) {
        return precedesInGroupOrder(a.key, a.naming, b.key, b.naming);
    });

    QList<ZipFileGroup> groups(buckets.size());
    inShares(buckets.size(),
             [bucket = buckets.data(), built = groups.data()](qsizetype begin, qsizetype end) {
                 for (qsizetype i = begin; i < end; ++i)
                     built[i] = buildGroup(bucket[i]);
             });
    return groups;
}
