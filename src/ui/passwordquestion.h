#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

class ExtractionViewModel;
class QWidget;

// Asks for the password when the view model says Start needs one: OK starts
// the run with it, Cancel leaves everything as it was. Window-modal, without
// a nested event loop. The typed text is cleared as the dialog closes; the
// password is kept nowhere else.
class PasswordQuestion : public QObject {
    Q_OBJECT

public:
    PasswordQuestion(ExtractionViewModel* model, QWidget* window);

    // The open dialog, or null.
    QDialog* dialog() const { return m_dialog; }
    // Its password field, or null.
    QLineEdit* passwordField() const { return m_field; }

private:
    void ask();
    void answer(int result);

    ExtractionViewModel* m_model;
    QWidget* m_window;
    QPointer<QDialog> m_dialog;
    QPointer<QLineEdit> m_field;
};
