#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <variant>

// Every failure an extraction run can end with, each with its one
// user-facing message.
class ExtractionError {
public:
    struct MissingParts {
        QList<qint64> indices;
    };
    struct ReadPermissionDenied {
        QUrl location; // the part that could not be opened or read
    };
    struct WritePermissionDenied {
        QUrl location; // the file that could not be opened for writing or written
    };
    struct ExtractionFailed {
        QString text;
    };
    struct DiskFull {};

    using Case = std::variant<MissingParts, ReadPermissionDenied, WritePermissionDenied,
                              ExtractionFailed, DiskFull>;

    ExtractionError() = default;
    ExtractionError(Case value)
        : m_case(std::move(value)) {}

    static ExtractionError missingParts(QList<qint64> indices) {
        return Case(MissingParts{std::move(indices)});
    }
    static ExtractionError readPermissionDenied(QUrl location) {
        return Case(ReadPermissionDenied{std::move(location)});
    }
    static ExtractionError writePermissionDenied(QUrl location) {
        return Case(WritePermissionDenied{std::move(location)});
    }
    static ExtractionError extractionFailed(QString text) {
        return Case(ExtractionFailed{std::move(text)});
    }
    static ExtractionError diskFull() { return Case(DiskFull{}); }

    const Case& value() const { return m_case; }
    template<typename T> bool is() const { return std::holds_alternative<T>(m_case); }

    // Built from the payload each time it is asked for; only the last path
    // component of a location is shown, never its folder.
    QString errorDescription() const;

private:
    Case m_case = DiskFull{};
};

Q_DECLARE_METATYPE(ExtractionError)
