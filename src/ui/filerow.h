#pragma once

#include <QUrl>
#include <QWidget>

#include <optional>

class SymbolButton;
class TextLabel;

// One part file of the shown group: its position, name, folder and size, and
// a control that asks for its removal. It never touches the file: its size
// is handed in once read.
class FileRow : public QWidget {
    Q_OBJECT

public:
    FileRow(const QUrl& location, qsizetype index, QWidget* parent = nullptr);

    QUrl location() const { return m_location; }
    qsizetype index() const { return m_index; }
    // A row keeps its widgets when rows before it go away; only the number moves.
    void setIndex(qsizetype index);

    // The thin line under the row, inset so that it starts at the file name.
    bool showsDivider() const { return m_showsDivider; }
    void setShowsDivider(bool shows);

    // Nothing hides the size: not read yet, or unreadable.
    void setSize(std::optional<qint64> bytes);

    QString positionText() const;
    QString fileNameText() const;
    QString folderText() const;
    // Empty when the file's size cannot be read.
    QString sizeText() const;
    SymbolButton* removeButton() const { return m_removeButton; }

Q_SIGNALS:
    void removeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl m_location;
    qsizetype m_index;
    bool m_showsDivider = false;
    TextLabel* m_position;
    TextLabel* m_fileName;
    TextLabel* m_folder;
    TextLabel* m_size;
    SymbolButton* m_removeButton;
};
