// Whole runs through the view model, the real service and the real
// kestrune-extract, on split archives the test makes and cuts into parts:
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

namespace {

const QList<Item> originals() {
    static const QList<Item> items{
        {"readme.txt", QByteArray("Kestrune joins split archives.\n").repeated(2000)},
        {"data/blob.bin", randomBytes(3 * 1024 * 1024 + 5, 7)},
        {"data/nested/deeper/note.txt", "deep"},
        {"empty.txt", {}},
        {QString::fromUtf8("caf\u00E9 \u00FCber/\U0001F600.txt"), "unicode names"},
    };
    return items;
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_destination;
    std::unique_ptr<ExtractionViewModel> m_model;

    // The archive of `items` cut into `count` parts named photos.zip,
    // photos(1).zip, …, in part order.
    QList<QUrl> writePhotos(const QList<Item>& items, int count) {
        const QString whole = m_root.filePath("whole.zip");
        const QString downloads = m_root.filePath(QTest::currentTestFunction());
        QList<QUrl> parts;
        if (QDir().mkpath(downloads) &&
            writeWithLibarchive(whole, items, "zip:compression=deflate")) {
            for (const QString& path : writeParts(readFile(whole), downloads, "photos", count))
                parts << QUrl::fromLocalFile(path);
        }
        return parts;
    }
    bool waitForCheck() {
        return QTest::qWaitFor([this] { return !m_model->isInspecting(); }, 20000);
    }
    bool runToEnd() {
        m_model->startExtraction();
        return QTest::qWaitFor(
            [&] { return m_model->state().kind() != ExtractionState::Kind::Running; }, 60000);
    }

private Q_SLOTS:
    void init() {
        const QString extractor = qEnvironmentVariable("KESTRUNE_EXTRACT");
        QVERIFY(QFileInfo(extractor).isExecutable());
        m_destination = m_root.filePath(QTest::currentTestFunction() + QStringLiteral("-out"));
        QVERIFY(QDir().mkpath(m_destination));
        m_model = std::make_unique<ExtractionViewModel>(new ExtractionService(extractor));
        m_model->setDestinationURL(QUrl::fromLocalFile(m_destination));
    }
    void cleanup() { m_model.reset(); }

    // Parts dropped in any order are checked by their bytes. Without the
    // last one the run fails and says why; with it they are merged in part
    // order and extracted whole, and a second run into the same folder is
    // asked about the files the first one made. The parts stay as they were.
    void extractsSplitArchive() {
        const QList<QUrl> parts = writePhotos(originals(), 3);
        QCOMPARE(parts.size(), 3);
        const auto partBytes = [&] {
            QByteArray bytes;
            for (const QUrl& part : parts)
                bytes += readFile(part.toLocalFile());
            return bytes;
        };
        const QByteArray before = partBytes();
        // Part names cannot tell that the last part is absent; the check can.
        m_model->addFiles({parts[1], parts[0]});
        QVERIFY(waitForCheck());
        QVERIFY(!m_model->selectedInspection()->complete);
        QVERIFY(m_model->selectedInspection()->problem.startsWith(
            QStringLiteral("The end of the archive is missing")));
        QVERIFY(runToEnd());
        QVERIFY(m_model->state().isFailed());
        QVERIFY2(m_model->state().message().contains(QStringLiteral("truncated")),
                 qPrintable(m_model->state().message()));

        m_model->addFiles({parts[2]});
        QCOMPARE(m_model->selectedGroup()->files, parts);
        QVERIFY(waitForCheck());
        const std::optional<ArchiveInspection> whole = m_model->selectedInspection();
        QVERIFY(whole && whole->complete);
        QCOMPARE(whole->entries, qint64(originals().size()));
        QCOMPARE(whole->conflicts, 0);
        QVERIFY(runToEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        for (const Item& item : originals())
            QVERIFY2(readFile(QDir(m_destination).filePath(item.name)) == item.data,
                     qPrintable(item.name));
        QVERIFY(m_model->consoleOutput().contains(QStringLiteral("readme.txt")));
        QCOMPARE(m_model->progress(), 1.0);
        QVERIFY(partBytes() == before);

        QVERIFY(waitForCheck());
        QSignalSpy questions(m_model.get(), &ExtractionViewModel::replaceConfirmationRequested);
        m_model->startExtraction();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(questions.first().first().value<qint64>(), qint64(originals().size()));
    }

    // The archive carries a file with the very name the joined parts get:
    // the run's tidying up after success must leave the user's file.
    void entryNamedLikeTheCombinedArchiveIsKept() {
        const QByteArray inner("the user's own file");
        m_model->addFiles(writePhotos({{"_combined_photos.zip", inner}, {"a.txt", "a"}}, 2));

        QVERIFY(runToEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QCOMPARE(readFile(QDir(m_destination).filePath("_combined_photos.zip")), inner);
        QCOMPARE(readFile(QDir(m_destination).filePath("a.txt")), QByteArray("a"));
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
