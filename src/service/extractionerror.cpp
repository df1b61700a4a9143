#include "service/extractionerror.h"

#include <QStringList>

#include <cerrno>

namespace {

template<class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template<class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

QString ExtractionError::errorDescription() const {
    return std::visit(
        Overloaded{
            [](const Invalid&) { return QString(); },
            [](const MissingParts& error) {
                QStringList numbers;
                for (qint64 index : error.indices)
                    numbers << QString::number(index);
                return QStringLiteral("Missing zip parts: ") + numbers.join(QStringLiteral(", "));
            },
            [](const ReadPermissionDenied& error) {
                return QStringLiteral("Cannot read file: ") + error.location.fileName();
            },
            [](const WritePermissionDenied& error) {
                return QStringLiteral("Cannot write to destination: ") + error.location.fileName();
            },
            [](const ExtractionFailed& error) {
                return QStringLiteral("Extraction failed: ") + error.text;
            },
            [](const DiskFull&) { return QStringLiteral("Disk is full."); },
            [](const CannotJoin& error) { return error.reason; },
            [](const PasswordRequired&) {
                return QStringLiteral("This archive is protected by a password.");
            },
            [](const WrongPassword&) { return QStringLiteral("Wrong password."); },
            [](const Cancelled&) { return QStringLiteral("Extraction cancelled."); },
        },
        m_case);
}

ExtractionError ExtractionError::writeFailed(QUrl location, int systemError) {
    if (systemError == ENOSPC || systemError == EDQUOT)
        return diskFull();
    return writePermissionDenied(std::move(location), systemError);
}
