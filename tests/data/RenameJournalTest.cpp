// A rename of a client never left half done: the journal's contents, a process killed between
// the client's post and its cascade, and journaled renames whose post never committed.
#include "DataBuilders.h"
#include "DataFixture.h"

#include <QFile>
#include <QProcess>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kHelperMs = 15000;

class RenameJournalTest : public DataFixture
{
protected:
    int countClient(TDMKV &d, const QString &name)
    {
        int n = 0;
        d.TBInout->refresh();
        for (d.TBInout->first(); !d.TBInout->eof(); d.TBInout->next())
            n += d.TBInoutCustName->asString() == name ? 1 : 0;
        return n;
    }
    bool listHas(TDMKV &d, const QString &name)
    {
        d.TBCustList->refresh();
        for (d.TBCustList->first(); !d.TBCustList->eof(); d.TBCustList->next())
            if (d.TBCustListCustName->asString() == name)
                return true;
        return false;
    }
};

TEST_F(RenameJournalTest, RecordsReplacesAndClearsOneRenamePerCascade)
{
    RenameJournal &j = dm->renameJournal();
    EXPECT_FALSE(j.pending(RenameJournal::Kind::Client));
    j.record(RenameJournal::Kind::Client, QStringLiteral("Acme"),
             QStringLiteral("Acme Tools \u00e9"));
    j.record(RenameJournal::Kind::JobType, QStringLiteral("Dev"), QStringLiteral("Development"));
    j.record(RenameJournal::Kind::Client, QStringLiteral("Beta"), QStringLiteral("Beta GmbH"));
    const auto client = j.pending(RenameJournal::Kind::Client);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->oldName, QStringLiteral("Beta"));
    EXPECT_EQ(client->newName, QStringLiteral("Beta GmbH"));
    EXPECT_EQ(j.pending(RenameJournal::Kind::JobType)->newName, QStringLiteral("Development"));
    EXPECT_FALSE(QFile::exists(j.path(RenameJournal::Kind::Client) + QStringLiteral(".new")));
    j.clear(RenameJournal::Kind::Client);
    EXPECT_FALSE(j.pending(RenameJournal::Kind::Client));
    EXPECT_TRUE(j.pending(RenameJournal::Kind::JobType));

    // A damaged journal is no rename at all.
    QFile f(j.path(RenameJournal::Kind::Client));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"old\": \"Ac");
    f.close();
    EXPECT_FALSE(j.pending(RenameJournal::Kind::Client));
}

TEST_F(RenameJournalTest, AKillBetweenTheClientsPostAndItsCascadeIsFinishedAtTheNextStart)
{
    setBilling(15, 0);
    addClient(*dm, QStringLiteral("T1"), QStringLiteral("Target Client"));
    addClient(*dm, QStringLiteral("O1"), QStringLiteral("Other Client"));
    dm->TBInout->beginBatch();
    for (int i = 0; i < 300; ++i)
        postRecord(46000 + i, at(9, 0), at(10, 0),
                   i % 3 == 0 ? QStringLiteral("Other Client") : QStringLiteral("Target Client"));
    dm->TBInout->commitBatch();
    dm.reset();

    QProcess helper;
    helper.start(QStringLiteral(KV_DATA_HELPER),
                 {QStringLiteral("rename-client"), m_folder, QStringLiteral("Target Client"),
                  QStringLiteral("Renamed Client")});
    ASSERT_TRUE(helper.waitForStarted(kHelperMs));
    while (!helper.canReadLine())
        ASSERT_TRUE(helper.waitForReadyRead(kHelperMs)) << "the helper did not post";
    ASSERT_EQ(helper.readLine().trimmed(), QByteArray("posted"));
    helper.kill(); // SIGKILL, between the two commits
    ASSERT_TRUE(helper.waitForFinished(kHelperMs));

    dm = std::make_unique<TDMKV>([this] { return m_folder; });
    // The crash left the files disagreeing ...
    EXPECT_TRUE(listHas(*dm, QStringLiteral("Renamed Client")));
    EXPECT_FALSE(listHas(*dm, QStringLiteral("Target Client")));
    EXPECT_EQ(countClient(*dm, QStringLiteral("Target Client")), 200);
    // ... and the start-up's step makes them agree.
    EXPECT_EQ(dm->finishPendingRenames(), 200);
    EXPECT_EQ(countClient(*dm, QStringLiteral("Target Client")), 0);
    EXPECT_EQ(countClient(*dm, QStringLiteral("Renamed Client")), 200);
    EXPECT_EQ(countClient(*dm, QStringLiteral("Other Client")), 100);
    EXPECT_FALSE(dm->renameJournal().pending(RenameJournal::Kind::Client));
    EXPECT_EQ(dm->finishPendingRenames(), 0);
}

TEST_F(RenameJournalTest, ARenameWhosePostNeverCommittedIsDropped)
{
    addClient(*dm, QStringLiteral("T1"), QStringLiteral("Target"));
    postRecord(46000, at(9, 0), at(10, 0), QStringLiteral("Target"));
    // The post failed after the journal was written: the list still has the old name.
    dm->renameJournal().record(RenameJournal::Kind::Client, QStringLiteral("Target"),
                               QStringLiteral("Nowhere"));
    EXPECT_EQ(dm->finishPendingRenames(), 0);
    EXPECT_EQ(countClient(*dm, QStringLiteral("Target")), 1);
    EXPECT_FALSE(dm->renameJournal().pending(RenameJournal::Kind::Client));
}

TEST_F(RenameJournalTest, APostThatRenamesJournalsBeforeWritingAndClearsAfterItsCascade)
{
    addClient(*dm, QStringLiteral("T1"), QStringLiteral("Target"));
    QString seenDuringCascade;
    dm->custRenameFromHook = [] { return QStringLiteral("Target"); };
    dm->custAfterPostHook = [&] {
        if (auto e = dm->renameJournal().pending(RenameJournal::Kind::Client))
            seenDuringCascade = e->oldName + QStringLiteral(" -> ") + e->newName;
    };
    dm->TBCust->first();
    dm->TBCust->edit();
    dm->TBCustCustName->setAsString(QStringLiteral("Renamed"));
    dm->TBCust->post();
    EXPECT_EQ(seenDuringCascade, QStringLiteral("Target -> Renamed"));
    EXPECT_FALSE(dm->renameJournal().pending(RenameJournal::Kind::Client));

    // A cascade that fails leaves the journal for the next start.
    dm->custRenameFromHook = [] { return QStringLiteral("Renamed"); };
    dm->custAfterPostHook = [] { throw StoreError(QStringLiteral("cascade failed")); };
    dm->TBCust->edit();
    dm->TBCustCustName->setAsString(QStringLiteral("Again"));
    EXPECT_THROW(dm->TBCust->post(), StoreError);
    EXPECT_EQ(dm->renameJournal().pending(RenameJournal::Kind::Client)->newName,
              QStringLiteral("Again"));
}

} // namespace
