#include "ui/passwordquestion.h"

#include "model/extractionviewmodel.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Far more than anyone types, and within what the extractor takes in bytes.
constexpr int longestPassword = 1024; // characters

} // namespace

PasswordQuestion::PasswordQuestion(ExtractionViewModel* model, QWidget* window)
    : QObject(window)
    , m_model(model)
    , m_window(window) {
    connect(m_model, &ExtractionViewModel::passwordRequested, this, &PasswordQuestion::ask);
}

void PasswordQuestion::ask() {
    if (m_dialog)
        return;
    auto* dialog = new QDialog(m_window);
    dialog->setWindowTitle(tr("Password"));
    auto* text = new QLabel(tr("This archive is protected by a password."), dialog);
    auto* field = new QLineEdit(dialog);
    field->setEchoMode(QLineEdit::Password);
    field->setMaxLength(longestPassword);
    field->setAccessibleName(tr("Password"));
    auto* show = new QCheckBox(tr("Show password"), dialog);
    connect(show, &QCheckBox::toggled, field, [field](bool isShown) {
        field->setEchoMode(isShown ? QLineEdit::Normal : QLineEdit::Password);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    layout->addWidget(field);
    layout->addWidget(show);
    layout->addWidget(buttons);

    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, &PasswordQuestion::answer);
    m_dialog = dialog;
    m_field = field;
    dialog->open();
}

void PasswordQuestion::answer(int result) {
    if (!m_field)
        return;
    QByteArray password = result == QDialog::Accepted ? m_field->text().toUtf8() : QByteArray();
    // The field's own copy goes with the dialog; nothing of it stays.
    m_field->clear();
    if (result == QDialog::Accepted)
        m_model->startWithPassword(std::move(password));
}
