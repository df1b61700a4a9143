// Runs that go wrong half way, through the view model, the real service and
// the real kestrune-extract: a full destination file system, a part that is
// not a file or is deleted during the merge, an extractor killed while it
// works. Each must end as a failed run that names its cause, with the message
// in the console, and leave the dropped parts exactly as they were.

#include "droppedparts.h"
#include "fifo.h"
#include "testsupport.h"
#include "tmpfsmount.h"
#include "zipfixture.h"

#include "model/extractionviewmodel.h"
#include "platform/filedescriptor.h"
#include "service/archivemerger.h"
#include "service/extractionservice.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/types.h>

#include <csignal>

namespace {

constexpr int patience = 60000; // milliseconds

// An archive that deflates to a few kilobytes and inflates to megabytes.
QList<ZipFixture::Item> compressibleOriginals(qint64 unpackedSize) {
    return {{"notes.txt", QByteArray("Kestrune joins split archives.\n").repeated(2000)},
            {"zeros.bin", QByteArray(unpackedSize, '\0')}};
}

// Enough entries that the extractor's list of them cannot fit in a pipe.
QList<ZipFixture::Item> manyEntries(int count) {
    QList<ZipFixture::Item> items;
    for (int entry = 0; entry < count; ++entry)
        items.append({QStringLiteral("entries/file-%1.txt").arg(entry, 5, 10, QChar(u'0')),
                      QByteArray::number(entry)});
    return items;
}

QString errorBlock(const QString& message) {
    return QStringLiteral("\n⚠ Error:\n") + message + u'\n';
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_destination;
    std::unique_ptr<DroppedParts> m_parts;
    std::unique_ptr<ExtractionViewModel> m_model;
    QStringList m_filesOutsideBeforeRun;

    static QString extractorPath() { return qEnvironmentVariable("KESTRUNE_EXTRACT"); }

    QString combinedArchive() const {
        return QDir(m_destination).filePath(QStringLiteral("_combined_photos.zip"));
    }

    void useExtractor(const QString& path) {
        m_model = std::make_unique<ExtractionViewModel>(new ExtractionService(path));
        m_model->setDestinationURL(QUrl::fromLocalFile(m_destination));
    }

    QByteArray zipOf(const QList<ZipFixture::Item>& items) const {
        const QString whole = m_root.filePath(QStringLiteral("whole.zip"));
        if (!ZipFixture::writeWithLibarchive(whole, items, "zip:compression=deflate"))
            return {};
        const QByteArray bytes = readFile(whole);
        return QFile::remove(whole) ? bytes : QByteArray();
    }

    // Every file under the test's folder but outside the destination, by name.
    QStringList filesOutsideDestination() const {
        QStringList files;
        QDirIterator found(m_root.path(), QDir::Files | QDir::System | QDir::Hidden,
                           QDirIterator::Subdirectories);
        while (found.hasNext()) {
            const QString path = found.next();
            if (!path.startsWith(m_destination + u'/'))
                files.append(path);
        }
        files.sort();
        return files;
    }

    void startRun() {
        m_model->addFiles(m_parts->locations());
        QVERIFY(m_model->canStartExtraction());
        m_filesOutsideBeforeRun = filesOutsideDestination();
        m_model->startExtraction();
    }

    bool waitForEnd() const {
        return QTest::qWaitFor(
            [&] { return m_model->state().kind() != ExtractionState::Kind::Running; }, patience);
    }

    // What every failed run must leave: the message in the state and at the
    // end of the console, the parts untouched, nothing new outside the destination.
    void verifyFailedRunLeftPartsAlone(const QStringList& removedOutside = {}) {
        QVERIFY2(m_model->state().isFailed(), qPrintable(m_model->consoleOutput()));
        const QString console = m_model->consoleOutput();
        QVERIFY2(console.startsWith(QStringLiteral("▶ Merging ")), qPrintable(console));
        QVERIFY2(console.endsWith(errorBlock(m_model->state().message())), qPrintable(console));
        QCOMPARE(m_parts->changed(), QStringList());
        QStringList expectedOutside = m_filesOutsideBeforeRun;
        for (const QString& removed : removedOutside)
            expectedOutside.removeOne(removed);
        QCOMPARE(filesOutsideDestination(), expectedOutside);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(m_root.isValid());
        QVERIFY(QFileInfo(extractorPath()).isExecutable());
        const QString name = QTest::currentTestFunction();
        const QString downloads = m_root.filePath(name + QStringLiteral("-downloads"));
        m_destination = m_root.filePath(name + QStringLiteral("-out"));
        QVERIFY(QDir().mkpath(downloads));
        QVERIFY(QDir().mkpath(m_destination));
        m_parts = std::make_unique<DroppedParts>(downloads, QStringLiteral("photos"));
        useExtractor(extractorPath());
    }
    void cleanup() {
        m_parts.reset();
        m_model.reset();
    }

    void mergeIntoAFullFileSystemFails() {
        TmpfsMount destinationDisk(m_destination, mebibyte);
        if (destinationDisk.isRefused())
            QSKIP(qPrintable(destinationDisk.problem()));
        QVERIFY2(destinationDisk.isMounted(), qPrintable(destinationDisk.problem()));
        m_parts->split(patternBytes(3 * mebibyte, 'p'), 3);

        startRun();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::failed("Disk is full."));
        verifyFailedRunLeftPartsAlone();

        // The merge stopped where the disk did, with no byte out of place, and
        // the extractor never ran.
        const QByteArray combined = readFile(combinedArchive());
        QVERIFY(combined.size() > 0 && combined.size() <= mebibyte);
        QVERIFY(combined == m_parts->joined(3).first(combined.size()));
        QCOMPARE(QDir(m_destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"_combined_photos.zip"});
    }

    void extractionIntoAFullFileSystemFails() {
        TmpfsMount destinationDisk(m_destination, mebibyte);
        if (destinationDisk.isRefused())
            QSKIP(qPrintable(destinationDisk.problem()));
        QVERIFY2(destinationDisk.isMounted(), qPrintable(destinationDisk.problem()));
        // The combined archive fits many times over; the unpacked zeros do not.
        m_parts->split(zipOf(compressibleOriginals(8 * mebibyte)), 3);
        QVERIFY(m_parts->joined(3).size() < mebibyte / 4);

        startRun();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::failed("Disk is full."));
        verifyFailedRunLeftPartsAlone();

        // The extractor named the entry and the reason before it gave up.
        const QString console = m_model->consoleOutput();
        QVERIFY2(console.contains(QStringLiteral("✔ Merge complete.\n")), qPrintable(console));
        QVERIFY2(console.contains(QStringLiteral("zeros.bin")) &&
                     console.contains(QStringLiteral("No space left on device")),
                 qPrintable(console));
        QVERIFY(readFile(combinedArchive()) == m_parts->joined(3));
    }

    // With the check of the parts done before Start, the run knows it
    // cannot fit and writes nothing at all.
    void checkedRunThatCannotFitFailsBeforeItWrites() {
        TmpfsMount destinationDisk(m_destination, mebibyte);
        if (destinationDisk.isRefused())
            QSKIP(qPrintable(destinationDisk.problem()));
        QVERIFY2(destinationDisk.isMounted(), qPrintable(destinationDisk.problem()));
        m_parts->split(zipOf(compressibleOriginals(8 * mebibyte)), 3);
        m_model->addFiles(m_parts->locations());
        QVERIFY(QTest::qWaitFor([this] { return !m_model->isInspecting(); }, patience));
        QVERIFY(m_model->selectedInspection() && m_model->selectedInspection()->complete);

        m_model->startExtraction();
        QVERIFY(waitForEnd());

        QCOMPARE(m_model->state(), ExtractionState::failed("Disk is full."));
        QVERIFY2(m_model->consoleOutput().startsWith(
                     QStringLiteral("Not enough free space in %1: ").arg(m_destination)),
                 qPrintable(m_model->consoleOutput()));
        QCOMPARE(QDir(m_destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(m_parts->changed(), QStringList());
    }

    void partThatIsAPipeFailsAtOnce() {
        // Waiting for a writer that never comes would hold the merge for ever,
        // and merging it as an empty part would hide the fault.
        const QByteArray archive = zipOf(compressibleOriginals(mebibyte));
        m_parts->addFile(archive.first(archive.size() / 2));
        QVERIFY(m_parts->addFifo({}));
        m_parts->addFile(archive.sliced(archive.size() / 2));

        startRun();
        QVERIFY(waitForEnd());
        QCOMPARE(m_model->state(), ExtractionState::failed("Cannot read file: photos(1).zip"));
        verifyFailedRunLeftPartsAlone();
        QVERIFY(readFile(combinedArchive()) == m_parts->joined(1));
    }

    void extractorKilledMidRunFails() {
        // The stand-in passes checks of the parts through; for the run it
        // tells its process id and becomes the real extractor,
        // whose list of entries goes into a pipe the test reads from only
        // after the kill: the extractor cannot finish before it.
        const QString processIdFile = m_root.filePath(QStringLiteral("extractor.pid"));
        const QString output = m_root.filePath(QStringLiteral("extractor-output"));
        writeFile(processIdFile, {});
        QCOMPARE(::mkfifo(QFile::encodeName(output).constData(), 0600), 0);
        QVERIFY(QDir(m_root.path()).mkdir(QStringLiteral("tools")));
        useExtractor(writeTool(m_root.filePath(QStringLiteral("tools")),
                               QStringLiteral("kestrune-extract"),
                               QStringLiteral("[ \"$1\" = --inspect ] && exec '%2' \"$@\"\n"
                                              "echo $$ > '%1'\nexec '%2' \"$@\" > '%3'")
                                   .arg(processIdFile, extractorPath(), output)));
        m_parts->split(zipOf(manyEntries(6000)), 2);

        startRun();
        pid_t extractor = 0;
        QVERIFY(QTest::qWaitFor(
            [&] { return (extractor = readFile(processIdFile).trimmed().toInt()) > 0; }, patience));
        const FileDescriptor entryList(Fifo::openReader(output));
        QVERIFY(entryList.isValid());
        // A few dozen entries fill it.
        Fifo::shrink(entryList.value());
        QVERIFY(
            QTest::qWaitFor([&] { return Fifo::waitingBytes(entryList.value()) > 0; }, patience));
        QCOMPARE(::kill(extractor, SIGKILL), 0);

        QVERIFY(waitForEnd());
        QCOMPARE(
            m_model->state(),
            ExtractionState::failed("Extraction failed: kestrune-extract was stopped by signal 9"));
        verifyFailedRunLeftPartsAlone();
        const QByteArray listed = Fifo::readWaiting(entryList.value());
        QVERIFY2(listed.contains("extracted: ") && !listed.contains("Extracted "), listed);
        QVERIFY(readFile(combinedArchive()) == m_parts->joined(2));
    }

    // Below the view model, where the merge's progress report runs on the
    // merging thread and can delete a part at a known point: after the first
    // block of the first part.
    void partDeletedWhileTheMergerCopies_data() {
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("failure");
        QTest::addRow("the part being copied is read to its end") << 0 << QString();
        QTest::addRow("a part not opened yet stops the merge before it")
            << 1 << QStringLiteral("Cannot read file: photos(1).zip");
    }

    void partDeletedWhileTheMergerCopies() {
        QFETCH(int, deleted);
        QFETCH(QString, failure);
        for (const char seed : {'a', 'b', 'c'})
            m_parts->addFile(patternBytes(6 * mebibyte, seed));

        bool isDeleted = false;
        ArchiveMerger merger(m_parts->locations(), QUrl::fromLocalFile(combinedArchive()),
                             [&](double) {
                                 if (!std::exchange(isDeleted, true))
                                     m_parts->remove(deleted);
                             });
        const std::optional<ExtractionError> outcome = merger.merge();
        QVERIFY(isDeleted);
        QCOMPARE(outcome ? outcome->errorDescription() : QString(), failure);
        const int copiedParts = failure.isEmpty() ? 3 : deleted;
        QVERIFY(readFile(combinedArchive()) == m_parts->joined(copiedParts));
        QCOMPARE(m_parts->changed(), QStringList());
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
