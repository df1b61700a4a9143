#pragma once

#include "grouping/partname.h"
#include "grouping/zipfilegroup.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <vector>

// The groups of every file dropped so far, as groupFiles makes them of all
// those files (the held ones in their groups' order, then the new ones), kept
// from drop to drop. A drop regroups only the names its files have: it costs
// what those names hold, not all that is held, and every other group keeps
// its value and id. Each file's name is read once, when it arrives. A file
// already held is among its own key's parts, so that is where a drop looks
// for it. A regrouped name's files mostly stay where they are in memory:
// its new groups take over the file lists of its old ones.
class HeldGroups {
public:
    const QList<ZipFileGroup>& groups() const { return m_groups; }
    bool isEmpty() const { return m_groups.isEmpty(); }

    // Holds the files among `locations` not held yet and regroups their
    // names, along with those marked stale and the other half of any joined
    // set among them (see spacenamedparts.h); `joinKeys` loses the joins of
    // those names that no longer apply. Returns how many new files were no
    // zip parts: they are not held, so dropping them again counts them again.
    qsizetype add(const QList<QUrl>& locations, QSet<QString>& joinKeys);

    // Holds `files` alone, grouped anew and joined as `joinKeys` asks, which
    // keeps only the joins that apply.
    void regroupAll(const QList<QUrl>& files, QSet<QString>& joinKeys);

    // Where the group of this grouping key and naming lies, or -1.
    qsizetype find(const QString& key, PartNaming naming) const;
    // Where the group with this id lies, or -1.
    qsizetype findId(const QUuid& id) const;

    // Lets go of the group at `position` and of its files.
    void removeAt(qsizetype position);
    // Lets go of one file of the group at `position`, which the caller has
    // made into `updated`. The next drop makes that name's groups again,
    // finding its missing parts afresh.
    void removeFile(qsizetype position, const QUrl& file, ZipFileGroup updated);

    void clear();

private:
    // One grouping key: its parts in their groups' file order, and where its
    // groups lie in the list (none, for a name all of whose files went, or
    // for the spaced half of a joined set).
    struct KeySlot {
        QString key;
        std::vector<PartName> parts;
        // The parts' files, once there are too many to look through one by
        // one; empty until then.
        QSet<Hashed<QUrl>> files;
        qsizetype first = 0;
        qsizetype groupCount = 0;
        qsizetype touchedAt = -1; // its place among the slots the drop under way regroups
        bool isStale = false;

        // Holds the part unless its file is held already; says which.
        bool hold(PartName&& part);
        // Lets go of the parts whose files are among `leaving`.
        void release(const QSet<Hashed<QUrl>>& leaving);
    };

    int slotFor(const PartName& name);
    int slotOf(const QString& key) const { return m_slotOfKey.value({key, seededHash(key)}, -1); }
    void touch(int slot, std::vector<int>& touched);
    void joinTouched(std::vector<KeyGroups>& regrouped, QSet<QString>& joinKeys);
    // A name whose number of groups changes: where its groups go, and
    // whether it had none.
    struct Change {
        qsizetype position;
        int slot;
        bool isEntering;
    };
    void place(const std::vector<int>& touched, std::vector<KeyGroups>& regrouped);
    std::vector<Change> changes(const std::vector<int>& touched) const;
    void spreadOut(const std::vector<int>& touched, std::vector<KeyGroups>& regrouped);
    void rebuild(const std::vector<int>& touched, std::vector<KeyGroups>& regrouped);
    qsizetype insertionPoint(const QString& key) const;
    void releaseFiles(const QList<QUrl>& files);
    void reindexFrom(qsizetype position);

    QList<ZipFileGroup> m_groups;
    std::vector<int> m_slotAt; // the slot of each group, side by side with m_groups
    std::vector<KeySlot> m_slots;
    QHash<Hashed<QString>, int> m_slotOfKey;
    std::vector<int> m_staleSlots;
};
