#pragma once

#include "fakeextractionservice.h"

// The model tests' scripted service, with the shortcuts the window tests use
// to put a window into running, succeeded or failed.
class ScriptedService : public FakeExtractionService {
public:
    int runCount() const { return int(runs.size()); }

    // The stream of the latest run; null before the first.
    ExtractionEventStream* stream() const {
        return runs.isEmpty() ? nullptr : runs.last().stream.data();
    }

    void finish(const ExtractionProgress& closing) {
        stream()->deliver(closing);
        stream()->end();
    }
};
