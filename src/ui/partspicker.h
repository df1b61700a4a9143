#pragma once

#include <QFileDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QWidget;

// The file chooser behind Add Parts: any number of existing files, added as
// a drop would add them. Window-modal, without blocking the event loop; a
// cancelled choice reports nothing.
class PartsPicker : public QObject {
    Q_OBJECT

public:
    explicit PartsPicker(QWidget* window);

    // Shows the chooser in the folder, or raises it if it is already open.
    void present(const QUrl& startFolder);
    bool isPresented() const { return !m_dialog.isNull(); }
    QFileDialog* dialog() const { return m_dialog; }

Q_SIGNALS:
    void filesChosen(const QList<QUrl>& files);

private:
    QWidget* m_window;
    QPointer<QFileDialog> m_dialog;
};
