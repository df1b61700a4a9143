#include "ui/groupheaderview.h"

#include "model/extractionviewmodel.h"
#include "ui/accessibleviews.h"
#include "ui/clashwarning.h"
#include "ui/filesizecache.h"
#include "ui/filesizes.h"
#include "ui/groupswitcher.h"
#include "ui/joinoffer.h"
#include "ui/pluralcount.h"
#include "ui/symbolbutton.h"
#include "ui/symbolview.h"
#include "ui/textlabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

GroupHeaderView::GroupHeaderView(ExtractionViewModel* model, FileSizeCache* sizes, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_sizes(sizes)
    , m_title(new TextLabel(TextStyle::Title, Tone::Primary, this))
    , m_switcher(new GroupSwitcher(model, this))
    , m_removeButton(new SymbolButton(Symbol::Trash, 16, Tone::Red, this))
    , m_summary(new TextLabel(TextStyle::Caption, Tone::Secondary, this))
    , m_checkRow(new QWidget(this))
    , m_checkSymbol(new SymbolView(Symbol::Success, 14, Tone::Green, m_checkRow))
    , m_check(new TextLabel(TextStyle::Caption, Tone::Secondary, m_checkRow))
    , m_clashRow(new QWidget(this))
    , m_clash(new TextLabel(TextStyle::Caption, Tone::Red, m_clashRow))
    , m_refusalRow(new QWidget(this))
    , m_refusal(new TextLabel(TextStyle::Caption, Tone::Red, m_refusalRow))
    , m_warningRow(new QWidget(this))
    , m_warningSymbol(new SymbolView(Symbol::Warning, 14, Tone::Orange, m_warningRow))
    , m_warning(new TextLabel(TextStyle::Caption, Tone::Orange, m_warningRow))
    , m_joinOffer(new JoinOffer(model, this)) {
    m_title->setWeight(QFont::DemiBold);
    m_warningSymbol->setAccessibleName(tr("Warning"));
    m_removeButton->setToolTip(tr("Remove this archive"));
    m_removeButton->setAccessibleName(tr("Remove this archive"));
    connect(m_removeButton, &QToolButton::clicked, this, [this] {
        if (const auto& group = m_model->selectedGroup())
            m_model->removeGroup(*group);
    });

    // A group whose only part carries a huge number lists up to a thousand
    // missing parts: a few lines of them, and the rest in the tooltip.
    m_warning->setMaximumLines(3);
    auto* warningLayout = new QHBoxLayout(m_warningRow);
    warningLayout->setContentsMargins(0, 2, 0, 0);
    warningLayout->setSpacing(6);
    warningLayout->addWidget(m_warningSymbol, 0, Qt::AlignTop);
    warningLayout->addWidget(m_warning, 1);

    // Red, not orange: unlike a missing part, a clash keeps the run from
    // starting until the user removes a file.
    m_clash->setMaximumLines(4);
    auto* clashLayout = new QHBoxLayout(m_clashRow);
    clashLayout->setContentsMargins(0, 2, 0, 0);
    clashLayout->setSpacing(6);
    auto* clashSymbol = new SymbolView(Symbol::Failure, 14, Tone::Red, m_clashRow);
    clashSymbol->setAccessibleName(tr("Error"));
    clashLayout->addWidget(clashSymbol, 0, Qt::AlignTop);
    clashLayout->addWidget(m_clash, 1);

    m_refusal->setMaximumLines(3);
    auto* refusalLayout = new QHBoxLayout(m_refusalRow);
    refusalLayout->setContentsMargins(0, 2, 0, 0);
    refusalLayout->setSpacing(6);
    refusalLayout->addWidget(new SymbolView(Symbol::Failure, 14, Tone::Red, m_refusalRow), 0,
                             Qt::AlignTop);
    refusalLayout->addWidget(m_refusal, 1);

    m_check->setMaximumLines(3);
    auto* checkLayout = new QHBoxLayout(m_checkRow);
    checkLayout->setContentsMargins(0, 2, 0, 0);
    checkLayout->setSpacing(6);
    checkLayout->addWidget(m_checkSymbol, 0, Qt::AlignTop);
    checkLayout->addWidget(m_check, 1);
    m_checkRow->hide();

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(m_switcher);
    titleRow->addWidget(m_removeButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 14, 20, 14);
    layout->setSpacing(4);
    layout->addLayout(titleRow);
    layout->addWidget(m_summary);
    layout->addWidget(m_checkRow);
    layout->addWidget(m_refusalRow);
    layout->addWidget(m_clashRow);
    layout->addWidget(m_warningRow);
    layout->addWidget(m_joinOffer);

    connect(m_model, &ExtractionViewModel::selectedGroupChanged, this,
            &GroupHeaderView::showSelectedGroup);
    connect(m_model, &ExtractionViewModel::inspectionChanged, this,
            &GroupHeaderView::showInspection);
    connect(m_sizes, &FileSizeCache::sizesArrived, this, &GroupHeaderView::showSummary);
    // A running group stays until its run ends.
    connect(m_model, &ExtractionViewModel::stateChanged, this,
            [this] { m_removeButton->setEnabled(m_model->canRemoveFiles()); });
    showSelectedGroup();
    showInspection();
    m_removeButton->setEnabled(m_model->canRemoveFiles());
}

// Missing parts by name stay a warning of their own: the check reads bytes,
// and where it could not run the names still tell what they can.
void GroupHeaderView::showInspection() {
    const std::optional<ArchiveInspection> inspection = m_model->selectedInspection();
    if (!inspection) {
        m_checkRow->hide();
        return;
    }
    const bool complete = inspection->complete && inspection->entries && inspection->unpackedSize;
    m_check->setTone(complete ? Tone::Secondary : Tone::Orange);
    m_checkSymbol->setSymbol(complete ? Symbol::Success : Symbol::Warning);
    m_checkSymbol->setTone(complete ? Tone::Green : Tone::Orange);
    m_checkSymbol->setAccessibleName(complete ? QString() : tr("Warning"));
    showNotice(m_checkRow, m_check,
               complete ? tr("Complete archive · %n file(s) · %1 unpacked", nullptr,
                             pluralCount(*inspection->entries))
                              .arg(FileSizes::formatted(*inspection->unpackedSize))
                        : inspection->problem);
}

QString GroupHeaderView::checkText() const {
    return m_checkRow->isVisibleTo(this) ? m_check->text() : QString();
}

bool GroupHeaderView::isCheckAWarning() const {
    return m_checkRow->isVisibleTo(this) && m_check->tone() == Tone::Orange;
}

void GroupHeaderView::showSelectedGroup() {
    const auto& group = m_model->selectedGroup();
    if (!group)
        return;
    m_title->setText(group->baseName);
    m_removeButton->setAccessibleDescription(group->baseName);

    m_sizes->request(group->files);
    showSummary();

    showNotice(m_refusalRow, m_refusal, group->refusalDescription().value_or(QString()));
    showNotice(m_clashRow, m_clash,
               group->hasClashingParts() ? ClashWarning::text(group->clashes) : QString());
    showNotice(m_warningRow, m_warning, group->missingPartsDescription().value_or(QString()));
}

// A warning that appears, or says something new, is announced: it shows up
// above the list while the keyboard focus is elsewhere.
void GroupHeaderView::showNotice(QWidget* row, TextLabel* label, const QString& text) {
    const bool isNew = !text.isEmpty() && (!row->isVisibleTo(this) || label->text() != text);
    label->setText(text);
    row->setVisible(!text.isEmpty());
    if (isNew)
        AccessibleViews::announce(label);
}

// The size joins the count once every part's size has come back, rather
// than growing as they arrive.
void GroupHeaderView::showSummary() {
    const auto& group = m_model->selectedGroup();
    if (!group)
        return;
    const int count = pluralCount(group->files.size());
    const std::optional<qint64> size = m_sizes->totalSize(group->files);
    // One name can stand for two archives, archive(1).zip and
    // archive.zip.001; the numbered one says so.
    const bool isNumbered = group->naming == PartNaming::Numbered;
    const QString parts = isNumbered ? tr("%n part(s) (.001, .002, …)", nullptr, count)
                                     : tr("%n part(s)", nullptr, count);
    m_summary->setText(size ? tr("%1 · %2").arg(parts, FileSizes::formatted(*size)) : parts);
}

QString GroupHeaderView::titleText() const {
    return m_title->text();
}

QString GroupHeaderView::summaryText() const {
    return m_summary->text();
}

QString GroupHeaderView::warningText() const {
    return m_warningRow->isVisibleTo(this) ? m_warning->text() : QString();
}

QString GroupHeaderView::refusalText() const {
    return m_refusalRow->isVisibleTo(this) ? m_refusal->text() : QString();
}

QString GroupHeaderView::clashText() const {
    return m_clashRow->isVisibleTo(this) ? m_clash->text() : QString();
}
