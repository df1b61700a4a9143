#pragma once

#include <QHash>
#include <QList>
#include <QScrollArea>
#include <QUrl>

class ExtractionViewModel;
class FileRow;
class FileSizeCache;
class QVBoxLayout;

// The rows of the shown group's part files, in merge order, scrolling once
// they are taller than the list may grow. Rows are kept by file location, so
// removing a file leaves the rows after it in place with new numbers.
class FileListView : public QScrollArea {
    Q_OBJECT

public:
    FileListView(ExtractionViewModel* model, FileSizeCache* sizes, QWidget* parent = nullptr);

    // In display order.
    QList<FileRow*> rows() const { return m_rows; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    void showFiles(const QList<QUrl>& files);
    FileRow* takeOrCreateRow(const QUrl& location, qsizetype index,
                             QHash<QUrl, FileRow*>& previous);
    void showSizes();

    ExtractionViewModel* m_model;
    FileSizeCache* m_sizes;
    QWidget* m_content;
    QVBoxLayout* m_layout;
    QList<FileRow*> m_rows;
};
