#pragma once

#include "service/extractioneventstream.h"
#include "service/extractionservice.h"

#include <QList>
#include <QPointer>

// A service whose runs the test scripts by hand: every extract() call is
// recorded and its stream handed to the test.
class FakeExtractionService : public ExtractionService {
public:
    FakeExtractionService()
        : ExtractionService(QStringLiteral("unused")) {}

    ExtractionEventStream* extract(const ZipFileGroup& group, const QUrl& destination) override {
        auto* stream = new ExtractionEventStream(this);
        runs << Run{group, destination, stream};
        return stream;
    }

    struct Run {
        ZipFileGroup group;
        QUrl destination;
        QPointer<ExtractionEventStream> stream;
    };
    QList<Run> runs;
};
