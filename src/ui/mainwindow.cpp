#include "ui/mainwindow.h"

#include "model/extractionviewmodel.h"
#include "ui/contentview.h"
#include "ui/passwordquestion.h"
#include "ui/quitguard.h"
#include "ui/replacequestion.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_contentView(new ContentView(this)) {
    setUp();
}

MainWindow::MainWindow(ExtractionViewModel* model, QWidget* parent)
    : QMainWindow(parent)
    , m_contentView(new ContentView(model, this)) {
    setUp();
}

void MainWindow::setUp() {
    setCentralWidget(m_contentView);
    // Roomy, but never larger than the screen it opens on: a 1280×800 screen
    // at twice the scale has 640×400 to give.
    const QSize roomy(960, 640);
    resize(screen() ? roomy.boundedTo(screen()->availableGeometry().size()) : roomy);
    m_quitGuard = new QuitGuard(m_contentView->model(), this);
    m_replaceQuestion = new ReplaceQuestion(m_contentView->model(), this);
    m_passwordQuestion = new PasswordQuestion(m_contentView->model(), this);
    ExtractionViewModel* model = m_contentView->model();
    connect(model, &ExtractionViewModel::stateChanged, this, &MainWindow::showTitle);
    connect(model, &ExtractionViewModel::progressChanged, this, &MainWindow::showTitle);
    showTitle();

    // There is no menu bar; the desktop's usual quit keys still work.
    auto* quit = new QAction(tr("Quit"), this);
    // Ctrl+Q itself: the standard key is empty where the platform theme
    // follows another desktop's conventions.
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);

    auto* about = new QAction(tr("About Kestrune"), this);
    about->setShortcut(QKeySequence(Qt::Key_F1));
    about->setShortcutContext(Qt::WindowShortcut);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    addAction(about);
}

void MainWindow::showAbout() {
    if (m_aboutBox) {
        m_aboutBox->raise();
        m_aboutBox->activateWindow();
        return;
    }
    m_aboutBox = new AboutBox(this);
    m_aboutBox->setAttribute(Qt::WA_DeleteOnClose);
    m_aboutBox->open();
}

void MainWindow::openFiles(const QList<QUrl>& files, const QString& activationToken) {
    if (!files.isEmpty())
        m_contentView->model()->addFiles(files);
    present(activationToken);
}

// Qt's Wayland plugin spends the token while activating; elsewhere it would
// linger and reach the programs this one starts.
void MainWindow::present(const QString& activationToken) {
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (!activationToken.isEmpty())
        qunsetenv("XDG_ACTIVATION_TOKEN");
}

void MainWindow::showTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    const ExtractionViewModel* model = m_contentView->model();
    if (model->state().kind() != ExtractionState::Kind::Running) {
        setWindowTitle(name);
        return;
    }
    const int percent = qBound(0, qRound(model->progress() * 100), 100);
    setWindowTitle(tr("%1 % — %2").arg(percent).arg(name));
}

// Closing the window quits; a running extraction is asked about first.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_quitGuard->allowsClose())
        event->accept();
    else
        event->ignore();
}
