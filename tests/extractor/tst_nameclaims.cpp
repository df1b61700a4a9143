// The plan's table of claimed names: every claim is found again under its
// own name alone, across the table's growth, and a later claim of one name
// does not displace an earlier one unless it is meant to.

#include "nameclaims.h"

#include <QTest>

#include <string>

using Slot = NameClaims::Slot;

class NameClaimsTest : public QObject {
    Q_OBJECT

private slots:
    void findsEveryClaimAndNothingElse_data() {
        QTest::addColumn<int>("names");
        QTest::addColumn<int>("reserved");
        QTest::addRow("a few, nothing reserved") << 5 << 0;
        QTest::addRow("many, growing from nothing") << 200000 << 0;
        QTest::addRow("many, reserved up front") << 200000 << 200000;
        QTest::addRow("more than reserved") << 50000 << 1000;
    }
    void findsEveryClaimAndNothingElse() {
        QFETCH(int, names);
        QFETCH(int, reserved);
        NameClaims claims;
        claims.reserve(std::size_t(reserved));
        for (int i = 0; i < names; ++i) {
            const auto slot = Slot(i % 4);
            QVERIFY(!claims.claimIfFree("d" + std::to_string(i % 300) + "/f" + std::to_string(i),
                                        {slot, std::uint32_t(i)}));
        }
        for (int i = 0; i < names; ++i) {
            const auto found =
                claims.find("d" + std::to_string(i % 300) + "/f" + std::to_string(i));
            QVERIFY2(found, qPrintable(QString::number(i)));
            QCOMPARE(found->entry, std::uint32_t(i));
            QCOMPARE(int(found->slot), i % 4);
            // The same file name in another folder was never claimed.
            QVERIFY(!claims.find("d" + std::to_string(i % 300 + 1) + "/f" + std::to_string(i)));
        }
    }

    void aClaimedNameKeepsItsClaimUntilSet() {
        NameClaims claims;
        QVERIFY(!claims.claimIfFree("a", {Slot::ImpliedFolder, NameClaims::noEntry}));
        const auto kept = claims.claimIfFree("a", {Slot::File, 7});
        QVERIFY(kept);
        QCOMPARE(kept->slot, Slot::ImpliedFolder);
        QCOMPARE(kept->entry, NameClaims::noEntry);
        QCOMPARE(claims.find("a")->slot, Slot::ImpliedFolder);

        claims.set("a", {Slot::Link, 9});
        QCOMPARE(claims.find("a")->slot, Slot::Link);
        QCOMPARE(claims.find("a")->entry, std::uint32_t(9));

        claims.clear();
        QVERIFY(!claims.find("a"));
        QVERIFY(!claims.claimIfFree("a", {Slot::File, 1}));
    }
};

QTEST_GUILESS_MAIN(NameClaimsTest)
#include "tst_nameclaims.moc"
