// The shown group: its header's summary and warnings, the clash sentence,
// the part rows and their remove controls, and the switcher between groups.

#include "scriptedwindow.h"
#include "ui/clashwarning.h"
#include "ui/filelistmodel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/groupswitcher.h"
#include "ui/symbolbutton.h"
#include "ui/symbolpushbutton.h"

#include <QMenu>
#include <QTest>

namespace {

// One role of every row, as the rows show it.
QStringList column(const FileListView* list, int role) {
    QStringList texts;
    const FileListModel* rows = list->fileModel();
    for (int row = 0; row < rows->rowCount(); ++row)
        texts << rows->index(row).data(role).toString();
    return texts;
}

// Clicks a row's remove control, as the user does.
void clickRemove(FileListView* list, int row, QPoint offset = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->removeButtonRect(row).center() + offset);
}

// The window on screen with nothing dropped yet, so rows have their places.
struct ShownView : ScriptedWindow {
    ShownView() { model.reset(); }

    QUrl make(const QString& name, qint64 size = 0) { return parts.make(name, size); }

    GroupHeaderView* header = detail->header();
    FileListView* list = detail->fileList();
};

} // namespace

class GroupDetailTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The check's verdict under the summary, a gap warned about, the sizes
    // added up; a spanned set says why it is refused.
    void headerSummarisesTheShownGroup() {
        ShownView shown;
        ArchiveInspection broken;
        broken.complete = false;
        broken.problem = QStringLiteral("archive(3).zip does not continue archive(1).zip.");
        shown.service->inspection = broken;

        // Apart from the scripted window's own parts, whose sizes it has read.
        PartFiles& folder = shown.otherFolder;
        shown.model.addFiles({folder.make("archive.zip", 2'100'000),
                              folder.make("archive(1).zip", 2'100'000),
                              folder.make("archive(3).zip", 2'100'000)});

        QCOMPARE(shown.header->titleText(), QStringLiteral("archive"));
        QTRY_COMPARE(shown.header->summaryText(), QStringLiteral("3 parts · 6.3 MB"));
        QVERIFY(shown.header->isCheckAWarning());
        QCOMPARE(shown.header->checkText(), broken.problem);
        QCOMPARE(shown.header->warningText(), QStringLiteral("Missing parts: part (2)"));
        QCOMPARE(shown.header->refusalText(), QString());

        shown.model.reset();
        shown.model.addFiles({shown.make("archive.z01"), shown.make("archive.zip")});
        QVERIFY(!shown.header->refusalText().isEmpty());
        QCOMPARE(shown.header->refusalText(),
                 shown.model.selectedGroup()->refusalDescription().value_or(QString()));
    }

    // Every file keeps its row, so either copy can be removed.
    void clashingFilesAreNamedByTheirFolders() {
        ShownView shown;
        shown.model.setDestinationURL(QUrl::fromLocalFile(shown.parts.path()));
        const QUrl copy = shown.otherFolder.make("s(1).zip");
        shown.model.addFiles(
            {shown.make("s.zip"), shown.make("s(1).zip"), shown.make("s(2).zip"), copy});

        QVERIFY(shown.header->clashText().contains(QDir(shown.otherFolder.path()).dirName()));
        QCOMPARE(shown.header->warningText(), QString());
        QCOMPARE(shown.list->fileModel()->rowCount(), 4);

        clickRemove(shown.list, 2);
        QVERIFY(!shown.model.selectedGroup()->files.contains(copy));
        QCOMPARE(shown.header->clashText(), QString());
        QVERIFY(shown.detail->extractionPanel()->mainButton()->isEnabled());
    }

    // Each file is named by as many of its folders as tell it apart; one
    // location twice reads as its whole path, with no endless search.
    void clashWarningNamesEachFileByItsFolders() {
        const auto textFor = [](const QStringList& paths) {
            PartClash clash{1, {}};
            for (const QString& path : paths)
                clash.files << QUrl::fromLocalFile(path);
            return ClashWarning::text({clash});
        };
        QCOMPARE(textFor({"/home/u/dl/s(1).zip", "/media/usb/dl/s(1).zip"}),
                 "Two files claim part 1: u/dl/s(1).zip and usb/dl/s(1).zip — remove one.");
        QCOMPARE(textFor({"/x/a/s(1).zip", "/x/a/s(1).zip"}),
                 "Two files claim part 1: /x/a/s(1).zip and /x/a/s(1).zip — remove one.");
    }

    // Rows are numbered as the parts are, so a gap shows as one. Sizes come
    // from another thread; a file that vanished keeps its row without one.
    void rowsShowNumbersAndSizesOnceRead() {
        ShownView shown;
        const QUrl vanished = shown.make("set(4).zip", 512);
        QVERIFY(QFile::remove(vanished.toLocalFile()));

        shown.model.addFiles({shown.make("set.zip", 2'100'000), shown.make("set(1).zip", 512),
                              shown.make("set(3).zip", 512), vanished});

        QCOMPARE(column(shown.list, FileListModel::PartNumberRole),
                 (QStringList{"0", "1", "3", "4"}));
        QTRY_COMPARE(column(shown.list, FileListModel::SizeRole),
                     (QStringList{"2.1 MB", "512 bytes", "512 bytes", QString()}));
    }

    // The rows after a removed one move up with their own numbers.
    void removeControlsForwardToTheViewModel() {
        ShownView shown;
        shown.model.addFiles({shown.make("a.zip"), shown.make("a(1).zip"), shown.make("a(2).zip"),
                              shown.make("b.zip")});

        clickRemove(shown.list, 1);
        QCOMPARE(column(shown.list, FileListModel::PartNumberRole), (QStringList{"0", "2"}));
        // A click beside the control is not a removal.
        clickRemove(shown.list, 0, QPoint(40, 0));
        QCOMPARE(shown.model.selectedGroup()->files.size(), 2);

        shown.header->removeButton()->click();
        QCOMPARE(shown.header->titleText(), QStringLiteral("b"));
        clickRemove(shown.list, 0);
        QVERIFY(!shown.model.selectedGroup());
        QVERIFY(!shown.detail->isShowingGroup());
    }

    // Rows are painted, not widgets.
    void thousandsOfPartsAddNoWidgets() {
        ShownView shown;
        shown.model.addFiles({QUrl::fromLocalFile("/downloads/big(5000).zip")});
        const qsizetype widgetsForOne = shown.window.findChildren<QWidget*>().size();

        QList<QUrl> parts;
        for (int part = 1; part < 5000; ++part)
            parts << QUrl::fromLocalFile(QStringLiteral("/downloads/big(%1).zip").arg(part));
        shown.model.addFiles(parts);

        QCOMPARE(shown.list->fileModel()->rowCount(), 5000);
        QCOMPARE(shown.window.findChildren<QWidget*>().size(), widgetsForOne);
    }

    void switcherShowsAnotherArchive() {
        ShownView shown;
        GroupSwitcher* switcher = shown.header->switcher();
        shown.model.addFiles({shown.make("b.zip")});
        QVERIFY(!switcher->isVisible());

        shown.model.addFiles({shown.make("a.zip"), shown.make("c.zip")});
        QVERIFY(switcher->isVisible());
        Q_EMIT switcher->menu()->aboutToShow();
        switcher->menu()->actions().at(2)->trigger();
        QCOMPARE(shown.header->titleText(), QStringLiteral("c"));
    }
};

QTEST_MAIN(GroupDetailTest)
#include "tst_groupdetail.moc"
