#include "grouping/heldgroups.h"

#include "grouping/filegrouper.h"
#include "grouping/spacenamedparts.h"
#include "grouping/unicodetext.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

qsizetype HeldGroups::add(const QList<QUrl>& locations, QSet<QString>& joinKeys) {
    std::vector<PartName> names = readPartNames(locations, LocationHashing::Include);
    std::vector<int> touched;
    for (const int slot : std::exchange(m_staleSlots, {})) {
        m_slots[std::size_t(slot)].isStale = false;
        touch(slot, touched);
    }
    // Each file that is no zip part counts once however often the drop
    // holds it.
    QSet<Hashed<QUrl>> ignored;
    for (PartName& name : names) {
        if (!name.isZipPart) {
            ignored.insert({name.location, name.locationHash});
            continue;
        }
        const int slot = slotFor(name);
        // Held parts first, in their groups' order, then the new ones as
        // dropped: the order groupFiles would see all of them in.
        if (m_slots[std::size_t(slot)].hold(std::move(name)))
            touch(slot, touched);
    }
    // Both halves of a joined set are made again when either changes.
    const auto isTouched = [this](int slot) {
        return slot >= 0 && m_slots[std::size_t(slot)].touchedAt >= 0;
    };
    for (const QString& joinKey : std::as_const(joinKeys)) {
        const int base = slotOf(joinKey);
        const int spaced = slotOf(joinKey + u' ');
        if (isTouched(base) || isTouched(spaced)) {
            touch(base, touched);
            touch(spaced, touched);
        }
    }

    std::vector<KeyGroups> regrouped(touched.size());
    ZipFileGroup* const groups = m_groups.data(); // detached here, before the shares
    inShares(qsizetype(touched.size()), [&](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i) {
            KeySlot& held = m_slots[std::size_t(touched[i])];
            const std::span previous(groups + held.first, std::size_t(held.groupCount));
            regrouped[std::size_t(i)] = groupKeyParts(held.parts, previous);
        }
    });
    joinTouched(regrouped, joinKeys);
    place(touched, regrouped);
    return ignored.size();
}

void HeldGroups::regroupAll(const QList<QUrl>& files, QSet<QString>& joinKeys) {
    clear();
    add(files, joinKeys);
    joinKeys.removeIf([this](const QString& joinKey) { return slotOf(joinKey) < 0; });
}

qsizetype HeldGroups::find(const QString& key, PartNaming naming) const {
    const int slot = slotOf(key);
    if (slot < 0)
        return -1;
    const KeySlot& held = m_slots[std::size_t(slot)];
    for (qsizetype i = held.first; i < held.first + held.groupCount; ++i) {
        if (m_groups[i].naming == naming)
            return i;
    }
    return -1;
}

qsizetype HeldGroups::findId(const QUuid& id) const {
    const auto found = std::find_if(m_groups.cbegin(), m_groups.cend(),
                                    [&id](const ZipFileGroup& group) { return group.id == id; });
    return found == m_groups.cend() ? -1 : found - m_groups.cbegin();
}

void HeldGroups::removeAt(qsizetype position) {
    releaseFiles(m_groups[position].files);
    --m_slots[std::size_t(m_slotAt[std::size_t(position)])].groupCount;
    m_groups.removeAt(position);
    m_slotAt.erase(m_slotAt.begin() + position);
    reindexFrom(position);
}

void HeldGroups::removeFile(qsizetype position, const QUrl& file, ZipFileGroup updated) {
    releaseFiles({file});
    m_groups[position] = std::move(updated);
    const int slot = m_slotAt[std::size_t(position)];
    if (!std::exchange(m_slots[std::size_t(slot)].isStale, true))
        m_staleSlots.push_back(slot);
}

void HeldGroups::clear() {
    *this = HeldGroups();
}

int HeldGroups::slotFor(const PartName& name) {
    const Hashed<QString> key{name.key, name.keyHash};
    auto found = m_slotOfKey.constFind(key);
    if (found == m_slotOfKey.constEnd()) {
        found = m_slotOfKey.insert(key, int(m_slots.size()));
        m_slots.emplace_back().key = name.key;
    }
    return *found;
}

void HeldGroups::touch(int slot, std::vector<int>& touched) {
    if (slot < 0 || m_slots[std::size_t(slot)].touchedAt >= 0)
        return;
    m_slots[std::size_t(slot)].touchedAt = qsizetype(touched.size());
    touched.push_back(slot);
}

// Joins again the sets asked for whose halves were made again, or lets go of
// the join where they no longer plainly make one set. The joined group takes
// the base half's place; the spaced half then has none.
void HeldGroups::joinTouched(std::vector<KeyGroups>& regrouped, QSet<QString>& joinKeys) {
    const auto groupsOf = [&](int slot) -> KeyGroups* {
        const qsizetype at = slot < 0 ? -1 : m_slots[std::size_t(slot)].touchedAt;
        return at < 0 ? nullptr : &regrouped[std::size_t(at)];
    };
    for (const QString& joinKey : QSet<QString>(joinKeys)) {
        KeyGroups* base = groupsOf(slotOf(joinKey));
        KeyGroups* spaced = groupsOf(slotOf(joinKey + u' '));
        if (!base && !spaced)
            continue;
        QList<ZipFileGroup> halves;
        for (const KeyGroups* half : {base, spaced}) {
            if (half)
                std::copy(half->cbegin(), half->cend(), std::back_inserter(halves));
        }
        JoinedGroups joined = joinSpaceNamedGroups(std::move(halves), {joinKey});
        if (joined.joinKeys.isEmpty())
            joinKeys.remove(joinKey);
        for (KeyGroups* half : {base, spaced}) {
            if (half)
                half->clear();
        }
        for (ZipFileGroup& group : joined.groups)
            (groupingKey(group) == joinKey ? base : spaced)->append(std::move(group));
    }
}

// Puts the regrouped names' groups in the list: in the places of their old
// ones where there are as many, otherwise by moving the others aside.
void HeldGroups::place(const std::vector<int>& touched, std::vector<KeyGroups>& regrouped) {
    bool isReshaped = false;
    bool shrinks = false;
    for (std::size_t i = 0; i < touched.size(); ++i) {
        KeySlot& held = m_slots[std::size_t(touched[i])];
        if (held.groupCount == regrouped[i].size()) {
            for (qsizetype k = 0; k < held.groupCount; ++k)
                m_groups[held.first + k] = std::move(regrouped[i][k]);
            held.touchedAt = -1;
        } else {
            isReshaped = true;
            shrinks = shrinks || regrouped[i].size() < held.groupCount;
        }
    }
    if (isReshaped)
        shrinks ? rebuild(touched, regrouped) : spreadOut(touched, regrouped);
}

// Where the names that change their number of groups go, in list order: a
// name that had none goes where its key sorts, before a name that grows
// there.
std::vector<HeldGroups::Change> HeldGroups::changes(const std::vector<int>& touched) const {
    std::vector<Change> changes;
    for (const int slot : touched) {
        const KeySlot& held = m_slots[std::size_t(slot)];
        if (held.touchedAt < 0)
            continue;
        const bool isEntering = held.groupCount == 0;
        changes.push_back({isEntering ? insertionPoint(held.key) : held.first, slot, isEntering});
    }
    std::sort(changes.begin(), changes.end(), [this](const Change& a, const Change& b) {
        if (a.position != b.position)
            return a.position < b.position;
        if (a.isEntering != b.isEntering)
            return a.isEntering;
        return compareCodePoints(m_slots[std::size_t(a.slot)].key,
                                 m_slots[std::size_t(b.slot)].key) < 0;
    });
    return changes;
}

// When no name loses a group, the list grows in place: from the back, the
// groups after each change are relocated down by what the changes before it
// add, as one block, and those before the first change stay where they are.
// Groups are relocatable (see zipfilegroup.h): a block moves by memmove, and
// the places it leaves own nothing until a new group is made in them.
void HeldGroups::spreadOut(const std::vector<int>& touched, std::vector<KeyGroups>& regrouped) {
    const std::vector<Change> moves = changes(touched);
    const qsizetype oldSize = m_groups.size();
    qsizetype newSize = oldSize;
    for (const Change& change : moves) {
        const KeySlot& held = m_slots[std::size_t(change.slot)];
        newSize += regrouped[std::size_t(held.touchedAt)].size() - held.groupCount;
    }
    if (m_groups.capacity() < newSize)
        m_groups.reserve(std::max(newSize, 2 * m_groups.capacity()));
    m_groups.resize(newSize); // default groups own nothing either
    m_slotAt.resize(std::size_t(newSize));
    ZipFileGroup* const groups = m_groups.data();

    // [read, write) is the gap: places that own nothing.
    qsizetype read = oldSize;
    qsizetype write = newSize;
    for (auto change = moves.crbegin(); change != moves.crend(); ++change) {
        KeySlot& held = m_slots[std::size_t(change->slot)];
        const qsizetype keep = change->position + held.groupCount;
        const qsizetype count = read - keep;
        std::memmove(static_cast<void*>(groups + write - count), groups + keep,
                     std::size_t(count) * sizeof(ZipFileGroup));
        std::memmove(m_slotAt.data() + write - count, m_slotAt.data() + keep,
                     std::size_t(count) * sizeof(int));
        write -= count;
        for (qsizetype i = write; i < write + count; ++i) {
            if (i == write || m_slotAt[std::size_t(i)] != m_slotAt[std::size_t(i - 1)])
                m_slots[std::size_t(m_slotAt[std::size_t(i)])].first = i;
        }
        std::destroy(groups + change->position, groups + keep);
        read = change->position;

        KeyGroups& made = regrouped[std::size_t(held.touchedAt)];
        write -= made.size();
        for (qsizetype k = 0; k < made.size(); ++k) {
            new (groups + write + k) ZipFileGroup(std::move(made[k]));
            m_slotAt[std::size_t(write + k)] = change->slot;
        }
        held.first = write;
        held.groupCount = made.size();
        held.touchedAt = -1;
    }
}

// Otherwise the list is made anew, going through the old one once.
void HeldGroups::rebuild(const std::vector<int>& touched, std::vector<KeyGroups>& regrouped) {
    const std::vector<Change> moves = changes(touched);
    QList<ZipFileGroup> groups;
    std::vector<int> slotAt;
    groups.reserve(m_groups.size() + qsizetype(moves.size()));
    slotAt.reserve(std::size_t(groups.capacity()));
    const auto placeRegrouped = [&](int slot) {
        KeySlot& held = m_slots[std::size_t(slot)];
        KeyGroups& made = regrouped[std::size_t(held.touchedAt)];
        held.first = groups.size();
        held.groupCount = made.size();
        held.touchedAt = -1;
        for (ZipFileGroup& group : made) {
            groups.append(std::move(group));
            slotAt.push_back(slot);
        }
    };
    auto next = moves.cbegin();
    for (qsizetype i = 0; i < m_groups.size();) {
        for (; next != moves.cend() && next->isEntering && next->position == i; ++next)
            placeRegrouped(next->slot);
        const int slot = m_slotAt[std::size_t(i)];
        KeySlot& held = m_slots[std::size_t(slot)];
        const qsizetype count = held.groupCount;
        if (held.touchedAt >= 0) {
            placeRegrouped(slot);
            ++next;
        } else {
            held.first = groups.size();
            for (qsizetype k = i; k < i + count; ++k) {
                groups.append(std::move(m_groups[k]));
                slotAt.push_back(slot);
            }
        }
        i += count;
    }
    for (; next != moves.cend(); ++next)
        placeRegrouped(next->slot);
    m_groups = std::move(groups);
    m_slotAt = std::move(slotAt);
}

// The position of the first group whose key sorts after `key`.
qsizetype HeldGroups::insertionPoint(const QString& key) const {
    const auto position = std::partition_point(m_slotAt.cbegin(), m_slotAt.cend(), [&](int slot) {
        return compareCodePoints(m_slots[std::size_t(slot)].key, key) < 0;
    });
    return position - m_slotAt.cbegin();
}

// A joined group's files belong to two keys; any other group's to one.
void HeldGroups::releaseFiles(const QList<QUrl>& files) {
    QSet<Hashed<QUrl>> leaving;
    leaving.reserve(files.size());
    std::vector<int> keySlots;
    for (const QUrl& file : files) {
        const PartName name = readPartName(file, LocationHashing::Include);
        leaving.insert({file, name.locationHash});
        const int slot = slotOf(name.key);
        if (slot >= 0 && std::find(keySlots.cbegin(), keySlots.cend(), slot) == keySlots.cend())
            keySlots.push_back(slot);
    }
    for (const int slot : keySlots)
        m_slots[std::size_t(slot)].release(leaving);
}

bool HeldGroups::KeySlot::hold(PartName&& part) {
    // A key has a handful of parts as a rule, and comparing their hashes
    // costs less than keeping a set.
    constexpr std::size_t lookThroughLimit = 32;
    const Hashed<QUrl> file{part.location, part.locationHash};
    if (files.isEmpty() && parts.size() < lookThroughLimit) {
        const bool isHeld =
            std::any_of(parts.cbegin(), parts.cend(), [&file](const PartName& held) {
                return held.locationHash == file.hash && held.location == file.key;
            });
        if (isHeld)
            return false;
    } else {
        if (files.isEmpty()) {
            files.reserve(qsizetype(parts.size()) * 2);
            for (const PartName& held : parts)
                files.insert({held.location, held.locationHash});
        }
        const qsizetype heldCount = files.size();
        files.insert(file);
        if (files.size() == heldCount)
            return false;
    }
    parts.push_back(std::move(part));
    return true;
}

void HeldGroups::KeySlot::release(const QSet<Hashed<QUrl>>& leaving) {
    std::erase_if(parts, [&leaving](const PartName& part) {
        return leaving.contains({part.location, part.locationHash});
    });
    if (!files.isEmpty()) {
        for (const Hashed<QUrl>& file : leaving)
            files.remove(file);
    }
}

void HeldGroups::reindexFrom(qsizetype position) {
    for (qsizetype i = position; i < m_groups.size(); ++i) {
        const int slot = m_slotAt[std::size_t(i)];
        if (i == 0 || m_slotAt[std::size_t(i - 1)] != slot)
            m_slots[std::size_t(slot)].first = i;
    }
}
