#pragma once

#include "grouping/zipfilegroup.h"
#include "service/archiveinspection.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUrl>

#include <optional>

class ExtractionEventStream;
class InspectionReply;

// What the view model needs of whatever runs extractions: start a run, whose
// event stream is also the handle that cancels it, and check a set of parts.
// ExtractionService is the one that does it on a thread of its own; tests
// put a scripted one in its place, without threads.
class ExtractionBackend : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts a run and returns at once with its event stream, owned by the
    // backend and deleted some time after it has ended. What a check of the
    // parts found lets the run see, before it writes a byte, that it will
    // not fit on the destination's file system. A password, if not empty,
    // opens encrypted entries; it is wiped once the extractor has it, in
    // every copy that shares its bytes.
    virtual ExtractionEventStream* extract(const ZipFileGroup& group, const QUrl& destination,
                                           const std::optional<ArchiveInspection>& inspection = {},
                                           const QByteArray& password = {}) = 0;

    // Checks a set of parts, in merge order (and with a destination, counts
    // the files the extraction would replace there). Never blocks; the reply
    // is owned by the backend and goes once it has ended.
    virtual InspectionReply* inspect(const QList<QUrl>& parts,
                                     const std::optional<QUrl>& destination) = 0;
};
