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
    connect(m_dialog, &QFileDialog::urlsSelected, this, [this](const QList<QUrl>& urls) {
        if (!urls.isEmpty() && urls.first().isLocalFile())
            Q_EMIT folderChosen(urls.first());
    });
    m_dialog->open();
}
