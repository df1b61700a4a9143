#pragma once

#include <QWidget>

class SymbolView;
class TextLabel;

// How the last run ended: a green "Done" or a red "Failed", each with its badge.
class StatusLabel : public QWidget {
    Q_OBJECT

public:
    enum class Outcome { Succeeded, Failed };

    explicit StatusLabel(QWidget* parent = nullptr);

    void setOutcome(Outcome outcome);
    QString text() const;
    SymbolView* symbolView() const { return m_symbol; }

private:
    SymbolView* m_symbol;
    TextLabel* m_text;
};
