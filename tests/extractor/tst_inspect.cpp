#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace ZipFixture;

// kestrune-extract --inspect on sets of parts whose names look right but
// whose bytes do not make the archive, and on the archives that are whole
// however unusual their shape.

namespace {

enum class Shape {
    Whole,
    LastPartMissing,
    TwoPartsSwapped,
    PartOfAnotherArchive,
    MiddlePartShortened,
    LeadingBytes,
    Zip64,
    Comment,
    DataDescriptors,
    OffsetsPastTheEnd,
    AbsurdEntryCount
};

constexpr int partCount = 4;
constexpr int entryCount = 40;

QList<Item> items(quint32 seed) {
    QList<Item> items;
    for (int i = 0; i < entryCount; ++i)
        items.append(Item{QStringLiteral("file%1.bin").arg(i), randomBytes(2000, seed + i)});
    return items;
}

struct Inspected {
    int exitCode = -1;
    QJsonObject verdict;
};

Inspected inspect(const QStringList& arguments) {
    const CommandRun run = runExtractor(QStringList{"--inspect", "--json"} + arguments);
    return {run.exitCode, QJsonDocument::fromJson(run.output.toUtf8()).object()};
}

} // namespace

class InspectTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;

private Q_SLOTS:
    void judgesTheSetByItsBytes_data() {
        QTest::addColumn<Shape>("shape");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("firstBadPart"); // -1: none
        QTest::addColumn<QString>("problem");
        const QString elsewhere = ": it may be a different download or in the wrong place.";
        QTest::addRow("a whole set") << Shape::Whole << true << -1 << QString();
        QTest::addRow("the last part missing") << Shape::LastPartMissing << false << -1
                                               << "The end of the archive is missing: the last "
                                                  "part, or more than one, was not dropped.";
        QTest::addRow("two parts swapped") << Shape::TwoPartsSwapped << false << 1
                                           << "s(2).zip does not continue s.zip" + elsewhere;
        QTest::addRow("a part of another archive with the right name")
            << Shape::PartOfAnotherArchive << false << 2
            << "s(2).zip does not continue s(1).zip" + elsewhere;
        QTest::addRow("a middle part cut short")
            << Shape::MiddlePartShortened << false << 2
            << "s(2).zip does not continue s(1).zip" + elsewhere;
        QTest::addRow("leading bytes before the archive")
            << Shape::LeadingBytes << true << -1 << QString();
        QTest::addRow("zip64 records") << Shape::Zip64 << true << -1 << QString();
        QTest::addRow("an archive comment") << Shape::Comment << true << -1 << QString();
        QTest::addRow("data descriptors") << Shape::DataDescriptors << true << -1 << QString();
        QTest::addRow("a directory pointing past the end")
            << Shape::OffsetsPastTheEnd << false << partCount - 1
            << "s(3).zip does not continue s(2).zip" + elsewhere;
        QTest::addRow("an absurd entry count")
            << Shape::AbsurdEntryCount << false << -1
            << "The archive's directory is damaged: it does not describe the parts it came with.";
    }
    void judgesTheSetByItsBytes() {
        QFETCH(Shape, shape);
        QFETCH(bool, complete);
        QFETCH(int, firstBadPart);
        QFETCH(QString, problem);
        QVERIFY(writeWithLibarchive(m_root.filePath("whole.zip"), items(1),
                                    shape == Shape::Zip64 ? "zip:zip64" : "zip:compression=store",
                                    shape == Shape::DataDescriptors ? Sizes::Streamed
                                                                    : Sizes::Declared));
        QByteArray whole = readFile(m_root.filePath("whole.zip"));
        const qsizetype endRecord = whole.lastIndexOf("PK\5\6");
        if (shape == Shape::Comment) {
            whole[endRecord + 20] = 7;
            whole += "comment";
        }
        if (shape == Shape::OffsetsPastTheEnd) {
            // The last entry's header offset, in the directory's last header.
            const qsizetype last = whole.lastIndexOf("PK\1\2");
            whole[last + 45] = char(0x7F);
        }
        if (shape == Shape::AbsurdEntryCount)
            whole[endRecord + 10] = whole[endRecord + 8] = char(0xFE);
        if (shape == Shape::LeadingBytes)
            whole.prepend(randomBytes(5000, 99));
        const QString folder = m_root.filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        QStringList parts = writeParts(whole, folder, "s", partCount);
        QVERIFY(!parts.isEmpty());
        if (shape == Shape::LastPartMissing)
            parts.removeLast();
        if (shape == Shape::TwoPartsSwapped)
            parts.swapItemsAt(1, 2);
        if (shape == Shape::PartOfAnotherArchive) {
            // Named as the part it stands in for, in a folder of its own.
            const QString other = m_root.filePath("other");
            QVERIFY(QDir().mkpath(other) &&
                    writeWithLibarchive(other + "/o.zip", items(500), "zip:compression=store"));
            parts[2] = writeParts(readFile(other + "/o.zip"), other, "s", partCount).value(2);
        }
        if (shape == Shape::MiddlePartShortened)
            QVERIFY(QFile::resize(parts[1], QFileInfo(parts[1]).size() - 3000));

        const Inspected result = inspect(parts);

        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.verdict.value("complete").toBool(), complete);
        QCOMPARE(result.verdict.value("firstBadPart").toInt(-1), firstBadPart);
        QCOMPARE(result.verdict.value("problem").toString(), problem);
        if (complete) {
            QCOMPARE(result.verdict.value("entries").toInt(), entryCount);
            QCOMPARE(result.verdict.value("unpackedSize").toInteger(), entryCount * 2000);
            QCOMPARE(result.verdict.value("missingBytes").toInteger(), 0);
        }
        if (shape == Shape::MiddlePartShortened)
            QCOMPARE(result.verdict.value("missingBytes").toInteger(), 3000);
    }

    void countsEncryptedEntriesAndFilesToReplace() {
        const QString archive = m_root.filePath("mixed.zip");
        if (!writeWithLibarchive(archive, {{"secret.txt", "hidden"}}, "zip:encryption=zipcrypt",
                                 Sizes::Declared, "password"))
            QSKIP("this libarchive cannot write encrypted zips");
        const QString plain = m_root.filePath("plain.zip");
        QVERIFY(writeWithLibarchive(plain,
                                    {{"a.txt", "a"},
                                     {"sub/b.txt", "b"},
                                     {"c.txt", "c"},
                                     {"link", "a.txt", 0120777},
                                     {"sub/", {}, 040755}},
                                    "zip:compression=deflate"));
        const QString destination = m_root.filePath("destination");
        QVERIFY(QDir().mkpath(destination + "/sub") && QDir().mkpath(destination + "/c.txt"));
        QVERIFY(writeFile(destination + "/a.txt", "old") &&
                writeFile(destination + "/sub/b.txt", "old"));
        QVERIFY(writeFile(destination + "/link", "old"));

        const Inspected encrypted = inspect({archive});
        // a.txt and sub/b.txt: a folder where c.txt goes is no file to
        // replace, and the link entry is no regular file.
        const Inspected replacing = inspect({"--destination", destination, plain});

        QCOMPARE(encrypted.verdict.value("encryptedEntries").toInt(), 1);
        QVERIFY(encrypted.verdict.value("conflicts").isNull());
        QCOMPARE(replacing.verdict.value("encryptedEntries").toInt(), 0);
        QCOMPARE(replacing.verdict.value("conflicts").toInt(), 2);
        QCOMPARE(replacing.verdict.value("replacedBytes").toInt(), 6); // "old" twice
    }

    void aPartThatCannotBeReadStopsTheCheck_data() {
        QTest::addColumn<QString>("part");
        QTest::addRow("a missing file") << m_root.filePath("nothing-here.zip");
        QTest::addRow("a folder") << m_root.path();
        QTest::addRow("a device") << "/dev/zero";
    }
    void aPartThatCannotBeReadStopsTheCheck() {
        QFETCH(QString, part);
        const Inspected result = inspect({part});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.verdict.isEmpty());
    }
};

QTEST_GUILESS_MAIN(InspectTest)
#include "tst_inspect.moc"
