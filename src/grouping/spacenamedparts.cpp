#include "grouping/spacenamedparts.h"

#include "grouping/filegrouper.h"
#include "grouping/unicodetext.h"

#include <QHash>

#include <algorithm>

namespace {

bool isBaseHalf(const ZipFileGroup& group) {
    return group.naming == PartNaming::Parenthesised &&
           std::all_of(group.files.cbegin(), group.files.cend(),
                       [](const QUrl& file) { return partIndexOf(file).value_or(-1) == 0; });
}

bool isSpacedHalf(const ZipFileGroup& group) {
    return group.naming == PartNaming::Parenthesised && group.baseName.endsWith(u' ') &&
           !group.missingIndices.isEmpty() && group.missingIndices.first() == 0;
}

qsizetype findParenthesised(const QList<ZipFileGroup>& groups, const QString& baseName) {
    const auto found = std::find_if(groups.cbegin(), groups.cend(), [&](const ZipFileGroup& group) {
        return group.naming == PartNaming::Parenthesised && textEquals(group.baseName, baseName);
    });
    return found == groups.cend() ? -1 : found - groups.cbegin();
}

// The base half's index of the set groups[index] belongs to, or -1.
qsizetype baseHalfOf(const QList<ZipFileGroup>& groups, qsizetype index) {
    if (index < 0 || index >= groups.size())
        return -1;
    const ZipFileGroup& group = groups[index];
    if (isBaseHalf(group)) {
        const qsizetype spaced = findParenthesised(groups, group.baseName + u' ');
        return spaced >= 0 && isSpacedHalf(groups[spaced]) ? index : -1;
    }
    if (isSpacedHalf(group)) {
        const qsizetype base = findParenthesised(groups, group.baseName.chopped(1));
        return base >= 0 && isBaseHalf(groups[base]) ? base : -1;
    }
    return -1;
}

} // namespace

qsizetype spaceNamedPartner(const QList<ZipFileGroup>& groups, qsizetype index) {
    const qsizetype base = baseHalfOf(groups, index);
    if (base < 0)
        return -1;
    return base == index ? findParenthesised(groups, groups[base].baseName + u' ') : base;
}

QString spaceNamedJoinKey(const QList<ZipFileGroup>& groups, qsizetype index) {
    const qsizetype base = baseHalfOf(groups, index);
    return base < 0 ? QString() : canonicalForm(groups[base].baseName);
}

JoinedGroups joinSpaceNamedGroups(QList<ZipFileGroup> groups, const QSet<QString>& joinKeys) {
    JoinedGroups joined;
    if (joinKeys.isEmpty()) {
        joined.groups = std::move(groups);
        return joined;
    }
    for (const QString& key : joinKeys) {
        const qsizetype base = findParenthesised(groups, key);
        if (base < 0 || baseHalfOf(groups, base) != base)
            continue;
        const qsizetype spaced = spaceNamedPartner(groups, base);
        const ZipFileGroup& baseHalf = groups[base];
        groups[base] = groupAs(baseHalf.baseName, baseHalf.files + groups[spaced].files);
        groups.removeAt(spaced);
        joined.joinKeys.insert(key);
    }
    joined.groups = std::move(groups);
    return joined;
}
