#pragma once

#include "service/archiveinspection.h"

#include <QList>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <optional>

// One check of a set of parts by the extractor command, as a child process
// ("--inspect --json [--destination DIR] PART..."), on the event loop of the
// thread that made it, which it never blocks. It ends once, with what the
// check found, or with nothing when the check could not run, did not end in
// time, or the extractor does not know it.
class ArchiveCheck : public QObject {
    Q_OBJECT

public:
    // The check reads a few bytes per entry; a command still running after
    // this long is no such check.
    static constexpr int timeLimit = 10000; // milliseconds

    ArchiveCheck(QString program, QList<QUrl> parts, QUrl destination, QObject* parent = nullptr);
    // A check still running is killed: nobody is left to hear its result.
    ~ArchiveCheck() override;

    void start();

Q_SIGNALS:
    void finished(const std::optional<ArchiveInspection>& inspection);

private:
    void end(const std::optional<ArchiveInspection>& inspection);

    QProcess m_process;
    QTimer m_timeLimit;
    QByteArray m_output;
    bool m_hasEnded = false;
};
