#include "ui/filerowdelegate.h"

#include "ui/filelistmodel.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionToolButton>
#include <QToolTip>

namespace {

// The row's measures, as its widgets laid them out before it was painted.
constexpr int horizontalMargin = 16;
constexpr int verticalMargin = 8;
constexpr int spacing = 12;
constexpr int nameSpacing = 2;
constexpr int symbolSize = 16;
constexpr int trashSize = 12;
constexpr int dividerInset = 44;

QSize removeButtonSize() {
    QStyleOptionToolButton option;
    option.iconSize = QSize(trashSize, trashSize);
    option.toolButtonStyle = Qt::ToolButtonIconOnly;
    option.features = QStyleOptionToolButton::None;
    option.state = QStyle::State_AutoRaise;
    return QApplication::style()->sizeFromContents(QStyle::CT_ToolButton, &option, option.iconSize);
}

} // namespace

FileRowDelegate::FileRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent) {}

FileRowDelegate::Layout FileRowDelegate::layout(const QRect& rowRect, const QFont& font,
                                                const QString& sizeText) const {
    const QRect content =
        rowRect.adjusted(horizontalMargin, verticalMargin, -horizontalMargin, -verticalMargin);
    const QFontMetrics numbers(Theme::font(TextStyle::CaptionMonospaced, font));
    const QFontMetrics names(Theme::font(TextStyle::Callout, font));
    const QFontMetrics captions(Theme::font(TextStyle::Caption, font));
    // Numbers line up on the right; room for three digits before they crowd.
    const int positionWidth = qMax(20, numbers.horizontalAdvance(QStringLiteral("000")));
    const QSize button = removeButtonSize();

    Layout parts;
    int x = content.left();
    parts.position = QRect(x, content.top(), positionWidth, content.height());
    x += positionWidth + spacing;
    parts.symbol = QRect(x, content.center().y() - symbolSize / 2, symbolSize, symbolSize);
    x += symbolSize + spacing;
    // The remove control ends the row, away from the name it would be
    // mistaken for part of.
    parts.removeButton = QRect(
        QPoint(content.right() - button.width() + 1, content.center().y() - button.height() / 2),
        button);
    const int sizeRight = parts.removeButton.left() - spacing;
    const int sizeWidth = sizeText.isEmpty() ? 0 : captions.horizontalAdvance(sizeText);
    const int namesRight = sizeRight - (sizeWidth > 0 ? sizeWidth + spacing : 0);
    const int namesHeight = names.height() + nameSpacing + captions.height();
    const int namesTop = content.center().y() - namesHeight / 2;
    parts.name = QRect(x, namesTop, namesRight - x + 1, names.height());
    parts.folder =
        QRect(x, namesTop + names.height() + nameSpacing, namesRight - x + 1, captions.height());
    parts.size = QRect(sizeRight - sizeWidth + 1, content.top(), sizeWidth, content.height());
    return parts;
}

QRect FileRowDelegate::removeButtonRect(const QRect& rowRect, const QFont& font) const {
    return layout(rowRect, font, QString()).removeButton;
}

QSize FileRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const QFontMetrics names(Theme::font(TextStyle::Callout, option.font));
    const QFontMetrics captions(Theme::font(TextStyle::Caption, option.font));
    const int content =
        qMax(names.height() + nameSpacing + captions.height(), removeButtonSize().height());
    return {0, content + 2 * verticalMargin};
}

void FileRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QPalette& palette = option.palette;
    const QString sizeText = index.data(FileListModel::SizeRole).toString();
    const Layout parts = layout(option.rect, option.font, sizeText);
    const auto drawText = [&](const QRect& rect, TextStyle style, Tone tone, const QString& text,
                              Qt::Alignment alignment, Qt::TextElideMode elide) {
        const QFont font = Theme::font(style, option.font);
        painter->setFont(font);
        painter->setPen(Theme::color(tone, palette));
        const QString shown = QFontMetrics(font).elidedText(text, elide, rect.width());
        painter->drawText(rect, int(alignment), shown);
    };
    const auto drawSymbol = [&](Symbol symbol, int size, QColor tint, const QRect& rect,
                                QIcon::Mode mode) {
        QPixmap pixmap =
            Symbols::pixmap(symbol, size, painter->device()->devicePixelRatioF(), tint);
        // Greyed as the style greys a disabled button's icon.
        if (mode == QIcon::Disabled)
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        QRect target(QPoint(0, 0), pixmap.deviceIndependentSize().toSize());
        target.moveCenter(rect.center());
        painter->drawPixmap(target, pixmap);
    };

    painter->save();
    drawText(parts.position, TextStyle::CaptionMonospaced, Tone::Tertiary,
             index.data(FileListModel::PartNumberRole).toString(),
             Qt::AlignRight | Qt::AlignVCenter, Qt::ElideRight);
    drawSymbol(Symbol::ZipDocument, symbolSize, Theme::color(Tone::Secondary, palette),
               parts.symbol, QIcon::Normal);
    // The trash control at 0.7, dimmed further while a run keeps the files.
    QColor trash = Theme::color(Tone::Red, palette);
    const bool removable = index.data(FileListModel::RemovableRole).toBool();
    trash.setAlphaF(trash.alphaF() * (removable ? 0.7f : 0.28f));
    drawSymbol(Symbol::Trash, trashSize, trash, parts.removeButton,
               removable ? QIcon::Normal : QIcon::Disabled);
    // Shortened in the middle: parts of one long name differ only at the end.
    drawText(parts.name, TextStyle::Callout, Tone::Primary, index.data(Qt::DisplayRole).toString(),
             Qt::AlignLeft | Qt::AlignVCenter, Qt::ElideMiddle);
    drawText(parts.folder, TextStyle::Caption, Tone::Tertiary,
             index.data(FileListModel::FolderRole).toString(), Qt::AlignLeft | Qt::AlignVCenter,
             Qt::ElideMiddle);
    if (!sizeText.isEmpty())
        drawText(parts.size, TextStyle::Caption, Tone::Secondary, sizeText,
                 Qt::AlignLeft | Qt::AlignVCenter, Qt::ElideNone);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = option.rect.adjusted(2, 1, -2, -2);
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
    }
    if (index.row() + 1 < index.model()->rowCount()) {
        painter->setPen(Theme::color(Tone::Separator, palette));
        const int bottom = option.rect.bottom();
        painter->drawLine(option.rect.left() + dividerInset, bottom, option.rect.right(), bottom);
    }
    painter->restore();
}

bool FileRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip &&
        removeButtonRect(option.rect, option.font).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), tr("Remove this file"), view->viewport(),
                           option.rect);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

bool FileRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool onButton =
        mouse->button() == Qt::LeftButton &&
        removeButtonRect(option.rect, option.font).contains(mouse->position().toPoint()) &&
        index.data(FileListModel::RemovableRole).toBool();
    if (event->type() == QEvent::MouseButtonPress) {
        m_pressed = onButton ? QPersistentModelIndex(index) : QPersistentModelIndex();
        return onButton;
    }
    // A click is a press and a release on the same row's control.
    const bool clicked = onButton && m_pressed == index;
    m_pressed = QPersistentModelIndex();
    if (clicked)
        Q_EMIT removeRequested(index.data(FileListModel::LocationRole).toUrl());
    return clicked;
}
