#include "ui/consoletextview.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>

ConsoleTextView::ConsoleTextView(QWidget* parent)
    : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Selectable by keyboard too: Shift with the arrows, Ctrl+A, Ctrl+C, and
    // a caret a screen reader follows line by line.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QMenu* ConsoleTextView::createContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copyText = menu->addAction(tr("&Copy"));
    copyText->setShortcut(QKeySequence::Copy);
    copyText->setEnabled(textCursor().hasSelection());
    connect(copyText, &QAction::triggered, this, &QPlainTextEdit::copy);
    QAction* selectEverything = menu->addAction(tr("Select &All"));
    selectEverything->setShortcut(QKeySequence::SelectAll);
    selectEverything->setEnabled(!document()->isEmpty());
    connect(selectEverything, &QAction::triggered, this, &QPlainTextEdit::selectAll);
    menu->addSeparator();
    QAction* save = menu->addAction(tr("Save &As…"));
    save->setEnabled(!document()->isEmpty());
    connect(save, &QAction::triggered, this, &ConsoleTextView::chooseFileToSave);
    return menu;
}

void ConsoleTextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool ConsoleTextView::saveTo(const QString& path, QString* error) const {
    QSaveFile file(path);
    const bool saved =
        file.open(QIODevice::WriteOnly) && file.write(toPlainText().toUtf8()) >= 0 && file.commit();
    if (!saved && error)
        *error = file.errorString();
    return saved;
}

void ConsoleTextView::chooseFileToSave() {
    if (m_saveDialog) {
        m_saveDialog->raise();
        m_saveDialog->activateWindow();
        return;
    }
    m_saveDialog = new QFileDialog(window(), tr("Save Console Output"));
    m_saveDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_saveDialog->setNameFilters({tr("Text files (*.txt)"), tr("All files (*)")});
    m_saveDialog->setDefaultSuffix(QStringLiteral("txt"));
    m_saveDialog->selectFile(tr("console.txt"));
    connect(m_saveDialog, &QDialog::accepted, this, [this] {
        const QString path = m_saveDialog->selectedFiles().value(0);
        QString error;
        if (!path.isEmpty() && !saveTo(path, &error))
            QMessageBox::warning(window(), tr("Could Not Save"),
                                 tr("The console output could not be saved: %1").arg(error));
    });
    m_saveDialog->open();
}

void ConsoleTextView::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
}

// The frame goes round the whole text, not just the caret's line.
void ConsoleTextView::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    viewport()->update();
}

void ConsoleTextView::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    viewport()->update();
}
