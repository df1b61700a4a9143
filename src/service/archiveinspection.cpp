#include "service/archiveinspection.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace {

// Counts are whole numbers of at least 0; anything else is not known.
std::optional<qint64> countIn(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > 9.0e15 || number != double(qint64(number)))
        return std::nullopt;
    return qint64(number);
}

} // namespace

std::optional<ArchiveInspection> ArchiveInspection::fromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    if (!object.value(QLatin1StringView("complete")).isBool())
        return std::nullopt;
    ArchiveInspection inspection;
    inspection.complete = object.value(QLatin1StringView("complete")).toBool();
    inspection.entries = countIn(object, QLatin1StringView("entries"));
    inspection.unpackedSize = countIn(object, QLatin1StringView("unpackedSize"));
    inspection.encryptedEntries = countIn(object, QLatin1StringView("encryptedEntries"));
    inspection.firstBadPart = countIn(object, QLatin1StringView("firstBadPart"));
    inspection.missingBytes = countIn(object, QLatin1StringView("missingBytes"));
    inspection.conflicts = countIn(object, QLatin1StringView("conflicts"));
    inspection.replacedBytes = countIn(object, QLatin1StringView("replacedBytes"));
    inspection.problem = object.value(QLatin1StringView("problem")).toString();
    return inspection;
}
