#pragma once

#include "grouping/zipfilegroup.h"
#include "service/extractionprogress.h"

#include <QUrl>

#include <optional>

// What the service and its worker thread say to each other, by run number.

struct RunRequest {
    quint64 run;
    ZipFileGroup group;
    QUrl destination;
};

struct RunEvent {
    quint64 run;
    std::optional<ExtractionProgress> progress; // none: the run's stream is over
};
