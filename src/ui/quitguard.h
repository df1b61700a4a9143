#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class ExtractionViewModel;
class QAbstractButton;
class QWidget;

// Stands between closing the window and a running extraction: asks whether
// to stop the run and, if so, cancels it and closes the window once it has
// ended. It does not decide anything while no run is going.
//
// The question is window-modal and opened without a nested event loop, so
// the run's events keep arriving and the window keeps painting meanwhile.
class QuitGuard : public QObject {
    Q_OBJECT

public:
    QuitGuard(ExtractionViewModel* model, QWidget* window);

    // True when the window may close now. Otherwise the guard has asked (or
    // is waiting for the run to stop) and closes the window itself later.
    bool allowsClose();

    // The open question, or null.
    QMessageBox* question() const { return m_question; }
    bool isWaitingForTheRunToStop() const { return m_isStopping; }

private:
    void ask();
    void answer(QAbstractButton* button);
    void closeOnceStopped();
    bool isRunning() const;

    ExtractionViewModel* m_model;
    QWidget* m_window;
    QPointer<QMessageBox> m_question;
    QAbstractButton* m_stopButton = nullptr;
    bool m_isStopping = false;
};
