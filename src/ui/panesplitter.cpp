#include "ui/panesplitter.h"

#include "ui/theme.h"

#include <QPainter>
#include <QSplitterHandle>

namespace {

// Paints one separator line down its middle instead of the style's grip dots.
class LineHandle : public QSplitterHandle {
public:
    LineHandle(Qt::Orientation orientation, QSplitter* parent)
        : QSplitterHandle(orientation, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(QRect(width() / 2, 0, 1, height()),
                         Theme::color(Tone::Separator, palette()));
    }
};

} // namespace

PaneSplitter::PaneSplitter(QWidget* parent)
    : QSplitter(Qt::Horizontal, parent) {
    setChildrenCollapsible(false);
    setHandleWidth(5);
}

QSplitterHandle* PaneSplitter::createHandle() {
    return new LineHandle(orientation(), this);
}
