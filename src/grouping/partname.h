#pragma once

#include "grouping/hashedkey.h"
#include "grouping/zipfilegroup.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVarLengthArray>

#include <algorithm>
#include <span>
#include <thread>
#include <vector>

// What the grouping reads from one file's name, kept with the file so that a
// name is read once however often its group is made again.

struct PartName {
    QUrl location;
    // Worked out while the name is read, on whichever core reads it, so that
    // looking the file and its key up later costs no hashing.
    size_t locationHash = 0;
    size_t keyHash = 0;
    QString baseName;
    QString key; // the canonical form of baseName (see groupingKey)
    qint64 partIndex = 0;
    PartNaming naming = PartNaming::Parenthesised;
    bool isZipPart = false;
    // "archive.zip": part 0, or the last segment of a spanned set when
    // archive.z01 or its like is among its key's parts.
    bool isBareZip = false;
    // Its file is in the groups its key's parts made last time; false for
    // a part that has come since.
    bool isGrouped = false;
};

// Whether reading a name also hashes the file's whole location, which only
// files held from drop to drop are looked up by.
enum class LocationHashing { Skip, Include };

// The location, and its hash when asked for, are filled in for every file;
// the rest only for a zip part.
PartName readPartName(const QUrl& location, LocationHashing hashing = LocationHashing::Skip);

// The names of all `locations`, in their order; many are read side by side.
std::vector<PartName> readPartNames(const QList<QUrl>& locations,
                                    LocationHashing hashing = LocationHashing::Skip);

// The groups of one key: one per naming, and most keys have one naming.
using KeyGroups = QVarLengthArray<ZipFileGroup, 1>;

// The groups that the parts of one key make, in PartNaming order. `parts`,
// given in the order the files came, is left in the groups' file order, so
// that grouping it again with later parts appended gives what grouping all
// of them in that order would.
//
// `previous` are the groups these parts made last time, which the new ones
// replace: a group whose grouped parts are still its own hands its file
// list over, so the files stay where they are in memory rather than each
// being copied and let go again. Only a list nothing else shares is taken
// apart; a shared one is copied.
KeyGroups groupKeyParts(std::vector<PartName>& parts, std::span<ZipFileGroup> previous = {});

// Calls work(begin, end) on consecutive shares of [0, count), one per core
// when there is enough to do, the first on the calling thread, and returns
// once every share is done. Large drops are mostly waiting for memory: each
// location is an object of its own somewhere on the heap, and the cores can
// wait side by side.
template<typename Work> void inShares(qsizetype count, Work work) {
    // Below this many items per core a thread costs more than it saves.
    constexpr qsizetype minimumShare = 4096;
    const qsizetype cores = qsizetype(std::max(1u, std::thread::hardware_concurrency()));
    const qsizetype shares = std::clamp(count / minimumShare, qsizetype(1), cores);
    const qsizetype size = (count + shares - 1) / shares;
    std::vector<std::jthread> helpers;
    for (qsizetype begin = size; begin < count; begin += size)
        helpers.emplace_back(work, begin, std::min(count, begin + size));
    work(qsizetype(0), std::min(count, size));
}
