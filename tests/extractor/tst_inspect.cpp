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
    MiddlePartShortened,
    Zip64,
    OffsetsPastTheEnd,
    AbsurdEntryCount
};

constexpr int partCount = 4;
constexpr int entryCount = 40;

QList<Item> items() {
    QList<Item> items;
    for (int i = 0; i < entryCount; ++i)
        items.append(Item{QStringLiteral("file%1.bin").arg(i), randomBytes(2000, i)});
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
        QTest::addRow("a whole set") << Shape::Whole << true << -1;
        QTest::addRow("the last part missing") << Shape::LastPartMissing << false << -1;
        QTest::addRow("two parts swapped") << Shape::TwoPartsSwapped << false << 1;
        QTest::addRow("a middle part cut short") << Shape::MiddlePartShortened << false << 2;
        QTest::addRow("zip64 records") << Shape::Zip64 << true << -1;
        QTest::addRow("a directory pointing past the end")
            << Shape::OffsetsPastTheEnd << false << partCount - 1;
        QTest::addRow("an absurd entry count") << Shape::AbsurdEntryCount << false << -1;
    }
    void judgesTheSetByItsBytes() {
        QFETCH(Shape, shape);
        QFETCH(bool, complete);
        QFETCH(int, firstBadPart);
        QVERIFY(writeWithLibarchive(m_root.filePath("whole.zip"), items(),
                                    shape == Shape::Zip64 ? "zip:zip64" : "zip:compression=store"));
        QByteArray whole = readFile(m_root.filePath("whole.zip"));
        const qsizetype endRecord = whole.lastIndexOf("PK\5\6");
        if (shape == Shape::OffsetsPastTheEnd) {
            // The last entry's header offset, in the directory's last header.
            const qsizetype last = whole.lastIndexOf("PK\1\2");
            whole[last + 45] = char(0x7F);
        }
        if (shape == Shape::AbsurdEntryCount)
            whole[endRecord + 10] = whole[endRecord + 8] = char(0xFE);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        QStringList parts = writeParts(whole, folder, "s", partCount);
        QVERIFY(!parts.isEmpty());
        if (shape == Shape::LastPartMissing)
            parts.removeLast();
        if (shape == Shape::TwoPartsSwapped)
            parts.swapItemsAt(1, 2);
        if (shape == Shape::MiddlePartShortened)
            QVERIFY(QFile::resize(parts[1], QFileInfo(parts[1]).size() - 3000));

        const Inspected result = inspect(parts);

        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.verdict.value("complete").toBool(), complete);
        QCOMPARE(result.verdict.value("firstBadPart").toInt(-1), firstBadPart);
        QCOMPARE(result.verdict.value("problem").toString().isEmpty(), complete);
        if (complete) {
            QCOMPARE(result.verdict.value("entries").toInt(), entryCount);
            QCOMPARE(result.verdict.value("unpackedSize").toInteger(), entryCount * 2000);
        }
    }

    void aPartThatCannotBeReadStopsTheCheck_data() {
        QTest::addColumn<QString>("part");
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
