// The window as a whole: its keyboard removal of parts, held back during a
// run.

#include "scriptedwindow.h"
#include "ui/filelistmodel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/symbolbutton.h"

#include <QMenu>
#include <QTest>

namespace {

enum class Removal { DeleteKey, ArchiveMenu };

void remove(FileListView* list, Removal removal) {
    if (removal == Removal::DeleteKey) {
        QTest::keyClick(list, Qt::Key_Delete);
        return;
    }
    std::unique_ptr<QMenu> menu(list->createContextMenu(list->currentIndex()));
    menu->actions().at(1)->trigger();
}

} // namespace

Q_DECLARE_METATYPE(Removal)

class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keyboardRemovesPartsButNotDuringARun_data() {
        QTest::addColumn<Removal>("removal");
        QTest::addColumn<int>("partsLeft");
        QTest::addRow("Delete: this file") << Removal::DeleteKey << 1;
        QTest::addRow("menu: this archive") << Removal::ArchiveMenu << 0;
    }

    void keyboardRemovesPartsButNotDuringARun() {
        QFETCH(Removal, removal);
        ScriptedWindow scripted;
        QVERIFY(scripted.reach(Situation::Running));
        FileListView* list = scripted.detail->fileList();
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Down); // from the first row, where the focus arrived
        const auto partsLeft = [&] {
            const auto& group = scripted.model.selectedGroup();
            return group ? int(group->files.size()) : 0;
        };
        // Each row's remove control and the header's show they are off meanwhile.
        const auto removable = [&] {
            QList<bool> states;
            for (int row = 0; row < list->fileModel()->rowCount(); ++row)
                states << list->fileModel()->index(row).data(FileListModel::RemovableRole).toBool();
            return states << scripted.detail->header()->removeButton()->isEnabled();
        };

        remove(list, removal);
        QCOMPARE(partsLeft(), 2);
        QCOMPARE(removable(), (QList<bool>{false, false, false}));

        scripted.service->finish(ExtractionProgress::completed());
        QCOMPARE(removable(), (QList<bool>{true, true, true}));
        remove(list, removal);
        QTEST(partsLeft(), "partsLeft");
        if (partsLeft())
            QCOMPARE(scripted.model.selectedGroup()->files.first(),
                     scripted.parts.location("archive.zip"));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
