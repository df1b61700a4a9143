// The groups the view model holds and shows as files come and go, and the
// join of the two halves a browser makes of one archive by a spaced name.

#include "fakeextractionservice.h"
#include "grouping/filegrouper.h"
#include "groupnames.h"

#include <QSignalSpy>
#include <QTest>

#include <random>

namespace {

QStringList groupSummaries(const QList<ZipFileGroup>& groups) {
    QStringList summaries;
    for (const ZipFileGroup& group : groups)
        summaries << group.baseName + u'|' + fileNames(group).join(u',');
    return summaries;
}

// Groups as values, ids aside: those a regroup is free to choose.
QList<ZipFileGroup> withoutIds(QList<ZipFileGroup> groups) {
    for (ZipFileGroup& group : groups)
        group.id = QUuid();
    return groups;
}

// Names that meet in all the ways the grouping knows: several namings of one
// name, a spanned set taking its archive.zip, a browser's spaced half, one
// name composed and decomposed, clashing parts in two folders, no parts.
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

    // A drop makes again only the groups its new files belong to: the others
    // keep their ids, and the shown group follows its name.
    void aDropRegroupsOnlyTheNamesItTouches() {
        drop({"b.zip", "a.zip"});
        const QList<ZipFileGroup> before = model().groups();
        drop({"0.zip", "a(1).zip"});
        QCOMPARE(baseNames(model().groups()), (QStringList{"0", "a", "b"}));
        QCOMPARE(model().selectedGroup(), model().groups()[1]);
        QCOMPARE(model().groups()[2], before[1]);
    }

    // Files that are no parts are counted once a drop, and never held, so
    // dropping them again counts them again; a held part is not counted.
    void dropsCountTheFilesTheyIgnore_data() {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QList<qint64>>("counts");
        QTest::addRow("parts and others")
            << QStringList{"a.txt", "b.zip", "c.zip.01"} << QStringList{} << QList<qint64>{2};
        QTest::addRow("one file twice in a drop")
            << QStringList{"a.txt", "a.txt", "b.zip", "b.zip"} << QStringList{} << QList<qint64>{1};
        QTest::addRow("dropped again") << QStringList{"a.txt", "b.zip"}
                                       << QStringList{"a.txt", "b.zip"} << QList<qint64>{1, 1};
    }
    void dropsCountTheFilesTheyIgnore() {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QList<qint64>, counts);
        QSignalSpy ignored(&model(), &ExtractionViewModel::filesIgnored);
        drop(first);
        if (!second.isEmpty())
            drop(second);
        QList<qint64> reported;
        for (const QList<QVariant>& signal : std::as_const(ignored))
            reported << signal.first().toLongLong();
        QCOMPARE(reported, counts);
        QCOMPARE(model().groups().size(), 1);
        QCOMPARE(model().groups().first().files.size(), 1);
    }

    // A file dropped again is held once, however many parts its name has,
    // and a file removed is held again when it is dropped again.
    void aFileIsHeldOnce_data() {
        QTest::addColumn<int>("partCount");
        QTest::addRow("a few parts") << 5;
        QTest::addRow("many parts") << 100;
    }
    void aFileIsHeldOnce() {
        QFETCH(int, partCount);
        QStringList names{"a.zip"};
        for (int part = 1; part < partCount; ++part)
            names << QStringLiteral("a(%1).zip").arg(part);
        drop(names.mid(0, partCount / 2));
        drop(names);
        drop(names.mid(partCount / 2 - 1));
        QCOMPARE(fileNames(model().groups().first()), names);
        model().removeFile(qsizetype(1));
        drop(names);
        QCOMPARE(model().groups().size(), 1);
        QCOMPARE(fileNames(model().groups().first()), names);
    }

    // Positions and files that are not in the shown group change nothing.
    void removeFileIgnoresWhatIsNotShown() {
        QSignalSpy willChange(&model(), &ExtractionViewModel::objectWillChange);
        model().removeFile(qsizetype(0)); // no group shown
        drop({"a.zip", "b.zip"});
        willChange.clear();
        model().removeFile(files({"b.zip"}).first());
        model().removeFile(qsizetype(1));
        model().removeFile(qsizetype(-1));
        QCOMPARE(willChange.size(), 0);
    }

    // Files dropped again after a reset are new and checked anew, as they may
    // have changed on disk; the answer to a check from before is not taken.
    void resetKeepsOnlyTheDestination() {
        FakeExtractionService& service = *m_scripted->service;
        service.answersChecks = false;
        drop({"a.zip"});
        model().setDestinationURL(ScriptedModel::destination());
        model().reset();
        QVERIFY(model().groups().isEmpty() && !model().selectedGroup());
        QCOMPARE(model().destinationURL(), ScriptedModel::destination());
        const qsizetype checks = service.checks.size();
        drop({"a.zip"});
        QCOMPARE(service.checks.size(), checks + 1);
        service.checks[checks - 1].reply->finish(completeInspection());
        QTest::qWait(0);
        QVERIFY(model().isInspecting() && !model().selectedInspection());
    }

    // Removing a file finds the clashes again: removing the files that claim
    // one part but one is how the user settles it.
    void removingAClaimantSettlesAClash() {
        drop({"/a/s.zip", "/a/s(1).zip", "/b/s(1).zip", "/c/s(1).zip"});
        model().setDestinationURL(ScriptedModel::destination());
        const QUuid before = model().selectedGroup()->id;
        model().removeFile(files({"/b/s(1).zip"}).first());
        QVERIFY(model().selectedGroup()->id != before); // a changed group is a new record
        QVERIFY(!model().canStartExtraction());
        model().removeFile(files({"/a/s(1).zip"}).first());
        QCOMPARE(model().selectedGroup(), model().groups().first());
        QVERIFY(model().canStartExtraction());
    }

    // However the files arrive, in drops of any size, with files removed
    // between them, the groups after a drop are those that grouping all held
    // and dropped files at once gives: held files before new ones, a file
    // dropped twice where it first came, claimants of one part in that order;
    // and they hold every part dropped and not removed since, each once.
    void dropsEndAsGroupingEverythingAtOnce_data() {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 20; ++seed)
            QTest::addRow("seed %d", seed) << seed;
    }
    void dropsEndAsGroupingEverythingAtOnce() {
        QFETCH(int, seed);
        std::mt19937 random(seed);
        const QList<QUrl> pool = mixedLocations();
        QList<QUrl> held; // every part dropped and not removed since, kept apart from the model
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
                if (partIndexOf(location) && !held.contains(location))
                    held << location;
            }

            model().addFiles(drop);
            QCOMPARE(withoutIds(model().groups()), withoutIds(groupFiles(all)));
            QList<QUrl> shown;
            for (const ZipFileGroup& group : model().groups())
                shown += group.files;
            std::sort(shown.begin(), shown.end());
            std::sort(held.begin(), held.end());
            QCOMPARE(shown, held);
            QCOMPARE(model().selectedGroup().has_value(), !model().groups().isEmpty());
            if (!model().selectedGroup())
                continue;
            QVERIFY(model().groups().contains(*model().selectedGroup()));

            if (random() % 3 == 0) {
                const auto position = qsizetype(random() % model().selectedGroup()->files.size());
                held.removeOne(model().selectedGroup()->files[position]);
                model().removeFile(position);
            }
            if (random() % 4 == 0 && !model().groups().isEmpty())
                model().selectGroup(
                    model().groups()[qsizetype(random() % model().groups().size())].id);
            if (random() % 6 == 0 && model().selectedGroup()) {
                for (const QUrl& file : model().selectedGroup()->files)
                    held.removeOne(file);
                model().removeGroup(*model().selectedGroup());
            }
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

    // A join ends when the halves no longer plainly match, and taking the
    // stranger away brings back the offer, not the join; removing a part
    // undoes it too, and a later drop does not bring it back unasked.
    void aJoinEndsWhenItNoLongerHolds() {
        drop({"archive.zip", "archive (1).zip", "archive (2).zip"});
        model().joinSpaceNamedParts();
        drop({"archive(1).zip"});
        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip,archive(1).zip",
                              "archive |archive (1).zip,archive (2).zip"}));
        model().removeFile(files({"archive(1).zip"}).first());
        QCOMPARE(model().groups().size(), 2);
        QVERIFY(model().canJoinSpaceNamedParts());

        model().joinSpaceNamedParts();
        model().removeFile(files({"archive (1).zip"}).first());
        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip", "archive |archive (2).zip"}));
        QCOMPARE(model().selectedGroup()->baseName, "archive");
        drop({"archive (3).zip"});
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
