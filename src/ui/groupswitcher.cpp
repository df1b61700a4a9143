#include "ui/groupswitcher.h"

#include "model/extractionviewmodel.h"
#include "ui/pluralcount.h"

#include <QMenu>

GroupSwitcher::GroupSwitcher(ExtractionViewModel* model, QWidget* parent)
    : QToolButton(parent)
    , m_model(model) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setAutoRaise(true);
    // Filled when opened: a drop of many archives should not build a menu
    // nobody looks at.
    auto* menu = new QMenu(this);
    setMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, &GroupSwitcher::fillMenu);

    connect(m_model, &ExtractionViewModel::groupsChanged, this, &GroupSwitcher::showGroups);
    connect(m_model, &ExtractionViewModel::selectedGroupChanged, this, &GroupSwitcher::showGroups);
    connect(m_model, &ExtractionViewModel::stateChanged, this, &GroupSwitcher::showGroups);
    showGroups();
}

void GroupSwitcher::showGroups() {
    const QList<ZipFileGroup>& groups = m_model->groups();
    const auto& selected = m_model->selectedGroup();
    setVisible(groups.size() > 1 && selected);
    if (groups.size() <= 1 || !selected)
        return;
    const auto shown = std::find_if(groups.cbegin(), groups.cend(), [&](const ZipFileGroup& group) {
        return group.id == selected->id;
    });
    const int count = pluralCount(groups.size());
    setText(shown == groups.cend()
                ? tr("%n archive(s)", nullptr, count)
                : tr("%1 of %n archive(s)", nullptr, count).arg(shown - groups.cbegin() + 1));
    const bool canSwitch = m_model->canRemoveFiles();
    setEnabled(canSwitch);
    setToolTip(canSwitch ? tr("Show another archive")
                         : tr("Another archive can be shown once this run has ended"));
    setAccessibleName(tr("Show another archive"));
    setAccessibleDescription(text());
}

void GroupSwitcher::fillMenu() {
    QMenu* list = menu();
    list->clear();
    const QList<ZipFileGroup>& groups = m_model->groups();
    const auto& selected = m_model->selectedGroup();
    const qsizetype listed = std::min(groups.size(), maxListedGroups);
    for (qsizetype i = 0; i < listed; ++i) {
        const ZipFileGroup& group = groups.at(i);
        const QString parts = tr("%n part(s)", nullptr, pluralCount(group.files.size()));
        QAction* action = list->addAction(tr("%1 · %2").arg(group.baseName, parts));
        action->setCheckable(true);
        action->setChecked(selected && selected->id == group.id);
        const QUuid id = group.id;
        connect(action, &QAction::triggered, this, [this, id] { m_model->selectGroup(id); });
    }
    if (groups.size() > listed) {
        list->addSeparator();
        list->addAction(tr("%n more archive(s); remove some to reach them", nullptr,
                           pluralCount(groups.size() - listed)))
            ->setEnabled(false);
    }
}
