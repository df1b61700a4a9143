#include "ui/textlabel.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

TextLabel::TextLabel(TextStyle style, Tone tone, QWidget* parent)
    : TextLabel(QString(), style, tone, parent) {}

TextLabel::TextLabel(const QString& text, TextStyle style, Tone tone, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
    , m_style(style)
    , m_tone(tone) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TextLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    // Screen readers read the text as the label's name.
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    updateToolTip();
    updateGeometry();
    update();
}

void TextLabel::setTone(Tone tone) {
    m_tone = tone;
    update();
}

void TextLabel::setWeight(QFont::Weight weight) {
    m_weight = weight;
    updateGeometry();
    update();
}

void TextLabel::setElideMode(Qt::TextElideMode mode) {
    m_elideMode = mode;
    update();
}

void TextLabel::setMaximumLines(int lines) {
    m_maximumLines = qMax(1, lines);
    QSizePolicy policy = sizePolicy();
    // Wrapped text grows to the height its width needs; a fixed height
    // would show only the middle line.
    policy.setVerticalPolicy(m_maximumLines > 1 ? QSizePolicy::Minimum : QSizePolicy::Fixed);
    policy.setHeightForWidth(m_maximumLines > 1);
    setSizePolicy(policy);
    updateGeometry();
}

void TextLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

QFont TextLabel::styledFont() const {
    return Theme::font(m_style, font(), m_weight);
}

QSize TextLabel::sizeHint() const {
    const QFontMetrics metrics(styledFont());
    // The whole text on one line: the layout may offer that much, and the
    // text is shortened (or wrapped) only when it gets less.
    return {metrics.horizontalAdvance(m_text) + 1, metrics.lineSpacing()};
}

QSize TextLabel::minimumSizeHint() const {
    const QFontMetrics metrics(styledFont());
    return {qMin(metrics.horizontalAdvance(m_text) + 1,
                 metrics.horizontalAdvance(QStringLiteral("M…"))),
            metrics.height()};
}

int TextLabel::heightForWidth(int width) const {
    return qMax(1, int(layoutLines(width).size())) * QFontMetrics(styledFont()).lineSpacing();
}

QStringList TextLabel::wrappedLines(int width) const {
    QTextLayout layout(m_text, styledFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(qMax(1, width));
        lines << m_text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

QStringList TextLabel::layoutLines(int width) const {
    const QFontMetrics metrics(styledFont());
    if (m_maximumLines == 1)
        return {metrics.elidedText(m_text, m_elideMode, width)};

    QStringList lines = wrappedLines(width);
    if (lines.size() <= m_maximumLines)
        return lines;
    // Everything from the last allowed line on is shortened into that line.
    QString rest;
    for (qsizetype index = m_maximumLines - 1; index < lines.size(); ++index)
        rest += lines.at(index);
    lines.resize(m_maximumLines);
    lines.last() = metrics.elidedText(rest, Qt::ElideRight, width);
    return lines;
}

void TextLabel::updateToolTip() {
    const bool shortened = m_maximumLines == 1
                               ? QFontMetrics(styledFont()).horizontalAdvance(m_text) > width()
                               : wrappedLines(width()).size() > m_maximumLines;
    setToolTip(shortened ? m_text : QString());
}

void TextLabel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateToolTip();
}

void TextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(styledFont());
    painter.setPen(Theme::color(m_tone, palette()));
    const QStringList lines = displayedLines();
    const int lineSpacing = painter.fontMetrics().lineSpacing();
    const int textHeight = int(lines.size()) * lineSpacing;
    int top = (m_alignment & Qt::AlignTop) ? 0 : (height() - textHeight) / 2;
    for (const QString& line : lines) {
        const QRect lineRect(0, top, width(), lineSpacing);
        painter.drawText(lineRect, int(m_alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
                         line);
        top += lineSpacing;
    }
}
