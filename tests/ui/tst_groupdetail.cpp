// The shown group: its header's summary and warnings, the clash sentence,
// the part rows and their remove controls, and the switcher between groups.

#include "scriptedwindow.h"
#include "ui/clashwarning.h"
#include "ui/filelistmodel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/groupswitcher.h"
#include "ui/joinoffer.h"
#include "ui/symbolbutton.h"
#include "ui/symbolpushbutton.h"
#include "ui/textlabel.h"

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
    // The check's verdict under the summary; a warning reads "⚠ " here.
    void headerSummarisesTheShownGroup_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<qint64>("size"); // of each part
        QTest::addColumn<std::optional<ArchiveInspection>>("found");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("refused");

        ArchiveInspection broken;
        broken.complete = false;
        broken.problem = QStringLiteral("archive(3).zip does not continue archive(1).zip.");
        QTest::addRow("one part, complete")
            << QStringList{"archive.zip"} << qint64(2'100'000)
            << std::optional(completeInspection()) << "1 part · 2.1 MB"
            << "Complete archive · 16 files · 1.2 MB unpacked" << QString() << false;
        QTest::addRow("a gap is warned about, the check's sentence too, and the sizes add up")
            << QStringList{"archive.zip", "archive(1).zip", "archive(3).zip"} << qint64(2'100'000)
            << std::optional(broken) << "3 parts · 6.3 MB"
            << "⚠ " + broken.problem << "Missing parts: part (2)" << false;
        QTest::addRow("numbered parts say so and are missed by file name; no check, no line")
            << QStringList{"archive.zip.001", "archive.zip.003"} << qint64(1'050'000)
            << std::optional<ArchiveInspection>() << "2 parts (.001, .002, …) · 2.1 MB" << QString()
            << "Missing parts: archive.zip.002" << false;
        QTest::addRow("a spanned set is refused")
            << QStringList{"archive.z01", "archive.zip"} << qint64(1'050'000)
            << std::optional<ArchiveInspection>() << "2 parts · 2.1 MB" << QString() << QString()
            << true;
    }

    void headerSummarisesTheShownGroup() {
        QFETCH(QStringList, names);
        QFETCH(qint64, size);
        QFETCH(QString, summary);
        QFETCH(bool, refused);
        ShownView shown;
        QList<QUrl> locations;
        for (const QString& name : std::as_const(names))
            locations << shown.otherFolder.make(name, size);
        QFETCH(std::optional<ArchiveInspection>, found);
        shown.service->inspection = found;

        shown.model.addFiles(locations);

        QCOMPARE(shown.header->titleText(), QStringLiteral("archive"));
        QTRY_COMPARE(shown.header->summaryText(), summary);
        QTEST((shown.header->isCheckAWarning() ? "⚠ " : "") + shown.header->checkText(), "check");
        QTEST(shown.header->warningText(), "warning");
        QCOMPARE(shown.header->refusalText(),
                 shown.model.selectedGroup()->refusalDescription().value_or(QString()));
        QCOMPARE(!shown.header->refusalText().isEmpty(), refused);
    }

    void joinOfferJoinsTheHalves() {
        ShownView shown;
        shown.model.addFiles({shown.make("report.zip", 10), shown.make("report (1).zip", 10)});
        QVERIFY(!shown.header->joinOffer()->text().isEmpty());

        QTest::mouseClick(shown.header->joinOffer()->joinButton(), Qt::LeftButton);

        QCOMPARE(shown.model.groups().size(), 1);
        QCOMPARE(shown.header->summaryText().left(7), QStringLiteral("2 parts"));
        QCOMPARE(shown.header->joinOffer()->text(), QString());
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

    // Each file is named by as many of its folders as tell it apart.
    void clashWarningSpellsOutEachClash_data() {
        QTest::addColumn<int>("clashes");
        QTest::addColumn<QStringList>("paths"); // %1 is the part number
        QTest::addColumn<QString>("text");

        const QString longA = QString(40, u'a');
        const QString shortA = QString(15, u'a') + QChar(0x2026) + QString(15, u'a');
        const auto two = [](const QString& first, const QString& second) {
            return "Two files claim part 1: " + first + " and " + second + " — remove one.";
        };
        QTest::addRow("parents of one name: their parents tell")
            << 1 << QStringList{"/home/u/dl/s(%1).zip", "/media/usb/dl/s(%1).zip"}
            << two("u/dl/s(1).zip", "usb/dl/s(1).zip");
        QTest::addRow("a long shared run of folders is shortened")
            << 1 << QStringList{"/m/a/1/2/3/s(%1).zip", "/m/b/1/2/3/s(%1).zip"}
            << two("a/…/s(1).zip", "b/…/s(1).zip");
        QTest::addRow("long folder names keep both ends")
            << 1 << QStringList{"/x/" + longA + "/s(%1).zip", "/x/b/s(%1).zip"}
            << two(shortA + "/s(1).zip", "b/s(1).zip");
        QTest::addRow("one location twice: the whole path, and no endless search")
            << 1 << QStringList{"/x/a/s(%1).zip", "/x/a/s(%1).zip"}
            << two("/x/a/s(1).zip", "/x/a/s(1).zip");
        QTest::addRow("three files")
            << 1 << QStringList{"/x/a/s(%1).zip", "/x/b/s(%1).zip", "/x/c/s(%1).zip"}
            << "3 files claim part 1: a/s(1).zip, b/s(1).zip and c/s(1).zip — keep one and "
               "remove the others.";
        const QString threeSpelledOut =
            two("a/s(1).zip", "b/s(1).zip") +
            " Two files claim part 2: a/s(2).zip and b/s(2).zip — remove one. Two files claim "
            "part 3: a/s(3).zip and b/s(3).zip — remove one.";
        QTest::addRow("four clashes are all spelled out")
            << 4 << QStringList{"/x/a/s(%1).zip", "/x/b/s(%1).zip"}
            << threeSpelledOut + " Two files claim part 4: a/s(4).zip and b/s(4).zip — remove one.";
        QTest::addRow("past four the rest are counted")
            << 9 << QStringList{"/x/a/s(%1).zip", "/x/b/s(%1).zip"}
            << threeSpelledOut + " 6 more part numbers are claimed by more than one file.";
    }

    void clashWarningSpellsOutEachClash() {
        QFETCH(int, clashes);
        QFETCH(QStringList, paths);
        QList<PartClash> found;
        for (qint64 index = 1; index <= clashes; ++index) {
            found << PartClash{index, {}};
            for (const QString& path : std::as_const(paths))
                found.last().files << QUrl::fromLocalFile(path.arg(index));
        }
        QTEST(ClashWarning::text(found), "text");
    }

    // Rows are numbered as the parts are, so a gap shows as one. Sizes come
    // from another thread: none is there before the event loop has run, and a
    // file that vanished keeps its row without one.
    void rowsShowNumbersNamesAndSizesOnceRead() {
        ShownView shown;
        const QUrl vanished = shown.make("set(4).zip", 512);
        QVERIFY(QFile::remove(vanished.toLocalFile()));

        shown.model.addFiles({shown.make("set.zip", 2'100'000), shown.make("set(1).zip", 512),
                              shown.make("set(3).zip", 512), vanished});

        QCOMPARE(column(shown.list, FileListModel::PartNumberRole),
                 (QStringList{"0", "1", "3", "4"}));
        QCOMPARE(column(shown.list, Qt::DisplayRole),
                 (QStringList{"set.zip", "set(1).zip", "set(3).zip", "set(4).zip"}));
        QCOMPARE(column(shown.list, FileListModel::FolderRole).first(), shown.parts.path());
        QCOMPARE(shown.header->summaryText(), QStringLiteral("4 parts"));
        QTRY_COMPARE(shown.header->summaryText(), QStringLiteral("4 parts · 2.1 MB"));
        QCOMPARE(column(shown.list, FileListModel::SizeRole),
                 (QStringList{"2.1 MB", "512 bytes", "512 bytes", QString()}));
    }

    // A removed file's row leaves alone: the list is not rebuilt, so it keeps
    // its scroll position, and the rows after it move up with new numbers.
    void removeControlsForwardToTheViewModel() {
        ShownView shown;
        shown.model.addFiles({shown.make("a.zip"), shown.make("a(1).zip"), shown.make("a(2).zip"),
                              shown.make("b.zip")});
        QSignalSpy removed(shown.list->fileModel(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(shown.list->fileModel(), &QAbstractItemModel::modelReset);

        clickRemove(shown.list, 1);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.first().at(1).toInt(), 1);
        QCOMPARE(reset.size(), 0);
        QCOMPARE(column(shown.list, Qt::DisplayRole), (QStringList{"a.zip", "a(2).zip"}));
        QCOMPARE(column(shown.list, FileListModel::PartNumberRole), (QStringList{"0", "2"}));
        // A click beside the control is not a removal.
        clickRemove(shown.list, 0, QPoint(40, 0));
        QCOMPARE(shown.model.selectedGroup()->files.size(), 2);

        shown.header->removeButton()->click();
        QCOMPARE(shown.header->titleText(), QStringLiteral("b"));
        QCOMPARE(shown.model.groups().size(), 1);

        clickRemove(shown.list, 0);
        QVERIFY(!shown.model.selectedGroup());
        QVERIFY(!shown.detail->isShowingGroup());
    }

    // Rows are painted, not widgets; a long list of missing parts keeps to the
    // header's three lines, the rest in the tooltip.
    void thousandsOfPartsAddNoWidgetsNorLines() {
        ShownView shown;
        shown.model.addFiles({QUrl::fromLocalFile("/downloads/big(5000).zip")});
        const qsizetype widgetsForOne = shown.window.findChildren<QWidget*>().size();
        TextLabel* warning = shown.header->warningLabel();
        QVERIFY(
            warning->text().startsWith(QStringLiteral("Missing parts: base (big.zip), part (1)")));
        QCOMPARE(warning->toolTip(), warning->text());
        const QStringList lines = warning->displayedLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.last().endsWith(QChar(0x2026)));
        QCOMPARE(warning->heightForWidth(warning->width()), 3 * warning->sizeHint().height());
        QTRY_VERIFY(warning->height() >= warning->heightForWidth(warning->width()));

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
        shown.model.addFiles({shown.make("b.zip"), shown.make("b(1).zip")});
        QVERIFY(!switcher->isVisible());

        shown.model.addFiles({shown.make("a.zip"), shown.make("c.zip")});
        QVERIFY(switcher->isVisible());
        QCOMPARE(switcher->text(), QStringLiteral("2 of 3 archives"));
        Q_EMIT switcher->menu()->aboutToShow();
        QStringList entries;
        for (QAction* action : switcher->menu()->actions())
            entries << (action->isChecked() ? "✓ " : "") + action->text();
        QCOMPARE(entries, (QStringList{"a · 1 part", "✓ b · 2 parts", "c · 1 part"}));

        switcher->menu()->actions().at(2)->trigger();
        QCOMPARE(shown.header->titleText(), QStringLiteral("c"));
        QCOMPARE(switcher->text(), QStringLiteral("3 of 3 archives"));
    }
};

QTEST_MAIN(GroupDetailTest)
#include "tst_groupdetail.moc"
