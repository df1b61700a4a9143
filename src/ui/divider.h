#pragma once

#include <QWidget>

// A one-pixel horizontal line between regions, in the palette's separator tone.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
