#pragma once

#include "service/extractioneventstream.h"
#include "service/extractionservice.h"

#include <QPointer>

// A service whose runs do nothing until the test feeds their streams, so a
// window can be put into running, succeeded or failed at will.
class ScriptedService : public ExtractionService {
public:
    ScriptedService()
        : ExtractionService(QStringLiteral("unused-extractor")) {}

    ExtractionEventStream* extract(const ZipFileGroup& group, const QUrl& destination) override {
        ++runs;
        lastGroup = group;
        lastDestination = destination;
        m_stream = new ExtractionEventStream(this);
        return m_stream;
    }

    // The stream of the latest run; null before the first.
    ExtractionEventStream* stream() const { return m_stream; }

    void finish(const ExtractionProgress& closing) {
        m_stream->deliver(closing);
        m_stream->end();
    }

    int runs = 0;
    ZipFileGroup lastGroup;
    QUrl lastDestination;

private:
    QPointer<ExtractionEventStream> m_stream;
};
