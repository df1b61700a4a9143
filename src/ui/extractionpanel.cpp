#include "ui/extractionpanel.h"

#include "model/extractionviewmodel.h"
#include "ui/accessibleviews.h"
#include "ui/animatedprogressbar.h"
#include "ui/statuslabel.h"
#include "ui/symbolpushbutton.h"
#include "ui/textlabel.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

constexpr int maximumDestinationTextWidth = 120;

} // namespace

ExtractionPanel::ExtractionPanel(ExtractionViewModel* model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_destinationButton(
          new SymbolPushButton(Symbol::Folder, SymbolPushButton::Kind::Bordered, this))
    , m_mainButton(
          new SymbolPushButton(Symbol::ArchiveBox, SymbolPushButton::Kind::Prominent, this))
    , m_cancelButton(new SymbolPushButton(Symbol::Stop, SymbolPushButton::Kind::Bordered, this))
    , m_openFolderButton(
          new SymbolPushButton(Symbol::Folder, SymbolPushButton::Kind::Bordered, this))
    , m_cancelShortcut(new QShortcut(QKeySequence(Qt::Key_Escape), this))
    , m_progressBar(new AnimatedProgressBar(this))
    , m_statusLabel(new StatusLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 14, 20, 14);
    layout->setSpacing(12);
    layout->addWidget(createDestinationColumn());
    layout->addStretch(1);
    layout->addWidget(createRunColumn());

    // Ctrl+Return (and the keypad's Enter) press the main button; click()
    // does nothing while the button is disabled.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, m_mainButton, &QAbstractButton::click);
    }
    connect(m_mainButton, &QAbstractButton::clicked, this, &ExtractionPanel::pressMainButton);

    m_cancelButton->setText(tr("Cancel"));
    m_cancelButton->setAccessibleName(tr("Cancel extraction"));
    m_cancelButton->setToolTip(tr("Stop the extraction (Esc)"));
    // Esc belongs to the run only while there is one; otherwise it is left
    // to whatever else in the window wants it.
    connect(m_cancelShortcut, &QShortcut::activated, m_cancelButton, &QAbstractButton::click);
    connect(m_cancelButton, &QAbstractButton::clicked, m_model, &ExtractionViewModel::cancel);
    connect(m_destinationButton, &QAbstractButton::clicked, this,
            &ExtractionPanel::destinationRequested);
    m_openFolderButton->setText(tr("Open Folder"));
    m_openFolderButton->setToolTip(tr("Show the extracted files in the file manager"));
    connect(m_openFolderButton, &QAbstractButton::clicked, this, [this] {
        if (const std::optional<QUrl>& destination = m_model->destinationURL())
            QDesktopServices::openUrl(*destination);
    });

    connect(m_model, &ExtractionViewModel::destinationURLChanged, this,
            &ExtractionPanel::showDestination);
    connect(m_model, &ExtractionViewModel::destinationURLChanged, this,
            &ExtractionPanel::showState);
    connect(m_model, &ExtractionViewModel::selectedGroupChanged, this, &ExtractionPanel::showState);
    connect(m_model, &ExtractionViewModel::stateChanged, this, &ExtractionPanel::showState);
    connect(m_model, &ExtractionViewModel::cancelRequested, this, &ExtractionPanel::showState);
    connect(m_model, &ExtractionViewModel::progressChanged, this,
            [this] { m_progressBar->setFraction(m_model->progress()); });
    showDestination();
    m_shownKind = m_model->state().kind();
    showState();
    m_progressBar->setFraction(m_model->progress());
}

QWidget* ExtractionPanel::createDestinationColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(
        new TextLabel(tr("Destination"), TextStyle::Caption, Tone::Secondary, column));
    layout->addWidget(m_destinationButton, 0, Qt::AlignLeft);
    return column;
}

QWidget* ExtractionPanel::createRunColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_progressBar->setFixedWidth(180);
    m_progressBar->setAccessibleName(tr("Extraction progress"));
    // Its row stays when it is hidden, so the panel does not grow by a row
    // (and push the console down) when a run starts.
    QSizePolicy keepsItsPlace = m_progressBar->sizePolicy();
    keepsItsPlace.setRetainSizeWhenHidden(true);
    m_progressBar->setSizePolicy(keepsItsPlace);
    layout->addWidget(m_progressBar, 0, Qt::AlignRight);

    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(10);
    statusRow->addWidget(m_statusLabel);
    statusRow->addWidget(m_cancelButton);
    statusRow->addWidget(m_openFolderButton);
    m_mainButton->setMinimumWidth(120);
    statusRow->addWidget(m_mainButton);
    layout->addLayout(statusRow);
    layout->setAlignment(statusRow, Qt::AlignRight);
    return column;
}

void ExtractionPanel::showDestination() {
    const std::optional<QUrl>& destination = m_model->destinationURL();
    // The folder's own name, shortened in the middle when long; the whole
    // path is in the tooltip.
    const QString name = destination ? destination->fileName(QUrl::FullyDecoded) : QString();
    const QString path = destination ? destination->toLocalFile() : QString();
    const QString shown = !destination ? tr("Choose folder…") : name.isEmpty() ? path : name;
    m_destinationButton->setText(m_destinationButton->fontMetrics().elidedText(
        shown, Qt::ElideMiddle, maximumDestinationTextWidth));
    m_destinationButton->setToolTip(destination ? path : tr("Choose the folder to extract into"));
    m_destinationButton->setAccessibleName(destination ? tr("Destination: %1").arg(shown) : shown);
}

void ExtractionPanel::showState() {
    const ExtractionState::Kind kind = m_model->state().kind();
    const bool succeeded = kind == ExtractionState::Kind::Succeeded;
    m_progressBar->setVisible(kind == ExtractionState::Kind::Running || succeeded);
    m_statusLabel->setVisible(succeeded || kind == ExtractionState::Kind::Failed);
    m_statusLabel->setOutcome(succeeded ? StatusLabel::Outcome::Succeeded
                                        : StatusLabel::Outcome::Failed,
                              m_model->state().message());
    // Said once as the run ends, wherever the keyboard focus is.
    if (kind != m_shownKind && m_statusLabel->isVisibleTo(this))
        AccessibleViews::announce(m_statusLabel);
    m_shownKind = kind;

    const bool running = kind == ExtractionState::Kind::Running;
    QWidget* focused = focusWidget();
    const bool runButtonFocused =
        focused == m_mainButton || focused == m_cancelButton || focused == m_openFolderButton;
    m_mainButton->setText(succeeded                 ? tr("Clear")
                          : m_model->isCancelling() ? tr("Stopping…")
                          : running                 ? tr("Running…")
                                                    : tr("Start Extraction"));
    m_mainButton->setSymbol(succeeded ? Symbol::ResetArrow : Symbol::ArchiveBox);
    m_mainButton->setEnabled(succeeded || m_model->canStartExtraction());

    // The run may take a few seconds to stop (the extractor is given time to
    // end its current file), so the button stays off until it has.
    m_cancelButton->setVisible(running);
    m_cancelButton->setEnabled(running && !m_model->isCancelling());
    m_cancelShortcut->setEnabled(running);
    m_openFolderButton->setVisible(succeeded && m_model->destinationURL().has_value());
    if (runButtonFocused)
        keepFocus();
}

// Start pressed from the keyboard disables itself; Qt would pass the focus
// on to the console. It goes to what now stands in the button's place:
// Cancel while the run goes, the main button again once it has ended.
void ExtractionPanel::keepFocus() {
    for (SymbolPushButton* button : {m_cancelButton, m_mainButton, m_destinationButton}) {
        if (button->isVisibleTo(this) && button->isEnabled()) {
            if (!button->hasFocus())
                button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void ExtractionPanel::pressMainButton() {
    // After success the button clears the window for the next archive. After
    // a failure it reads "Start Extraction" and does just that: the user
    // retries the same group, perhaps after freeing space or choosing
    // another folder.
    if (m_model->state().kind() == ExtractionState::Kind::Succeeded)
        m_model->reset();
    else
        m_model->startExtraction();
}
