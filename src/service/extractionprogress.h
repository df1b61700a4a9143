#pragma once

#include "service/extractionerror.h"

#include <QMetaType>
#include <QString>

#include <optional>
#include <variant>

// One event of an extraction run: console text, the overall completion
// fraction, or the one closing event (error or completed).
class ExtractionProgress {
public:
    struct Log {
        QString text; // appended to the console unchanged; carries its own line breaks
    };
    struct Progress {
        double fraction;
    };
    struct Error {
        ExtractionError error;
    };
    struct Completed {
        // As the extractor's summary says; empty when it did not say.
        std::optional<qint64> extractedEntries;
    };

    using Case = std::variant<Log, Progress, Error, Completed>;

    // A default-made event (Qt's meta-type system needs one) is an empty
    // log text: it changes nothing, and never passes for a run's end.
    ExtractionProgress() = default;
    ExtractionProgress(Case value)
        : m_case(std::move(value)) {}

    static ExtractionProgress log(QString text) { return Case(Log{std::move(text)}); }
    static ExtractionProgress progress(double fraction) { return Case(Progress{fraction}); }
    static ExtractionProgress error(ExtractionError error) { return Case(Error{std::move(error)}); }
    static ExtractionProgress completed(std::optional<qint64> extractedEntries = std::nullopt) {
        return Case(Completed{extractedEntries});
    }

    const Case& value() const { return m_case; }
    template<typename T> bool is() const { return std::holds_alternative<T>(m_case); }
    template<typename T> const T* as() const { return std::get_if<T>(&m_case); }

    // True for the two events that end a run.
    bool isClosing() const { return is<Error>() || is<Completed>(); }

private:
    Case m_case = Log{};
};

Q_DECLARE_METATYPE(ExtractionProgress)
