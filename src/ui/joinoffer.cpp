#include "ui/joinoffer.h"

#include "model/extractionviewmodel.h"
#include "ui/textlabel.h"

#include <QHBoxLayout>
#include <QPushButton>

JoinOffer::JoinOffer(ExtractionViewModel* model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_text(
          new TextLabel(tr("These look like one archive whose parts a browser named with a space."),
                        TextStyle::Caption, Tone::Secondary, this))
    , m_joinButton(new QPushButton(tr("Join them"), this)) {
    m_text->setMaximumLines(2);
    m_joinButton->setAutoDefault(false);
    m_joinButton->setToolTip(tr("Show both groups as one archive, in part order"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_joinButton, 0, Qt::AlignVCenter);

    connect(m_joinButton, &QPushButton::clicked, m_model,
            &ExtractionViewModel::joinSpaceNamedParts);
    // The offer depends on the other groups too, and is withdrawn while a
    // run is going.
    connect(m_model, &ExtractionViewModel::groupsChanged, this, &JoinOffer::update);
    connect(m_model, &ExtractionViewModel::selectedGroupChanged, this, &JoinOffer::update);
    connect(m_model, &ExtractionViewModel::stateChanged, this, &JoinOffer::update);
    update();
}

void JoinOffer::update() {
    setVisible(m_model->canJoinSpaceNamedParts());
}

QString JoinOffer::text() const {
    return isVisibleTo(parentWidget()) ? m_text->text() + u' ' + m_joinButton->text() : QString();
}
