#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/emptystateview.h"
#include "ui/filelistview.h"
#include "ui/filerow.h"
#include "ui/groupheaderview.h"
#include "ui/symbolbutton.h"
#include "ui/textlabel.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

namespace {

using Sizes = QList<qint64>;

int dividerCount(const QList<FileRow*>& rows) {
    return int(std::count_if(rows.cbegin(), rows.cend(),
                             [](const FileRow* row) { return row->showsDivider(); }));
}

QStringList positions(const QList<FileRow*>& rows) {
    QStringList numbers;
    for (const FileRow* row : rows)
        numbers << row->positionText();
    return numbers;
}

} // namespace

class GroupDetailTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void headerSummarisesTheShownGroup_data();
    void headerSummarisesTheShownGroup();
    void longMissingPartListStaysWithinThreeLines();
    void rowsShowPositionNameFolderAndSize();
    void vanishedFileKeepsItsRowWithoutSize();
    void removeControlsForwardToTheViewModel();
    void rowsAfterARemovedOneKeepTheirIdentity();
    void emptyStateShowsWhenNoGroupIsSelected();
};

void GroupDetailTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void GroupDetailTest::headerSummarisesTheShownGroup_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("dividers");

    QTest::addRow("one part reads \"1 part\" and has no divider")
        << QStringList{"archive.zip"} << Sizes{2'100'000} << "1 part · 2.1 MB" << QString() << 0;
    QTest::addRow("two parts read \"2 parts\" with one divider below the first")
        << QStringList{"archive.zip", "archive(1).zip"} << Sizes{1'000'000, 1'100'000}
        << "2 parts · 2.1 MB" << QString() << 1;
    QTest::addRow("a gap is warned about with the grouping's text")
        << QStringList{"archive.zip", "archive(1).zip", "archive(3).zip"}
        << Sizes{2'100'000, 2'100'000, 2'100'000} << "3 parts · 6.3 MB"
        << "Missing parts: part (2)" << 2;
    QTest::addRow("a missing first part is named by its base name")
        << QStringList{"archive(1).zip"} << Sizes{0} << "1 part · 0 bytes"
        << "Missing parts: base (archive.zip)" << 0;
}

void GroupDetailTest::headerSummarisesTheShownGroup() {
    QFETCH(QStringList, names);
    QFETCH(Sizes, sizes);
    PartFiles parts;
    QList<QUrl> locations;
    for (qsizetype index = 0; index < names.size(); ++index)
        locations << parts.make(names.at(index), sizes.at(index));
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles(locations);

    GroupHeaderView* header = view.detailPane()->header();
    QCOMPARE(header->titleText(), QStringLiteral("archive"));
    QTEST(header->summaryText(), "summary");
    QTEST(header->warningText(), "warning");
    QTEST(dividerCount(view.detailPane()->fileList()->rows()), "dividers");
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

void GroupDetailTest::rowsShowPositionNameFolderAndSize() {
    PartFiles parts;
    QList<QUrl> locations{parts.make("set.zip", 2'100'000)};
    for (int part = 1; part <= 9; ++part)
        locations << parts.make(QStringLiteral("set(%1).zip").arg(part), 512);
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles(locations);

    const QList<FileRow*> rows = view.detailPane()->fileList()->rows();
    QCOMPARE(rows.size(), 10);
    QCOMPARE(positions(rows).first(), QStringLiteral("1"));
    QCOMPARE(positions(rows).last(), QStringLiteral("10"));
    QCOMPARE(rows.first()->fileNameText(), QStringLiteral("set.zip"));
    QCOMPARE(rows.first()->folderText(), parts.path());
    QCOMPARE(rows.first()->sizeText(), QStringLiteral("2.1 MB"));
    QCOMPARE(rows.last()->fileNameText(), QStringLiteral("set(9).zip"));
    QCOMPARE(rows.last()->sizeText(), QStringLiteral("512 bytes"));
}

void GroupDetailTest::vanishedFileKeepsItsRowWithoutSize() {
    PartFiles parts;
    const QUrl first = parts.make("gone.zip", 1'000'000);
    const QUrl second = parts.make("gone(1).zip", 3'000'000);
    QVERIFY(QFile::remove(first.toLocalFile()));
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);

    model.addFiles({first, second});

    const QList<FileRow*> rows = view.detailPane()->fileList()->rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.first()->fileNameText(), QStringLiteral("gone.zip"));
    QCOMPARE(rows.first()->sizeText(), QString());
    QCOMPARE(view.detailPane()->header()->summaryText(), QStringLiteral("2 parts · 3.0 MB"));
}

void GroupDetailTest::removeControlsForwardToTheViewModel() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    model.addFiles({parts.make("a.zip"), parts.make("a(1).zip"), parts.make("b.zip")});

    view.detailPane()->fileList()->rows().first()->removeButton()->click();
    QCOMPARE(model.selectedGroup()->files, QList<QUrl>{parts.location("a(1).zip")});

    view.detailPane()->header()->removeButton()->click();
    QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("b"));
    QCOMPARE(view.detailPane()->header()->titleText(), QStringLiteral("b"));
    QCOMPARE(model.groups().size(), 1);
}

void GroupDetailTest::rowsAfterARemovedOneKeepTheirIdentity() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    model.addFiles({parts.make("a.zip"), parts.make("a(1).zip"), parts.make("a(2).zip")});
    FileListView* list = view.detailPane()->fileList();
    FileRow* third = list->rows().at(2);

    list->rows().at(1)->removeButton()->click();

    QCOMPARE(list->rows().size(), 2);
    QCOMPARE(list->rows().at(1), third);
    QCOMPARE(third->positionText(), QStringLiteral("2"));
    QCOMPARE(dividerCount(list->rows()), 1);
    QVERIFY(!third->showsDivider());
}

void GroupDetailTest::emptyStateShowsWhenNoGroupIsSelected() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    DetailPane* pane = view.detailPane();
    QVERIFY(!pane->isShowingGroup());
    QCOMPARE(pane->emptyState()->text(), QStringLiteral("Drop split .zip files to get started"));

    model.addFiles({parts.make("notes.txt")});
    QVERIFY(!pane->isShowingGroup());

    model.addFiles({parts.make("only.zip")});
    QVERIFY(pane->isShowingGroup());

    pane->fileList()->rows().first()->removeButton()->click();
    QVERIFY(!model.selectedGroup());
    QVERIFY(!pane->isShowingGroup());
}

QTEST_MAIN(GroupDetailTest)
#include "tst_groupdetail.moc"
