// Whole runs through the view model, the real service and the real
// kestrune-extract, on split archives the test makes and cuts into parts.

#include "model/extractionviewmodel.h"
#include "service/archiveinspection.h"
#include "service/extractionservice.h"
#include "zipfixture.h"

#include <QDir>
#include <QFile>
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
        {"tool.sh", "#!/bin/sh\necho hi\n", 0100755},
    };
    return items;
}

// Cuts the archive into parts and returns their locations in part order.
QList<QUrl> writePartUrls(const QString& folder, const QString& name, const QByteArray& bytes,
                          int count) {
    QList<QUrl> parts;
    for (const QString& path : ZipFixture::writeParts(bytes, folder, name, count))
        parts << QUrl::fromLocalFile(path);
    return parts;
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_downloads;
    QString m_destination;
    QByteArray m_archive;
    std::unique_ptr<ExtractionViewModel> m_model;

    QString extractorPath() const { return qEnvironmentVariable("KESTRUNE_EXTRACT"); }

    bool waitForCheck() {
        return QTest::qWaitFor([this] { return !m_model->isInspecting(); }, 20000);
    }

    bool waitForEnd() {
        return QTest::qWaitFor(
            [&] { return m_model->state().kind() != ExtractionState::Kind::Running; }, 60000);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(m_root.isValid());
        QVERIFY(QFileInfo(extractorPath()).isExecutable());
        const QString test = QTest::currentTestFunction();
        m_downloads = m_root.filePath(test + QStringLiteral("-downloads"));
        m_destination = m_root.filePath(test + QStringLiteral("-out"));
        QVERIFY(QDir().mkpath(m_downloads));
        QVERIFY(QDir().mkpath(m_destination));

        const QString whole = m_root.filePath("whole.zip");
        QVERIFY(writeWithLibarchive(whole, originals(), "zip:compression=deflate"));
        m_archive = readFile(whole);
        QVERIFY(m_archive.size() > 3 * 1024 * 1024);

        m_model = std::make_unique<ExtractionViewModel>(new ExtractionService(extractorPath()));
        m_model->setDestinationURL(QUrl::fromLocalFile(m_destination));
    }
    void cleanup() { m_model.reset(); }

    // Parts dropped in any order are checked by their bytes, merged in part
    // order and extracted whole; a second run into the same folder is asked
    // about the files the first one made.
    void extractsSplitArchive() {
        const QList<QUrl> parts = writePartUrls(m_downloads, "photos", m_archive, 3);
        QCOMPARE(parts.size(), 3);
        // Part names cannot tell that the last part is absent; the check can.
        m_model->addFiles({parts[1], parts[0]});
        QVERIFY(waitForCheck());
        QCOMPARE(m_model->selectedInspection()->problem,
                 QStringLiteral("The end of the archive is missing: the last part, or more than "
                                "one, was not dropped."));
        m_model->addFiles({parts[2]});
        QCOMPARE(m_model->groups().size(), 1);
        QCOMPARE(m_model->selectedGroup()->files, parts);
        QVERIFY(waitForCheck());
        const std::optional<ArchiveInspection> whole = m_model->selectedInspection();
        QVERIFY(whole && whole->complete);
        QCOMPARE(whole->entries, qint64(originals().size()));
        QCOMPARE(whole->conflicts, 0);

        QList<double> fractions;
        connect(m_model.get(), &ExtractionViewModel::progressChanged, this,
                [&] { fractions << m_model->progress(); });
        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());

        for (const Item& item : originals())
            QVERIFY2(readFile(QDir(m_destination).filePath(item.name)) == item.data,
                     qPrintable(item.name));
        QVERIFY(QFileInfo(QDir(m_destination).filePath("tool.sh")).isExecutable());
        QVERIFY(!QFileInfo::exists(QDir(m_destination).filePath("_combined_photos.zip")));
        for (const QUrl& part : parts)
            QVERIFY(QFileInfo::exists(part.toLocalFile()));

        // Progress: 0 at the start, one fraction per part (each under one block), 0.5,
        // as many of the extractor's reports as its speed gives, rising, and 1.
        QVERIFY(fractions.size() >= 6);
        QCOMPARE(fractions.first(), 0.0);
        QVERIFY(fractions[1] < fractions[2] && fractions[2] < fractions[3]);
        QCOMPARE(fractions[3], 0.5);
        QCOMPARE(fractions[4], 0.5);
        for (qsizetype i = 5; i + 1 < fractions.size(); ++i)
            QVERIFY(fractions[i - 1] < fractions[i] && fractions[i] < 1.0);
        QCOMPARE(fractions.last(), 1.0);

        const QString console = m_model->consoleOutput();
        const QString opening = QStringLiteral("▶ Merging 3 part(s) into combined archive…\n"
                                               "✔ Merge complete.\n▶ Unzipping into %1…\n")
                                    .arg(m_destination);
        QVERIFY2(console.startsWith(opening), qPrintable(console));
        QVERIFY(console.endsWith(QStringLiteral("✔ Extraction finished successfully.\n")));
        QVERIFY(console.contains(QStringLiteral("readme.txt")));

        QVERIFY(waitForCheck());
        QSignalSpy questions(m_model.get(), &ExtractionViewModel::replaceConfirmationRequested);
        m_model->startExtraction();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(questions.first().first().value<qint64>(), qint64(originals().size()));
    }

    void missingLastPartFailsAndKeepsEverything() {
        const QList<QUrl> parts = writePartUrls(m_downloads, "photos", m_archive, 3);
        // Part names cannot tell that the last part is absent.
        m_model->addFiles(parts.mid(0, 2));
        QVERIFY(!m_model->selectedGroup()->isMissingParts);

        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QVERIFY(m_model->state().isFailed());
        const QString console = m_model->consoleOutput();
        QVERIFY2(console.contains(QStringLiteral("truncated")), qPrintable(console));
        QVERIFY(
            console.endsWith(QStringLiteral("\n⚠ Error:\n") + m_model->state().message() + u'\n'));
        // The failure itself says why, not only the console.
        QVERIFY2(m_model->state().message().startsWith(QStringLiteral("Extraction failed: ")) &&
                     m_model->state().message().contains(QStringLiteral("truncated")),
                 qPrintable(m_model->state().message()));

        // The combined archive stays for inspection; the dropped parts are untouched.
        const QString combined = QDir(m_destination).filePath("_combined_photos.zip");
        QCOMPARE(QFileInfo(combined).size(), QFileInfo(parts[0].toLocalFile()).size() * 2);
        const qsizetype partSize = QFileInfo(parts[0].toLocalFile()).size();
        for (int i = 0; i < 3; ++i)
            QVERIFY(readFile(parts[i].toLocalFile()) == m_archive.mid(i * partSize, partSize));
    }

    void entryNamedLikeTheCombinedArchiveIsKept() {
        // The archive carries a file with the very name the joined parts get.
        const QString whole = m_root.filePath("inner.zip");
        const QByteArray inner("the user's own file");
        QVERIFY(writeWithLibarchive(whole, {{"_combined_photos.zip", inner}, {"a.txt", "a"}},
                                    "zip:compression=deflate"));
        m_model->addFiles(writePartUrls(m_downloads, "photos", readFile(whole), 2));

        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QCOMPARE(readFile(QDir(m_destination).filePath("_combined_photos.zip")), inner);
        QCOMPARE(readFile(QDir(m_destination).filePath("a.txt")), QByteArray("a"));
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
