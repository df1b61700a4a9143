#include "ui/runannouncer.h"

#include "model/extractionviewmodel.h"
#include "platform/session/desktopnotifications.h"
#include "platform/session/launcherprogress.h"
#include "ui/contentview.h"
#include "ui/mainwindow.h"
#include "ui/pluralcount.h"

#include <QFileInfo>
#include <QLocale>

namespace {

QString folderName(const QUrl& folder) {
    const QString path = folder.toLocalFile();
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

RunAnnouncer::RunAnnouncer(MainWindow* window, DesktopNotifications* notifications,
                           LauncherProgress* launcher)
    : QObject(window)
    , m_window(window)
    , m_notifications(notifications)
    , m_launcher(launcher) {
    ExtractionViewModel* model = window->contentView()->model();
    connect(model, &ExtractionViewModel::stateChanged, this, &RunAnnouncer::followState);
    connect(model, &ExtractionViewModel::progressChanged, this, &RunAnnouncer::followProgress);
    connect(model, &ExtractionViewModel::cancelRequested, this, [this] { m_isCancelled = true; });
    connect(notifications, &DesktopNotifications::clicked, window, &MainWindow::present);
}

void RunAnnouncer::followState() {
    const ExtractionState::Kind kind = m_window->contentView()->model()->state().kind();
    const ExtractionState::Kind previous = std::exchange(m_kind, kind);
    if (kind == ExtractionState::Kind::Running) {
        // The progress follows at once, reset to 0.
        if (previous != kind)
            m_isCancelled = false;
        return;
    }
    m_launcher->hide();
    if (previous == ExtractionState::Kind::Running && kind != ExtractionState::Kind::Idle &&
        !m_isCancelled && !m_window->isActiveWindow())
        announceEnd();
}

void RunAnnouncer::followProgress() {
    if (m_kind == ExtractionState::Kind::Running)
        m_launcher->show(m_window->contentView()->model()->progress());
}

void RunAnnouncer::announceEnd() {
    const ExtractionViewModel* model = m_window->contentView()->model();
    if (model->state().isFailed()) {
        m_notifications->show(tr("Extraction failed"), model->state().message(), tr("Show"));
        return;
    }
    const QString folder = folderName(model->runDestination());
    const std::optional<qint64> count = model->extractedEntryCount();
    const QString body = count ? tr("%Ln file(s) in %1", nullptr, pluralCount(*count)).arg(folder)
                               : tr("The files are in %1").arg(folder);
    m_notifications->show(tr("Extraction finished"), body, tr("Show"));
}
