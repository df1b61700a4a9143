#include "ui/destinationpicker.h"

#include <QFileDialog>

DestinationPicker::DestinationPicker(QWidget* window)
    : QObject(window)
    , m_window(window) {}

void DestinationPicker::present(const QUrl& startFolder) {
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_dialog = new QFileDialog(m_window, tr("Choose Destination Folder"));
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setFileMode(QFileDialog::Directory);
    m_dialog->setOption(QFileDialog::ShowDirsOnly);
    m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (startFolder.isValid())
        m_dialog->setDirectoryUrl(startFolder);
    // Read the way the static chooser functions read it, which both the
    // desktop's dialog and Qt's own fill in.
    connect(m_dialog, &QDialog::accepted, this, [this] {
        const QUrl folder = m_dialog->selectedUrls().value(0);
        if (folder.isLocalFile())
            Q_EMIT folderChosen(folder);
    });
    m_dialog->open();
}
