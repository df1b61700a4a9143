#pragma once

#include "service/extractionprogress.h"

#include <QObject>

// The consumer side of one run's events. Events arrive on this object's
// thread in the order the run produced them, through queued signals, so the
// producer never waits; after ended() nothing more is delivered.
class ExtractionEventStream : public QObject {
    Q_OBJECT

public:
    explicit ExtractionEventStream(QObject* parent = nullptr)
        : QObject(parent) {}

    bool hasEnded() const { return m_ended; }

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

private:
    bool m_ended = false;
};
