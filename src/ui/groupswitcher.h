#pragma once

#include <QToolButton>

class ExtractionViewModel;

// "2 of 3 archives": shown in the header when the model holds more than one
// group, with a menu of every group by name and part count that shows the
// chosen one instead. Off while a run is going, since the shown group is the
// one being extracted.
class GroupSwitcher : public QToolButton {
    Q_OBJECT

public:
    explicit GroupSwitcher(ExtractionViewModel* model, QWidget* parent = nullptr);

    // A menu of tens of thousands of entries is no help and slow to open;
    // past this many the rest are summed up in one line.
    static constexpr qsizetype maxListedGroups = 200;

private:
    void showGroups();
    void fillMenu();

    ExtractionViewModel* m_model;
};
