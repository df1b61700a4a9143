#include "ui/statuslabel.h"

#include "ui/symbolview.h"
#include "ui/textlabel.h"

#include <QHBoxLayout>

StatusLabel::StatusLabel(QWidget* parent)
    : QWidget(parent)
    , m_symbol(new SymbolView(Symbol::Success, 16, Tone::Green, this))
    , m_text(new TextLabel(TextStyle::Callout, Tone::Green, this)) {
    m_text->setWeight(QFont::Medium);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_symbol);
    layout->addWidget(m_text);
    setOutcome(Outcome::Succeeded);
}

void StatusLabel::setOutcome(Outcome outcome, const QString& reason) {
    const bool succeeded = outcome == Outcome::Succeeded;
    const Tone tone = succeeded ? Tone::Green : Tone::Red;
    m_symbol->setSymbol(succeeded ? Symbol::Success : Symbol::Failure);
    m_symbol->setTone(tone);
    m_text->setTone(tone);
    m_text->setText(succeeded ? tr("Done") : tr("Failed"));
    // The window shows the reason in the console; a screen reader hears it
    // with the status.
    setAccessibleDescription(succeeded ? QString() : reason);
}

QString StatusLabel::text() const {
    return m_text->text();
}
