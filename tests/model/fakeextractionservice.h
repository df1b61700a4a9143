#pragma once

#include "model/extractionviewmodel.h"
#include "service/extractionbackend.h"
#include "service/extractioneventstream.h"
#include "service/inspectionreply.h"

#include <QList>
#include <QPointer>
#include <QTest>

// A service whose runs the test scripts by hand: every extract() call is
// recorded and its stream handed to the test. Checks of parts are recorded
// too, and answered with `inspection` (never while `answersChecks` is false).
class FakeExtractionService : public ExtractionBackend {
public:
    ExtractionEventStream* extract(const ZipFileGroup& group, const QUrl& destination,
                                   const std::optional<ArchiveInspection>& inspection,
                                   const QByteArray& password) override {
        auto* stream = new ExtractionEventStream(this);
        // A deep copy: the caller wipes the bytes it handed over.
        runs << Run{group, destination, stream, inspection,
                    QByteArray(password.constData(), password.size())};
        return stream;
    }

    InspectionReply* inspect(const QList<QUrl>& parts,
                             const std::optional<QUrl>& destination) override {
        auto* reply = new InspectionReply(this);
        checks << Check{parts, destination, reply};
        if (answersChecks)
            reply->finish(inspection);
        return reply;
    }

    struct Run {
        ZipFileGroup group;
        QUrl destination;
        QPointer<ExtractionEventStream> stream;
        std::optional<ArchiveInspection> inspection;
        QByteArray password;
    };
    QList<Run> runs;

    struct Check {
        QList<QUrl> parts;
        std::optional<QUrl> destination;
        QPointer<InspectionReply> reply;
    };
    QList<Check> checks;
    bool answersChecks = true;
    std::optional<ArchiveInspection> inspection; // none: the check could not run
};

// What a check finds of a whole archive of 16 files.
inline ArchiveInspection completeInspection(qint64 conflicts = 0, qint64 encryptedEntries = 0) {
    ArchiveInspection inspection;
    inspection.complete = true;
    inspection.entries = 16;
    inspection.unpackedSize = 1'200'000;
    inspection.missingBytes = 0;
    inspection.encryptedEntries = encryptedEntries;
    inspection.conflicts = conflicts;
    inspection.replacedBytes = conflicts * 100;
    return inspection;
}

// A view model over the scripted service, with the waits the model tests share.
struct ScriptedModel {
    ScriptedModel()
        : service(new FakeExtractionService)
        , model(service) {}

    static QUrl destination() { return QUrl::fromLocalFile(QStringLiteral("/tmp/out")); }

    // Lets the checks asked so far answer.
    [[nodiscard]] bool settle() {
        return QTest::qWaitFor([this] { return !model.isInspecting(); });
    }
    // A run reaches the service once the current main-thread work is done.
    [[nodiscard]] bool waitForRuns(qsizetype count) {
        return QTest::qWaitFor([this, count] { return service->runs.size() >= count; });
    }
    [[nodiscard]] bool start() {
        const qsizetype before = service->runs.size();
        model.startExtraction();
        return waitForRuns(before + 1);
    }
    ExtractionEventStream* stream() const { return service->runs.last().stream.data(); }
    void end(const ExtractionProgress& closing) {
        stream()->deliver(closing);
        stream()->end();
    }

    FakeExtractionService* service; // owned by the model
    ExtractionViewModel model;
};
