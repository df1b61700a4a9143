#include "service/extractionerror.h"

#include <QCoreApplication>
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
                return QCoreApplication::translate("ExtractionError", "Missing zip parts: %1")
                    .arg(numbers.join(QStringLiteral(", ")));
            },
            [](const ReadPermissionDenied& error) {
                return QCoreApplication::translate("ExtractionError", "Cannot read file: %1")
                    .arg(error.location.fileName());
            },
            [](const WritePermissionDenied& error) {
                return QCoreApplication::translate("ExtractionError",
                                                   "Cannot write to destination: %1")
                    .arg(error.location.fileName());
            },
            [](const ExtractionFailed& error) {
                return QCoreApplication::translate("ExtractionError", "Extraction failed: %1")
                    .arg(error.text);
            },
            [](const DiskFull&) {
                return QCoreApplication::translate("ExtractionError", "Disk is full.");
            },
            [](const CannotJoin& error) { return error.reason; },
            [](const PasswordRequired&) {
                return QCoreApplication::translate("ExtractionError",
                                                   "This archive is protected by a password.");
            },
            [](const WrongPassword&) {
                return QCoreApplication::translate("ExtractionError", "Wrong password.");
            },
            [](const Cancelled&) {
                return QCoreApplication::translate("ExtractionError", "Extraction cancelled.");
            },
        },
        m_case);
}

ExtractionError ExtractionError::writeFailed(QUrl location, int systemError) {
    if (systemError == ENOSPC || systemError == EDQUOT)
        return diskFull();
    return writePermissionDenied(std::move(location), systemError);
}
