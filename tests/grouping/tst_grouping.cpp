#include "grouping/filegrouper.h"
#include "grouping/heldgroups.h"
#include "grouping/zipfilegroup.h"
#include "groupnames.h"

#include <QTest>

#include <algorithm>
#include <iterator>
#include <limits>
#include <random>

namespace {

void addNameRow(const char* tag, const QString& name, const QString& baseName, qint64 index) {
    QTest::addRow("%s", tag) << name << baseName << index;
}

// "downloads/a.zip" for /downloads/a.zip.
QString folderAndName(const QUrl& file) {
    const QStringList path = file.path().split(u'/');
    return path.sliced(path.size() - 2).join(u'/');
}

} // namespace

class GroupingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What a name alone says: the base name of its group and its part
    // number, or that it is no part (-1).
    void readsNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<qint64>("index");
        constexpr qint64 largest = std::numeric_limits<qint64>::max();
        addNameRow("archive.zip", "a.zip", "a", 0);
        addNameRow("archive(N).zip", "a(12).zip", "a", 12);
        addNameRow("only the last suffix counts", "a(1)(2).zip", "a(1)", 2);
        addNameRow("space after the suffix: no suffix", "a(1) .zip", "a(1) ", 0);
        addNameRow("one closing parenthesis too many", "a(1)).zip", "a(1))", 0);
        addNameRow("an opening parenthesis before the suffix stays", "a((1).zip", "a(", 1);
        addNameRow("a line break after the suffix: no suffix", "a(1)\n.zip", "a(1)\n", 0);
        addNameRow("not only digits", "a(1a).zip", "a(1a)", 0);
        addNameRow("negative", "a(-1).zip", "a(-1)", 0);
        addNameRow("largest index", "a(9223372036854775807).zip", "a", largest);
        addNameRow("one past the largest index", "a(9223372036854775808).zip",
                   "a(9223372036854775808)", 0);
        addNameRow("Arabic-Indic digits in parentheses are not read",
                   QString::fromUtf8("a(\u0663).zip"), QString::fromUtf8("a(\u0663)"), 0);
        addNameRow("percent signs are part of the name", "a%2F(1).zip", "a%2F", 1);
        addNameRow("extensions in any case", "a(1).Zip", "a", 1);
        addNameRow("only the last extension is removed", "a.tar.zip", "a.tar", 0);
        addNameRow(".001", "a.zip.001", "a", 1);
        addNameRow(".1000 after .999", "a.zip.1000", "a", 1000);
        addNameRow("numbered, extensions in upper case", "a.ZIP.002", "a", 2);
        addNameRow("a numbered part's name keeps its parentheses", "x(1).zip.001", "x(1)", 1);
        addNameRow("largest number", "a.zip.9223372036854775807", "a", largest);
        addNameRow("one past the largest number", "a.zip.9223372036854775808", "", -1);
        addNameRow(".000: numbering starts at 1", "a.zip.000", "", -1);
        addNameRow(".01: too few digits", "a.zip.01", "", -1);
        addNameRow(".0001: padded past three digits", "a.zip.0001", "", -1);
        addNameRow("no .zip before the number", "a.001", "", -1);
        addNameRow("another archive format", "a.7z.001", "", -1);
        addNameRow("Arabic-Indic digits after .zip are not read",
                   QString::fromUtf8("a.zip.\u0660\u0660\u0661"), "", -1);
        addNameRow("a sign is no digit", "a.zip.-01", "", -1);
        addNameRow(".z01", "a.z01", "a", 1);
        addNameRow(".z100 after .z99", "a.z100", "a", 100);
        addNameRow(".z00", "a.z00", "", -1);
        addNameRow(".z1: too few digits", "a.z1", "", -1);
        addNameRow(".z001: padded past two digits", "a.z001", "", -1);
        addNameRow("other extensions", "a.zipx", "", -1);
        addNameRow("no extension", "README", "", -1);
    }
    void readsNames() {
        QFETCH(QString, name);
        QFETCH(qint64, index);
        const QList<QUrl> file = files({name});
        QCOMPARE(partIndexOf(file.first()).value_or(-1), index);
        const QList<ZipFileGroup> groups = groupFiles(file);
        QCOMPARE(groups.size(), index < 0 ? 0 : 1);
        if (!groups.isEmpty())
            QTEST(groups.first().baseName, "baseName");
    }

    void boundsHugeIndices_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("first"); // the first missing index
        QTest::addRow("four billion") << "a(4000000000).zip" << qint64(0);
        QTest::addRow("largest index") << "a(9223372036854775807).zip" << qint64(0);
        QTest::addRow("largest number after .zip") << "a.zip.9223372036854775807" << qint64(1);
    }
    void boundsHugeIndices() {
        QFETCH(QString, name);
        QFETCH(qint64, first);
        // Enumerating the range would never finish; the list stops at the bound.
        const QList<ZipFileGroup> groups = groupFiles(files({name}));

        QCOMPARE(groups.size(), 1);
        const ZipFileGroup& group = groups.first();
        QVERIFY(group.isMissingParts);
        QCOMPARE(group.missingIndices.size(), maxListedMissingIndices);
        for (qsizetype i = 0; i < group.missingIndices.size(); ++i)
            QCOMPARE(group.missingIndices[i], first + i);
    }

    void boundCountsOnlyMissingIndices() {
        // Present parts between the listed gaps do not use up the bound.
        QList<qint64> present;
        for (qint64 i = 0; i < 5000; i += 2)
            present << i;
        present << std::numeric_limits<qint64>::max() << std::numeric_limits<qint64>::max() - 1;
        const MissingIndices result = findMissingIndices(present);
        QCOMPARE(result.indices.size(), maxListedMissingIndices);
        QCOMPARE(result.indices.first(), qint64(1));
        QCOMPARE(result.indices.last(), qint64(2 * maxListedMissingIndices - 1));
    }

    void groupsFiles_data() {
        QTest::addColumn<QStringList>("input");
        // One entry per group: "base name|file,file|missing,missing|clashes", a
        // clash as "part:folder/file,folder/file" and clashes joined by ";".
        QTest::addColumn<QStringList>("expected");

        QTest::addRow("gap in the middle") << QStringList{"a.zip", "a(1).zip", "a(3).zip"}
                                           << QStringList{"a|a.zip,a(1).zip,a(3).zip|2|"};
        QTest::addRow("reordered by part number")
            << QStringList{"a(2).zip", "a(1).zip"} << QStringList{"a|a(1).zip,a(2).zip|0|"};
        QTest::addRow("lone numbered part")
            << QStringList{"x(3).zip"} << QStringList{"x|x(3).zip|0,1,2|"};
        QTest::addRow("a prefix sorts first")
            << QStringList{"ab.zip", "a.zip", "a b.zip"}
            << QStringList{"a|a.zip||", "a b|a b.zip||", "ab|ab.zip||"};
        QTest::addRow("folders do not matter")
            << QStringList{"/x/a.zip", "/y/a(1).zip"} << QStringList{"a|a.zip,a(1).zip||"};
        QTest::addRow("stable among equal indices")
            << QStringList{"a(0).zip", "a.zip"}
            << QStringList{"a|a(0).zip,a.zip||0:downloads/a(0).zip,downloads/a.zip"};
        QTest::addRow("empty base name")
            << QStringList{"(3).zip"} << QStringList{"|(3).zip|0,1,2|"};

        // Other namings: the base name is marked with its naming.
        QTest::addRow("numbered parts in number order")
            << QStringList{"x.zip.002", "x.zip.001", "x.zip.003"}
            << QStringList{"numbered:x|x.zip.001,x.zip.002,x.zip.003||"};
        QTest::addRow("numbered set lacking its first parts")
            << QStringList{"x.zip.003"} << QStringList{"numbered:x|x.zip.003|1,2|"};
        QTest::addRow("the two byte-split namings never mix")
            << QStringList{"x.zip.002", "x(1).zip", "x.zip.001", "x.zip"}
            << QStringList{"x|x.zip,x(1).zip||", "numbered:x|x.zip.001,x.zip.002||"};
        QTest::addRow("one numbered part in two folders")
            << QStringList{"/a/x.zip.001", "/b/x.zip.001", "/a/x.zip.002"}
            << QStringList{"numbered:x|x.zip.001,x.zip.001,x.zip.002||1:a/x.zip.001,b/x.zip.001"};
        QTest::addRow("spanned set, archive.zip last")
            << QStringList{"s.zip", "s.z02", "s.z01"}
            << QStringList{"spanned:s|s.z01,s.z02,s.zip||"};
        QTest::addRow("spanned segments without their archive.zip")
            << QStringList{"s.z02"} << QStringList{"spanned:s|s.z02||"};
        QTest::addRow("a spanned set takes archive.zip, not archive(1).zip")
            << QStringList{"s(1).zip", "s.ZIP", "s.Z01"}
            << QStringList{"s|s(1).zip|0|", "spanned:s|s.Z01,s.ZIP||"};
        QTest::addRow("one name in three namings")
            << QStringList{"s.z01", "s.zip.001", "s(0).zip", "s.zip"}
            << QStringList{"s|s(0).zip||", "numbered:s|s.zip.001||", "spanned:s|s.z01,s.zip||"};

        QTest::addRow("two folders claim part 1")
            << QStringList{"/a/s.zip", "/a/s(1).zip", "/a/s(2).zip", "/b/s(1).zip"}
            << QStringList{"s|s.zip,s(1).zip,s(1).zip,s(2).zip||1:a/s(1).zip,b/s(1).zip"};
        QTest::addRow("a clash lists its files in drop order")
            << QStringList{"/b/s(1).zip", "/a/s.zip", "/a/s(1).zip"}
            << QStringList{"s|s.zip,s(1).zip,s(1).zip||1:b/s(1).zip,a/s(1).zip"};
        QTest::addRow("three files for one part")
            << QStringList{"/a/x(2).zip", "/a/x.zip", "/b/x(2).zip", "/a/x(1).zip", "/c/x(2).zip"}
            << QStringList{"x|x.zip,x(1).zip,x(2).zip,x(2).zip,x(2).zip||"
                           "2:a/x(2).zip,b/x(2).zip,c/x(2).zip"};
        QTest::addRow("leading zeros name the same part")
            << QStringList{"s(1).zip", "s.zip", "s(01).zip"}
            << QStringList{"s|s.zip,s(1).zip,s(01).zip||1:downloads/s(1).zip,downloads/s(01).zip"};
        QTest::addRow("clashes ascend by part number")
            << QStringList{"/a/s(2).zip", "/b/s(2).zip", "/a/s(1).zip", "/b/s(1).zip", "/a/s.zip"}
            << QStringList{"s|s.zip,s(1).zip,s(1).zip,s(2).zip,s(2).zip||"
                           "1:a/s(1).zip,b/s(1).zip;2:a/s(2).zip,b/s(2).zip"};
        QTest::addRow("a clash and missing parts together")
            << QStringList{"/a/s(2).zip", "/b/s(2).zip"}
            << QStringList{"s|s(2).zip,s(2).zip|0,1|2:a/s(2).zip,b/s(2).zip"};
        // U+FF21 is one UTF-16 unit above the surrogates of U+1F600.
        QTest::addRow("code point order, not UTF-16 order")
            << QStringList{"\U0001F600.zip", "\uFF21.zip", "a.zip"}
            << QStringList{"a|a.zip||", "\uFF21|\uFF21.zip||", "\U0001F600|\U0001F600.zip||"};
        QTest::addRow("names that differ in case or spacing are no clash")
            << QStringList{"/a/s(1).zip", "/b/S(1).zip", "/c/s (1).zip"}
            << QStringList{"S|S(1).zip|0|", "s|s(1).zip|0|", "s |s (1).zip|0|"};
    }
    void groupsFiles() {
        QFETCH(QStringList, input);
        QFETCH(QStringList, expected);

        QStringList actual;
        for (const ZipFileGroup& group : groupFiles(files(input))) {
            QStringList missing;
            for (qint64 index : group.missingIndices)
                missing << QString::number(index);
            QCOMPARE(group.isMissingParts, !missing.isEmpty());
            QStringList clashes;
            for (const PartClash& clash : group.clashes) {
                QStringList claimants;
                for (const QUrl& file : clash.files)
                    claimants << folderAndName(file);
                clashes << QString::number(clash.partIndex) + u':' + claimants.join(u',');
            }
            QCOMPARE(group.hasClashingParts(), !clashes.isEmpty());
            // The group's own files say the same, whatever order they come in.
            QCOMPARE(findPartClashes(group.files), group.clashes);
            const QString naming = group.naming == PartNaming::Numbered  ? "numbered:"
                                   : group.naming == PartNaming::Spanned ? "spanned:"
                                                                         : "";
            actual << naming + group.baseName + u'|' + fileNames(group).join(u',') + u'|' +
                          missing.join(u',') + u'|' + clashes.join(u';');
        }
        QCOMPARE(actual, expected);
    }

    // Grouped at once, or held from two drops that each bring a part of
    // every archive, so that the second makes all its groups again.
    void largeDropsGroupLikeSmallOnes_data() {
        QTest::addColumn<bool>("inTwoDrops");
        QTest::addRow("at once") << false;
        QTest::addRow("in two drops") << true;
    }
    void largeDropsGroupLikeSmallOnes() {
        QFETCH(bool, inTwoDrops);
        // Enough files to be read, and names to be grouped, on several
        // threads. Every archive has parts 0-3 but every seventh lacks part
        // 2; the parts come shuffled.
        constexpr int archives = 9000;
        QStringList names;
        for (int archive = 0; archive < archives; ++archive) {
            const QString base = QStringLiteral("a%1").arg(archive, 5, 10, QLatin1Char('0'));
            names << base + ".zip" << base + "(1).zip" << base + "(3).zip";
            if (archive % 7 != 0)
                names << base + "(2).zip";
        }
        std::shuffle(names.begin(), names.end(), std::mt19937(7));
        // Far apart in the drop: the first spelling names the group, and
        // parts with equal numbers keep their drop order.
        names.prepend(QString::fromUtf8("caf\u00E9(0).zip"));
        names.append(QString::fromUtf8("cafe\u0301.zip"));

        HeldGroups held;
        if (inTwoDrops) {
            QSet<QString> noJoins;
            const auto isLater = [](const QString& name) {
                return name.endsWith(u"(1).zip") || name.endsWith(u"(3).zip");
            };
            QStringList later;
            std::copy_if(names.cbegin(), names.cend(), std::back_inserter(later), isLater);
            names.removeIf(isLater);
            held.add(files(names), noJoins);
            held.add(files(later), noJoins);
        }
        const QList<ZipFileGroup> groups = inTwoDrops ? held.groups() : groupFiles(files(names));

        QCOMPARE(groups.size(), archives + 1);
        for (int archive = 0; archive < archives; ++archive) {
            const ZipFileGroup& group = groups[archive];
            const QString base = QStringLiteral("a%1").arg(archive, 5, 10, QLatin1Char('0'));
            QCOMPARE(group.baseName, base);
            QStringList expected{base + ".zip", base + "(1).zip", base + "(2).zip",
                                 base + "(3).zip"};
            if (archive % 7 == 0)
                expected.removeAt(2);
            QCOMPARE(fileNames(group), expected);
            QCOMPARE(group.missingIndices, archive % 7 == 0 ? QList<qint64>{2} : QList<qint64>{});
        }
        QCOMPARE(groups.last().baseName, QString::fromUtf8("caf\u00E9"));
        QCOMPARE(fileNames(groups.last()), (QStringList{QString::fromUtf8("caf\u00E9(0).zip"),
                                                        QString::fromUtf8("cafe\u0301.zip")}));
    }

    // Names in any Unicode form are one name; a settled clash is a change.
    void equalityFollowsCanonicalEquivalenceAndClashes() {
        ZipFileGroup composed =
            groupFiles(files({"/a/caf\u00E9(1).zip", "/b/caf\u00E9(1).zip"})).first();
        ZipFileGroup decomposed = composed;
        decomposed.baseName = QString::fromUtf8("cafe\u0301");
        QVERIFY(composed == decomposed);
        QCOMPARE(qHash(composed, 7), qHash(decomposed, 7));

        decomposed.clashes.clear();
        QVERIFY(composed != decomposed);
    }

    void describesMissingParts_data() {
        QTest::addColumn<PartNaming>("naming");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QList<qint64>>("missing");
        QTest::addColumn<QString>("description"); // "-" for none

        QTest::addRow("one part") << PartNaming::Parenthesised << "archive" << QList<qint64>{2}
                                  << "Missing parts: part (2)";
        QTest::addRow("base and parts")
            << PartNaming::Parenthesised << "archive" << QList<qint64>{0, 3, 4}
            << "Missing parts: base (archive.zip), part (3), part (4)";
        QTest::addRow("base name ending in a space")
            << PartNaming::Parenthesised << "archive " << QList<qint64>{0}
            << "Missing parts: base (archive .zip)";
        QTest::addRow("a complete group has none")
            << PartNaming::Parenthesised << "a" << QList<qint64>{} << "-";
        QTest::addRow("percent signs stay literal")
            << PartNaming::Parenthesised << "%1%2" << QList<qint64>{0}
            << "Missing parts: base (%1%2.zip)";
        QTest::addRow("numbered parts by file name")
            << PartNaming::Numbered << "x" << QList<qint64>{2, 5}
            << "Missing parts: x.zip.002, x.zip.005";
        QTest::addRow("spanned segments by file name")
            << PartNaming::Spanned << "s" << QList<qint64>{2} << "Missing parts: s.z02";
    }
    void describesMissingParts() {
        QFETCH(PartNaming, naming);
        QFETCH(QString, baseName);
        QFETCH(QList<qint64>, missing);
        QFETCH(QString, description);
        const ZipFileGroup described{QUuid(), baseName, {},    !missing.isEmpty(),
                                     missing, {},       naming};
        QCOMPARE(described.missingPartsDescription().value_or("-"), description);
    }

    void refusesOnlySpannedSets() {
        const QList<ZipFileGroup> groups =
            groupFiles(files({"s.zip", "s.z01", "s.z02", "b.zip", "b.zip.001", "c.z01"}));
        QStringList refusals;
        for (const ZipFileGroup& group : groups)
            refusals << group.refusalDescription().value_or("-");
        QCOMPARE(refusals,
                 (QStringList{"-", "-",
                              "These parts (c.z01) are a PKZIP spanned set, not byte-split parts: "
                              "joined end to end they do not make an archive, so Kestrune cannot "
                              "extract them.",
                              "These parts (s.z01 … s.zip) are a PKZIP spanned set, not byte-split "
                              "parts: joined end to end they do not make an archive, so Kestrune "
                              "cannot extract them."}));
    }
};

QTEST_GUILESS_MAIN(GroupingTest)
#include "tst_grouping.moc"
