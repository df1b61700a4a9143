#pragma once

#include "grouping/zipfilegroup.h"
#include "service/archiveinspection.h"
#include "service/extractionprogress.h"

#include <QByteArray>
#include <QUrl>

#include <atomic>
#include <memory>
#include <optional>

// What the service and its worker thread say to each other, by run number.

// Set on the main thread when the user cancels; read by the run on the
// service thread, also between two blocks of a merge that holds that thread.
using CancelFlag = std::shared_ptr<std::atomic<bool>>;

struct RunRequest {
    quint64 run;
    ZipFileGroup group;
    QUrl destination;
    CancelFlag cancelled;
    // What a check of the parts found before the run, if one ran.
    std::optional<ArchiveInspection> inspection;
    // Shares its bytes with the caller's copy; empty: none.
    QByteArray password;
};

struct RunEvent {
    quint64 run;
    std::optional<ExtractionProgress> progress; // none: the run's stream is over
};
