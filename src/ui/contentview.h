#pragma once

#include <QWidget>

class DestinationPicker;
class DetailPane;
class DropZoneView;
class ExtractionViewModel;
class PaneSplitter;
class PartsPicker;
class SymbolPushButton;
class TextLabel;
class QTimer;

// The window's content: the drop zone and Add Parts on the left, the
// selected group on the right. It owns or is given the one view model, wires
// the regions to it and presents the choosers; files dropped anywhere on it
// are added as on the drop zone. It keeps no archive data of its own.
class ContentView : public QWidget {
    Q_OBJECT

public:
    // Creates the window's own view model with the bundled extractor.
    explicit ContentView(QWidget* parent = nullptr);
    // Binds to a view model that the caller keeps alive (tests and tools).
    explicit ContentView(ExtractionViewModel* model, QWidget* parent = nullptr);

    ExtractionViewModel* model() const { return m_model; }
    DropZoneView* dropZone() const { return m_dropZone; }
    DetailPane* detailPane() const { return m_detailPane; }
    DestinationPicker* destinationPicker() const { return m_destinationPicker; }
    PaneSplitter* splitter() const { return m_splitter; }
    PartsPicker* partsPicker() const { return m_partsPicker; }
    SymbolPushButton* addPartsButton() const { return m_addPartsButton; }
    // For a few seconds after a drop that held files other than parts.
    QString noticeText() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* createDropPane();
    void chooseDestination();
    void chooseParts();
    void tellIgnored(qint64 count);
    void orderTabStops();

    ExtractionViewModel* m_model;
    DropZoneView* m_dropZone = nullptr;
    DetailPane* m_detailPane = nullptr;
    DestinationPicker* m_destinationPicker = nullptr;
    PaneSplitter* m_splitter = nullptr;
    PartsPicker* m_partsPicker = nullptr;
    SymbolPushButton* m_addPartsButton = nullptr;
    TextLabel* m_notice = nullptr;
    QTimer* m_noticeTimer = nullptr;
};
