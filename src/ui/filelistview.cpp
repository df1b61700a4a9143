#include "ui/filelistview.h"

#include "model/extractionviewmodel.h"
#include "ui/filerow.h"
#include "ui/filesizecache.h"
#include "ui/symbolbutton.h"

#include <QVBoxLayout>

namespace {

constexpr int maximumListHeight = 220;

} // namespace

FileListView::FileListView(ExtractionViewModel* model, FileSizeCache* sizes, QWidget* parent)
    : QScrollArea(parent)
    , m_model(model)
    , m_sizes(sizes)
    , m_content(new QWidget)
    , m_layout(new QVBoxLayout(m_content)) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    setMaximumHeight(maximumListHeight);
    // The list lies on the window colour, not on a view background.
    viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    m_layout->setContentsMargins(0, 4, 0, 4);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
    setWidget(m_content);

    // The shown group is the one a run extracts; its files stay until it ends.
    connect(m_model, &ExtractionViewModel::stateChanged, this, [this] {
        for (FileRow* row : std::as_const(m_rows))
            row->removeButton()->setEnabled(m_model->canRemoveFiles());
    });
    connect(m_model, &ExtractionViewModel::selectedGroupChanged, this, [this] {
        const auto& group = m_model->selectedGroup();
        showFiles(group ? group->files : QList<QUrl>());
    });
    connect(m_sizes, &FileSizeCache::sizesArrived, this, &FileListView::showSizes);
    const auto& group = m_model->selectedGroup();
    showFiles(group ? group->files : QList<QUrl>());
}

void FileListView::showFiles(const QList<QUrl>& files) {
    m_sizes->request(files);
    QHash<QUrl, FileRow*> previous;
    for (FileRow* row : std::as_const(m_rows)) {
        m_layout->removeWidget(row);
        previous.insert(row->location(), row);
    }
    m_rows.clear();
    for (qsizetype index = 0; index < files.size(); ++index) {
        FileRow* row = takeOrCreateRow(files.at(index), index, previous);
        row->setShowsDivider(index + 1 < files.size());
        m_layout->insertWidget(int(index), row);
        m_rows << row;
    }
    // A removed row may be the one whose remove button is still reporting
    // its click, so it goes once control is back in the event loop.
    for (FileRow* gone : std::as_const(previous)) {
        gone->hide();
        gone->deleteLater();
    }
    showSizes();
    updateGeometry();
}

void FileListView::showSizes() {
    for (FileRow* row : std::as_const(m_rows))
        row->setSize(m_sizes->size(row->location()));
}

FileRow* FileListView::takeOrCreateRow(const QUrl& location, qsizetype index,
                                       QHash<QUrl, FileRow*>& previous) {
    if (FileRow* kept = previous.take(location)) {
        kept->setIndex(index);
        return kept;
    }
    auto* row = new FileRow(location, index, m_content);
    connect(row, &FileRow::removeRequested, this,
            [this, location] { m_model->removeFile(location); });
    row->removeButton()->setEnabled(m_model->canRemoveFiles());
    row->show();
    return row;
}

QSize FileListView::sizeHint() const {
    // As tall as the rows, up to the list's limit; past that it scrolls.
    const QSize content = m_content->sizeHint();
    return {content.width(), qMin(content.height() + 2 * frameWidth(), maximumListHeight)};
}

QSize FileListView::minimumSizeHint() const {
    const int firstRow = m_rows.isEmpty() ? 0 : m_rows.first()->sizeHint().height();
    return {0, qMin(firstRow + 8, maximumListHeight)};
}
