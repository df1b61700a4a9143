#include "grouping/filegrouper.h"
#include "groupnames.h"
#include "model/extractionviewmodel.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <random>

namespace {

QStringList fileNames(const std::optional<ZipFileGroup>& group) {
    return group ? ::fileNames(*group) : QStringList();
}

// Counts each published field's notifications and checks that every one of
// them was announced by objectWillChange() before the value was stored.
class Observer : public QObject {
public:
    explicit Observer(ExtractionViewModel* model)
        : m_model(model) {
        connect(model, &ExtractionViewModel::objectWillChange, this, [this] {
            ++willChange;
            m_groupsBefore = m_model->groups().size();
            m_pending = true;
        });
        const auto track = [this](int& counter) {
            return [this, &counter] {
                QVERIFY2(m_pending, "a field changed without objectWillChange() first");
                m_pending = false;
                ++counter;
            };
        };
        connect(model, &ExtractionViewModel::groupsChanged, this, track(groups));
        connect(model, &ExtractionViewModel::selectedGroupChanged, this, track(selectedGroup));
        connect(model, &ExtractionViewModel::destinationURLChanged, this, track(destination));
        connect(model, &ExtractionViewModel::stateChanged, this, track(state));
        connect(model, &ExtractionViewModel::progressChanged, this, track(progress));
        connect(model, &ExtractionViewModel::consoleOutputChanged, this, track(console));
    }

    int total() const { return groups + selectedGroup + destination + state + progress + console; }

    int willChange = 0;
    int groups = 0;
    int selectedGroup = 0;
    int destination = 0;
    int state = 0;
    int progress = 0;
    int console = 0;

private:
    ExtractionViewModel* m_model;
    qsizetype m_groupsBefore = 0;
    bool m_pending = false;
};

// Groups as values, ids aside: those a regroup is free to choose.
QList<ZipFileGroup> withoutIds(QList<ZipFileGroup> groups) {
    for (ZipFileGroup& group : groups)
        group.id = QUuid();
    return groups;
}

// Names that meet in all the ways the grouping knows: several namings of
// one name, a spanned set taking its archive.zip, a browser's spaced half,
// one name composed and decomposed, clashing parts in two folders, and
// files that are no part.
QList<QUrl> mixedLocations() {
    QList<QUrl> locations;
    for (const QString& folder : {QStringLiteral("/x/"), QStringLiteral("/y/")}) {
        for (const char* name : {"a.zip", "a(1).zip", "a(3).zip", "a.zip.001", "a.zip.002", "a.z01",
                                 "b.zip", "b (1).zip", "b(2).zip", "c.zip.003", "caf\u00E9(1).zip",
                                 "cafe\u0301.zip", "d.z02", "d.zip", "notes.txt", "e.zip"})
            locations << QUrl::fromLocalFile(folder + QString::fromUtf8(name));
    }
    return locations;
}

} // namespace

class ViewModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsEmpty() {
        ExtractionViewModel model;
        QVERIFY(model.groups().isEmpty());
        QVERIFY(!model.selectedGroup());
        QVERIFY(!model.destinationURL());
        QCOMPARE(model.state(), ExtractionState::idle());
        QCOMPARE(model.progress(), 0.0);
        QVERIFY(model.consoleOutput().isEmpty());
        QVERIFY(model.extractionBackend());
        QVERIFY(!model.canStartExtraction());
    }

    void firstDropSelectsFirstGroupByName() {
        ExtractionViewModel model;
        Observer observer(&model);
        model.addFiles(files({"b.zip", "a.zip"}));

        QCOMPARE(baseNames(model.groups()), (QStringList{"a", "b"}));
        QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("a"));
        QVERIFY(*model.selectedGroup() == model.groups().first());
        QCOMPARE(observer.groups, 1);
        QCOMPARE(observer.selectedGroup, 1);
        QCOMPARE(observer.willChange, 2);
        QCOMPARE(observer.total(), 2);
    }

    // A drop makes again only the groups its new files belong to.
    void selectionFollowsBaseNameAcrossRegroups() {
        ExtractionViewModel model;
        model.addFiles(files({"b.zip", "a.zip"}));
        const ZipFileGroup a = model.groups().at(0);
        const ZipFileGroup b = model.groups().at(1);

        model.addFiles(files({"0.zip", "a(1).zip"}));
        QCOMPARE(baseNames(model.groups()), (QStringList{"0", "a", "b"}));
        QCOMPARE(fileNames(model.selectedGroup()), (QStringList{"a.zip", "a(1).zip"}));
        QVERIFY(model.selectedGroup()->id != a.id);
        QVERIFY(*model.selectedGroup() == model.groups()[1]);
        QVERIFY(model.groups()[2] == b);
    }

    void selectionFollowsCanonicallyEquivalentName() {
        ExtractionViewModel model;
        model.addFiles(files({QString::fromUtf8("caf\u00E9.zip")}));
        model.removeFile(qsizetype(0));
        QVERIFY(!model.selectedGroup());

        model.addFiles(files({"z.zip", QString::fromUtf8("caf\u00E9(1).zip")}));
        QCOMPARE(model.selectedGroup()->baseName, QString::fromUtf8("caf\u00E9"));
        model.addFiles(files({"0.zip", QString::fromUtf8("cafe\u0301.zip")}));
        QCOMPARE(model.selectedGroup()->files.size(), 2);
        QCOMPARE(model.selectedGroup()->baseName, QString::fromUtf8("caf\u00E9"));
    }

    void droppingKnownFilesChangesNoGroup() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip", "a(1).zip"}));
        const ZipFileGroup before = model.groups().first();
        Observer observer(&model);

        model.addFiles(files({"a(1).zip", "a(1).zip"}));
        QCOMPARE(model.groups(), QList<ZipFileGroup>{before});
        QCOMPARE(model.selectedGroup(), before);
        // Both fields are written all the same.
        QCOMPARE(observer.groups, 1);
        QCOMPARE(observer.selectedGroup, 1);
    }

    void sameLocationTwiceInOneDropEntersOnce() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip", "a.zip"}));
        QCOMPARE(fileNames(model.selectedGroup()), QStringList{"a.zip"});
    }

    // Files claiming one part number sit side by side in the order they
    // came, which shows where each dropped location entered.
    void dropsKeepTheOrderFilesFirstCameIn_data() {
        QTest::addColumn<QList<QStringList>>("drops");
        QTest::addColumn<QStringList>("folders");
        QTest::addRow("a known file keeps its place when dropped again")
            << QList<QStringList>{{"/x/s(1).zip", "/y/s(1).zip"},
                                  {"/y/s(1).zip", "/x/s(1).zip", "/z/s(1).zip"}}
            << QStringList{"/x", "/y", "/z"};
        QTest::addRow("a file twice in one drop enters at its first place")
            << QList<QStringList>{{"/y/s(1).zip", "/x/s(1).zip", "/y/s(1).zip"}}
            << QStringList{"/y", "/x"};
        QTest::addRow("known files stay before new ones")
            << QList<QStringList>{{"/y/s(1).zip"}, {"/x/s(1).zip", "/y/s(1).zip"}}
            << QStringList{"/y", "/x"};
    }

    void dropsKeepTheOrderFilesFirstCameIn() {
        QFETCH(QList<QStringList>, drops);
        ExtractionViewModel model;
        for (const QStringList& drop : drops)
            model.addFiles(files(drop));
        QStringList folders;
        for (const QUrl& file : model.selectedGroup()->files)
            folders << QFileInfo(file.path()).path();
        QTEST(folders, "folders");
    }

    void nonZipDropLeavesNothing() {
        ExtractionViewModel model;
        Observer observer(&model);
        model.addFiles(files({"notes.txt", "photos"}));
        QVERIFY(model.groups().isEmpty());
        QVERIFY(!model.selectedGroup());
        // Both fields are written even though nothing changed.
        QCOMPARE(observer.groups, 1);
        QCOMPARE(observer.selectedGroup, 1);
    }

    // Files that are not parts are left out, as ever, but counted, once.
    void ignoredFilesAreCounted_data() {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QList<qint64>>("counts"); // one per signal
        QTest::addRow("parts only")
            << QStringList{"a.zip"} << QStringList{"a(1).zip"} << QList<qint64>{};
        QTest::addRow("parts and others")
            << QStringList{"a.zip", "notes.txt", "b.rar"} << QStringList{} << QList<qint64>{2};
        QTest::addRow("the same other file twice in a drop counts once")
            << QStringList{"x.txt", "x.txt", "a.zip"} << QStringList{} << QList<qint64>{1};
        QTest::addRow("each drop says its own")
            << QStringList{"x.txt"} << QStringList{"y.txt", "z.txt", "a.zip"}
            << QList<qint64>{1, 2};
    }
    void ignoredFilesAreCounted() {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QList<qint64>, counts);
        ExtractionViewModel model;
        QSignalSpy ignored(&model, &ExtractionViewModel::filesIgnored);

        model.addFiles(files(first));
        if (!second.isEmpty())
            model.addFiles(files(second));

        QList<qint64> told;
        for (const QList<QVariant>& signal : ignored)
            told << signal.first().value<qint64>();
        QCOMPARE(told, counts);
    }

    void removingShownGroupSelectsFirstRemaining() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip", "b.zip", "c.zip"}));
        model.addFiles(files({"b(1).zip"}));
        model.removeGroup(model.groups()[1]); // b is not shown: selection stays on a
        QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("a"));

        Observer observer(&model);
        model.removeGroup(*model.selectedGroup());
        QCOMPARE(baseNames(model.groups()), QStringList{"c"});
        QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("c"));
        QCOMPARE(observer.groups, 1);
        QCOMPARE(observer.selectedGroup, 1);

        model.removeGroup(*model.selectedGroup());
        QVERIFY(model.groups().isEmpty());
        QVERIFY(!model.selectedGroup());
    }

    // A group the user switched to stays shown through later drops, like
    // any selection; an id no longer held changes nothing.
    void switchedGroupStaysShownThroughDrops() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip", "b.zip"}));
        const ZipFileGroup b = model.groups().at(1);
        model.selectGroup(b.id);
        QCOMPARE(model.selectedGroup(), b);

        model.addFiles(files({"0.zip", "b(1).zip"}));
        QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("b"));
        QCOMPARE(model.selectedGroup()->files.size(), 2);

        Observer observer(&model);
        model.selectGroup(b.id); // replaced by the regroup
        QCOMPARE(observer.selectedGroup, 0);
    }

    void removingUnknownGroupStillWritesGroups() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip"}));
        const ZipFileGroup stale = model.groups().first();
        model.addFiles(files({"a(1).zip"})); // makes a's group again
        Observer observer(&model);
        model.removeGroup(stale);
        QCOMPARE(model.groups().size(), 1);
        QCOMPARE(observer.groups, 1);
        QCOMPARE(observer.selectedGroup, 0);
    }

    void removingFileReplacesGroupInPlace() {
        ExtractionViewModel model;
        model.addFiles(files({"b.zip", "a.zip", "a(1).zip", "a(2).zip"}));
        const ZipFileGroup before = *model.selectedGroup();
        Observer observer(&model);

        model.removeFile(QUrl::fromLocalFile("/downloads/a(1).zip"));
        QCOMPARE(fileNames(model.selectedGroup()), (QStringList{"a.zip", "a(2).zip"}));
        QVERIFY(model.selectedGroup()->id != before.id);
        QVERIFY(*model.selectedGroup() == model.groups().first());
        QCOMPARE(baseNames(model.groups()), (QStringList{"a", "b"}));
        // Stale on purpose: the missing part shows after the next regroup.
        QVERIFY(!model.selectedGroup()->isMissingParts);
        QCOMPARE(observer.groups, 1);
        QCOMPARE(observer.selectedGroup, 1);

        model.addFiles({});
        QCOMPARE(model.selectedGroup()->missingIndices, QList<qint64>{1});
    }

    void removingLastFileRemovesGroup() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip", "b.zip"}));
        model.removeFile(QUrl::fromLocalFile("/downloads/a.zip"));
        QCOMPARE(baseNames(model.groups()), QStringList{"b"});
        QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("b"));
    }

    void removeFileIgnoresWhatIsNotShown_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("location");
        QTest::addColumn<qsizetype>("position");

        QTest::addRow("no group shown") << QStringList{} << "/downloads/a.zip" << qsizetype(0);
        QTest::addRow("file of another group")
            << QStringList{"a.zip", "b.zip"} << "/downloads/b.zip" << qsizetype(-1);
        QTest::addRow("position past the end") << QStringList{"a.zip"} << "" << qsizetype(1);
        QTest::addRow("negative position") << QStringList{"a.zip"} << "" << qsizetype(-1);
    }
    void removeFileIgnoresWhatIsNotShown() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, location);
        QFETCH(qsizetype, position);
        ExtractionViewModel model;
        model.addFiles(files(dropped));
        const auto before = model.selectedGroup();
        Observer observer(&model);

        if (!location.isEmpty())
            model.removeFile(QUrl::fromLocalFile(location));
        if (position >= 0 || location.isEmpty())
            model.removeFile(position);
        QCOMPARE(observer.total(), 0);
        QCOMPARE(model.selectedGroup().has_value(), before.has_value());
        if (before)
            QVERIFY(*model.selectedGroup() == *before);
    }

    void resetKeepsDestination() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip"}));
        model.setDestinationURL(QUrl::fromLocalFile("/tmp/out"));
        model.setConsoleOutput(QStringLiteral("old text"));
        Observer observer(&model);

        model.reset();
        QVERIFY(model.groups().isEmpty());
        QVERIFY(!model.selectedGroup());
        QCOMPARE(model.state(), ExtractionState::idle());
        QCOMPARE(model.progress(), 0.0);
        QVERIFY(model.consoleOutput().isEmpty());
        QCOMPARE(model.destinationURL(), std::optional<QUrl>(QUrl::fromLocalFile("/tmp/out")));
        QCOMPARE(observer.willChange, 5);
        QCOMPARE(observer.total(), 5);
        QCOMPARE(observer.destination, 0);
    }

    void directWritesNotifyEvenWhenEqual() {
        ExtractionViewModel model;
        Observer observer(&model);
        model.setConsoleOutput(QString());
        model.setDestinationURL(std::nullopt);
        QCOMPARE(observer.console, 1);
        QCOMPARE(observer.destination, 1);
        QCOMPARE(observer.willChange, 2);
    }

    void failedStatesCompareByMessage() {
        QVERIFY(ExtractionState::failed("x") == ExtractionState::failed("x"));
        QVERIFY(ExtractionState::failed(QString::fromUtf8("\u00E9")) ==
                ExtractionState::failed(QString::fromUtf8("e\u0301")));
        QVERIFY(ExtractionState::failed("x") != ExtractionState::failed("y"));
        QVERIFY(ExtractionState::failed(QString()) != ExtractionState::idle());
        QVERIFY(ExtractionState::running() != ExtractionState::succeeded());
    }

    void startNeedsGroupAndDestination() {
        ExtractionViewModel model;
        model.addFiles(files({"a.zip"}));
        model.setConsoleOutput(QStringLiteral("kept"));
        QVERIFY(!model.canStartExtraction());

        Observer observer(&model);
        model.startExtraction();
        QCOMPARE(observer.total(), 0);
        QCOMPARE(model.state(), ExtractionState::idle());
        QCOMPARE(model.consoleOutput(), QStringLiteral("kept"));

        model.setDestinationURL(QUrl::fromLocalFile("/tmp/out"));
        QVERIFY(model.canStartExtraction());
    }

    void removingAClaimantSettlesAClash_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<bool>("stillClashing");

        const QStringList twoFolders{"/a/s.zip", "/a/s(1).zip", "/a/s(2).zip", "/b/s(1).zip"};
        QTest::addRow("removing the later claimant settles it")
            << twoFolders << QStringList{"/b/s(1).zip"} << false;
        QTest::addRow("removing the earlier claimant settles it")
            << twoFolders << QStringList{"/a/s(1).zip"} << false;
        QTest::addRow("removing a part nobody else claims does not")
            << twoFolders << QStringList{"/a/s(2).zip"} << true;

        const QStringList threeFolders{"/a/x(1).zip", "/b/x(1).zip", "/c/x(1).zip", "/a/x.zip"};
        QTest::addRow("one of three claimants removed is not enough")
            << threeFolders << QStringList{"/b/x(1).zip"} << true;
        QTest::addRow("two of three claimants removed settles it")
            << threeFolders << QStringList{"/c/x(1).zip", "/a/x(1).zip"} << false;
    }
    void removingAClaimantSettlesAClash() {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, removed);
        QFETCH(bool, stillClashing);
        ExtractionViewModel model;
        model.addFiles(files(dropped));
        model.setDestinationURL(QUrl::fromLocalFile("/tmp/out"));
        QVERIFY(model.selectedGroup()->hasClashingParts());
        QVERIFY(!model.canStartExtraction());

        Observer observer(&model);
        model.startExtraction();
        QCOMPARE(observer.total(), 0);

        for (const QUrl& location : files(removed))
            model.removeFile(location);
        QCOMPARE(model.selectedGroup()->hasClashingParts(), stillClashing);
        QCOMPARE(model.canStartExtraction(), !stillClashing);
        QCOMPARE(model.selectedGroup()->files.size(), dropped.size() - removed.size());
        QVERIFY(*model.selectedGroup() == model.groups().first());
        // A regroup of what is left finds the same.
        model.addFiles({});
        QCOMPARE(model.selectedGroup()->hasClashingParts(), stillClashing);
    }

    // However the files arrive, in drops of any size, with files removed
    // between them, the groups after a drop are those that grouping all
    // held and dropped files at once gives.
    void dropsEndAsGroupingEverythingAtOnce_data() {
        QTest::addColumn<int>("seed");
        for (int seed : {1, 2, 3, 4, 5, 6})
            QTest::addRow("seed %d", seed) << seed;
    }
    void dropsEndAsGroupingEverythingAtOnce() {
        QFETCH(int, seed);
        std::mt19937 random(seed);
        const QList<QUrl> pool = mixedLocations();
        ExtractionViewModel model;
        for (int step = 0; step < 12; ++step) {
            QList<QUrl> all;
            for (const ZipFileGroup& group : model.groups())
                all += group.files;
            QList<QUrl> drop;
            for (int count = int(random() % 6); count > 0; --count)
                drop << pool[qsizetype(random() % pool.size())];
            for (const QUrl& location : std::as_const(drop)) {
                if (!all.contains(location))
                    all << location;
            }

            model.addFiles(drop);
            QCOMPARE(withoutIds(model.groups()), withoutIds(groupFiles(all)));
            QCOMPARE(model.selectedGroup().has_value(), !model.groups().isEmpty());
            if (!model.selectedGroup())
                continue;
            QVERIFY(model.groups().contains(*model.selectedGroup()));

            if (random() % 3 == 0)
                model.removeFile(qsizetype(random() % model.selectedGroup()->files.size()));
            if (random() % 4 == 0 && !model.groups().isEmpty())
                model.selectGroup(model.groups()[qsizetype(random() % model.groups().size())].id);
        }
    }
};

QTEST_GUILESS_MAIN(ViewModelTest)
#include "tst_viewmodel.moc"
