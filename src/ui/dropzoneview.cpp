#include "ui/dropzoneview.h"

#include "ui/droppedfiles.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int symbolSize = 28;
constexpr int stackSpacing = 8;

QColor interpolate(const QColor& from, const QColor& to, qreal fraction) {
    const auto mix = [fraction](float a, float b) { return a + (b - a) * float(fraction); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

} // namespace

DropZoneView::DropZoneView(QWidget* parent)
    : QWidget(parent) {
    setAcceptDrops(true);
    setMinimumSize(160, 160);
    setAccessibleName(tr("Drop .zip parts here"));
    setAccessibleDescription(tr("e.g. archive.zip, archive(1).zip, …"));

    m_highlight.setDuration(200);
    m_highlight.setEasingCurve(QEasingCurve::InOutQuad);
    m_highlight.setStartValue(0.0);
    m_highlight.setEndValue(0.0);
    connect(&m_highlight, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void DropZoneView::setTargeted(bool targeted) {
    if (targeted == m_isTargeted)
        return;
    m_isTargeted = targeted;
    const qreal current = m_highlight.currentValue().toReal();
    m_highlight.stop();
    m_highlight.setStartValue(current);
    m_highlight.setEndValue(targeted ? 1.0 : 0.0);
    m_highlight.start();
}

void DropZoneView::dragEnterEvent(QDragEnterEvent* event) {
    if (localFilesIn(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setTargeted(true);
}

void DropZoneView::dragMoveEvent(QDragMoveEvent* event) {
    if (localFilesIn(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void DropZoneView::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    event->accept();
}

void DropZoneView::dropEvent(QDropEvent* event) {
    setTargeted(false);
    const QList<QUrl> files = localFilesIn(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT dropped(files);
}

void DropZoneView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal highlight = m_highlight.currentValue().toReal();
    paintPanel(painter, highlight);
    paintContent(painter, highlight);
}

void DropZoneView::paintPanel(QPainter& painter, qreal highlight) const {
    const QColor accent = Theme::color(Tone::Accent, palette());
    QColor fill = accent;
    fill.setAlphaF(float(0.08 * highlight));
    QColor restingBorder = Theme::color(Tone::Secondary, palette());
    restingBorder.setAlphaF(0.35f);

    // The 2-wide stroke lies inside the bounds.
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 12, 12);
    painter.fillPath(panel, fill);

    QPen border(interpolate(restingBorder, accent, highlight), 2, Qt::CustomDashLine, Qt::FlatCap,
                Qt::MiterJoin);
    border.setDashPattern({3, 2}); // in pen widths: 6 on, 4 off
    border.setMiterLimit(10);
    painter.strokePath(panel, border);
}

void DropZoneView::paintContent(QPainter& painter, qreal highlight) const {
    const QColor accent = Theme::color(Tone::Accent, palette());
    const QColor emphasis =
        interpolate(Theme::color(Tone::Secondary, palette()), accent, highlight);
    const QFont titleFont = Theme::font(TextStyle::Callout, font(), QFont::Medium);
    const QFont hintFont = Theme::font(TextStyle::Caption, font());
    const QString title = tr("Drop .zip parts here");
    const QString hint = tr("e.g. archive.zip, archive(1).zip, …");

    const int titleHeight = QFontMetrics(titleFont).height();
    const int hintHeight = QFontMetrics(hintFont).height();
    const int stackHeight = symbolSize + stackSpacing + titleHeight + stackSpacing + hintHeight;
    int top = (height() - stackHeight) / 2;

    const QPixmap symbol =
        Symbols::pixmap(Symbol::DropArrow, symbolSize, devicePixelRatioF(), emphasis);
    painter.drawPixmap(QRect((width() - symbolSize) / 2, top, symbolSize, symbolSize), symbol);
    top += symbolSize + stackSpacing;

    const QRect textBounds = rect().adjusted(8, 0, -8, 0);
    painter.setFont(titleFont);
    painter.setPen(emphasis);
    painter.drawText(QRect(textBounds.left(), top, textBounds.width(), titleHeight),
                     Qt::AlignCenter,
                     QFontMetrics(titleFont).elidedText(title, Qt::ElideRight, textBounds.width()));
    top += titleHeight + stackSpacing;

    painter.setFont(hintFont);
    painter.setPen(Theme::color(Tone::Tertiary, palette()));
    painter.drawText(QRect(textBounds.left(), top, textBounds.width(), hintHeight), Qt::AlignCenter,
                     QFontMetrics(hintFont).elidedText(hint, Qt::ElideRight, textBounds.width()));
}
