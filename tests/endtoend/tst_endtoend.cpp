// Whole runs through the view model, the real service and the real
// kestrune-extract, on split archives the test makes and cuts into parts.

#include "model/extractionviewmodel.h"
#include "service/archiveinspection.h"
#include "service/extractionservice.h"
#include "zipfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How a set of parts is named: name.zip, name(1).zip …; name.zip.001 …; or
// name.zip, name (1).zip … as browsers name further downloads.
enum class Naming { Parenthesised, Numbered, BrowserSpaced };

QString partName(const QString& name, int i, Naming naming) {
    switch (naming) {
    case Naming::Parenthesised:
        break;
    case Naming::Numbered:
        return QStringLiteral("%1.zip.%2").arg(name).arg(i + 1, 3, 10, QLatin1Char('0'));
    case Naming::BrowserSpaced:
        return i == 0 ? name + ".zip" : QStringLiteral("%1 (%2).zip").arg(name).arg(i);
    }
    return i == 0 ? name + ".zip" : QStringLiteral("%1(%2).zip").arg(name).arg(i);
}

// Cuts `bytes` into `count` parts named like split downloads and returns
// their locations in part order.
QList<QUrl> writeParts(const QString& folder, const QString& name, const QByteArray& bytes,
                       int count, Naming naming = Naming::Parenthesised) {
    QList<QUrl> parts;
    const qsizetype partSize = (bytes.size() + count - 1) / count;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(folder).filePath(partName(name, i, naming));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.mid(i * partSize, partSize)) < 0)
            return {};
        parts << QUrl::fromLocalFile(path);
    }
    return parts;
}

const QList<ZipFixture::Item> originals() {
    static const QList<ZipFixture::Item> items{
        {"readme.txt", QByteArray("Kestrune joins split archives.\n").repeated(2000)},
        {"data/blob.bin", randomBytes(3 * 1024 * 1024 + 5, 7)},
        {"data/nested/deeper/note.txt", "deep"},
        {"empty.txt", {}},
        {QString::fromUtf8("caf\u00E9 \u00FCber/\U0001F600.txt"), "unicode names"},
        {"tool.sh", "#!/bin/sh\necho hi\n", 0100755},
    };
    return items;
}

} // namespace

Q_DECLARE_METATYPE(Naming)

class EndToEndTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_downloads;
    QString m_destination;
    QByteArray m_archive;
    std::unique_ptr<ExtractionViewModel> m_model;

    QString extractorPath() const { return qEnvironmentVariable("KESTRUNE_EXTRACT"); }

    bool waitForEnd() {
        return QTest::qWaitFor(
            [&] { return m_model->state().kind() != ExtractionState::Kind::Running; }, 60000);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(m_root.isValid());
        QVERIFY(QFileInfo(extractorPath()).isExecutable());
        // Each row of a table in folders of its own.
        const QString test = QTest::currentTestFunction() + QStringLiteral("-") +
                             QString::number(qHash(QByteArray(QTest::currentDataTag())));
        m_downloads = m_root.filePath(test + QStringLiteral("-downloads"));
        m_destination = m_root.filePath(test + QStringLiteral("-out"));
        QVERIFY(QDir().mkpath(m_downloads));
        QVERIFY(QDir().mkpath(m_destination));

        const QString whole = m_root.filePath("whole.zip");
        QVERIFY(ZipFixture::writeWithLibarchive(whole, originals(), "zip:compression=deflate"));
        m_archive = readAll(whole);
        QVERIFY(m_archive.size() > 3 * 1024 * 1024);

        m_model = std::make_unique<ExtractionViewModel>(new ExtractionService(extractorPath()));
        m_model->setDestinationURL(QUrl::fromLocalFile(m_destination));
    }
    void cleanup() { m_model.reset(); }

    void extractsSplitArchive_data() {
        QTest::addColumn<Naming>("naming");
        QTest::addRow("photos.zip, photos(1).zip …") << Naming::Parenthesised;
        QTest::addRow("photos.zip.001 …") << Naming::Numbered;
        QTest::addRow("photos.zip, photos (1).zip …, joined") << Naming::BrowserSpaced;
    }
    void extractsSplitArchive() {
        QFETCH(Naming, naming);
        QList<QUrl> parts = writeParts(m_downloads, "photos", m_archive, 3, naming);
        QCOMPARE(parts.size(), 3);
        // Dropped in any order, merged in part order.
        m_model->addFiles({parts[2], parts[0], parts[1]});
        if (naming == Naming::BrowserSpaced) {
            QCOMPARE(m_model->groups().size(), 2);
            m_model->joinSpaceNamedParts();
        }
        QCOMPARE(m_model->groups().size(), 1);
        QCOMPARE(m_model->selectedGroup()->baseName, QStringLiteral("photos"));
        QCOMPARE(m_model->selectedGroup()->files, parts);
        QVERIFY(!m_model->selectedGroup()->isMissingParts);
        // The check reads the parts, in that order, as one whole archive.
        QVERIFY(QTest::qWaitFor([this] { return !m_model->isInspecting(); }, 20000));
        QVERIFY(m_model->selectedInspection() && m_model->selectedInspection()->complete);

        QList<double> fractions;
        connect(m_model.get(), &ExtractionViewModel::progressChanged, this,
                [&] { fractions << m_model->progress(); });
        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());

        for (const ZipFixture::Item& item : originals())
            QVERIFY2(readAll(QDir(m_destination).filePath(item.name)) == item.data,
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
    }

    // The real check, through the service: it judges the parts by their
    // bytes before the merge, and a second run into the same folder is
    // asked about the files the first one made.
    void checkedPartsAndASecondRunThatWouldReplaceFiles() {
        const QList<QUrl> parts = writeParts(m_downloads, "photos", m_archive, 3);
        m_model->addFiles({parts[0], parts[1]});
        QVERIFY(QTest::qWaitFor([this] { return !m_model->isInspecting(); }, 20000));
        QCOMPARE(m_model->selectedInspection()->problem,
                 QStringLiteral("The end of the archive is missing: the last part, or more than "
                                "one, was not dropped."));
        m_model->addFiles({parts[2]});
        QVERIFY(QTest::qWaitFor([this] { return !m_model->isInspecting(); }, 20000));
        const std::optional<ArchiveInspection> whole = m_model->selectedInspection();
        QVERIFY(whole && whole->complete);
        QCOMPARE(whole->entries, qint64(originals().size()));
        QCOMPARE(whole->conflicts, 0);
        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QVERIFY(QTest::qWaitFor([this] { return !m_model->isInspecting(); }, 20000));
        QSignalSpy questions(m_model.get(), &ExtractionViewModel::replaceConfirmationRequested);

        m_model->startExtraction();

        QCOMPARE(questions.size(), 1);
        QCOMPARE(questions.first().first().value<qint64>(), qint64(originals().size()));
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
    }

    // A real spanned set, as zip writes it: recognised by its names and
    // refused with its sentence, never merged into an archive nobody reads.
    void spannedSetIsRefused() {
        const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));
        if (zip.isEmpty())
            QSKIP("zip is not installed");
        QFile original(QDir(m_downloads).filePath("data.bin"));
        QVERIFY(original.open(QIODevice::WriteOnly));
        original.write(randomBytes(200'000, 3));
        original.close();
        QProcess process;
        process.setWorkingDirectory(m_downloads);
        process.start(zip, {"-q", "-s", "64k", "thesis.zip", "data.bin"});
        QVERIFY(process.waitForFinished(20000) && process.exitCode() == 0);
        const QStringList written =
            QDir(m_downloads).entryList({"thesis.*"}, QDir::Files, QDir::Name);
        QCOMPARE(written, (QStringList{"thesis.z01", "thesis.z02", "thesis.z03", "thesis.zip"}));

        QList<QUrl> parts;
        for (const QString& name : written)
            parts << QUrl::fromLocalFile(QDir(m_downloads).filePath(name));
        m_model->addFiles(parts);
        QCOMPARE(m_model->groups().size(), 1);
        QCOMPARE(m_model->selectedGroup()->files, parts);
        QCOMPARE(m_model->selectedGroup()->refusalDescription(),
                 QStringLiteral("These parts (thesis.z01 … thesis.zip) are a PKZIP spanned set, "
                                "not byte-split parts: joined end to end they do not make an "
                                "archive, so Kestrune cannot extract them."));
        QVERIFY(!m_model->canStartExtraction());
        QVERIFY(!m_model->isInspecting());
        m_model->startExtraction();
        QCOMPARE(m_model->state(), ExtractionState::idle());
        QCOMPARE(QDir(m_destination).entryList(QDir::Files), QStringList());
    }

    void missingLastPartFailsAndKeepsEverything() {
        const QList<QUrl> parts = writeParts(m_downloads, "photos", m_archive, 3);
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
            QVERIFY(readAll(parts[i].toLocalFile()) == m_archive.mid(i * partSize, partSize));
    }

    void missingMiddlePartFails() {
        const QList<QUrl> parts = writeParts(m_downloads, "photos", m_archive, 3);
        m_model->addFiles({parts[0], parts[2]});
        QCOMPARE(m_model->selectedGroup()->missingIndices, QList<qint64>{1});
        QVERIFY(m_model->canStartExtraction());

        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QVERIFY(m_model->state().isFailed());
        QVERIFY(QFileInfo::exists(QDir(m_destination).filePath("_combined_photos.zip")));
    }

    void runIntoAFolderThatIsNotThereFails() {
        const QList<QUrl> parts = writeParts(m_downloads, "a", m_archive, 2);
        m_model->addFiles(parts);
        m_model->setDestinationURL(QUrl::fromLocalFile(m_root.filePath("no such folder")));

        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(),
                 ExtractionState::failed("Cannot write to destination: _combined_a.zip"));
        QCOMPARE(m_model->progress(), 0.0);
    }

    void entryNamedLikeTheCombinedArchiveIsKept() {
        // The archive carries a file with the very name the joined parts get.
        const QString whole = m_root.filePath("inner.zip");
        const QByteArray inner("the user's own file");
        QVERIFY(ZipFixture::writeWithLibarchive(
            whole, {{"_combined_photos.zip", inner}, {"a.txt", "a"}}, "zip:compression=deflate"));
        m_model->addFiles(writeParts(m_downloads, "photos", readAll(whole), 2));

        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QCOMPARE(readAll(QDir(m_destination).filePath("_combined_photos.zip")), inner);
        QCOMPARE(readAll(QDir(m_destination).filePath("a.txt")), QByteArray("a"));
    }

    void archiveWithTheLongestBaseNameExtracts() {
        // "a(1).zip" still fits 255 bytes; "_combined_" + the base name would not.
        const QString baseName(246, u'a');
        m_model->addFiles(writeParts(m_downloads, baseName, m_archive, 2));
        QCOMPARE(m_model->selectedGroup()->baseName, baseName);

        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QVERIFY2(m_model->state() == ExtractionState::succeeded(),
                 qPrintable(m_model->consoleOutput()));
        QVERIFY(readAll(QDir(m_destination).filePath("readme.txt")) == originals().first().data);
        QCOMPARE(QDir(m_destination).entryList({"_combined_*"}, QDir::Files), QStringList());
    }

    void secondRunAfterResetUsesSameDestination() {
        const QList<QUrl> parts = writeParts(m_downloads, "first", m_archive, 2);
        m_model->addFiles(parts);
        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());

        m_model->reset();
        const QList<QUrl> more = writeParts(m_downloads, "second", m_archive, 4);
        m_model->addFiles(more);
        QVERIFY(m_model->canStartExtraction());
        m_model->startExtraction();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::succeeded());
        QVERIFY(m_model->consoleOutput().startsWith(QStringLiteral("▶ Merging 4 part(s)")));
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
