#pragma once

#include <QWidget>

class ExtractionViewModel;
class FileSizeCache;
class GroupSwitcher;
class JoinOffer;
class SymbolButton;
class SymbolView;
class TextLabel;

// The shown group's name (with the way to the other groups, when there are
// any), its part count and total size (once every part's size is known),
// what the check of its parts found, why a set of parts cannot be joined at
// all, the warnings about files that claim one part number and about missing
// parts, the offer to join the halves a browser made of one archive, and the
// control that removes the whole group.
class GroupHeaderView : public QWidget {
    Q_OBJECT

public:
    GroupHeaderView(ExtractionViewModel* model, FileSizeCache* sizes, QWidget* parent = nullptr);

    QString titleText() const;
    QString summaryText() const;
    // Empty when the group is complete.
    QString warningText() const;
    TextLabel* warningLabel() const { return m_warning; }
    // Empty when every part number has one file.
    QString clashText() const;
    TextLabel* clashLabel() const { return m_clash; }
    // What the check of the parts' bytes found: the archive's size, or why
    // the parts do not make it; empty until a check has ended.
    QString checkText() const;
    bool isCheckAWarning() const;
    // Why the parts cannot be joined (a spanned set); empty for byte splits.
    QString refusalText() const;
    JoinOffer* joinOffer() const { return m_joinOffer; }
    SymbolButton* removeButton() const { return m_removeButton; }
    GroupSwitcher* switcher() const { return m_switcher; }

private:
    void showSelectedGroup();
    void showInspection();
    void showSummary();
    void showNotice(QWidget* row, TextLabel* label, const QString& text);

    ExtractionViewModel* m_model;
    FileSizeCache* m_sizes;
    TextLabel* m_title;
    GroupSwitcher* m_switcher;
    SymbolButton* m_removeButton;
    TextLabel* m_summary;
    QWidget* m_checkRow;
    SymbolView* m_checkSymbol;
    TextLabel* m_check;
    QWidget* m_clashRow;
    TextLabel* m_clash;
    QWidget* m_refusalRow;
    TextLabel* m_refusal;
    QWidget* m_warningRow;
    SymbolView* m_warningSymbol;
    TextLabel* m_warning;
    JoinOffer* m_joinOffer;
};
