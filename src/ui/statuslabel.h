#pragma once

#include <QWidget>

class SymbolView;
class TextLabel;

// How the last run ended: a green "Done" or a red "Failed", each with its
// badge. Screen readers read it as one text.
class StatusLabel : public QWidget {
    Q_OBJECT

public:
    enum class Outcome { Succeeded, Failed };

    explicit StatusLabel(QWidget* parent = nullptr);

    // `reason` is why a run failed, told to screen readers with "Failed".
    void setOutcome(Outcome outcome, const QString& reason = QString());
    QString text() const;
    SymbolView* symbolView() const { return m_symbol; }

private:
    SymbolView* m_symbol;
    TextLabel* m_text;
};
