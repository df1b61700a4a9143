#pragma once

#include <QMetaType>
#include <QString>

// Where the window's extraction stands: not started, running, or finished
// with success or with a failure message.
class ExtractionState {
public:
    enum class Kind { Idle, Running, Succeeded, Failed };

    static ExtractionState idle() { return ExtractionState(Kind::Idle); }
    static ExtractionState running() { return ExtractionState(Kind::Running); }
    static ExtractionState succeeded() { return ExtractionState(Kind::Succeeded); }
    static ExtractionState failed(QString message) {
        return ExtractionState(Kind::Failed, std::move(message));
    }

    ExtractionState() = default;

    Kind kind() const { return m_kind; }
    bool isFailed() const { return m_kind == Kind::Failed; }
    // The failure message; empty for every other state.
    const QString& message() const { return m_message; }

    // Failed states are equal when their messages are canonically equivalent.
    friend bool operator==(const ExtractionState& left, const ExtractionState& right);

private:
    explicit ExtractionState(Kind kind, QString message = {})
        : m_kind(kind)
        , m_message(std::move(message)) {}

    Kind m_kind = Kind::Idle;
    QString m_message;
};

Q_DECLARE_METATYPE(ExtractionState)
