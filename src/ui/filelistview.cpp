#include "ui/filelistview.h"

#include "model/extractionviewmodel.h"
#include "ui/filelistmodel.h"
#include "ui/filerowdelegate.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace {

constexpr int maximumListHeight = 220;
constexpr int verticalPadding = 4;

} // namespace

FileListView::FileListView(ExtractionViewModel* model, FileSizeCache* sizes, QWidget* parent)
    : QListView(parent)
    , m_model(model)
    , m_files(new FileListModel(sizes, this))
    , m_delegate(new FileRowDelegate(this)) {
    setModel(m_files);
    setItemDelegate(m_delegate);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    // A click on a row makes it current, so Delete then removes that one.
    setFocusPolicy(Qt::StrongFocus);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    setMaximumHeight(maximumListHeight);
    setViewportMargins(0, verticalPadding, 0, verticalPadding);
    // The list lies on the window colour, not on a view background.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setAccessibleName(tr("Part files"));

    connect(m_delegate, &FileRowDelegate::removeRequested, m_model,
            [this](const QUrl& location) { m_model->removeFile(location); });
    // The shown group is the one a run extracts; its files stay until it ends.
    connect(m_model, &ExtractionViewModel::stateChanged, this,
            [this] { m_files->setRemovable(m_model->canRemoveFiles()); });
    const auto showFiles = [this] {
        const auto& group = m_model->selectedGroup();
        m_files->setFiles(group ? group->files : QList<QUrl>());
        updateGeometry();
    };
    connect(m_model, &ExtractionViewModel::selectedGroupChanged, this, showFiles);
    m_files->setRemovable(m_model->canRemoveFiles());
    showFiles();
}

QRect FileListView::removeButtonRect(int row) const {
    return m_delegate->removeButtonRect(visualRect(m_files->index(row)), font());
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
        current.isValid() && m_model->canRemoveFiles()) {
        m_model->removeFile(current.data(FileListModel::LocationRole).toUrl());
        return;
    }
    QListView::keyPressEvent(event);
}

// Arriving by keyboard, the focus needs a row to stand on and show its
// frame; Qt picks the first row only for a view's first focus.
void FileListView::focusInEvent(QFocusEvent* event) {
    if (event->reason() != Qt::MouseFocusReason && !currentIndex().isValid() &&
        m_files->rowCount() > 0)
        setCurrentIndex(m_files->index(0));
    QListView::focusInEvent(event);
}

// The keyboard's way to both remove controls (the menu key, or Shift+F10,
// opens it for the current row), and the mouse's second one.
QMenu* FileListView::createContextMenu(const QModelIndex& index) {
    auto* menu = new QMenu(this);
    const QUrl location = index.data(FileListModel::LocationRole).toUrl();
    QAction* removeFile = menu->addAction(tr("Remove This File"));
    removeFile->setShortcut(QKeySequence::Delete);
    removeFile->setEnabled(index.isValid() && m_model->canRemoveFiles());
    connect(removeFile, &QAction::triggered, m_model,
            [this, location] { m_model->removeFile(location); });
    QAction* removeGroup = menu->addAction(tr("Remove This Archive"));
    connect(removeGroup, &QAction::triggered, m_model, [this] {
        if (const auto& group = m_model->selectedGroup())
            m_model->removeGroup(*group);
    });
    removeGroup->setEnabled(m_model->selectedGroup() && m_model->canRemoveFiles());
    return menu;
}

void FileListView::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index = currentIndex();
    if (event->reason() == QContextMenuEvent::Mouse) {
        index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
        if (index.isValid())
            setCurrentIndex(index);
    }
    QMenu* menu = createContextMenu(index);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->globalPos()
                          : viewport()->mapToGlobal(visualRect(index).bottomLeft());
    menu->popup(at);
}

QSize FileListView::sizeHint() const {
    // As tall as the rows, up to the list's limit; past that it scrolls.
    const int rows = m_files->rowCount();
    const int rowHeight = rows > 0 ? sizeHintForRow(0) : 0;
    const int content = rows * rowHeight + 2 * verticalPadding + 2 * frameWidth();
    return {QListView::sizeHint().width(), qMin(content, maximumListHeight)};
}

QSize FileListView::minimumSizeHint() const {
    const int firstRow = m_files->rowCount() > 0 ? sizeHintForRow(0) : 0;
    return {0, qMin(firstRow + 2 * verticalPadding, maximumListHeight)};
}
