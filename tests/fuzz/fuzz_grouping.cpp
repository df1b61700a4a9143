// Fuzz target: part-name parsing and grouping on arbitrary lists of names.
// Checks the properties every result must have, whatever the input.

#include "grouping/filegrouper.h"
#include "grouping/heldgroups.h"
#include "grouping/unicodetext.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// The rule for part names as a regular expression: "(digits)" at the very
// end of the name, read as an index only if it is ASCII and fits in qint64.
// parsePartName applies it by hand; here both must give the same answer.
ParsedPartName parseWithPattern(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("\\((\\d+)\\)$"));
    const QRegularExpressionMatch match = pattern.match(name);
    // '$' also matches before a final line break; the rule wants the very end.
    if (!match.hasMatch() || match.capturedEnd(0) != name.size())
        return {name, 0};
    const QString digits = match.captured(1);
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return {name, 0};
    }
    bool fits = false;
    const qint64 index = digits.toLongLong(&fits);
    if (!fits)
        return {name, 0};
    return {name.left(match.capturedStart(0)), index};
}

void checkParse(const QString& name) {
    const ParsedPartName parsed = parsePartName(name);
    const ParsedPartName expected = parseWithPattern(name);
    check(parsed.baseName == expected.baseName && parsed.partIndex == expected.partIndex);
}

void checkGroup(const ZipFileGroup& group) {
    check(!group.files.isEmpty());
    check(group.isMissingParts == !group.missingIndices.isEmpty());
    check(group.missingIndices.size() <= maxListedMissingIndices);
    // A spanned set is refused whole, and only it.
    check(group.refusalDescription().has_value() == (group.naming == PartNaming::Spanned));
    if (group.naming == PartNaming::Spanned)
        check(!group.isMissingParts && group.clashes.isEmpty());
    for (qsizetype i = 0; i < group.missingIndices.size(); ++i) {
        check(group.missingIndices[i] >= firstPartIndex(group.naming));
        if (i > 0)
            check(group.missingIndices[i - 1] < group.missingIndices[i]);
    }
}

// The number a file's name gives it in its group's naming, by patterns of
// the rules: name(N).zip; name.zip.NNN, three digits or more from 1000 on;
// name.zNN, two digits or more from 100 on, and name.zip after them all.
qint64 referenceIndex(const QString& name, PartNaming naming) {
    static const QRegularExpression numbered(QStringLiteral("\\.zip\\.([1-9][0-9]{3,}|[0-9]{3})$"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression spanned(QStringLiteral("\\.z([1-9][0-9]{2,}|[0-9]{2})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    switch (naming) {
    case PartNaming::Parenthesised:
        break;
    case PartNaming::Numbered: {
        const QRegularExpressionMatch match = numbered.match(name);
        check(match.hasMatch() && match.capturedEnd(0) == name.size());
        return match.captured(1).toLongLong();
    }
    case PartNaming::Spanned: {
        if (name.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive))
            return std::numeric_limits<qint64>::max();
        const QRegularExpressionMatch match = spanned.match(name);
        check(match.hasMatch() && match.capturedEnd(0) == name.size());
        return match.captured(1).toLongLong();
    }
    }
    return parseWithPattern(name.first(name.lastIndexOf(u'.'))).partIndex;
}

// Part numbers read again from the files' names: the files ascend by them,
// and exactly the numbers that more than one file carries are clashes,
// listing those files in the group's order.
void checkClashes(const ZipFileGroup& group) {
    check(group.hasClashingParts() == !group.clashes.isEmpty());
    QMap<qint64, QList<QUrl>> claimants;
    qint64 previous = 0;
    for (const QUrl& file : group.files) {
        const qint64 index = referenceIndex(file.fileName(), group.naming);
        check(index >= previous);
        previous = index;
        claimants[index] << file;
    }
    QList<PartClash> expected;
    for (auto it = claimants.cbegin(); it != claimants.cend(); ++it) {
        if (it->size() > 1 && group.naming != PartNaming::Spanned)
            expected.append({it.key(), *it});
    }
    check(group.clashes == expected);
}

QList<ZipFileGroup> withoutIds(QList<ZipFileGroup> groups) {
    for (ZipFileGroup& group : groups)
        group.id = QUuid();
    return groups;
}

// Dropped a few names at a time, the held groups are after each drop what
// grouping their files at once makes, and they hold every part dropped.
void checkDrops(const QList<QUrl>& locations) {
    HeldGroups held;
    QSet<QString> joinKeys;
    for (qsizetype begin = 0; begin < locations.size(); begin += 3) {
        held.add(locations.mid(begin, 3), joinKeys);
        QList<QUrl> files;
        for (const ZipFileGroup& group : held.groups())
            files += group.files;
        check(withoutIds(held.groups()) == withoutIds(groupFiles(files)));
    }
    const QSet<QUrl> distinct(locations.cbegin(), locations.cend());
    const auto partCount = std::count_if(distinct.cbegin(), distinct.cend(),
                                         [](const QUrl& file) { return partIndexOf(file); });
    qsizetype heldCount = 0;
    for (const ZipFileGroup& group : held.groups())
        heldCount += group.files.size();
    check(heldCount == partCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QUrl> locations;
    for (const QString& line : text.split(u'\n')) {
        checkParse(line);
        locations << QUrl::fromLocalFile(QStringLiteral("/d/") + line);
    }

    const QList<ZipFileGroup> groups = groupFiles(locations);
    qsizetype grouped = 0;
    QSet<QString> names;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        checkGroup(groups[i]);
        checkClashes(groups[i]);
        grouped += groups[i].files.size();
        // Unique and ascending by name, then by naming.
        const QString key =
            QString::number(int(groups[i].naming)) + u'/' + canonicalForm(groups[i].baseName);
        check(!names.contains(key));
        names.insert(key);
        if (i > 0) {
            const int order = compareCodePoints(canonicalForm(groups[i - 1].baseName),
                                                canonicalForm(groups[i].baseName));
            check(order < 0 || (order == 0 && groups[i - 1].naming < groups[i].naming));
        }
    }
    check(grouped <= locations.size());
    checkDrops(locations);
    return 0;
}
