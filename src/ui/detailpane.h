#pragma once

#include <QStackedWidget>

class ConsolePanel;
class EmptyStateView;
class ExtractionPanel;
class ExtractionViewModel;
class FileListView;
class GroupHeaderView;

// The right side of the window: the selected group with its header, file
// list, action bar and console, or the empty state when no group is selected.
class DetailPane : public QStackedWidget {
    Q_OBJECT

public:
    explicit DetailPane(ExtractionViewModel* model, QWidget* parent = nullptr);

    bool isShowingGroup() const { return currentWidget() == m_groupDetail; }

    EmptyStateView* emptyState() const { return m_emptyState; }
    GroupHeaderView* header() const { return m_header; }
    FileListView* fileList() const { return m_fileList; }
    ExtractionPanel* extractionPanel() const { return m_extractionPanel; }
    ConsolePanel* console() const { return m_console; }

private:
    QWidget* createGroupDetail(ExtractionViewModel* model);

    EmptyStateView* m_emptyState;
    GroupHeaderView* m_header = nullptr;
    FileListView* m_fileList = nullptr;
    ExtractionPanel* m_extractionPanel = nullptr;
    ConsolePanel* m_console = nullptr;
    QWidget* m_groupDetail = nullptr;
};
