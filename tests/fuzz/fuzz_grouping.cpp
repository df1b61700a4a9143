// Fuzz target: part-name parsing and grouping on arbitrary lists of names.
// Checks the properties every result must have, whatever the input.

#include "grouping/filegrouper.h"
#include "grouping/unicodetext.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkParse(const QString& name) {
    const ParsedPartName parsed = parsePartName(name);
    check(parsed.partIndex >= 0);
    check(name.startsWith(parsed.baseName));
    if (parsed.baseName.size() == name.size())
        check(parsed.partIndex == 0);
}

void checkGroup(const ZipFileGroup& group) {
    check(!group.files.isEmpty());
    check(group.isMissingParts == !group.missingIndices.isEmpty());
    check(group.missingIndices.size() <= maxListedMissingIndices);
    for (qsizetype i = 0; i < group.missingIndices.size(); ++i) {
        check(group.missingIndices[i] >= 0);
        if (i > 0)
            check(group.missingIndices[i - 1] < group.missingIndices[i]);
    }
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
        grouped += groups[i].files.size();
        const QString key = canonicalForm(groups[i].baseName);
        check(!names.contains(key));
        names.insert(key);
        if (i > 0)
            check(compareCodePoints(canonicalForm(groups[i - 1].baseName), key) < 0);
    }
    check(grouped <= locations.size());
    return 0;
}
