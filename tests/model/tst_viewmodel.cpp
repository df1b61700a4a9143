// The groups the view model holds as files are dropped and removed, and the
// group it shows.

#include "fakeextractionservice.h"
#include "grouping/filegrouper.h"
#include "groupnames.h"

#include <QSignalSpy>
#include <QTest>

#include <random>

namespace {

QStringList fileNames(const std::optional<ZipFileGroup>& group) {
    return group ? ::fileNames(*group) : QStringList();
}

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

private:
    std::unique_ptr<ScriptedModel> m_scripted;

    ExtractionViewModel& model() { return m_scripted->model; }

private Q_SLOTS:
    void init() { m_scripted = std::make_unique<ScriptedModel>(); }
    void cleanup() { m_scripted.reset(); }

    // A drop makes again only the groups its new files belong to; the shown
    // group follows its name.
    void aDropRegroupsOnlyTheNamesItTouches() {
        model().addFiles(files({"b.zip", "a.zip"}));
        QCOMPARE(baseNames(model().groups()), (QStringList{"a", "b"}));
        QCOMPARE(model().selectedGroup(), model().groups().first());
        const ZipFileGroup a = model().groups().at(0);
        const ZipFileGroup b = model().groups().at(1);

        model().addFiles(files({"0.zip", "a(1).zip"}));
        QCOMPARE(baseNames(model().groups()), (QStringList{"0", "a", "b"}));
        QCOMPARE(fileNames(model().selectedGroup()), (QStringList{"a.zip", "a(1).zip"}));
        QVERIFY(model().selectedGroup()->id != a.id);
        QCOMPARE(model().selectedGroup(), model().groups()[1]);
        QCOMPARE(model().groups()[2], b);

        // Known files change no group at all.
        const QList<ZipFileGroup> before = model().groups();
        model().addFiles(files({"a(1).zip", "a(1).zip"}));
        QCOMPARE(model().groups(), before);
    }

    // A spanned set that lost its .z01 gives its archive.zip back to the
    // byte-split parts of that name at the next drop: the name then has one
    // group fewer, while new names land before and after it.
    void aNameThatLosesAGroupKeepsTheOrder() {
        model().addFiles(files({"a.z01", "a.zip", "a(1).zip", "b.zip"}));
        const QList<ZipFileGroup> held = model().groups();
        model().selectGroup(held[1].id);
        QCOMPARE(fileNames(model().selectedGroup()), (QStringList{"a.z01", "a.zip"}));
        model().removeFile(qsizetype(0));

        model().addFiles(files({"aa.zip", "0.zip", "c.zip"}));
        QCOMPARE(baseNames(model().groups()), (QStringList{"0", "a", "aa", "b", "c"}));
        QCOMPARE(fileNames(model().groups()[1]), (QStringList{"a.zip", "a(1).zip"}));
        QCOMPARE(model().groups()[3], held[2]);
    }

    void theShownNameIsFollowedInAnyUnicodeForm() {
        model().addFiles(files({QString::fromUtf8("caf\u00E9.zip")}));
        model().removeFile(qsizetype(0));
        QVERIFY(!model().selectedGroup());

        model().addFiles(files({"z.zip", QString::fromUtf8("caf\u00E9(1).zip")}));
        QCOMPARE(model().selectedGroup()->baseName, QString::fromUtf8("caf\u00E9"));
        model().addFiles(files({"0.zip", QString::fromUtf8("cafe\u0301.zip")}));
        QCOMPARE(model().selectedGroup()->files.size(), 2);
    }

    // Files that are not parts are left out, as ever, but counted, once.
    void ignoredFilesAreCounted_data() {
        QTest::addColumn<QList<QStringList>>("drops");
        QTest::addColumn<QList<qint64>>("counts"); // one per signal
        QTest::addRow("parts only")
            << QList<QStringList>{{"a.zip"}, {"a(1).zip"}} << QList<qint64>{};
        QTest::addRow("no parts at all")
            << QList<QStringList>{{"notes.txt", "photos"}} << QList<qint64>{2};
        QTest::addRow("the same other file twice in a drop counts once")
            << QList<QStringList>{{"x.txt", "x.txt", "a.zip"}} << QList<qint64>{1};
        QTest::addRow("each drop says its own, also once parts are held")
            << QList<QStringList>{{"x.txt"}, {"a.zip"}, {"y.txt", "z.txt", "x.txt", "a(1).zip"}}
            << QList<qint64>{1, 3};
    }
    void ignoredFilesAreCounted() {
        QFETCH(QList<QStringList>, drops);
        QSignalSpy ignored(&model(), &ExtractionViewModel::filesIgnored);
        for (const QStringList& drop : drops)
            model().addFiles(files(drop));
        QList<qint64> told;
        for (const QList<QVariant>& signal : ignored)
            told << signal.first().value<qint64>();
        QTEST(told, "counts");
    }

    void removingTheShownGroupShowsTheFirstRemaining() {
        model().addFiles(files({"a.zip", "b.zip", "c.zip"}));
        model().removeGroup(model().groups()[1]); // b is not shown: a stays shown
        QCOMPARE(model().selectedGroup()->baseName, QStringLiteral("a"));

        model().removeFile(files({"a.zip"}).first()); // its last file
        QCOMPARE(baseNames(model().groups()), QStringList{"c"});
        QCOMPARE(model().selectedGroup()->baseName, QStringLiteral("c"));

        model().removeGroup(*model().selectedGroup());
        QVERIFY(model().groups().isEmpty());
        QVERIFY(!model().selectedGroup());
    }

    // A group the user switched to stays shown through later drops; an id
    // no longer held changes nothing.
    void aSwitchedGroupStaysShownThroughDrops() {
        model().addFiles(files({"a.zip", "b.zip"}));
        const ZipFileGroup b = model().groups().at(1);
        model().selectGroup(b.id);
        QCOMPARE(model().selectedGroup(), b);

        model().addFiles(files({"0.zip", "b(1).zip"}));
        QCOMPARE(fileNames(model().selectedGroup()), (QStringList{"b.zip", "b(1).zip"}));
        model().selectGroup(model().groups().first().id);
        model().selectGroup(b.id); // replaced by the regroup
        QCOMPARE(model().selectedGroup()->baseName, QStringLiteral("0"));
    }

    void removingAFileReplacesTheGroupInPlace() {
        model().addFiles(files({"b.zip", "a.zip", "a(1).zip", "a(2).zip"}));
        const ZipFileGroup before = *model().selectedGroup();

        model().removeFile(files({"a(1).zip"}).first());
        QCOMPARE(fileNames(model().selectedGroup()), (QStringList{"a.zip", "a(2).zip"}));
        QVERIFY(model().selectedGroup()->id != before.id);
        QCOMPARE(model().selectedGroup(), model().groups().first());
        // The missing part shows after the next regroup.
        QVERIFY(!model().selectedGroup()->isMissingParts);
        model().addFiles({});
        QCOMPARE(model().selectedGroup()->missingIndices, QList<qint64>{1});
    }

    void removeFileIgnoresWhatIsNotShown_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("location"); // empty: by position
        QTest::addColumn<qsizetype>("position");
        QTest::addRow("no group shown") << QStringList{} << "" << qsizetype(0);
        QTest::addRow("file of another group")
            << QStringList{"a.zip", "b.zip"} << "/downloads/b.zip" << qsizetype(-1);
        QTest::addRow("position past the end") << QStringList{"a.zip"} << "" << qsizetype(1);
        QTest::addRow("negative position") << QStringList{"a.zip"} << "" << qsizetype(-1);
    }
    void removeFileIgnoresWhatIsNotShown() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, location);
        QFETCH(qsizetype, position);
        model().addFiles(files(dropped));
        QSignalSpy willChange(&model(), &ExtractionViewModel::objectWillChange);
        if (location.isEmpty())
            model().removeFile(position);
        else
            model().removeFile(QUrl::fromLocalFile(location));
        QCOMPARE(willChange.size(), 0);
    }

    void resetKeepsOnlyTheDestination() {
        model().addFiles(files({"a.zip"}));
        model().setDestinationURL(ScriptedModel::destination());
        model().setConsoleOutput(QStringLiteral("old text"));
        QVERIFY(m_scripted->start());
        m_scripted->end(ExtractionProgress::completed());

        model().reset();
        QVERIFY(model().groups().isEmpty());
        QVERIFY(!model().selectedGroup());
        QCOMPARE(model().state(), ExtractionState::idle());
        QCOMPARE(model().progress(), 0.0);
        QVERIFY(model().consoleOutput().isEmpty());
        QCOMPARE(model().destinationURL(), ScriptedModel::destination());
        // Dropped again, the files count as new.
        model().addFiles(files({"a.zip"}));
        QCOMPARE(model().groups().size(), 1);
    }

    void removingAClaimantSettlesAClash_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<bool>("stillClashing");
        const QStringList twoFolders{"/a/s.zip", "/a/s(1).zip", "/a/s(2).zip", "/b/s(1).zip"};
        QTest::addRow("removing the later claimant settles it")
            << twoFolders << QStringList{"/b/s(1).zip"} << false;
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
        model().addFiles(files(dropped));
        model().setDestinationURL(ScriptedModel::destination());
        QVERIFY(!model().canStartExtraction());

        for (const QUrl& location : files(removed))
            model().removeFile(location);
        QCOMPARE(model().selectedGroup()->hasClashingParts(), stillClashing);
        QCOMPARE(model().canStartExtraction(), !stillClashing);
        QCOMPARE(model().selectedGroup()->files.size(), dropped.size() - removed.size());
        QCOMPARE(model().selectedGroup(), model().groups().first());
        // A regroup of what is left finds the same.
        model().addFiles({});
        QCOMPARE(model().selectedGroup()->hasClashingParts(), stillClashing);
    }

    // However the files arrive, in drops of any size, with files removed
    // between them, the groups after a drop are those that grouping all
    // held and dropped files at once gives: held files before new ones, a
    // file dropped twice where it first came, files that claim one part in
    // that order.
    void dropsEndAsGroupingEverythingAtOnce_data() {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 20; ++seed)
            QTest::addRow("seed %d", seed) << seed;
    }
    void dropsEndAsGroupingEverythingAtOnce() {
        QFETCH(int, seed);
        std::mt19937 random(seed);
        const QList<QUrl> pool = mixedLocations();
        for (int step = 0; step < 20; ++step) {
            QList<QUrl> all;
            for (const ZipFileGroup& group : model().groups())
                all += group.files;
            QList<QUrl> drop;
            for (int count = int(random() % 6); count > 0; --count)
                drop << pool[qsizetype(random() % pool.size())];
            for (const QUrl& location : std::as_const(drop)) {
                if (!all.contains(location))
                    all << location;
            }

            model().addFiles(drop);
            QCOMPARE(withoutIds(model().groups()), withoutIds(groupFiles(all)));
            QCOMPARE(model().selectedGroup().has_value(), !model().groups().isEmpty());
            if (!model().selectedGroup())
                continue;
            QVERIFY(model().groups().contains(*model().selectedGroup()));

            if (random() % 3 == 0)
                model().removeFile(qsizetype(random() % model().selectedGroup()->files.size()));
            if (random() % 4 == 0 && !model().groups().isEmpty())
                model().selectGroup(
                    model().groups()[qsizetype(random() % model().groups().size())].id);
            if (random() % 6 == 0 && model().selectedGroup())
                model().removeGroup(*model().selectedGroup());
        }
    }
};

QTEST_GUILESS_MAIN(ViewModelTest)
#include "tst_viewmodel.moc"
