#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QUrl>

class ExtractionViewModel;
class QAbstractButton;
class QWidget;

// Asks before a run replaces files that are already in the destination,
// when the view model says Start would: Replace starts the run, Cancel
// leaves everything as it was. Window-modal, without a nested event loop.
class ReplaceQuestion : public QObject {
    Q_OBJECT

public:
    ReplaceQuestion(ExtractionViewModel* model, QWidget* window);

    // The open question, or null.
    QMessageBox* question() const { return m_question; }

    static QString text(qint64 fileCount, const QUrl& destination);

private:
    void ask(qint64 fileCount, const QUrl& destination);
    void answer(QAbstractButton* button);

    ExtractionViewModel* m_model;
    QWidget* m_window;
    QPointer<QMessageBox> m_question;
    QAbstractButton* m_replaceButton = nullptr;
};
