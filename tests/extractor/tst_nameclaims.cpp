// The plan's table of claimed names: a later claim of one name does not
// displace an earlier one unless it is meant to. That every claim is found
// again across the table's growth, the extraction of thousands of names in
// tst_extractor shows.

#include "nameclaims.h"

#include <QTest>

using Slot = NameClaims::Slot;

class NameClaimsTest : public QObject {
    Q_OBJECT

private slots:
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
