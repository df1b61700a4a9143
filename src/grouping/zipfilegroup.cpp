#include "grouping/zipfilegroup.h"

#include "grouping/unicodetext.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <QStringList>

std::optional<QString> ZipFileGroup::missingPartsDescription() const {
    if (!isMissingParts)
        return std::nullopt;

    QStringList labels;
    labels.reserve(missingIndices.size());
    for (qint64 index : missingIndices) {
        labels << (index == 0
                       ? QCoreApplication::translate("ZipFileGroup", "base (%1.zip)").arg(baseName)
                       : QCoreApplication::translate("ZipFileGroup", "part (%1)").arg(index));
    }
    return QCoreApplication::translate("ZipFileGroup", "Missing parts: %1")
        .arg(labels.join(QStringLiteral(", ")));
}

bool operator==(const ZipFileGroup& left, const ZipFileGroup& right) {
    return left.id == right.id && textEquals(left.baseName, right.baseName) &&
           left.files == right.files && left.isMissingParts == right.isMissingParts &&
           left.missingIndices == right.missingIndices && left.clashes == right.clashes;
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
    return seed;
}
