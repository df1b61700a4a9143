// A whole run through the view model, the real service and the real
// kestrune-extract, on a split archive the test makes and cuts into parts:
// what stand-ins cannot show is that the extractor's verdicts, output and
// statuses mean to the service what the service takes them for.

#include "model/extractionviewmodel.h"
#include "service/archiveinspection.h"
#include "service/extractionservice.h"
#include "zipfixture.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace ZipFixture;

class EndToEndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Parts dropped in any order are checked by their bytes, merged in part
    // order and extracted whole, and a second run into the same folder is
    // asked about the files the first one made. The parts stay as they were.
    void extractsSplitArchive() {
        const QList<Item> originals{
            // The very name the joined parts get, first: the entries after it
            // are still read from the joined parts, and tidying up leaves it.
            {"_combined_photos.zip", "the user's own file"},
            {"readme.txt", QByteArray("Kestrune joins split archives.\n").repeated(2000)},
            {"data/blob.bin", randomBytes(3 * 1024 * 1024 + 5, 7)},
            {"data/nested/deeper/note.txt", "deep"},
            {"empty.txt", {}},
            {QString::fromUtf8("caf\u00E9 \u00FCber/\U0001F600.txt"), "unicode names"},
        };
        QTemporaryDir root;
        const QString destination = root.filePath("out");
        QVERIFY(QDir().mkpath(destination));
        QVERIFY(
            writeWithLibarchive(root.filePath("whole.zip"), originals, "zip:compression=deflate"));
        QList<QUrl> parts;
        QByteArray before;
        for (const QString& path :
             writeParts(readFile(root.filePath("whole.zip")), root.path(), "photos", 3)) {
            parts << QUrl::fromLocalFile(path);
            before += readFile(path);
        }
        QCOMPARE(parts.size(), 3);
        ExtractionViewModel model(new ExtractionService(qEnvironmentVariable("KESTRUNE_EXTRACT")));
        model.setDestinationURL(QUrl::fromLocalFile(destination));
        const auto waitForCheck = [&] {
            return QTest::qWaitFor([&] { return !model.isInspecting(); }, 20000);
        };

        model.addFiles({parts[2], parts[0], parts[1]});
        QCOMPARE(model.selectedGroup()->files, parts);
        QVERIFY(waitForCheck());
        const std::optional<ArchiveInspection> inspection = model.selectedInspection();
        QVERIFY(inspection && inspection->complete);
        QCOMPARE(inspection->entries, qint64(originals.size()));
        model.startExtraction();
        QVERIFY(QTest::qWaitFor(
            [&] { return model.state().kind() != ExtractionState::Kind::Running; }, 60000));
        QCOMPARE(model.state(), ExtractionState::succeeded());
        for (const Item& item : originals)
            QVERIFY2(readFile(QDir(destination).filePath(item.name)) == item.data,
                     qPrintable(item.name));
        QCOMPARE(model.progress(), 1.0);
        QByteArray after;
        for (const QUrl& part : parts)
            after += readFile(part.toLocalFile());
        QVERIFY(after == before);

        QVERIFY(waitForCheck());
        QSignalSpy questions(&model, &ExtractionViewModel::replaceConfirmationRequested);
        model.startExtraction();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(questions.first().first().value<qint64>(), qint64(originals.size()));
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
