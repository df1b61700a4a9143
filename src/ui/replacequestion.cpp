#include "ui/replacequestion.h"

#include "model/extractionviewmodel.h"
#include "ui/openquestion.h"
#include "ui/pluralcount.h"

#include <QAbstractButton>
#include <QDir>

ReplaceQuestion::ReplaceQuestion(ExtractionViewModel* model, QWidget* window)
    : QObject(window)
    , m_model(model)
    , m_window(window) {
    connect(m_model, &ExtractionViewModel::replaceConfirmationRequested, this,
            &ReplaceQuestion::ask);
}

QString ReplaceQuestion::text(qint64 fileCount, const QUrl& destination) {
    const QString folder = QDir(destination.toLocalFile()).dirName();
    return tr("%n file(s) in %1 will be replaced by the archive's version(s).", nullptr,
              pluralCount(fileCount))
        .arg(folder);
}

// Replacing loses the files that are there, so it takes a deliberate choice.
void ReplaceQuestion::ask(qint64 fileCount, const QUrl& destination) {
    if (m_question)
        return;
    const OpenQuestion question = openQuestion(
        m_window, QMessageBox::Warning, text(fileCount, destination), tr("Replace"), tr("Cancel"));
    m_replaceButton = question.goAhead;
    connect(question.box, &QMessageBox::buttonClicked, this, &ReplaceQuestion::answer);
    m_question = question.box;
}

void ReplaceQuestion::answer(QAbstractButton* button) {
    if (button == m_replaceButton)
        m_model->confirmReplacing();
}
