#include "ui/detailpane.h"

#include "model/extractionviewmodel.h"
#include "ui/consolepanel.h"
#include "ui/divider.h"
#include "ui/emptystateview.h"
#include "ui/extractionpanel.h"
#include "ui/filelistview.h"
#include "ui/filesizecache.h"
#include "ui/groupheaderview.h"

#include <QVBoxLayout>

DetailPane::DetailPane(ExtractionViewModel* model, QWidget* parent)
    : QStackedWidget(parent)
    , m_emptyState(new EmptyStateView(this)) {
    m_groupDetail = createGroupDetail(model);
    addWidget(m_emptyState);
    addWidget(m_groupDetail);

    const auto showSelection = [this, model] {
        setCurrentWidget(model->selectedGroup() ? m_groupDetail
                                                : static_cast<QWidget*>(m_emptyState));
    };
    connect(model, &ExtractionViewModel::selectedGroupChanged, this, showSelection);
    showSelection();
}

QWidget* DetailPane::createGroupDetail(ExtractionViewModel* model) {
    auto* detail = new QWidget(this);
    // One cache for the header and the rows: each part's size is read once.
    auto* sizes = new FileSizeCache(this);
    m_header = new GroupHeaderView(model, sizes, detail);
    m_fileList = new FileListView(model, sizes, detail);
    m_extractionPanel = new ExtractionPanel(model, detail);
    m_console = new ConsolePanel(model, detail);

    auto* layout = new QVBoxLayout(detail);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(new Divider(detail));
    layout->addWidget(m_fileList);
    layout->addWidget(new Divider(detail));
    layout->addWidget(m_extractionPanel);
    layout->addWidget(new Divider(detail));
    layout->addWidget(m_console, 1);
    return detail;
}
