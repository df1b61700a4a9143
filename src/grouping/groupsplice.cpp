#include "grouping/groupsplice.h"

#include "grouping/filegrouper.h"
#include "grouping/unicodetext.h"

#include <algorithm>

QList<KeyRange> findKeyRanges(const QList<ZipFileGroup>& groups, const QStringList& keys) {
    QList<KeyRange> ranges;
    ranges.reserve(keys.size());
    qsizetype from = 0;
    for (const QString& key : keys) {
        // Most names are their own key, read without a copy.
        QString scratch;
        const auto keyOf = [&scratch](const ZipFileGroup& group) -> QStringView {
            if (isPlainlyCanonical(group.baseName))
                return group.baseName;
            scratch = groupingKey(group);
            return scratch;
        };
        const auto isBefore = [&](const ZipFileGroup& group) {
            return precedesInGroupOrder(keyOf(group), group.naming, key, PartNaming::Parenthesised);
        };
        // Galloping from the previous key's range, since the keys ascend and
        // many of them lie close together.
        qsizetype step = 1;
        qsizetype low = from;
        while (low + step <= groups.size() && isBefore(groups[low + step - 1])) {
            low += step;
            step *= 2;
        }
        const auto begin = std::partition_point(
            groups.cbegin() + low, groups.cbegin() + std::min(groups.size(), low + step), isBefore);
        // One key has a group in each naming at most.
        qsizetype end = begin - groups.cbegin();
        while (end < groups.size() && !precedesInGroupOrder(key, PartNaming::Spanned,
                                                            keyOf(groups[end]), groups[end].naming))
            ++end;
        ranges.append(KeyRange{begin - groups.cbegin(), end});
        from = end;
    }
    return ranges;
}

QList<ZipFileGroup> spliceGroups(QList<ZipFileGroup> groups, const QStringList& keys,
                                 const QList<KeyRange>& ranges, QList<ZipFileGroup> regrouped) {
    qsizetype replaced = 0;
    for (const KeyRange& range : ranges)
        replaced += range.end - range.begin;
    QList<ZipFileGroup> spliced;
    spliced.reserve(groups.size() - replaced + regrouped.size());
    const auto keep = [&](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i)
            spliced.append(std::move(groups[i]));
    };
    qsizetype kept = 0;
    qsizetype next = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        keep(kept, ranges[i].begin);
        for (; next < regrouped.size() && groupingKey(regrouped[next]) == keys[i]; ++next)
            spliced.append(std::move(regrouped[next]));
        kept = ranges[i].end;
    }
    keep(kept, groups.size());
    Q_ASSERT(next == regrouped.size());
    return spliced;
}
