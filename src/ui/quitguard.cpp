#include "ui/quitguard.h"

#include "model/extractionviewmodel.h"
#include "ui/openquestion.h"

#include <QAbstractButton>
#include <QMessageBox>
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

// Quitting loses the run's progress, so it takes a deliberate choice.
void QuitGuard::ask() {
    const OpenQuestion question = openQuestion(m_window, QMessageBox::Question,
                                               tr("An extraction is running. Stop it and quit?"),
                                               tr("Stop and Quit"), tr("Keep Running"));
    m_stopButton = question.goAhead;
    connect(question.box, &QMessageBox::buttonClicked, this, &QuitGuard::answer);
    m_question = question.box;
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
