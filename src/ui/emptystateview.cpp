#include "ui/emptystateview.h"

#include "ui/symbolview.h"
#include "ui/textlabel.h"

#include <QVBoxLayout>

EmptyStateView::EmptyStateView(QWidget* parent)
    : QWidget(parent)
    , m_text(new TextLabel(tr("Drop split .zip files to get started"), TextStyle::Callout,
                           Tone::Tertiary, this)) {
    auto* symbol = new SymbolView(Symbol::ZipDocument, 48, Tone::Quaternary, this);
    m_text->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    layout->addWidget(m_text, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

QString EmptyStateView::text() const {
    return m_text->text();
}
