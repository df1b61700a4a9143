#pragma once

#include "service/mailbox.h"
#include "service/runmessages.h"

#include <QObject>
#include <QPointer>
#include <QString>

class ExtractionRun;

// Lives on the service's thread and hosts its runs there. Requests arrive in
// a mailbox and are started one after the other, so runs merge in turn, and
// a run waiting for its extractor leaves the thread free for the next. Runs
// are its children, so they go (and take their extractors with them) when it
// goes.
class ExtractionWorker : public QObject {
    Q_OBJECT

public:
    ExtractionWorker(QString extractorPath, Mailbox<RunRequest>& requests,
                     Mailbox<RunEvent>& events);

    // Starts every run requested so far.
    void startRequestedRuns();
    // Stops every run whose cancel flag is set.
    void cancelFlaggedRuns();

Q_SIGNALS:
    // The event mailbox went from empty to not empty.
    void eventsPosted();

private:
    void startRun(const RunRequest& request);
    void post(RunEvent event);

    QString m_extractorPath;
    QList<QPointer<ExtractionRun>> m_runs;
    Mailbox<RunRequest>& m_requests;
    Mailbox<RunEvent>& m_events;
};
