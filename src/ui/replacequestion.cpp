#include "ui/replacequestion.h"

#include "model/extractionviewmodel.h"

#include <QDir>
#include <QPushButton>

ReplaceQuestion::ReplaceQuestion(ExtractionViewModel* model, QWidget* window)
    : QObject(window)
    , m_model(model)
    , m_window(window) {
    connect(m_model, &ExtractionViewModel::replaceConfirmationRequested, this,
            &ReplaceQuestion::ask);
}

QString ReplaceQuestion::text(qint64 fileCount, const QUrl& destination) {
    const QString folder = QDir(destination.toLocalFile()).dirName();
    const QString text = fileCount == 1
                             ? tr("%1 file in %2 will be replaced by the archive's version.")
                             : tr("%1 files in %2 will be replaced by the archive's versions.");
    return text.arg(QString::number(fileCount), folder);
}

void ReplaceQuestion::ask(qint64 fileCount, const QUrl& destination) {
    if (m_question)
        return;
    auto* question = new QMessageBox(QMessageBox::Warning, QString(),
                                     text(fileCount, destination), QMessageBox::NoButton,
                                     m_window);
    m_replaceButton = question->addButton(tr("Replace"), QMessageBox::DestructiveRole);
    QPushButton* cancel = question->addButton(tr("Cancel"), QMessageBox::RejectRole);
    // Replacing loses the files that are there, so it takes a deliberate choice.
    question->setDefaultButton(cancel);
    question->setEscapeButton(cancel);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setWindowModality(Qt::WindowModal);
    connect(question, &QMessageBox::buttonClicked, this, &ReplaceQuestion::answer);
    m_question = question;
    question->open();
}

void ReplaceQuestion::answer(QAbstractButton* button) {
    if (button == m_replaceButton)
        m_model->confirmReplacing();
}
