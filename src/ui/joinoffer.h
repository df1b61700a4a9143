#pragma once

#include <QWidget>

class ExtractionViewModel;
class QPushButton;
class TextLabel;

// Offers to join the shown group with the one a browser made of the same
// archive by naming its later parts with a space. Shown only while the
// view model can join them; the joining itself is the view model's.
class JoinOffer : public QWidget {
    Q_OBJECT

public:
    explicit JoinOffer(ExtractionViewModel* model, QWidget* parent = nullptr);

    QString text() const;
    QPushButton* joinButton() const { return m_joinButton; }

private:
    void update();

    ExtractionViewModel* m_model;
    TextLabel* m_text;
    QPushButton* m_joinButton;
};
