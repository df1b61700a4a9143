#pragma once

#include <QMessageBox>

// The program's name, version, purpose and licence (the whole text behind
// "Show Details…"). The window opens it on F1; it has no menu bar to hold it.
class AboutBox : public QMessageBox {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);
};
