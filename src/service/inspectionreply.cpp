#include "service/inspectionreply.h"

void InspectionReply::finish(const std::optional<ArchiveInspection>& inspection) {
    if (m_isFinished)
        return;
    m_isFinished = true;
    QMetaObject::invokeMethod(
        this, [this, inspection] { Q_EMIT finished(inspection); }, Qt::QueuedConnection);
}
