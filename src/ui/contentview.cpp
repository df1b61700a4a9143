#include "ui/contentview.h"

#include "model/extractionviewmodel.h"
#include "ui/accessibleviews.h"
#include "ui/consolepanel.h"
#include "ui/consoletextview.h"
#include "ui/destinationpicker.h"
#include "ui/detailpane.h"
#include "ui/divider.h"
#include "ui/droppedfiles.h"
#include "ui/dropzoneview.h"
#include "ui/extractionpanel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/groupswitcher.h"
#include "ui/panesplitter.h"
#include "ui/partspicker.h"
#include "ui/pluralcount.h"
#include "ui/symbolpushbutton.h"
#include "ui/textlabel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

ContentView::ContentView(QWidget* parent)
    : ContentView(new ExtractionViewModel, parent) {
    m_model->setParent(this);
}

ContentView::ContentView(ExtractionViewModel* model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    // Before any child exists: a widget's interface, once asked for (as
    // setting its accessible name does), is kept.
    AccessibleViews::install();
    // Small enough for a 1280×800 screen at twice the scale (640×400 logical,
    // less the desktop's panel); the console gives up its height first.
    setMinimumSize(600, 360);
    m_destinationPicker = new DestinationPicker(this);
    m_partsPicker = new PartsPicker(this);
    setAcceptDrops(true);
    // The left pane first: the focus chain starts in creation order.
    QWidget* dropPane = createDropPane();
    m_detailPane = new DetailPane(m_model, this);

    m_splitter = new PaneSplitter(this);
    m_splitter->addWidget(dropPane);
    m_splitter->addWidget(m_detailPane);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({300, 600});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    connect(m_dropZone, &DropZoneView::dropped, m_model, &ExtractionViewModel::addFiles);
    connect(m_detailPane->extractionPanel(), &ExtractionPanel::destinationRequested, this,
            &ContentView::chooseDestination);
    connect(m_destinationPicker, &DestinationPicker::folderChosen, m_model,
            [this](const QUrl& folder) { m_model->setDestinationURL(folder); });

    connect(m_addPartsButton, &QAbstractButton::clicked, this, &ContentView::chooseParts);
    auto* addParts = new QShortcut(QKeySequence::Open, this);
    connect(addParts, &QShortcut::activated, this, &ContentView::chooseParts);
    connect(m_partsPicker, &PartsPicker::filesChosen, m_model, &ExtractionViewModel::addFiles);
    connect(m_model, &ExtractionViewModel::filesIgnored, this, &ContentView::tellIgnored);
    orderTabStops();
}

// Tab follows the eye: the left pane, then the shown group from top to
// bottom and, in each row, from left to right. The remove buttons take no
// focus, and Add Parts, first in line, is where the focus starts.
void ContentView::orderTabStops() {
    const ExtractionPanel* panel = m_detailPane->extractionPanel();
    const ConsolePanel* console = m_detailPane->console();
    const QList<QWidget*> order{m_addPartsButton,         m_detailPane->header()->switcher(),
                                m_detailPane->fileList(), panel->destinationButton(),
                                panel->cancelButton(),    panel->openFolderButton(),
                                panel->mainButton(),      console->textView(),
                                console->clearButton()};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
}

// Long enough to read, short enough not to linger over the next drop.
void ContentView::tellIgnored(qint64 count) {
    m_notice->setText(
        tr("%n file(s) were not split zip parts and were ignored", nullptr, pluralCount(count)));
    m_notice->show();
    AccessibleViews::announce(m_notice);
    m_noticeTimer->start();
}

QString ContentView::noticeText() const {
    return m_notice->isVisibleTo(this) ? m_notice->text() : QString();
}

// Files dropped on the rest of the window are meant just as much.
void ContentView::dragEnterEvent(QDragEnterEvent* event) {
    if (localFilesIn(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void ContentView::dragMoveEvent(QDragMoveEvent* event) {
    if (localFilesIn(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void ContentView::dropEvent(QDropEvent* event) {
    const QList<QUrl> files = localFilesIn(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_model->addFiles(files);
}

void ContentView::chooseParts() {
    QUrl start;
    if (m_model->selectedGroup() && !m_model->selectedGroup()->files.isEmpty())
        start = m_model->selectedGroup()->files.first().adjusted(QUrl::RemoveFilename);
    m_partsPicker->present(start);
}

QWidget* ContentView::createDropPane() {
    auto* pane = new QWidget(this);
    pane->setMinimumWidth(150);
    m_dropZone = new DropZoneView(pane);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_addPartsButton =
        new SymbolPushButton(Symbol::ZipDocument, SymbolPushButton::Kind::Bordered, pane);
    m_addPartsButton->setText(tr("Add Parts…"));
    m_addPartsButton->setToolTip(tr("Choose split zip parts to add (Ctrl+O)"));
    auto* padding = new QVBoxLayout;
    padding->setContentsMargins(12, 12, 12, 12);
    padding->setSpacing(10);
    padding->addWidget(m_dropZone, 1);
    padding->addWidget(m_addPartsButton, 0, Qt::AlignHCenter);
    m_notice = new TextLabel(TextStyle::Caption, Tone::Secondary, pane);
    m_notice->setAlignment(Qt::AlignHCenter);
    m_notice->setMaximumLines(2);
    m_notice->hide();
    padding->addWidget(m_notice);
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(5000);
    connect(m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);
    layout->addLayout(padding, 1);
    layout->addWidget(new Divider(pane));
    return pane;
}

// Without a destination yet, the chooser opens where the parts are: most
// people unpack next to their downloads.
void ContentView::chooseDestination() {
    QUrl start = m_model->destinationURL().value_or(QUrl());
    if (start.isEmpty() && m_model->selectedGroup() && !m_model->selectedGroup()->files.isEmpty())
        start = m_model->selectedGroup()->files.first().adjusted(QUrl::RemoveFilename);
    m_destinationPicker->present(start);
}
