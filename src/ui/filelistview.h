#pragma once

#include <QListView>

class ExtractionViewModel;
class FileListModel;
class FileRowDelegate;
class FileSizeCache;
class QMenu;

// The rows of the shown group's part files, in merge order, scrolling once
// they are taller than the list may grow. One view paints every row, so a
// group of thousands of parts costs no more widgets than a group of one.
// Each row's remove control answers the mouse; Delete and the context menu
// the keyboard.
class FileListView : public QListView {
    Q_OBJECT

public:
    FileListView(ExtractionViewModel* model, FileSizeCache* sizes, QWidget* parent = nullptr);

    FileListModel* fileModel() const { return m_files; }
    // Where a row's remove control lies, in the viewport's coordinates.
    QRect removeButtonRect(int row) const;
    // Remove this row's file, or the whole archive; each off while a run
    // keeps the files.
    QMenu* createContextMenu(const QModelIndex& index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // Delete removes the current row's file, as its remove control does.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    ExtractionViewModel* m_model;
    FileListModel* m_files;
    FileRowDelegate* m_delegate;
};
