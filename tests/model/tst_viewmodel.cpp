// The groups the view model holds and shows as files come and go, and the
// join of the two halves a browser makes of one archive by a spaced name.

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

QStringList groupSummaries(const QList<ZipFileGroup>& groups) {
    QStringList summaries;
    for (const ZipFileGroup& group : groups)
        summaries << group.baseName + u'|' + ::fileNames(group).join(u',');
    return summaries;
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
    void drop(const QStringList& names) { model().addFiles(files(names)); }

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

    // The shown group keeps its name, in any Unicode form, and its naming
    // through drops and removals; an id the regroup replaced shows nothing.
    void theShownGroupKeepsItsNameAndNaming() {
        drop({"z.zip", "caf\u00E9.zip.002", "caf\u00E9.zip.003"});
        const QUuid replaced = model().selectedGroup()->id;
        drop({"0.zip", "cafe\u0301.zip.001", "cafe\u0301.zip", "cafe\u0301(1).zip"});
        model().removeFile(files({"caf\u00E9.zip.003"}).first());
        drop({"1.zip"});
        model().selectGroup(replaced);
        QCOMPARE(fileNames(model().selectedGroup()),
                 (QStringList{"cafe\u0301.zip.001", "caf\u00E9.zip.002"}));
    }

    // Files that are not parts are left out, as ever, but counted, once.
    void ignoredFilesAreCounted_data() {
        QTest::addColumn<QList<QStringList>>("drops");
        QTest::addColumn<QList<qint64>>("counts"); // one per signal
        QTest::addRow("parts only")
            << QList<QStringList>{{"a.zip"}, {"a(1).zip"}} << QList<qint64>{};
        QTest::addRow("the same other file twice in a drop counts once")
            << QList<QStringList>{{"x.txt", "x.txt", "a.zip"}} << QList<qint64>{1};
        QTest::addRow("each drop says its own, also once parts are held")
            << QList<QStringList>{{"x.txt"}, {"a.zip"}, {"y.txt", "z.txt", "x.txt", "a(1).zip"}}
            << QList<qint64>{1, 3};
    }
    void ignoredFilesAreCounted() {
        QFETCH(QList<QStringList>, drops);
        QSignalSpy ignored(&model(), &ExtractionViewModel::filesIgnored);
        for (const QStringList& names : drops)
            drop(names);
        QList<qint64> told;
        for (const QList<QVariant>& signal : ignored)
            told << signal.first().value<qint64>();
        QTEST(told, "counts");
    }

    void removeFileIgnoresWhatIsNotShown_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("removed"); // a location, or a position
        QTest::addRow("no group shown") << QStringList{} << "0";
        QTest::addRow("file of another group") << QStringList{"a.zip", "b.zip"} << "b.zip";
        QTest::addRow("position past the end") << QStringList{"a.zip"} << "1";
        QTest::addRow("negative position") << QStringList{"a.zip"} << "-1";
    }
    void removeFileIgnoresWhatIsNotShown() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, removed);
        drop(dropped);
        QSignalSpy willChange(&model(), &ExtractionViewModel::objectWillChange);
        bool isPosition = false;
        const qsizetype position = removed.toLongLong(&isPosition);
        if (isPosition)
            model().removeFile(position);
        else
            model().removeFile(files({removed}).first());
        QCOMPARE(willChange.size(), 0);
    }

    // Files dropped again after a reset are new and checked anew, as they may
    // have changed on disk, also while a check from before is still under way;
    // the run's outcome goes too (run control tests).
    void resetKeepsOnlyTheDestination() {
        FakeExtractionService& service = *m_scripted->service;
        service.answersChecks = false;
        drop({"a.zip"});
        model().setDestinationURL(ScriptedModel::destination());
        model().setConsoleOutput(QStringLiteral("old text"));
        const qsizetype checks = service.checks.size();

        model().reset();
        QVERIFY(model().groups().isEmpty() && !model().selectedGroup());
        QVERIFY(model().consoleOutput().isEmpty());
        QCOMPARE(model().destinationURL(), ScriptedModel::destination());
        drop({"a.zip"});
        QCOMPARE(model().groups().size(), 1);
        QCOMPARE(service.checks.size(), checks + 1);
        // The answer to the check from before the reset is not taken.
        service.checks[checks - 1].reply->finish(completeInspection());
        QTest::qWait(0);
        QVERIFY(model().isInspecting());
        QVERIFY(!model().selectedInspection());
    }

    // Removing a file finds the clashes again: removing one of the files that
    // claim a part is how the user settles it.
    void removingAClaimantSettlesAClash_data() {
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<bool>("stillClashing");
        QTest::addRow("one of three claimants") << QStringList{"/b/s(1).zip"} << true;
        QTest::addRow("two of three claimants")
            << QStringList{"/c/s(1).zip", "/a/s(1).zip"} << false;
        QTest::addRow("a part nobody else claims") << QStringList{"/a/s(2).zip"} << true;
    }
    void removingAClaimantSettlesAClash() {
        QFETCH(QStringList, removed);
        QFETCH(bool, stillClashing);
        drop({"/a/s.zip", "/a/s(1).zip", "/b/s(1).zip", "/c/s(1).zip", "/a/s(2).zip"});
        model().setDestinationURL(ScriptedModel::destination());
        const QUuid before = model().selectedGroup()->id;
        for (const QUrl& location : files(removed))
            model().removeFile(location);
        QVERIFY(model().selectedGroup()->id != before); // a changed group is a new record
        QCOMPARE(model().selectedGroup(), model().groups().first());
        QCOMPARE(model().canStartExtraction(), !stillClashing);
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

    void joinIsOfferedOnlyForPlainHalves_data() {
        QTest::addColumn<QString>("drops"); // one drop after the other
        QTest::addColumn<bool>("offered");
        QTest::addRow("shown from the spaced half")
            << "archive (1).zip, archive (2).zip / archive.zip" << true;
        QTest::addRow("archive.zip's group holds more than part 0")
            << "archive.zip, archive(1).zip / archive (2).zip" << false;
        QTest::addRow("the spaced half has its own part 0")
            << "archive.zip / archive (0).zip, archive (1).zip" << false;
        QTest::addRow("two spaces") << "archive.zip / archive  (1).zip" << false;
        QTest::addRow("letter case differs") << "Archive.zip / archive (1).zip" << false;
        QTest::addRow("numbered parts are no half") << "archive (1).zip / archive.zip.001" << false;
    }
    void joinIsOfferedOnlyForPlainHalves() {
        QFETCH(QString, drops);
        QFETCH(bool, offered);
        for (const QString& names : drops.split(QStringLiteral(" / ")))
            drop(names.split(QStringLiteral(", ")));
        QCOMPARE(model().canJoinSpaceNamedParts(), offered);
        const qsizetype before = model().groups().size();
        model().joinSpaceNamedParts();
        QCOMPARE(model().groups().size(), before - (offered ? 1 : 0));
    }

    // The join is shown and checked as one archive in part order, and holds
    // when its missing part comes later.
    void joiningShowsOneCheckedGroupInPartOrder() {
        drop({"archive (2).zip", "other.zip"});
        drop({"archive.zip"});
        model().joinSpaceNamedParts();
        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip,archive (2).zip", "other|other.zip"}));
        QCOMPARE(model().selectedGroup()->missingIndices, QList<qint64>{1});

        drop({"archive (1).zip"});
        const QList<QUrl> joined = files({"archive.zip", "archive (1).zip", "archive (2).zip"});
        QCOMPARE(model().selectedGroup()->files, joined);
        QVERIFY(!model().selectedGroup()->isMissingParts);
        QCOMPARE(m_scripted->service->checks.last().parts, joined);
    }

    void aJoinEndsWhenTheHalvesNoLongerPlainlyMatch() {
        drop({"archive.zip", "archive (1).zip"});
        model().joinSpaceNamedParts();
        drop({"archive(1).zip"});
        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip,archive(1).zip", "archive |archive (1).zip"}));
        // Taking the stranger away again brings back the offer, not the join.
        model().removeFile(files({"archive(1).zip"}).first());
        QCOMPARE(model().groups().size(), 2);
        QVERIFY(model().canJoinSpaceNamedParts());
    }

    // A later drop does not bring an undone join back unasked.
    void removingUndoesTheJoin_data() {
        QTest::addColumn<QString>("removed"); // empty: the whole group
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("shown");
        const QString other = QStringLiteral("other|other.zip");
        QTest::addRow("a spaced part")
            << "archive (1).zip"
            << QStringList{"archive|archive.zip", "archive |archive (2).zip", other} << "archive";
        QTest::addRow("archive.zip")
            << "archive.zip" << QStringList{"archive |archive (1).zip,archive (2).zip", other}
            << "archive ";
        QTest::addRow("the joined group") << "" << QStringList{other} << "other";
    }
    void removingUndoesTheJoin() {
        QFETCH(QString, removed);
        drop({"archive.zip", "archive (1).zip", "archive (2).zip", "other.zip"});
        model().joinSpaceNamedParts();
        if (removed.isEmpty())
            model().removeGroup(*model().selectedGroup());
        else
            model().removeFile(files({removed}).first());

        QTEST(groupSummaries(model().groups()), "groups");
        QTEST(model().selectedGroup()->baseName, "shown");
        drop({"archive.zip", "archive (3).zip"});
        QVERIFY(baseNames(model().groups()).contains(QStringLiteral("archive ")));
    }

    void noJoinWhileARunIsGoing() {
        drop({"archive.zip", "archive (1).zip"});
        model().setDestinationURL(ScriptedModel::destination());
        model().startExtraction();
        model().joinSpaceNamedParts();
        QCOMPARE(model().groups().size(), 2);
    }
};

QTEST_GUILESS_MAIN(ViewModelTest)
#include "tst_viewmodel.moc"
