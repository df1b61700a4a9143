#pragma once

#include "model/extractionstate.h"

#include <QObject>

class DesktopNotifications;
class LauncherProgress;
class MainWindow;

// Tells the desktop about the window's run, for when the window is out of
// sight: the progress on the app's task-bar entry while the run goes, and a
// notification when it ends while another window is active, whose click
// brings this one back. A run the user cancelled ends without one.
class RunAnnouncer : public QObject {
    Q_OBJECT

public:
    RunAnnouncer(MainWindow* window, DesktopNotifications* notifications,
                 LauncherProgress* launcher);

private:
    void followState();
    void followProgress();
    void announceEnd();

    MainWindow* m_window;
    DesktopNotifications* m_notifications;
    LauncherProgress* m_launcher;
    ExtractionState::Kind m_kind = ExtractionState::Kind::Idle;
    bool m_isCancelled = false;
};
