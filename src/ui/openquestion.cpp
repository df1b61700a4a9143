#include "ui/openquestion.h"

#include <QPushButton>

OpenQuestion openQuestion(QWidget* window, QMessageBox::Icon icon, const QString& text,
                          const QString& goAheadText, const QString& keepText) {
    auto* box = new QMessageBox(icon, QString(), text, QMessageBox::NoButton, window);
    QPushButton* goAhead = box->addButton(goAheadText, QMessageBox::DestructiveRole);
    QPushButton* keep = box->addButton(keepText, QMessageBox::RejectRole);
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
    return {box, goAhead};
}
