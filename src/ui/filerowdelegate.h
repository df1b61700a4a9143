#pragma once

#include <QStyledItemDelegate>
#include <QUrl>

// Paints one part file of FileListModel as the window's file row: position,
// zip symbol, remove control, name over folder, and size, with a thin line
// under every row but the last. A click on the remove control asks for the
// file's removal, unless the row says it cannot be removed now. The row
// with the keyboard focus shows a focus frame.
class FileRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit FileRowDelegate(QObject* parent = nullptr);

    // Where the remove control of a row lies within `rowRect`.
    QRect removeButtonRect(const QRect& rowRect, const QFont& font) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

Q_SIGNALS:
    void removeRequested(const QUrl& location);

public Q_SLOTS:
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    struct Layout {
        QRect position;
        QRect symbol;
        QRect removeButton;
        QRect name;
        QRect folder;
        QRect size;
    };
    Layout layout(const QRect& rowRect, const QFont& font, const QString& sizeText) const;

    // The row whose remove control the mouse went down on.
    QPersistentModelIndex m_pressed;
};
