#pragma once

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QWidget;

// The folder chooser for the destination: one existing folder, through the
// desktop's own dialog where there is one. It is window-modal and does not
// block the event loop; a cancelled or failed choice reports nothing.
class DestinationPicker : public QObject {
    Q_OBJECT

public:
    explicit DestinationPicker(QWidget* window);

    // Shows the chooser, or raises it if it is already open.
    void present(const QUrl& startFolder);
    bool isPresented() const { return !m_dialog.isNull(); }
    // While presented; for tests that answer the dialog themselves.
    QFileDialog* dialog() const { return m_dialog; }

Q_SIGNALS:
    void folderChosen(const QUrl& folder);

private:
    QWidget* m_window;
    QPointer<QFileDialog> m_dialog;
};
