#include "ui/quitguard.h"

#include "model/extractionviewmodel.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

QuitGuard::QuitGuard(ExtractionViewModel* model, QWidget* window)
    : QObject(window)
    , m_model(model)
    , m_window(window) {
    connect(m_model, &ExtractionViewModel::stateChanged, this, &QuitGuard::closeOnceStopped);
}

bool QuitGuard::isRunning() const {
    return m_model->state().kind() == ExtractionState::Kind::Running;
}

bool QuitGuard::allowsClose() {
    if (!isRunning())
        return true;
    if (m_isStopping)
        return false;
    if (m_question) {
        m_question->raise();
        m_question->activateWindow();
    } else {
        ask();
    }
    return false;
}

void QuitGuard::ask() {
    auto* question = new QMessageBox(QMessageBox::Question, QString(),
                                     tr("An extraction is running. Stop it and quit?"),
                                     QMessageBox::NoButton, m_window);
    m_stopButton = question->addButton(tr("Stop and Quit"), QMessageBox::DestructiveRole);
    QPushButton* keep = question->addButton(tr("Keep Running"), QMessageBox::RejectRole);
    // Quitting loses the run's progress, so it takes a deliberate choice.
    question->setDefaultButton(keep);
    question->setEscapeButton(keep);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setWindowModality(Qt::WindowModal);
    connect(question, &QMessageBox::buttonClicked, this, &QuitGuard::answer);
    m_question = question;
    question->open();
}

void QuitGuard::answer(QAbstractButton* button) {
    if (button != m_stopButton)
        return;
    if (!isRunning()) {
        // The run ended by itself while the question was open.
        QTimer::singleShot(0, m_window, &QWidget::close);
        return;
    }
    m_isStopping = true;
    m_model->cancel();
}

// Queued, so that the run's closing event has been handled all the way
// through before the window and its model go.
void QuitGuard::closeOnceStopped() {
    if (!m_isStopping || isRunning())
        return;
    m_isStopping = false;
    QTimer::singleShot(0, m_window, &QWidget::close);
}
