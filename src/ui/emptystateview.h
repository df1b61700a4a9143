#pragma once

#include <QWidget>

class TextLabel;

// What the detail pane shows while no group is selected: a faint archive
// symbol and an invitation to drop parts.
class EmptyStateView : public QWidget {
    Q_OBJECT

public:
    explicit EmptyStateView(QWidget* parent = nullptr);

    QString text() const;

private:
    TextLabel* m_text;
};
