// The rename cascade into the time log, without windows: what it renames, what it leaves, the
// order and filter it restores, and a failure part-way.
#include "RenameCascade.h"
#include "ListsFixture.h"

using namespace kv;
using namespace kv::test;

namespace {

class RenameCascadeTest : public ListsFixture
{
protected:
    int renameClient(const QString &from, const QString &to)
    {
        return renameInTimeLog(*DMKV->TBInout, *DMKV->TBInoutCustName, QStringLiteral("Tinout02"),
                               from, to);
    }
};

TEST_F(RenameCascadeTest, RenamesEveryRecordOfTheOldNameAndRestoresTheOrder)
{
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2);
    addTime(QStringLiteral("Beta"), QStringLiteral("Design"), 3);
    addTime(QStringLiteral("Acme"), QStringLiteral("Support"), 4);
    addTime(QStringLiteral("acme"), QStringLiteral("Design"), 5); // another client: case counts
    EXPECT_EQ(renameClient(QStringLiteral("Acme"), QStringLiteral("Zeta")), 2);
    EXPECT_EQ(DMKV->TBInout->indexName(), QStringLiteral("Tinout01"));
    const std::vector<TimeRec> log = timeLog();
    ASSERT_EQ(log.size(), 4u);
    // Date order as before, the renamed records in their places.
    EXPECT_EQ(log[0].client, QStringLiteral("Zeta"));
    EXPECT_EQ(log[1].client, QStringLiteral("Beta"));
    EXPECT_EQ(log[2].client, QStringLiteral("Zeta"));
    EXPECT_EQ(log[3].client, QStringLiteral("acme"));
}

TEST_F(RenameCascadeTest, ACaseOnlyChangeRenamesAndEnds)
{
    addTime(QStringLiteral("acme"), QStringLiteral("Design"), 2);
    addTime(QStringLiteral("acme"), QStringLiteral("Design"), 3);
    EXPECT_EQ(renameClient(QStringLiteral("acme"), QStringLiteral("Acme")), 2);
    EXPECT_EQ(countClient(QStringLiteral("Acme")), 2);
}

TEST_F(RenameCascadeTest, NothingHappensForAnEmptyOrUnchangedName)
{
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2);
    EXPECT_EQ(renameClient(QString(), QStringLiteral("Acme")), 0);
    EXPECT_EQ(renameClient(QStringLiteral("Acme"), QStringLiteral("Acme")), 0);
    EXPECT_EQ(renameClient(QStringLiteral("Nobody"), QStringLiteral("Acme")), 0);
}

TEST_F(RenameCascadeTest, RecordsHiddenByTheTimeLogFilterAreRenamedAndTheFilterStays)
{
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2);
    addTime(QStringLiteral("Acme"), QStringLiteral("Support"), 3);
    StoreTable &t = *DMKV->TBInout;
    t.setFilter([](const StoreTable &) {
        return DMKV->TBInoutJobDes->asString() == QStringLiteral("Design");
    });
    t.setFiltered(true);

    EXPECT_EQ(renameClient(QStringLiteral("Acme"), QStringLiteral("Zeta")), 2);
    EXPECT_TRUE(t.isFiltered());
    t.setFiltered(false);
    EXPECT_EQ(countClient(QStringLiteral("Zeta")), 2);
}

TEST_F(RenameCascadeTest, RenamedRecordsHaveTheirHoursRecomputed)
{
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2, 20); // 20 min at 15: 0.25
    ASSERT_DOUBLE_EQ(timeLog()[0].hours, 0.25);
    setIncrement(30);
    renameClient(QStringLiteral("Acme"), QStringLiteral("Zeta"));
    EXPECT_DOUBLE_EQ(timeLog()[0].hours, 0.5) << "the before-post rule ran on the renamed record";
}

TEST_F(RenameCascadeTest, AFailurePartWayKeepsWhatWasRenamedRestoresTheIndexAndReachesTheCaller)
{
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2);
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 3);
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 4);
    // Zeta already has the record of the 3rd: renaming Acme's of that day breaks the unique key.
    addTime(QStringLiteral("Zeta"), QStringLiteral("Design"), 3);

    try {
        renameClient(QStringLiteral("Acme"), QStringLiteral("Zeta"));
        FAIL() << "the key violation must reach the caller";
    } catch (const StoreError &e) {
        EXPECT_EQ(e.code(), StoreError::kKeyViolation);
    }
    StoreTable &t = *DMKV->TBInout;
    EXPECT_EQ(t.indexName(), QStringLiteral("Tinout01"));
    EXPECT_EQ(t.state(), StoreTable::State::Browse);
    EXPECT_EQ(countClient(QStringLiteral("Zeta")), 2) << "the 2nd renamed, the 3rd's own one";
    EXPECT_EQ(countClient(QStringLiteral("Acme")), 2);
}

} // namespace
