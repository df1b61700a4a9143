#include "ui/contentview.h"

#include "model/extractionviewmodel.h"
#include "ui/destinationpicker.h"
#include "ui/detailpane.h"
#include "ui/divider.h"
#include "ui/dropzoneview.h"
#include "ui/extractionpanel.h"
#include "ui/panesplitter.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

ContentView::ContentView(QWidget* parent)
    : ContentView(new ExtractionViewModel, parent) {
    m_model->setParent(this);
}

ContentView::ContentView(ExtractionViewModel* model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    setMinimumSize(720, 520);
    m_destinationPicker = new DestinationPicker(this);
    m_detailPane = new DetailPane(m_model, this);

    m_splitter = new PaneSplitter(this);
    m_splitter->addWidget(createDropPane());
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
}

QWidget* ContentView::createDropPane() {
    auto* pane = new QWidget(this);
    pane->setMinimumWidth(260);
    m_dropZone = new DropZoneView(pane);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* padding = new QVBoxLayout;
    padding->setContentsMargins(12, 12, 12, 12);
    padding->addWidget(m_dropZone);
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
