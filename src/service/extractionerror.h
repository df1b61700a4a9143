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
    // The errno values stay with the failure, so that whoever reports it
    // later can still tell why; the message names the file only.
    struct ReadPermissionDenied {
        QUrl location; // the part that could not be opened or read
        int systemError = 0;
    };
    struct WritePermissionDenied {
        QUrl location; // the file that could not be opened for writing or written
        int systemError = 0;
    };
    struct ExtractionFailed {
        QString text;
    };
    struct DiskFull {};
    // The parts are not byte splits of one archive (a spanned set); the
    // reason is the sentence that says so.
    struct CannotJoin {
        QString reason;
    };
    // The archive holds encrypted entries, and the run had no password.
    struct PasswordRequired {};
    // The password given does not open the archive's first encrypted entry.
    struct WrongPassword {};
    // The user stopped the run.
    struct Cancelled {};

    // What a default-made error holds (Qt's meta-type system needs one): no
    // failure at all, so that it can never pass for one.
    using Invalid = std::monostate;

    using Case =
        std::variant<MissingParts, ReadPermissionDenied, WritePermissionDenied, ExtractionFailed,
                     DiskFull, CannotJoin, PasswordRequired, WrongPassword, Cancelled, Invalid>;

    ExtractionError() = default;
    ExtractionError(Case value)
        : m_case(std::move(value)) {}

    static ExtractionError missingParts(QList<qint64> indices) {
        return Case(MissingParts{std::move(indices)});
    }
    static ExtractionError readPermissionDenied(QUrl location, int systemError = 0) {
        return Case(ReadPermissionDenied{std::move(location), systemError});
    }
    static ExtractionError writePermissionDenied(QUrl location, int systemError = 0) {
        return Case(WritePermissionDenied{std::move(location), systemError});
    }
    // A failed write: diskFull when the file system is out of space or the
    // user out of quota, else writePermissionDenied for the location.
    static ExtractionError writeFailed(QUrl location, int systemError);
    static ExtractionError extractionFailed(QString text) {
        return Case(ExtractionFailed{std::move(text)});
    }
    static ExtractionError diskFull() { return Case(DiskFull{}); }
    static ExtractionError cannotJoin(QString reason) {
        return Case(CannotJoin{std::move(reason)});
    }
    static ExtractionError passwordRequired() { return Case(PasswordRequired{}); }
    static ExtractionError wrongPassword() { return Case(WrongPassword{}); }
    static ExtractionError cancelled() { return Case(Cancelled{}); }

    const Case& value() const { return m_case; }
    template<typename T> bool is() const { return std::holds_alternative<T>(m_case); }
    bool isValid() const { return !is<Invalid>(); }

    // Built from the payload each time it is asked for; only the last path
    // component of a location is shown, never its folder. Empty when invalid.
    QString errorDescription() const;

private:
    Case m_case = Invalid{};
};

Q_DECLARE_METATYPE(ExtractionError)
