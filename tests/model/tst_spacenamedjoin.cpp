// Joining the two groups a browser makes of one archive when it names the
// later parts with a space, and the namings the model must keep apart.

#include "fakeextractionservice.h"
#include "groupnames.h"
#include "model/extractionviewmodel.h"

#include <QTest>

namespace {

const QUrl destination = QUrl::fromLocalFile(QStringLiteral("/tmp/out"));

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
    FakeExtractionService* m_service = nullptr;
    std::unique_ptr<ExtractionViewModel> m_model;

    void drop(const QStringList& names) { m_model->addFiles(files(names)); }

private Q_SLOTS:
    void init() {
        m_service = new FakeExtractionService;
        m_service->inspection = completeInspection();
        m_model = std::make_unique<ExtractionViewModel>(m_service);
        m_model->setDestinationURL(destination);
    }
    void cleanup() { m_model.reset(); }

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
        QCOMPARE(m_model->canJoinSpaceNamedParts(), offered);

        const QList<ZipFileGroup> before = m_model->groups();
        m_model->joinSpaceNamedParts();
        QCOMPARE(m_model->groups().size(), before.size() - (offered ? 1 : 0));
    }

    void joiningShowsOneCheckedGroupInPartOrder() {
        drop({"archive (2).zip", "other.zip"});
        drop({"archive.zip"});
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("archive "));
        QCOMPARE(m_model->selectedGroup()->missingPartsDescription(),
                 QStringLiteral("Missing parts: base (archive .zip), part (1)"));

        m_model->joinSpaceNamedParts();

        QCOMPARE(groupSummaries(m_model->groups()),
                 (QStringList{"archive|archive.zip,archive (2).zip", "other|other.zip"}));
        QVERIFY(*m_model->selectedGroup() == m_model->groups().first());
        QCOMPARE(m_model->selectedGroup()->missingPartsDescription(),
                 QStringLiteral("Missing parts: part (1)"));
        QVERIFY(!m_model->canJoinSpaceNamedParts());
        // The joined parts are checked as one archive.
        QCOMPARE(m_service->checks.last().parts, files({"archive.zip", "archive (2).zip"}));

        // The missing part comes later: the join holds, now complete.
        drop({"archive (1).zip"});
        QCOMPARE(groupSummaries(m_model->groups()),
                 (QStringList{"archive|archive.zip,archive (1).zip,archive (2).zip",
                              "other|other.zip"}));
        QVERIFY(!m_model->selectedGroup()->isMissingParts);
        QCOMPARE(m_service->checks.last().parts,
                 files({"archive.zip", "archive (1).zip", "archive (2).zip"}));

        m_model->startExtraction();
        QVERIFY(QTest::qWaitFor([this] { return !m_service->runs.isEmpty(); }));
        QCOMPARE(m_service->runs.first().group.files,
                 files({"archive.zip", "archive (1).zip", "archive (2).zip"}));
    }

    void aJoinEndsWhenTheHalvesNoLongerPlainlyMatch() {
        drop({"archive.zip", "archive (1).zip"});
        m_model->joinSpaceNamedParts();
        QCOMPARE(m_model->groups().size(), 1);

        drop({"archive(1).zip"});
        QCOMPARE(groupSummaries(m_model->groups()),
                 (QStringList{"archive|archive.zip,archive(1).zip", "archive |archive (1).zip"}));
        // Taking the stranger away again brings back the offer, not the join.
        m_model->removeFile(files({"archive(1).zip"}).first());
        QCOMPARE(m_model->groups().size(), 2);
        QVERIFY(m_model->canJoinSpaceNamedParts());
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
        m_model->joinSpaceNamedParts();

        m_model->removeFile(files({removed}).first());

        QCOMPARE(groupSummaries(m_model->groups()), groups);
        QCOMPARE(m_model->selectedGroup()->baseName, shown);
        // A later drop does not bring the join back unasked.
        drop({"archive (3).zip"});
        QCOMPARE(m_model->groups().size(), groups.size());
    }

    void removingTheJoinedGroupForgetsTheJoin() {
        drop({"archive.zip", "archive (1).zip"});
        m_model->joinSpaceNamedParts();
        m_model->removeGroup(*m_model->selectedGroup());
        QVERIFY(m_model->groups().isEmpty());

        drop({"archive.zip", "archive (1).zip"});
        QCOMPARE(m_model->groups().size(), 2);
    }

    void noJoinWhileARunIsGoing() {
        drop({"archive.zip", "archive (1).zip"});
        m_model->startExtraction();
        QCOMPARE(m_model->state(), ExtractionState::running());
        QVERIFY(!m_model->canJoinSpaceNamedParts());
        m_model->joinSpaceNamedParts();
        QCOMPARE(m_model->groups().size(), 2);
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("archive"));
    }

    void aSpannedSetIsNeitherCheckedNorStarted() {
        drop({"s.z01", "s.z02", "s.zip"});
        // Removing a segment leaves it what it is.
        m_model->removeFile(files({"s.z02"}).first());
        QCOMPARE(m_model->selectedGroup()->naming, PartNaming::Spanned);
        QVERIFY(m_model->selectedGroup()->refusalDescription());
        QVERIFY(!m_model->canStartExtraction());
        m_model->startExtraction();
        QCOMPARE(m_model->state(), ExtractionState::idle());
        QVERIFY(m_service->checks.isEmpty());
        QVERIFY(m_service->runs.isEmpty());
    }

    void theShownNamingStaysShownAcrossDropsAndRemovals() {
        drop({"x.zip.001", "x.zip.002", "x.zip.003"});
        drop({"x.zip", "x(1).zip"});
        QCOMPARE(m_model->groups().size(), 2);
        QCOMPARE(m_model->selectedGroup()->naming, PartNaming::Numbered);
        m_model->removeFile(files({"x.zip.003"}).first());
        QCOMPARE(m_model->selectedGroup()->naming, PartNaming::Numbered);
        QVERIFY(*m_model->selectedGroup() == m_model->groups()[1]);
        drop({"y.zip"});
        QCOMPARE(fileNames(*m_model->selectedGroup()), (QStringList{"x.zip.001", "x.zip.002"}));
    }
};

QTEST_GUILESS_MAIN(SpaceNamedJoinTest)
#include "tst_spacenamedjoin.moc"
