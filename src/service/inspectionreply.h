#pragma once

#include "service/archiveinspection.h"

#include <QObject>

#include <optional>

// The answer to one check of a set of parts, on the thread that asked. It
// ends once, on a later turn of the event loop than the one that asked, so
// the asker always has time to connect; nothing means "not checked".
class InspectionReply : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void finish(const std::optional<ArchiveInspection>& inspection);
    bool isFinished() const { return m_isFinished; }

Q_SIGNALS:
    void finished(const std::optional<ArchiveInspection>& inspection);

private:
    bool m_isFinished = false;
};
