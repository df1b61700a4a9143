#pragma once

#include <QSplitter>

// The side-by-side split of the window's two panes: a thin separator line
// with a wider grip around it, and panes that cannot be collapsed away.
class PaneSplitter : public QSplitter {
    Q_OBJECT

public:
    explicit PaneSplitter(QWidget* parent = nullptr);

protected:
    QSplitterHandle* createHandle() override;
};
