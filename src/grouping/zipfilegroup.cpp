#include "grouping/zipfilegroup.h"

#include "grouping/unicodetext.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <QRandomGenerator>
#include <QStringList>

namespace {

// The file name a missing part would have, in the group's naming. The zip
// extension is written in lower case, whatever the dropped files use.
QString missingPartLabel(const QString& baseName, PartNaming naming, qint64 index) {
    switch (naming) {
    case PartNaming::Parenthesised:
        break;
    case PartNaming::Numbered:
        // Three digits at least, the one spelling the grouping accepts.
        return QStringLiteral("%1.zip.%2").arg(baseName).arg(index, 3, 10, QLatin1Char('0'));
    case PartNaming::Spanned:
        return QStringLiteral("%1.z%2").arg(baseName).arg(index, 2, 10, QLatin1Char('0'));
    }
    return index == 0 ? QCoreApplication::translate("ZipFileGroup", "base (%1.zip)").arg(baseName)
                      : QCoreApplication::translate("ZipFileGroup", "part (%1)").arg(index);
}

} // namespace

std::optional<QString> ZipFileGroup::missingPartsDescription() const {
    if (!isMissingParts)
        return std::nullopt;

    QStringList labels;
    labels.reserve(missingIndices.size());
    for (qint64 index : missingIndices)
        labels << missingPartLabel(baseName, naming, index);
    return QCoreApplication::translate("ZipFileGroup", "Missing parts: %1")
        .arg(labels.join(QStringLiteral(", ")));
}

std::optional<QString> ZipFileGroup::refusalDescription() const {
    if (naming != PartNaming::Spanned || files.isEmpty())
        return std::nullopt;
    const QString first = files.first().fileName();
    const QString set =
        files.size() == 1 ? first : first + QStringLiteral(" … ") + files.last().fileName();
    // Each segment of such a set counts its offsets from its own start, so
    // the parts end to end are no archive that any tool could read.
    return QCoreApplication::translate(
               "ZipFileGroup", "These parts (%1) are a PKZIP spanned set, not byte-split parts: "
                               "joined end to end they do not make an archive, so Kestrune "
                               "cannot extract them.")
        .arg(set);
}

bool operator==(const ZipFileGroup& left, const ZipFileGroup& right) {
    return left.id == right.id && textEquals(left.baseName, right.baseName) &&
           left.files == right.files && left.isMissingParts == right.isMissingParts &&
           left.missingIndices == right.missingIndices && left.clashes == right.clashes &&
           left.naming == right.naming;
}

size_t qHash(const ZipFileGroup& group, size_t seed) {
    // Fed in field order; the base name is hashed in its canonical form so that
    // equal records (canonically equivalent names) hash alike.
    QtPrivate::QHashCombine combine;
    seed = combine(seed, group.id);
    seed = combine(seed, canonicalForm(group.baseName));
    seed = combine(seed, group.files.size());
    for (const QUrl& file : group.files)
        seed = combine(seed, file);
    seed = combine(seed, quint8(group.isMissingParts ? 1 : 0));
    seed = combine(seed, group.missingIndices.size());
    for (qint64 index : group.missingIndices)
        seed = combine(seed, index);
    seed = combine(seed, group.clashes.size());
    for (const PartClash& clash : group.clashes) {
        seed = combine(seed, clash.partIndex);
        seed = combine(seed, clash.files.size());
        for (const QUrl& file : clash.files)
            seed = combine(seed, file);
    }
    seed = combine(seed, int(group.naming));
    return seed;
}

QUuid newGroupId() {
    // QUuid::createUuid() asks the kernel for each id, which a drop of
    // thousands of archives waits for; the global generator, seeded by the
    // system's once, is as unlikely to repeat an id.
    quint32 words[4];
    QRandomGenerator::global()->fillRange(words);
    return QUuid(words[0], quint16(words[1]), quint16((words[1] >> 16 & 0x0fff) | 0x4000),
                 uchar((words[2] & 0x3f) | 0x80), uchar(words[2] >> 8), uchar(words[2] >> 16),
                 uchar(words[2] >> 24), uchar(words[3]), uchar(words[3] >> 8),
                 uchar(words[3] >> 16), uchar(words[3] >> 24));
}
