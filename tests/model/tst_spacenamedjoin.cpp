// Joining the two groups a browser makes of one archive when it names the
// later parts with a space, and the namings the model must keep apart.

#include "fakeextractionservice.h"
#include "groupnames.h"

#include <QTest>

namespace {

QStringList groupSummaries(const QList<ZipFileGroup>& groups) {
    QStringList summaries;
    for (const ZipFileGroup& group : groups)
        summaries << group.baseName + u'|' + fileNames(group).join(u',');
    return summaries;
}

} // namespace

class SpaceNamedJoinTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedModel> m_scripted;

    ExtractionViewModel& model() { return m_scripted->model; }
    FakeExtractionService* service() { return m_scripted->service; }
    void drop(const QStringList& names) { model().addFiles(files(names)); }

private Q_SLOTS:
    void init() {
        m_scripted = std::make_unique<ScriptedModel>();
        model().setDestinationURL(ScriptedModel::destination());
    }
    void cleanup() { m_scripted.reset(); }

    void joinIsOfferedOnlyForPlainHalves_data() {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<bool>("offered");

        QTest::addRow("shown from archive.zip")
            << QStringList{"archive.zip"} << QStringList{"archive (1).zip"} << true;
        QTest::addRow("shown from the spaced half")
            << QStringList{"archive (1).zip", "archive (2).zip"} << QStringList{"archive.zip"}
            << true;
        QTest::addRow("archive.zip's group holds more than part 0")
            << QStringList{"archive.zip", "archive(1).zip"} << QStringList{"archive (2).zip"}
            << false;
        QTest::addRow("the spaced half has its own part 0")
            << QStringList{"archive.zip"} << QStringList{"archive (0).zip", "archive (1).zip"}
            << false;
        QTest::addRow("two spaces")
            << QStringList{"archive.zip"} << QStringList{"archive  (1).zip"} << false;
        QTest::addRow("letter case differs")
            << QStringList{"Archive.zip"} << QStringList{"archive (1).zip"} << false;
        QTest::addRow("numbered parts are no half")
            << QStringList{"archive (1).zip"} << QStringList{"archive.zip.001"} << false;
        QTest::addRow("no spaced half")
            << QStringList{"archive.zip"} << QStringList{"archive(1).zip"} << false;
    }
    void joinIsOfferedOnlyForPlainHalves() {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(bool, offered);
        drop(first);
        drop(second);
        QCOMPARE(model().canJoinSpaceNamedParts(), offered);

        const QList<ZipFileGroup> before = model().groups();
        model().joinSpaceNamedParts();
        QCOMPARE(model().groups().size(), before.size() - (offered ? 1 : 0));
    }

    void joiningShowsOneCheckedGroupInPartOrder() {
        drop({"archive (2).zip", "other.zip"});
        drop({"archive.zip"});
        QCOMPARE(model().selectedGroup()->baseName, QStringLiteral("archive "));

        model().joinSpaceNamedParts();

        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip,archive (2).zip", "other|other.zip"}));
        QVERIFY(*model().selectedGroup() == model().groups().first());
        QCOMPARE(model().selectedGroup()->missingPartsDescription(),
                 QStringLiteral("Missing parts: part (1)"));
        QVERIFY(!model().canJoinSpaceNamedParts());
        // The joined parts are checked as one archive.
        QCOMPARE(service()->checks.last().parts, files({"archive.zip", "archive (2).zip"}));

        // The missing part comes later: the join holds, now complete.
        drop({"archive (1).zip"});
        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip,archive (1).zip,archive (2).zip",
                              "other|other.zip"}));
        QVERIFY(!model().selectedGroup()->isMissingParts);
        QCOMPARE(service()->checks.last().parts,
                 files({"archive.zip", "archive (1).zip", "archive (2).zip"}));

        QVERIFY(m_scripted->start());
        QCOMPARE(service()->runs.first().group.files,
                 files({"archive.zip", "archive (1).zip", "archive (2).zip"}));
    }

    void aJoinEndsWhenTheHalvesNoLongerPlainlyMatch() {
        drop({"archive.zip", "archive (1).zip"});
        model().joinSpaceNamedParts();
        QCOMPARE(model().groups().size(), 1);

        drop({"archive(1).zip"});
        QCOMPARE(groupSummaries(model().groups()),
                 (QStringList{"archive|archive.zip,archive(1).zip", "archive |archive (1).zip"}));
        // Taking the stranger away again brings back the offer, not the join.
        model().removeFile(files({"archive(1).zip"}).first());
        QCOMPARE(model().groups().size(), 2);
        QVERIFY(model().canJoinSpaceNamedParts());
    }

    void removingAFileUndoesTheJoin_data() {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("shown");

        QTest::addRow("a spaced part")
            << "archive (1).zip" << QStringList{"archive|archive.zip", "archive |archive (2).zip"}
            << "archive";
        QTest::addRow("archive.zip")
            << "archive.zip" << QStringList{"archive |archive (1).zip,archive (2).zip"}
            << "archive ";
    }
    void removingAFileUndoesTheJoin() {
        QFETCH(QString, removed);
        QFETCH(QStringList, groups);
        QFETCH(QString, shown);
        drop({"archive.zip", "archive (1).zip", "archive (2).zip"});
        model().joinSpaceNamedParts();

        model().removeFile(files({removed}).first());

        QCOMPARE(groupSummaries(model().groups()), groups);
        QCOMPARE(model().selectedGroup()->baseName, shown);
        // A later drop does not bring the join back unasked.
        drop({"archive (3).zip"});
        QCOMPARE(model().groups().size(), groups.size());
    }

    void removingTheJoinedGroupForgetsTheJoin() {
        drop({"archive.zip", "archive (1).zip"});
        model().joinSpaceNamedParts();
        model().removeGroup(*model().selectedGroup());
        QVERIFY(model().groups().isEmpty());

        drop({"archive.zip", "archive (1).zip"});
        QCOMPARE(model().groups().size(), 2);
    }

    void noJoinWhileARunIsGoing() {
        drop({"archive.zip", "archive (1).zip"});
        model().startExtraction();
        QCOMPARE(model().state(), ExtractionState::running());
        QVERIFY(!model().canJoinSpaceNamedParts());
        model().joinSpaceNamedParts();
        QCOMPARE(model().groups().size(), 2);
        QCOMPARE(model().selectedGroup()->baseName, QStringLiteral("archive"));
    }

    void theShownNamingStaysShownAcrossDropsAndRemovals() {
        drop({"x.zip.001", "x.zip.002", "x.zip.003"});
        drop({"x.zip", "x(1).zip"});
        QCOMPARE(model().groups().size(), 2);
        QCOMPARE(model().selectedGroup()->naming, PartNaming::Numbered);
        model().removeFile(files({"x.zip.003"}).first());
        QCOMPARE(model().selectedGroup()->naming, PartNaming::Numbered);
        QVERIFY(*model().selectedGroup() == model().groups()[1]);
        drop({"y.zip"});
        QCOMPARE(fileNames(*model().selectedGroup()), (QStringList{"x.zip.001", "x.zip.002"}));
    }
};

QTEST_GUILESS_MAIN(SpaceNamedJoinTest)
#include "tst_spacenamedjoin.moc"
