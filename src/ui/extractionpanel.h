#pragma once

#include "model/extractionstate.h"

#include <QWidget>

class AnimatedProgressBar;
class QShortcut;
class ExtractionViewModel;
class StatusLabel;
class SymbolPushButton;

// The bar between the file list and the console: where the next extraction
// goes, the button that starts it (and, after a run, clears the window), the
// one that cancels a run (also Esc), the progress of the run and how it
// ended. It holds no state of its own.
class ExtractionPanel : public QWidget {
    Q_OBJECT

public:
    explicit ExtractionPanel(ExtractionViewModel* model, QWidget* parent = nullptr);

    SymbolPushButton* destinationButton() const { return m_destinationButton; }
    SymbolPushButton* mainButton() const { return m_mainButton; }
    // Shown only while a run is going.
    SymbolPushButton* cancelButton() const { return m_cancelButton; }
    // After success: shows the destination in the file manager.
    SymbolPushButton* openFolderButton() const { return m_openFolderButton; }
    AnimatedProgressBar* progressBar() const { return m_progressBar; }
    StatusLabel* statusLabel() const { return m_statusLabel; }

Q_SIGNALS:
    // The user wants to choose the destination folder.
    void destinationRequested();

private:
    QWidget* createDestinationColumn();
    QWidget* createRunColumn();
    void showDestination();
    void showState();
    void pressMainButton();
    void keepFocus();

    ExtractionViewModel* m_model;
    SymbolPushButton* m_destinationButton;
    SymbolPushButton* m_mainButton;
    SymbolPushButton* m_cancelButton;
    SymbolPushButton* m_openFolderButton;
    QShortcut* m_cancelShortcut;
    AnimatedProgressBar* m_progressBar;
    StatusLabel* m_statusLabel;
    ExtractionState::Kind m_shownKind = ExtractionState::Kind::Idle;
};
