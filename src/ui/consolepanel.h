#pragma once

#include <QPropertyAnimation>
#include <QWidget>

class ConsoleTextView;
class ExtractionViewModel;
class QToolButton;

// The run's console text under the action bar. Output is appended piece by
// piece as it arrives (a run may print hundreds of thousands of lines), the
// view follows the newest line, and "Clear" empties the text and nothing else,
// handing the memory a long run took back to the system.
class ConsolePanel : public QWidget {
    Q_OBJECT

public:
    explicit ConsolePanel(ExtractionViewModel* model, QWidget* parent = nullptr);

    ConsoleTextView* textView() const { return m_textView; }
    QToolButton* clearButton() const { return m_clearButton; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* createHeader();
    void showReplacedOutput();
    void appendOutput(const QString& piece);
    void followOutput();
    void applyColors();

    ExtractionViewModel* m_model;
    ConsoleTextView* m_textView;
    QToolButton* m_clearButton;
    QPropertyAnimation* m_scroll;
    // Set between consoleOutputAppended() and the consoleOutputChanged() that
    // follows it, so that change is not taken for a replacement.
    bool m_appended = false;
    bool m_followPending = false;
};
