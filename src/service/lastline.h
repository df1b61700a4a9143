#pragma once

#include <QString>
#include <QStringView>

// Follows a stream of text and keeps its last non-blank line, trimmed, for
// the conclusion a tool writes at its end. Holds no more than one line.
class LastLine {
public:
    void feed(QStringView text);
    // At the end of the stream: a final line without a line break counts too.
    void finish();

    const QString& line() const { return m_line; }

private:
    QString m_line;
    QString m_unfinished;
};
