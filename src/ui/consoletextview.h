#pragma once

#include <QPlainTextEdit>
#include <QPointer>

class QFileDialog;
class QMenu;

// The console's text: read-only, yet selectable by mouse and keyboard, with
// a menu to copy it or save it to a file. Having no frame of its own, it
// draws one while it holds the keyboard focus.
class ConsoleTextView : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ConsoleTextView(QWidget* parent = nullptr);

    // Copy, Select All and Save As…; the caller owns it.
    QMenu* createContextMenu();
    // Writes the whole text to `path` as UTF-8, replacing the file only once
    // all of it is written. On failure returns false and says why in `error`.
    bool saveTo(const QString& path, QString* error = nullptr) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void chooseFileToSave();

    QPointer<QFileDialog> m_saveDialog;
};
