#include "englishtexts.h"
#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/clashwarning.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/emptystateview.h"
#include "ui/extractionpanel.h"
#include "ui/filelistmodel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/groupswitcher.h"
#include "ui/joinoffer.h"
#include "ui/symbolbutton.h"
#include "ui/symbolpushbutton.h"
#include "ui/textlabel.h"

#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using Sizes = QList<qint64>;

// One role of every row, as the rows show it.
QStringList column(const FileListView* list, int role) {
    QStringList texts;
    const FileListModel* rows = list->fileModel();
    for (int row = 0; row < rows->rowCount(); ++row)
        texts << rows->index(row).data(role).toString();
    return texts;
}

// Clicks a row's remove control, as the user does.
void clickRemove(FileListView* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->removeButtonRect(row).center());
}

// A content view on screen, so rows have their places.
void showView(ContentView& view) {
    view.resize(900, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
}

} // namespace

class GroupDetailTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void headerSummarisesTheShownGroup_data();
    void headerSummarisesTheShownGroup();
    void longMissingPartListStaysWithinThreeLines();
    void joinOfferJoinsAndASpannedSetIsRefused();
    void clashingFilesAreNamedByTheirFolders();
    void clashLabelsTellTheFilesApart_data();
    void clashLabelsTellTheFilesApart();
    void clashWarningSpellsOutEachClash_data();
    void clashWarningSpellsOutEachClash();
    void rowsShowPartNumberNameFolderAndSize();
    void vanishedFileKeepsItsRowWithoutSize();
    void sizesArriveAfterTheRowsAreShown();
    void removeControlsForwardToTheViewModel();
    void rowsAfterARemovedOneKeepTheirPlace();
    void thousandsOfPartsAddNoWidgets();
    void emptyStateShowsWhenNoGroupIsSelected();
    void switcherShowsAnotherArchiveButNotDuringARun();
};

void GroupDetailTest::initTestCase() {
    useEnglishTexts();
}

void GroupDetailTest::headerSummarisesTheShownGroup_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("warning");

    QTest::addRow("one part reads \"1 part\" and has no divider")
        << QStringList{"archive.zip"} << Sizes{2'100'000} << "1 part · 2.1 MB" << QString();
    QTest::addRow("two parts read \"2 parts\"")
        << QStringList{"archive.zip", "archive(1).zip"} << Sizes{1'000'000, 1'100'000}
        << "2 parts · 2.1 MB" << QString();
    QTest::addRow("a gap is warned about with the grouping's text")
        << QStringList{"archive.zip", "archive(1).zip", "archive(3).zip"}
        << Sizes{2'100'000, 2'100'000, 2'100'000} << "3 parts · 6.3 MB"
        << "Missing parts: part (2)";
    QTest::addRow("a missing first part is named by its base name")
        << QStringList{"archive(1).zip"} << Sizes{0} << "1 part · 0 bytes"
        << "Missing parts: base (archive.zip)";
    QTest::addRow("numbered parts say so and are missed by file name")
        << QStringList{"archive.zip.001", "archive.zip.003"} << Sizes{1'000'000, 1'100'000}
        << "2 parts (.001, .002, …) · 2.1 MB"
        << "Missing parts: archive.zip.002";
}

void GroupDetailTest::headerSummarisesTheShownGroup() {
    QFETCH(QStringList, names);
    QFETCH(Sizes, sizes);
    QFETCH(QString, summary);
    PartFiles parts;
    QList<QUrl> locations;
    for (qsizetype index = 0; index < names.size(); ++index)
        locations << parts.make(names.at(index), sizes.at(index));
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles(locations);

    GroupHeaderView* header = view.detailPane()->header();
    QCOMPARE(header->titleText(), QStringLiteral("archive"));
    QTRY_COMPARE(header->summaryText(), summary);
    QTEST(header->warningText(), "warning");
}

void GroupDetailTest::joinOfferJoinsAndASpannedSetIsRefused() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    showView(view);
    GroupHeaderView* header = view.detailPane()->header();
    model.setDestinationURL(QUrl::fromLocalFile(parts.path()));

    model.addFiles({parts.make("report.zip", 10), parts.make("report (1).zip", 10)});
    QCOMPARE(header->joinOffer()->text(),
             QStringLiteral("These look like one archive whose parts a browser named with a "
                            "space. Join them"));
    QTest::mouseClick(header->joinOffer()->joinButton(), Qt::LeftButton);
    QCOMPARE(model.groups().size(), 1);
    QCOMPARE(header->summaryText().left(7), QStringLiteral("2 parts"));
    QCOMPARE(header->joinOffer()->text(), QString());
    QCOMPARE(header->refusalText(), QString());

    model.reset();
    model.addFiles({parts.make("thesis.z01", 10), parts.make("thesis.zip", 10)});
    QCOMPARE(header->refusalText(), *model.selectedGroup()->refusalDescription());
    QVERIFY(!view.detailPane()->extractionPanel()->mainButton()->isEnabled());
}

void GroupDetailTest::longMissingPartListStaysWithinThreeLines() {
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    view.resize(800, 600);
    view.show();
    model.addFiles({QUrl::fromLocalFile("/downloads/huge(5000).zip")});

    TextLabel* warning = view.detailPane()->header()->warningLabel();
    QVERIFY(warning->text().startsWith(
        QStringLiteral("Missing parts: base (huge.zip), part (1), part (2)")));
    const QStringList lines = warning->displayedLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.last().endsWith(QChar(0x2026)));
    QCOMPARE(warning->toolTip(), warning->text());
    // The header makes room for all three lines.
    QTRY_VERIFY(warning->height() >= warning->heightForWidth(warning->width()));
    QCOMPARE(warning->heightForWidth(warning->width()), 3 * warning->sizeHint().height());
}

void GroupDetailTest::clashingFilesAreNamedByTheirFolders() {
    PartFiles first;
    PartFiles second;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    showView(view);
    model.setDestinationURL(QUrl::fromLocalFile(first.path()));
    const QUrl copy = second.make("s(1).zip");
    model.addFiles({first.make("s.zip"), first.make("s(1).zip"), first.make("s(2).zip"), copy});

    GroupHeaderView* header = view.detailPane()->header();
    const QString firstFolder = QDir(first.path()).dirName();
    const QString secondFolder = QDir(second.path()).dirName();
    QCOMPARE(header->clashText(), QStringLiteral("Two files claim part 1: %1/s(1).zip and "
                                                 "%2/s(1).zip — remove one.")
                                      .arg(firstFolder, secondFolder));
    QCOMPARE(header->warningText(), QString());
    // Every file keeps its row, so either copy can be removed.
    QCOMPARE(view.detailPane()->fileList()->fileModel()->rowCount(), 4);
    SymbolPushButton* start = view.detailPane()->extractionPanel()->mainButton();
    QVERIFY(!start->isEnabled());

    clickRemove(view.detailPane()->fileList(), 2);
    QCOMPARE(model.selectedGroup()->files.size(), 3);
    QVERIFY(!model.selectedGroup()->files.contains(copy));
    QCOMPARE(header->clashText(), QString());
    QVERIFY(start->isEnabled());
}

void GroupDetailTest::clashLabelsTellTheFilesApart_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("labels");

    const QString longA = QStringLiteral("a").repeated(40);
    const QString longB = QStringLiteral("b").repeated(40);
    const QString shortA =
        QStringLiteral("a").repeated(15) + QChar(0x2026) + QStringLiteral("a").repeated(15);
    const QString shortB =
        QStringLiteral("b").repeated(15) + QChar(0x2026) + QStringLiteral("b").repeated(15);

    QTest::addRow("the parent folders differ")
        << QStringList{"/x/a/s(1).zip", "/x/b/s(1).zip"} << QStringList{"a/s(1).zip", "b/s(1).zip"};
    QTest::addRow("parents of one name: their parents tell")
        << QStringList{"/home/u/dl/s.zip", "/media/usb/dl/s.zip"}
        << QStringList{"u/dl/s.zip", "usb/dl/s.zip"};
    QTest::addRow("one folder inside the other")
        << QStringList{"/dl/s.zip", "/x/dl/s.zip"} << QStringList{"/dl/s.zip", "/x/dl/s.zip"};
    QTest::addRow("a file at the root")
        << QStringList{"/s.zip", "/a/s.zip"} << QStringList{"/s.zip", "/a/s.zip"};
    QTest::addRow("two names in one folder still show the folder")
        << QStringList{"/x/a/s.zip", "/x/a/s(0).zip"} << QStringList{"a/s.zip", "a/s(0).zip"};
    QTest::addRow("a long shared run of folders is shortened")
        << QStringList{"/m/a/1/2/3/s.zip", "/m/b/1/2/3/s.zip"}
        << QStringList{"a/…/s.zip", "b/…/s.zip"};
    QTest::addRow("long folder names keep both ends")
        << QStringList{"/x/" + longA + "/s.zip", "/x/" + longB + "/s.zip"}
        << QStringList{shortA + "/s.zip", shortB + "/s.zip"};
    QTest::addRow("one location twice: the whole path")
        << QStringList{"/x/a/s.zip", "/x/a/s.zip"} << QStringList{"/x/a/s.zip", "/x/a/s.zip"};
    QTest::addRow("three files") << QStringList{"/p/a/s.zip", "/q/a/s.zip", "/q/b/s.zip"}
                                 << QStringList{"/p/a/s.zip", "/q/a/s.zip", "/q/b/s.zip"};
}

void GroupDetailTest::clashLabelsTellTheFilesApart() {
    QFETCH(QStringList, paths);
    QList<QUrl> files;
    for (const QString& path : std::as_const(paths))
        files << QUrl::fromLocalFile(path);
    QTEST(ClashWarning::fileLabels(files), "labels");
}

void GroupDetailTest::clashWarningSpellsOutEachClash_data() {
    QTest::addColumn<QList<PartClash>>("clashes");
    QTest::addColumn<QString>("text");

    const auto clash = [](qint64 index, const QStringList& folders) {
        PartClash result{index, {}};
        for (const QString& folder : folders)
            result.files << QUrl::fromLocalFile(
                QStringLiteral("/x/%1/s(%2).zip").arg(folder).arg(index));
        return result;
    };
    QTest::addRow("two files") << QList<PartClash>{clash(1, {"a", "b"})}
                               << "Two files claim part 1: a/s(1).zip and b/s(1).zip — remove one.";
    QTest::addRow("part 0 is the base part")
        << QList<PartClash>{{0,
                             {QUrl::fromLocalFile("/x/a/s.zip"),
                              QUrl::fromLocalFile("/x/b/s.zip")}}}
        << "Two files claim the base part: a/s.zip and b/s.zip — remove one.";
    QTest::addRow("three files")
        << QList<PartClash>{clash(2, {"a", "b", "c"})}
        << "3 files claim part 2: a/s(2).zip, b/s(2).zip and c/s(2).zip — keep one and remove "
           "the others.";
    QTest::addRow("four clashes are all spelled out")
        << QList<PartClash>{clash(1, {"a", "b"}), clash(2, {"a", "b"}), clash(3, {"a", "b"}),
                            clash(4, {"a", "b"})}
        << "Two files claim part 1: a/s(1).zip and b/s(1).zip — remove one. "
           "Two files claim part 2: a/s(2).zip and b/s(2).zip — remove one. "
           "Two files claim part 3: a/s(3).zip and b/s(3).zip — remove one. "
           "Two files claim part 4: a/s(4).zip and b/s(4).zip — remove one.";
    QList<PartClash> many;
    for (qint64 index = 1; index <= 9; ++index)
        many << clash(index, {"a", "b"});
    QTest::addRow("past four the rest are counted")
        << many
        << "Two files claim part 1: a/s(1).zip and b/s(1).zip — remove one. "
           "Two files claim part 2: a/s(2).zip and b/s(2).zip — remove one. "
           "Two files claim part 3: a/s(3).zip and b/s(3).zip — remove one. "
           "6 more part numbers are claimed by more than one file.";
}

void GroupDetailTest::clashWarningSpellsOutEachClash() {
    QFETCH(QList<PartClash>, clashes);
    QTEST(ClashWarning::text(clashes), "text");
}

// Rows are numbered as the parts are, so a gap shows as one.
void GroupDetailTest::rowsShowPartNumberNameFolderAndSize() {
    PartFiles parts;
    QList<QUrl> locations{parts.make("set.zip", 2'100'000)};
    for (int part = 1; part <= 10; ++part) {
        if (part != 5)
            locations << parts.make(QStringLiteral("set(%1).zip").arg(part), 512);
    }
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles(locations);

    const FileListView* list = view.detailPane()->fileList();
    QCOMPARE(column(list, FileListModel::PartNumberRole),
             (QStringList{"0", "1", "2", "3", "4", "6", "7", "8", "9", "10"}));
    QCOMPARE(column(list, Qt::DisplayRole).first(), QStringLiteral("set.zip"));
    QCOMPARE(column(list, FileListModel::FolderRole).first(), parts.path());
    QCOMPARE(column(list, Qt::DisplayRole).last(), QStringLiteral("set(10).zip"));
    QTRY_COMPARE(column(list, FileListModel::SizeRole).first(), QStringLiteral("2.1 MB"));
    QCOMPARE(column(list, FileListModel::SizeRole).last(), QStringLiteral("512 bytes"));
}

void GroupDetailTest::vanishedFileKeepsItsRowWithoutSize() {
    PartFiles parts;
    const QUrl first = parts.make("gone.zip", 1'000'000);
    const QUrl second = parts.make("gone(1).zip", 3'000'000);
    QVERIFY(QFile::remove(first.toLocalFile()));
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles({first, second});

    const FileListView* list = view.detailPane()->fileList();
    QCOMPARE(column(list, Qt::DisplayRole), (QStringList{"gone.zip", "gone(1).zip"}));
    QTRY_COMPARE(view.detailPane()->header()->summaryText(), QStringLiteral("2 parts · 3.0 MB"));
    QCOMPARE(column(list, FileListModel::SizeRole), (QStringList{QString(), "3.0 MB"}));
}

// Sizes come from another thread, so none can be there before the event
// loop has run: the window did not read the disk while it built the rows.
void GroupDetailTest::sizesArriveAfterTheRowsAreShown() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles({parts.make("late.zip", 1'000'000), parts.make("late(1).zip", 2'000'000)});

    const FileListView* list = view.detailPane()->fileList();
    GroupHeaderView* header = view.detailPane()->header();
    QCOMPARE(column(list, FileListModel::SizeRole), (QStringList{QString(), QString()}));
    QCOMPARE(header->summaryText(), QStringLiteral("2 parts"));
    QTRY_COMPARE(header->summaryText(), QStringLiteral("2 parts · 3.0 MB"));
    QCOMPARE(column(list, FileListModel::SizeRole), (QStringList{"1.0 MB", "2.0 MB"}));
}

void GroupDetailTest::removeControlsForwardToTheViewModel() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    showView(view);
    model.addFiles(
        {parts.make("a.zip"), parts.make("a(1).zip"), parts.make("a(2).zip"), parts.make("b.zip")});
    FileListView* list = view.detailPane()->fileList();

    clickRemove(list, 0);
    QCOMPARE(model.selectedGroup()->files,
             (QList<QUrl>{parts.location("a(1).zip"), parts.location("a(2).zip")}));
    // A click beside the control is not a removal.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->removeButtonRect(0).center() + QPoint(40, 0));
    QCOMPARE(model.selectedGroup()->files.size(), 2);

    list->setCurrentIndex(list->fileModel()->index(1));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(model.selectedGroup()->files, QList<QUrl>{parts.location("a(1).zip")});

    view.detailPane()->header()->removeButton()->click();
    QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("b"));
    QCOMPARE(view.detailPane()->header()->titleText(), QStringLiteral("b"));
    QCOMPARE(model.groups().size(), 1);
}

// A removed file's row leaves alone: the list is not rebuilt, so it keeps
// its scroll position, and the rows after it move up with new numbers.
void GroupDetailTest::rowsAfterARemovedOneKeepTheirPlace() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    showView(view);
    model.addFiles({parts.make("a.zip"), parts.make("a(1).zip"), parts.make("a(2).zip")});
    FileListView* list = view.detailPane()->fileList();
    QSignalSpy removed(list->fileModel(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(list->fileModel(), &QAbstractItemModel::modelReset);

    clickRemove(list, 1);

    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.first().at(1).toInt(), 1);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(column(list, Qt::DisplayRole), (QStringList{"a.zip", "a(2).zip"}));
    QCOMPARE(column(list, FileListModel::PartNumberRole), (QStringList{"0", "2"}));
}

void GroupDetailTest::thousandsOfPartsAddNoWidgets() {
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    showView(view);
    model.addFiles({QUrl::fromLocalFile("/downloads/big.zip")});
    const qsizetype widgetsForOne = view.findChildren<QWidget*>().size();

    QList<QUrl> parts;
    for (int part = 1; part < 5000; ++part)
        parts << QUrl::fromLocalFile(QStringLiteral("/downloads/big(%1).zip").arg(part));
    model.addFiles(parts);

    QCOMPARE(view.detailPane()->fileList()->fileModel()->rowCount(), 5000);
    QCOMPARE(view.findChildren<QWidget*>().size(), widgetsForOne);
}

void GroupDetailTest::emptyStateShowsWhenNoGroupIsSelected() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    showView(view);
    DetailPane* pane = view.detailPane();
    QVERIFY(!pane->isShowingGroup());
    QCOMPARE(pane->emptyState()->text(), QStringLiteral("Drop split .zip files to get started"));

    model.addFiles({parts.make("notes.txt")});
    QVERIFY(!pane->isShowingGroup());

    model.addFiles({parts.make("only.zip")});
    QVERIFY(pane->isShowingGroup());

    clickRemove(pane->fileList(), 0);
    QVERIFY(!model.selectedGroup());
    QVERIFY(!pane->isShowingGroup());
}

QTEST_MAIN(GroupDetailTest)
#include "tst_groupdetail.moc"

void GroupDetailTest::switcherShowsAnotherArchiveButNotDuringARun() {
    PartFiles parts;
    auto* service = new ScriptedService;
    ExtractionViewModel model(service);
    ContentView view(&model);
    showView(view);
    model.setDestinationURL(QUrl::fromLocalFile(parts.path()));
    GroupSwitcher* switcher = view.detailPane()->header()->switcher();

    model.addFiles({parts.make("b.zip"), parts.make("b(1).zip")});
    QVERIFY(!switcher->isVisible());

    model.addFiles({parts.make("a.zip"), parts.make("c.zip")});
    QVERIFY(switcher->isVisible());
    QCOMPARE(switcher->text(), QStringLiteral("2 of 3 archives"));
    Q_EMIT switcher->menu()->aboutToShow();
    QStringList entries;
    QString checked;
    for (QAction* action : switcher->menu()->actions()) {
        entries << action->text();
        if (action->isChecked())
            checked = action->text();
    }
    QCOMPARE(entries, (QStringList{"a · 1 part", "b · 2 parts", "c · 1 part"}));
    QCOMPARE(checked, QStringLiteral("b · 2 parts"));

    switcher->menu()->actions().at(2)->trigger();
    QCOMPARE(view.detailPane()->header()->titleText(), QStringLiteral("c"));
    QCOMPARE(switcher->text(), QStringLiteral("3 of 3 archives"));

    model.startExtraction();
    QTRY_COMPARE(service->runCount(), 1);
    QVERIFY(!switcher->isEnabled());
    service->finish(ExtractionProgress::completed());
    QVERIFY(switcher->isEnabled());
}
