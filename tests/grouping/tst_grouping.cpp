#include "grouping/filegrouper.h"
#include "grouping/zipfilegroup.h"
#include "groupnames.h"

#include <QSet>
#include <QTest>

#include <limits>
#include <random>

namespace {

ZipFileGroup group(const QString& baseName, bool isMissingParts, QList<qint64> missing) {
    return {QUuid::createUuid(), baseName, {}, isMissingParts, std::move(missing)};
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
    void parsesPartNames_data() {
        QTest::addColumn<QString>("partName");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<qint64>("index");

        QTest::addRow("no suffix") << "archive"
                                   << "archive" << qint64(0);
        QTest::addRow("numbered") << "archive(12)"
                                  << "archive" << qint64(12);
        QTest::addRow("leading zeros") << "a(007)"
                                       << "a" << qint64(7);
        QTest::addRow("only the last suffix counts") << "a(1)(2)"
                                                     << "a(1)" << qint64(2);
        QTest::addRow("empty base name") << "(3)"
                                         << "" << qint64(3);
        QTest::addRow("space before the suffix stays") << "archive (1)"
                                                       << "archive " << qint64(1);
        QTest::addRow("space after the suffix: no suffix") << "a(1) "
                                                           << "a(1) " << qint64(0);
        QTest::addRow("one closing parenthesis too many") << "a(1))"
                                                          << "a(1))" << qint64(0);
        QTest::addRow("an opening parenthesis before the suffix stays") << "a((1)"
                                                                        << "a(" << qint64(1);
        QTest::addRow("a line break after the suffix: no suffix") << "a(1)\n"
                                                                  << "a(1)\n"
                                                                  << qint64(0);
        QTest::addRow("not only digits") << "a(1a)"
                                         << "a(1a)" << qint64(0);
        QTest::addRow("negative") << "a(-1)"
                                  << "a(-1)" << qint64(0);
        QTest::addRow("largest index") << "a(9223372036854775807)"
                                       << "a" << std::numeric_limits<qint64>::max();
        QTest::addRow("one past the largest index") << "a(9223372036854775808)"
                                                    << "a(9223372036854775808)" << qint64(0);
        QTest::addRow("Arabic-Indic digits are not read")
            << QString::fromUtf8("a(\u0663)") << QString::fromUtf8("a(\u0663)") << qint64(0);
    }
    void parsesPartNames() {
        QFETCH(QString, partName);
        QFETCH(QString, baseName);
        QFETCH(qint64, index);
        const ParsedPartName parsed = parsePartName(partName);
        QCOMPARE(parsed.baseName, baseName);
        QCOMPARE(parsed.partIndex, index);
    }

    void readsPartNumbersOfEveryNaming_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("index"); // -1: not a part

        QTest::addRow("archive.zip") << "a.zip" << qint64(0);
        QTest::addRow("archive(N).zip") << "a(4).zip" << qint64(4);
        QTest::addRow(".001") << "a.zip.001" << qint64(1);
        QTest::addRow(".1000 after .999") << "a.zip.1000" << qint64(1000);
        QTest::addRow("extensions in upper case") << "a.ZIP.002" << qint64(2);
        QTest::addRow("largest number")
            << "a.zip.9223372036854775807" << std::numeric_limits<qint64>::max();
        QTest::addRow("one past the largest number") << "a.zip.9223372036854775808" << qint64(-1);
        QTest::addRow(".000: numbering starts at 1") << "a.zip.000" << qint64(-1);
        QTest::addRow(".01: too few digits") << "a.zip.01" << qint64(-1);
        QTest::addRow(".0001: padded past three digits") << "a.zip.0001" << qint64(-1);
        QTest::addRow("no .zip before the number") << "a.001" << qint64(-1);
        QTest::addRow("another archive format") << "a.7z.001" << qint64(-1);
        QTest::addRow("Arabic-Indic digits are not read")
            << QString::fromUtf8("a.zip.٠٠١") << qint64(-1);
        QTest::addRow("a sign is no digit") << "a.zip.-01" << qint64(-1);
        QTest::addRow(".z01") << "a.z01" << qint64(1);
        QTest::addRow(".z100 after .z99") << "a.z100" << qint64(100);
        QTest::addRow(".z00") << "a.z00" << qint64(-1);
        QTest::addRow(".z1: too few digits") << "a.z1" << qint64(-1);
        QTest::addRow(".z001: padded past two digits") << "a.z001" << qint64(-1);
    }
    void readsPartNumbersOfEveryNaming() {
        QFETCH(QString, name);
        QFETCH(qint64, index);
        QCOMPARE(partIndexOf(files({name}).first()).value_or(-1), index);
    }

    void findsMissingIndices_data() {
        QTest::addColumn<QList<qint64>>("present");
        QTest::addColumn<QList<qint64>>("missing");

        QTest::addRow("empty") << QList<qint64>{} << QList<qint64>{};
        QTest::addRow("only the base") << QList<qint64>{0} << QList<qint64>{};
        QTest::addRow("complete, any order") << QList<qint64>{2, 0, 1} << QList<qint64>{};
        QTest::addRow("gap") << QList<qint64>{0, 1, 3} << QList<qint64>{2};
        QTest::addRow("base missing") << QList<qint64>{2, 1} << QList<qint64>{0};
        QTest::addRow("lone high part") << QList<qint64>{3} << QList<qint64>{0, 1, 2};
        QTest::addRow("repeats make no difference")
            << QList<qint64>{3, 3, 0, 0} << QList<qint64>{1, 2};
    }
    void findsMissingIndices() {
        QFETCH(QList<qint64>, present);
        QFETCH(QList<qint64>, missing);
        const MissingIndices result = findMissingIndices(present);
        QCOMPARE(result.indices, missing);
        QCOMPARE(result.isMissingParts, !missing.isEmpty());
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
        QTest::addRow("lone part zero") << QStringList{"a(0).zip"} << QStringList{"a|a(0).zip||"};
        QTest::addRow("space before the suffix is another archive")
            << QStringList{"archive.zip", "archive (1).zip"}
            << QStringList{"archive|archive.zip||", "archive |archive (1).zip|0|"};
        QTest::addRow("upper case sorts first")
            << QStringList{"a.zip", "B.zip"} << QStringList{"B|B.zip||", "a|a.zip||"};
        QTest::addRow("a prefix sorts first")
            << QStringList{"ab.zip", "a.zip", "a b.zip"}
            << QStringList{"a|a.zip||", "a b|a b.zip||", "ab|ab.zip||"};
        QTest::addRow("letter case separates archives")
            << QStringList{"A.zip", "a(1).zip"} << QStringList{"A|A.zip||", "a|a(1).zip|0|"};
        QTest::addRow("extension in any case")
            << QStringList{"a.ZIP", "a(1).Zip"} << QStringList{"a|a.ZIP,a(1).Zip||"};
        QTest::addRow("other extensions are ignored")
            << QStringList{"notes.txt", "a.7z", "a.zipx", "README", "folder/"} << QStringList{};
        QTest::addRow("only the last extension is removed")
            << QStringList{"a.tar.zip"} << QStringList{"a.tar|a.tar.zip||"};
        QTest::addRow("folders do not matter")
            << QStringList{"/x/a.zip", "/y/a(1).zip"} << QStringList{"a|a.zip,a(1).zip||"};
        QTest::addRow("stable among equal indices")
            << QStringList{"a(0).zip", "a.zip"}
            << QStringList{"a|a(0).zip,a.zip||0:downloads/a(0).zip,downloads/a.zip"};
        QTest::addRow("stable among equal indices, reversed")
            << QStringList{"a.zip", "a(0).zip"}
            << QStringList{"a|a.zip,a(0).zip||0:downloads/a.zip,downloads/a(0).zip"};
        QTest::addRow("repeated location kept")
            << QStringList{"a.zip", "a.zip"}
            << QStringList{"a|a.zip,a.zip||0:downloads/a.zip,downloads/a.zip"};
        QTest::addRow("empty base name")
            << QStringList{"(3).zip"} << QStringList{"|(3).zip|0,1,2|"};
        QTest::addRow("twenty-digit suffix is part of the name")
            << QStringList{"a(12345678901234567890).zip"}
            << QStringList{"a(12345678901234567890)|a(12345678901234567890).zip||"};
        QTest::addRow("percent signs are part of the name")
            << QStringList{"100%.zip", "100%(1).zip", "a%2F(1).zip"}
            << QStringList{"100%|100%.zip,100%(1).zip||", "a%2F|a%2F(1).zip|0|"};

        // Other namings: the base name is marked with its naming.
        QTest::addRow("numbered parts in number order")
            << QStringList{"x.zip.002", "x.zip.001", "x.zip.003"}
            << QStringList{"numbered:x|x.zip.001,x.zip.002,x.zip.003||"};
        QTest::addRow("numbered set lacking .002")
            << QStringList{"x.zip.001", "x.zip.003"}
            << QStringList{"numbered:x|x.zip.001,x.zip.003|2|"};
        QTest::addRow("numbered set lacking its first parts")
            << QStringList{"x.zip.003"} << QStringList{"numbered:x|x.zip.003|1,2|"};
        QTest::addRow("the two byte-split namings never mix")
            << QStringList{"x.zip.002", "x(1).zip", "x.zip.001", "x.zip"}
            << QStringList{"x|x.zip,x(1).zip||", "numbered:x|x.zip.001,x.zip.002||"};
        QTest::addRow("a numbered part's name keeps its parentheses")
            << QStringList{"x(1).zip.001"} << QStringList{"numbered:x(1)|x(1).zip.001||"};
        QTest::addRow("one numbered part in two folders")
            << QStringList{"/a/x.zip.001", "/b/x.zip.001", "/a/x.zip.002"}
            << QStringList{"numbered:x|x.zip.001,x.zip.001,x.zip.002||1:a/x.zip.001,b/x.zip.001"};
        QTest::addRow("numbered spellings that are not parts")
            << QStringList{"x.zip.000", "x.zip.01", "x.zip.0001", "x.001"} << QStringList{};
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
        QTest::addRow("two base files clash on part 0")
            << QStringList{"/a/s.zip", "/a/s(1).zip", "/b/s.zip"}
            << QStringList{"s|s.zip,s.zip,s(1).zip||0:a/s.zip,b/s.zip"};
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
        QTest::addRow("same part number in two archives is no clash")
            << QStringList{"/a/s(1).zip", "/b/t(1).zip", "/a/s.zip", "/b/t.zip"}
            << QStringList{"s|s.zip,s(1).zip||", "t|t.zip,t(1).zip||"};
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

    void largeDropsGroupLikeSmallOnes() {
        // Enough files to be read on several threads. Every archive has parts
        // 0-3 but every seventh lacks part 2; the parts come shuffled.
        constexpr int archives = 6000;
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

        const QList<ZipFileGroup> groups = groupFiles(files(names));

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

    void ordersByCodePointNotCodeUnit() {
        // U+FF21 is one UTF-16 unit above the surrogates; U+1F600 is a pair of
        // surrogates (D83D DE00). By code point U+FF21 comes first.
        const QString fullwidthA = QString::fromUtf8("\uFF21");
        const QString emoji = QString::fromUtf8("\U0001F600");
        const QStringList expected{"a", fullwidthA, emoji};
        QCOMPARE(baseNames(groupFiles(files({emoji + ".zip", fullwidthA + ".zip", "a.zip"}))),
                 expected);
        QCOMPARE(baseNames(groupFiles(files({"a.zip", fullwidthA + ".zip", emoji + ".zip"}))),
                 expected);
    }

    void everyGroupIsNew() {
        const QList<QUrl> input = files({"a.zip", "a(1).zip"});
        const ZipFileGroup first = groupFiles(input).first();
        const ZipFileGroup second = groupFiles(input).first();
        QVERIFY(first.id != second.id);
        QVERIFY(first != second);
    }

    void equalityFollowsCanonicalEquivalence() {
        ZipFileGroup composed = group(QString::fromUtf8("caf\u00E9"), false, {});
        ZipFileGroup decomposed = composed;
        decomposed.baseName = QString::fromUtf8("cafe\u0301");
        QVERIFY(composed == decomposed);
        QCOMPARE(qHash(composed, 7), qHash(decomposed, 7));
        QSet<ZipFileGroup> set{composed};
        QVERIFY(set.contains(decomposed));

        decomposed.missingIndices = {1};
        QVERIFY(composed != decomposed);
    }

    void clashesTakePartInEquality() {
        const ZipFileGroup clashing = groupFiles(files({"/a/s(1).zip", "/b/s(1).zip"})).first();
        ZipFileGroup settled = clashing;
        QVERIFY(settled == clashing);
        QCOMPARE(qHash(settled, 7), qHash(clashing, 7));

        settled.clashes.clear();
        QVERIFY(settled != clashing);
        QVERIFY(!QSet<ZipFileGroup>{clashing}.contains(settled));
    }

    void describesMissingParts_data() {
        QTest::addColumn<PartNaming>("naming");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<bool>("isMissingParts");
        QTest::addColumn<QList<qint64>>("missing");
        QTest::addColumn<QString>("description"); // "-" for none

        QTest::addRow("one part") << PartNaming::Parenthesised << "archive" << true
                                  << QList<qint64>{2} << "Missing parts: part (2)";
        QTest::addRow("base and parts")
            << PartNaming::Parenthesised << "archive" << true << QList<qint64>{0, 3, 4}
            << "Missing parts: base (archive.zip), part (3), part (4)";
        QTest::addRow("base name ending in a space")
            << PartNaming::Parenthesised << "archive " << true << QList<qint64>{0}
            << "Missing parts: base (archive .zip)";
        QTest::addRow("no leading zeros") << PartNaming::Parenthesised << "a" << true
                                          << QList<qint64>{10} << "Missing parts: part (10)";
        QTest::addRow("a complete group has none")
            << PartNaming::Parenthesised << "a" << false << QList<qint64>{} << "-";
        QTest::addRow("percent signs stay literal")
            << PartNaming::Parenthesised << "%1%2" << true << QList<qint64>{0}
            << "Missing parts: base (%1%2.zip)";
        QTest::addRow("numbered parts by file name")
            << PartNaming::Numbered << "x" << true << QList<qint64>{2, 5}
            << "Missing parts: x.zip.002, x.zip.005";
        QTest::addRow("numbered parts past .999")
            << PartNaming::Numbered << "x" << true << QList<qint64>{1000}
            << "Missing parts: x.zip.1000";
        QTest::addRow("spanned segments by file name")
            << PartNaming::Spanned << "s" << true << QList<qint64>{2} << "Missing parts: s.z02";
    }
    void describesMissingParts() {
        QFETCH(PartNaming, naming);
        QFETCH(QString, baseName);
        QFETCH(bool, isMissingParts);
        QFETCH(QList<qint64>, missing);
        QFETCH(QString, description);
        ZipFileGroup described = group(baseName, isMissingParts, missing);
        described.naming = naming;
        const std::optional<QString> text = described.missingPartsDescription();
        if (description == u"-")
            QVERIFY(!text);
        else
            QCOMPARE(text.value_or(QStringLiteral("(none)")), description);
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
