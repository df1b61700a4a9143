#include "grouping/filegrouper.h"

#include "grouping/partname.h"
#include "grouping/unicodetext.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <limits>
#include <span>
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

// A bare archive.zip belongs to the spanned set of the same name, if its
// parts hold one: zip names the last segment so. Otherwise it is part 0.
void assignLastSegments(std::vector<PartName>& parts) {
    const bool hasSpannedSet = std::any_of(parts.cbegin(), parts.cend(), [](const PartName& part) {
        return part.naming == PartNaming::Spanned && !part.isBareZip;
    });
    for (PartName& part : parts) {
        if (part.isBareZip) {
            part.naming = hasSpannedSet ? PartNaming::Spanned : PartNaming::Parenthesised;
            part.partIndex = hasSpannedSet ? spannedLastSegment : 0;
        }
    }
}

// Merge order: by naming, then by number; stable, so files with equal
// numbers keep their order. Most names have a handful of parts, which an
// insertion sort orders without the buffer std::stable_sort asks for.
void sortByPart(std::vector<PartName>& parts) {
    const auto precedes = [](const PartName& a, const PartName& b) {
        return a.naming != b.naming ? a.naming < b.naming : a.partIndex < b.partIndex;
    };
    if (parts.size() < 2)
        return;
    if (parts.size() > 16) {
        std::stable_sort(parts.begin(), parts.end(), precedes);
        return;
    }
    for (auto next = parts.begin() + 1; next < parts.end(); ++next) {
        if (!precedes(*next, next[-1]))
            continue;
        PartName moving = std::move(*next);
        auto hole = next;
        for (; hole != parts.begin() && precedes(moving, hole[-1]); --hole)
            *hole = std::move(hole[-1]);
        *hole = std::move(moving);
    }
}

// The absent indices from firstIndex up to the highest of `present`, which
// is ascending. Equal indices side by side need no removing: the walk steps
// over them.
MissingIndices missingIndicesIn(std::span<const qint64> present, qint64 firstIndex) {
    if (present.empty() || present.back() <= firstIndex)
        return {};
    const auto counted = std::lower_bound(present.begin(), present.end(), firstIndex);
    // Exact unless indices repeat; never more than are missing.
    const qint64 expectedCount = present.back() - firstIndex - (present.end() - counted - 1);

    // Walk the gaps between present indices rather than the whole range, so
    // the work depends on how many files there are, not on their numbers.
    QList<qint64> missing;
    if (expectedCount > 0)
        missing.reserve(qsizetype(std::min<qint64>(expectedCount, maxListedMissingIndices)));
    qint64 expected = firstIndex;
    for (auto index = counted; index != present.end(); ++index) {
        for (; expected < *index; ++expected) {
            if (missing.size() == maxListedMissingIndices)
                return {missing, true};
            missing << expected;
        }
        if (*index == std::numeric_limits<qint64>::max())
            break;
        expected = *index + 1;
    }
    return {missing, !missing.isEmpty()};
}

// Runs of equal indices, which lie side by side in part order.
QList<PartClash> clashesIn(const QList<QUrl>& files, std::span<const qint64> indices) {
    QList<PartClash> clashes;
    const auto count = qsizetype(indices.size());
    for (qsizetype begin = 0, end = 0; begin < count; begin = end) {
        end = begin + 1;
        while (end < count && indices[std::size_t(end)] == indices[std::size_t(begin)])
            ++end;
        if (end - begin > 1)
            clashes.append(
                PartClash{indices[std::size_t(begin)], files.sliced(begin, end - begin)});
    }
    return clashes;
}

// One group of parts already in merge order, all of one naming. The files
// of grouped parts are taken from `lent`, in order, when it is given.
ZipFileGroup buildGroup(const QString& baseName, PartNaming naming,
                        std::vector<PartName>::const_iterator begin,
                        std::vector<PartName>::const_iterator end, QList<QUrl> lent = {}) {
    QList<QUrl> files;
    QVarLengthArray<qint64, 64> indices;
    files.reserve(end - begin);
    indices.reserve(end - begin);
    auto nextLent = lent.begin(); // detaches a shared list: copies it once
    for (auto part = begin; part != end; ++part) {
        if (part->isGrouped && nextLent != lent.end())
            files << std::move(*nextLent++);
        else
            files << part->location;
        indices << part->partIndex;
    }
    MissingIndices missing;
    QList<PartClash> clashes;
    // A spanned set is refused whole, so its numbers need no checking.
    if (naming != PartNaming::Spanned) {
        const std::span<const qint64> inPartOrder(indices.constData(), std::size_t(indices.size()));
        missing = missingIndicesIn(inPartOrder, firstPartIndex(naming));
        clashes = clashesIn(files, inPartOrder);
    }
    return ZipFileGroup{newGroupId(),
                        baseName,
                        std::move(files),
                        missing.isMissingParts,
                        std::move(missing.indices),
                        std::move(clashes),
                        naming};
}

// The zip parts among `locations` for which `keep` holds, in merge order.
template<typename Keep>
std::vector<PartName> partsInMergeOrder(const QList<QUrl>& locations, Keep keep) {
    std::vector<PartName> parts = readPartNames(locations);
    assignLastSegments(parts);
    std::erase_if(parts, [&keep](const PartName& part) { return !part.isZipPart || !keep(part); });
    std::stable_sort(parts.begin(), parts.end(), [](const PartName& a, const PartName& b) {
        return a.partIndex < b.partIndex;
    });
    return parts;
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
    PartName name = readPartName(location);
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
    const PartName name = readPartName(location);
    return name.isZipPart ? std::optional<qint64>(name.partIndex) : std::nullopt;
}

MissingIndices findMissingIndices(const QList<qint64>& partIndices, qint64 firstIndex) {
    // A group's indices come in part order; others are sorted first.
    QList<qint64> sorted = partIndices;
    if (!std::is_sorted(sorted.cbegin(), sorted.cend()))
        std::sort(sorted.begin(), sorted.end());
    return missingIndicesIn(std::span(sorted.constData(), std::size_t(sorted.size())), firstIndex);
}

PartName readPartName(const QUrl& location, LocationHashing hashing) {
    const QString path = decodedPath(location);
    PartName name;
    name.location = location;
    if (hashing == LocationHashing::Include)
        name.locationHash = seededHash(path);
    const std::optional<NameParts> parts = splitFileName(path);
    if (!parts)
        return name;
    PartNameView parsed{parts->partName, 0};
    if (parts->naming == PartNaming::Parenthesised) {
        parsed = splitPartName(parts->partName);
    } else {
        const std::optional<qint64> index = parts->naming == PartNaming::Numbered
                                                ? numberedIndex(parts->number)
                                                : spannedIndex(parts->number);
        if (!index)
            return name;
        parsed.partIndex = *index;
    }
    name.baseName = parsed.baseName.toString();
    name.key = canonicalForm(name.baseName);
    name.keyHash = seededHash(name.key);
    name.partIndex = parsed.partIndex;
    name.naming = parts->naming;
    name.isZipPart = true;
    name.isBareZip = parts->naming == PartNaming::Parenthesised &&
                     parsed.baseName.size() == parts->partName.size();
    return name;
}

std::vector<PartName> readPartNames(const QList<QUrl>& locations, LocationHashing hashing) {
    std::vector<PartName> names(static_cast<std::size_t>(locations.size()));
    inShares(locations.size(),
             [&locations, hashing, read = names.data()](qsizetype begin, qsizetype end) {
                 for (qsizetype i = begin; i < end; ++i)
                     read[i] = readPartName(locations[i], hashing);
             });
    return names;
}

KeyGroups groupKeyParts(std::vector<PartName>& parts, std::span<ZipFileGroup> previous) {
    assignLastSegments(parts);
    // Each naming's group is spelled as its first file in the order given.
    std::array<QString, 3> spellings;
    std::array<bool, 3> isSpelled{};
    std::array<qsizetype, 3> groupedCounts{};
    for (const PartName& part : parts) {
        const auto naming = std::size_t(part.naming);
        if (!isSpelled[naming]) {
            spellings[naming] = part.baseName;
            isSpelled[naming] = true;
        }
        groupedCounts[naming] += part.isGrouped ? 1 : 0;
    }
    // A previous group lends its files when it holds as many as this
    // naming has grouped parts: then they are those parts' files in their
    // order, which the stable sort keeps. Only a bare archive.zip changes
    // naming, which changes both namings' counts, and a joined group also
    // holds the other half's files.
    std::array<QList<QUrl>, 3> lent;
    for (ZipFileGroup& group : previous) {
        const auto naming = std::size_t(group.naming);
        if (group.files.size() == groupedCounts[naming])
            lent[naming] = std::move(group.files);
    }
    sortByPart(parts);
    KeyGroups groups;
    for (auto begin = parts.cbegin(); begin != parts.cend();) {
        const PartNaming naming = begin->naming;
        const auto end = std::find_if(
            begin, parts.cend(), [naming](const PartName& part) { return part.naming != naming; });
        groups.append(buildGroup(spellings[std::size_t(naming)], naming, begin, end,
                                 std::move(lent[std::size_t(naming)])));
        begin = end;
    }
    for (PartName& part : parts)
        part.isGrouped = true;
    return groups;
}

QList<PartClash> findPartClashes(const QList<QUrl>& files) {
    QList<QUrl> parts;
    QList<qint64> indices;
    for (const PartName& part : partsInMergeOrder(
             files, [](const PartName& part) { return part.naming != PartNaming::Spanned; })) {
        parts << part.location;
        indices << part.partIndex;
    }
    return clashesIn(parts, std::span(indices.constData(), std::size_t(indices.size())));
}

ZipFileGroup groupAs(const QString& baseName, const QList<QUrl>& files) {
    const std::vector<PartName> parts = partsInMergeOrder(
        files, [](const PartName& part) { return part.naming == PartNaming::Parenthesised; });
    return buildGroup(baseName, PartNaming::Parenthesised, parts.cbegin(), parts.cend());
}

QList<ZipFileGroup> groupFiles(const QList<QUrl>& locations) {
    std::vector<PartName> names = readPartNames(locations);

    // Each key's parts in drop order: the first file of a naming spells its
    // group's base name, and parts with equal numbers keep their order.
    std::vector<std::vector<PartName>> partsByKey;
    QHash<Hashed<QString>, qsizetype> keyIndex;
    for (PartName& name : names) {
        if (!name.isZipPart)
            continue;
        const Hashed<QString> key{name.key, name.keyHash};
        auto found = keyIndex.constFind(key);
        if (found == keyIndex.constEnd()) {
            found = keyIndex.insert(key, qsizetype(partsByKey.size()));
            partsByKey.emplace_back();
        }
        partsByKey[std::size_t(*found)].push_back(std::move(name));
    }
    std::sort(partsByKey.begin(), partsByKey.end(), [](const auto& a, const auto& b) {
        return compareCodePoints(a.front().key, b.front().key) < 0;
    });

    std::vector<KeyGroups> built(partsByKey.size());
    inShares(qsizetype(partsByKey.size()),
             [parts = partsByKey.data(), built = built.data()](qsizetype begin, qsizetype end) {
                 for (qsizetype i = begin; i < end; ++i)
                     built[i] = groupKeyParts(parts[i]);
             });
    QList<ZipFileGroup> groups;
    groups.reserve(qsizetype(partsByKey.size()));
    for (KeyGroups& keyGroups : built) {
        for (ZipFileGroup& group : keyGroups)
            groups.append(std::move(group));
    }
    return groups;
}
