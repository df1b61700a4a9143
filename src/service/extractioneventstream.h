#pragma once

#include "service/extractionprogress.h"

#include <QObject>

// The consumer side of one run, and its handle. Events arrive on this
// object's thread in the order the run produced them (the service hands them
// over from its thread through a mailbox, so the producer never waits); after
// ended() nothing more is delivered. cancel() asks the run to stop; the run
// then ends as usual, with one closing event.
class ExtractionEventStream : public QObject {
    Q_OBJECT

public:
    explicit ExtractionEventStream(QObject* parent = nullptr)
        : QObject(parent) {}

    bool hasEnded() const { return m_ended; }
    bool isCancelRequested() const { return m_cancelRequested; }

    // Asks the run to stop wherever it is. Harmless when asked again or when
    // the run has already ended.
    void cancel() {
        if (m_ended || m_cancelRequested)
            return;
        m_cancelRequested = true;
        Q_EMIT cancelRequested();
    }

    // Called on this object's thread only.
    void deliver(const ExtractionProgress& progress) {
        if (!m_ended)
            Q_EMIT delivered(progress);
    }
    void end() {
        if (m_ended)
            return;
        m_ended = true;
        Q_EMIT ended();
    }

Q_SIGNALS:
    void delivered(const ExtractionProgress& progress);
    void ended();
    void cancelRequested();

private:
    bool m_ended = false;
    bool m_cancelRequested = false;
};
