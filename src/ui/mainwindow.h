#pragma once

#include "ui/aboutbox.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>

class ContentView;
class ExtractionViewModel;
class PasswordQuestion;
class QuitGuard;
class ReplaceQuestion;

// The application's one window. Its title is the application's name, with
// the progress in front while a run goes, for window lists and screen
// readers as much as for the title bar.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    // Over a view model the caller keeps alive (tests and tools).
    explicit MainWindow(ExtractionViewModel* model, QWidget* parent = nullptr);

    ContentView* contentView() const { return m_contentView; }

    // Files handed over by a later launch: added as a drop adds them, and
    // the window comes to the front.
    void openFiles(const QList<QUrl>& files, const QString& activationToken = {});
    // Brings the window to the front, un-minimised. Under Wayland the
    // compositor allows that only with a token from whatever the user acted
    // on (the launcher, a notification), which Qt reads from the environment.
    void present(const QString& activationToken = {});
    QuitGuard* quitGuard() const { return m_quitGuard; }
    ReplaceQuestion* replaceQuestion() const { return m_replaceQuestion; }
    PasswordQuestion* passwordQuestion() const { return m_passwordQuestion; }
    // Open while shown (F1), else null.
    AboutBox* aboutBox() const { return m_aboutBox; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setUp();
    void showTitle();
    void showAbout();

    ContentView* m_contentView;
    QuitGuard* m_quitGuard = nullptr;
    ReplaceQuestion* m_replaceQuestion = nullptr;
    PasswordQuestion* m_passwordQuestion = nullptr;
    QPointer<AboutBox> m_aboutBox;
};
