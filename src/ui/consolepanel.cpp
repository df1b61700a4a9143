#include "ui/consolepanel.h"

#include "model/extractionviewmodel.h"
#include "ui/consoletextview.h"
#include "ui/freedmemory.h"
#include "ui/textlabel.h"
#include "ui/theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

ConsolePanel::ConsolePanel(ExtractionViewModel* model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_textView(new ConsoleTextView(this))
    , m_clearButton(new QToolButton(this))
    , m_scroll(new QPropertyAnimation(m_textView->verticalScrollBar(), "value", this)) {
    // Nothing here is ever undone; an undo record per appended piece would
    // only hold a second copy of the whole output.
    m_textView->setUndoRedoEnabled(false);
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Paths and tool output have long runs without spaces; they wrap too.
    m_textView->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textView->setFont(Theme::font(TextStyle::CaptionMonospaced, font()));
    m_textView->document()->setDocumentMargin(12);
    m_textView->setPlaceholderText(tr("Output will appear here."));
    m_textView->setAccessibleName(tr("Console"));
    m_scroll->setDuration(250);
    m_scroll->setEasingCurve(QEasingCurve::InOutQuad);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createHeader());
    layout->addWidget(m_textView, 1);
    applyColors();

    connect(m_model, &ExtractionViewModel::consoleOutputAppended, this,
            &ConsolePanel::appendOutput);
    connect(m_model, &ExtractionViewModel::consoleOutputChanged, this, [this] {
        if (!m_appended)
            showReplacedOutput();
        m_appended = false;
        m_clearButton->setVisible(!m_model->consoleOutput().isEmpty());
        // Once per turn of the event loop, however many pieces arrived in it.
        if (!m_followPending) {
            m_followPending = true;
            QTimer::singleShot(0, this, &ConsolePanel::followOutput);
        }
    });
    m_textView->setPlainText(m_model->consoleOutput());
    m_clearButton->setVisible(!m_model->consoleOutput().isEmpty());
}

QWidget* ConsolePanel::createHeader() {
    auto* header = new QWidget(this);
    auto* title = new TextLabel(tr("Console"), TextStyle::Caption, Tone::Secondary, header);
    title->setWeight(QFont::DemiBold);
    m_clearButton->setText(tr("Clear"));
    m_clearButton->setAutoRaise(true);
    m_clearButton->setFont(Theme::font(TextStyle::Caption, font()));
    m_clearButton->setToolTip(tr("Clear the console"));
    // The console's own Clear empties only the text; the run's state stays.
    connect(m_clearButton, &QToolButton::clicked, this,
            [this] { m_model->setConsoleOutput(QString()); });

    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(14, 10, 14, 6);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(m_clearButton);
    // Keeps the header's height whether or not Clear is shown.
    header->setMinimumHeight(header->sizeHint().height());
    return header;
}

void ConsolePanel::showReplacedOutput() {
    m_textView->setPlainText(m_model->consoleOutput());
    // The document and the model have freed a long run's text (80 MB after
    // 200,000 lines), but the C library keeps freed pages for reuse; without
    // this the idle window stays at its peak. Once the view has relaid out.
    if (m_model->consoleOutput().isEmpty())
        QTimer::singleShot(0, this, &FreedMemory::giveBack);
}

void ConsolePanel::appendOutput(const QString& piece) {
    QTextCursor end(m_textView->document());
    end.movePosition(QTextCursor::End);
    end.insertText(piece);
    m_appended = true;
}

void ConsolePanel::followOutput() {
    m_followPending = false;
    QScrollBar* bar = m_textView->verticalScrollBar();
    if (!isVisible()) {
        m_scroll->stop();
        bar->setValue(bar->maximum());
        return;
    }
    // While output streams in, the running glide is only aimed further down;
    // restarting it for every piece would keep it crawling at its slow start.
    m_scroll->setEndValue(bar->maximum());
    if (m_scroll->state() != QAbstractAnimation::Running) {
        m_scroll->setStartValue(bar->value());
        m_scroll->start();
    }
}

void ConsolePanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void ConsolePanel::applyColors() {
    // The text background at 0.4 over the window colour; the placeholder in
    // the dimmer secondary tone. Taken from this panel's palette, which the
    // text view's own settings do not touch, so a theme switch recomputes them.
    const QPalette source = palette();
    QPalette colors = m_textView->palette();
    const QColor background =
        Theme::blend(source.color(QPalette::Base), source.color(QPalette::Window), 0.4);
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colors.setColor(group, QPalette::Base, background);
        colors.setColor(group, QPalette::Text, source.color(QPalette::WindowText));
        colors.setColor(group, QPalette::PlaceholderText, Theme::color(Tone::Secondary, source));
    }
    m_textView->setPalette(colors);

    QPalette clearColors = m_clearButton->palette();
    clearColors.setColor(QPalette::ButtonText, Theme::color(Tone::Secondary, source));
    m_clearButton->setPalette(clearColors);
}
