#pragma once

#include "ui/theme.h"

#include <QStringList>
#include <QWidget>

// A line (or a few wrapped lines) of text in one of the window's text styles
// and tones. Text that does not fit is shortened with an ellipsis where the
// elide mode says, so a long path keeps both ends and a long list stays
// within its line budget; the full text is then offered as the tooltip.
class TextLabel : public QWidget {
    Q_OBJECT

public:
    explicit TextLabel(TextStyle style, Tone tone, QWidget* parent = nullptr);
    TextLabel(const QString& text, TextStyle style, Tone tone, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    Tone tone() const { return m_tone; }
    void setTone(Tone tone);

    void setWeight(QFont::Weight weight);
    void setElideMode(Qt::TextElideMode mode);
    // Wraps at word boundaries into at most this many lines; 1 keeps one line.
    void setMaximumLines(int lines);
    void setAlignment(Qt::Alignment alignment);

    // The lines as drawn at the current width, after wrapping and eliding.
    QStringList displayedLines() const { return layoutLines(width()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return m_maximumLines > 1; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont styledFont() const;
    QStringList layoutLines(int width) const;
    QStringList wrappedLines(int width) const;
    void updateToolTip();

    QString m_text;
    TextStyle m_style;
    Tone m_tone;
    QFont::Weight m_weight = QFont::Normal;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
    int m_maximumLines = 1;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
