#pragma once

#include <QList>
#include <QUrl>
#include <QVariantAnimation>
#include <QWidget>

// The dashed panel the user drags split parts onto. It highlights while a
// drag carrying local files hovers over it and reports each drop once with
// every local file location, whatever the files are: which of them form
// archives is for the grouping to decide.
class DropZoneView : public QWidget {
    Q_OBJECT

public:
    explicit DropZoneView(QWidget* parent = nullptr);

    bool isTargeted() const { return m_isTargeted; }

Q_SIGNALS:
    // One call per accepted drop, in the order the drag listed the files.
    void dropped(const QList<QUrl>& locations);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setTargeted(bool targeted);
    void paintPanel(QPainter& painter, qreal highlight) const;
    void paintContent(QPainter& painter, qreal highlight) const;

    bool m_isTargeted = false;
    // 0 at rest, 1 fully highlighted; animated between the two.
    QVariantAnimation m_highlight;
};
