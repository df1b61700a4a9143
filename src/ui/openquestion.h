#pragma once

#include <QMessageBox>
#include <QString>

class QAbstractButton;
class QWidget;

// A window-modal question with one button that goes ahead (and loses
// something) and one that keeps things as they are, which is also the
// default and Esc. It opens without a nested event loop, so the window
// keeps painting and a run's events keep arriving meanwhile; the question
// deletes itself once answered.
struct OpenQuestion {
    QMessageBox* box;
    QAbstractButton* goAhead;
};

OpenQuestion openQuestion(QWidget* window, QMessageBox::Icon icon, const QString& text,
                          const QString& goAheadText, const QString& keepText);
