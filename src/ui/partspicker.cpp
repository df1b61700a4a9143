#include "ui/partspicker.h"

PartsPicker::PartsPicker(QWidget* window)
    : QObject(window)
    , m_window(window) {}

void PartsPicker::present(const QUrl& startFolder) {
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_dialog = new QFileDialog(m_window, tr("Add Parts"));
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setFileMode(QFileDialog::ExistingFiles);
    m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_dialog->setNameFilters(
        {tr("Split zip parts (*.zip *.zip.[0-9][0-9][0-9]* *.z[0-9][0-9]*)"), tr("All files (*)")});
    if (startFolder.isValid())
        m_dialog->setDirectoryUrl(startFolder);
    connect(m_dialog, &QDialog::accepted, this, [this] {
        QList<QUrl> files;
        for (const QUrl& url : m_dialog->selectedUrls()) {
            if (url.isLocalFile())
                files << url;
        }
        if (!files.isEmpty())
            Q_EMIT filesChosen(files);
    });
    m_dialog->open();
}
