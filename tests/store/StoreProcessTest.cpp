// Two-process tests: record locks held by another process, locks of a process that died,
// and posts that survive a process killed in the middle of a loop of posts.
#include "StoreTestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <sqlite3.h>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kHelperStartMs = 10000;

class StoreProcessTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_t = makeTimeLog(folder());
        m_t->open();
        addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
        addTime(*m_t, 45001, QStringLiteral("B"), QStringLiteral("Dev"), 9, 10);
        m_t->first();
    }
    void TearDown() override
    {
        if (m_helper.state() != QProcess::NotRunning) {
            m_helper.kill();
            m_helper.waitForFinished();
        }
        StoreTest::TearDown();
    }
    void startHelper(const QString &command)
    {
        m_helper.start(QStringLiteral(KV_STORE_HELPER), {command, folder()});
        ASSERT_TRUE(m_helper.waitForStarted(kHelperStartMs));
    }
    /// Next line the helper prints (empty when it printed nothing within the time).
    QString readLine()
    {
        while (!m_helper.canReadLine())
            if (!m_helper.waitForReadyRead(kHelperStartMs))
                return QString();
        return QString::fromUtf8(m_helper.readLine()).trimmed();
    }
    void killHelper()
    {
        m_helper.kill(); // SIGKILL
        ASSERT_TRUE(m_helper.waitForFinished(kHelperStartMs));
    }

    std::unique_ptr<StoreTable> m_t;
    QProcess m_helper;
};

TEST_F(StoreProcessTest, EditOfALockedRecordFailsAfterSixteenAttempts)
{
    startHelper(QStringLiteral("lock"));
    ASSERT_EQ(readLine(), QStringLiteral("locked %1").arg(m_t->currentRowId()));
    QElapsedTimer clock;
    clock.start();
    const StoreError e = storeError([&] { m_t->edit(); });
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(e.code(), StoreError::kRecordLocked);
    EXPECT_EQ(e.message(), QStringLiteral("Record in data file %1 is in use by another user")
                               .arg(pathOf(QStringLiteral("Tinout201.DAT"))));
    EXPECT_GE(waited, 15 * 100); // fifteen waits of 100 ms between sixteen attempts
    EXPECT_LT(waited, 5000);
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    EXPECT_EQ(storeError([&] { m_t->deleteRecord(); }).code(), StoreError::kRecordLocked);
    EXPECT_FALSE(m_t->isEmpty());

    m_t->next(); // another record is free
    m_t->edit();
    EXPECT_EQ(m_t->state(), StoreTable::State::Edit);
    m_t->cancel();
}

TEST_F(StoreProcessTest, LockOfAKilledProcessDoesNotBlock)
{
    startHelper(QStringLiteral("lock"));
    ASSERT_TRUE(readLine().startsWith(QStringLiteral("locked")));
    m_t->setLockRetryCount(0);
    EXPECT_EQ(storeError([&] { m_t->edit(); }).code(), StoreError::kRecordLocked);
    killHelper();
    constexpr int kLongWaitMs = 2000; // any retry would show as a wait this long
    m_t->setLockRetryCount(15);
    m_t->setLockWaitTime(kLongWaitMs);
    QElapsedTimer clock;
    clock.start();
    m_t->edit();
    EXPECT_LT(clock.elapsed(), kLongWaitMs); // the first attempt succeeds
    m_t->fieldByName(QStringLiteral("TaskDes")).setAsString(QStringLiteral("mine now"));
    m_t->post();
}

TEST_F(StoreProcessTest, PostsThatReturnedSurviveAKill)
{
    constexpr int kPostsBeforeKill = 120;
    startHelper(QStringLiteral("post-loop"));
    QList<qint64> reported;
    while (reported.size() < kPostsBeforeKill) {
        const QString line = readLine();
        ASSERT_FALSE(line.isEmpty()) << "helper stopped posting";
        reported << line.toLongLong();
    }
    killHelper();
    for (const QByteArray &line : m_helper.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            reported << line.trimmed().toLongLong();

    m_t.reset(); // reopen from scratch
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(pathOf(QStringLiteral("Tinout201.DAT")).toUtf8().constData(), &db),
              SQLITE_OK);
    sqlite3_stmt *check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    auto t = makeTimeLog(folder());
    t->open();
    for (qint64 id : reported)
        EXPECT_TRUE(t->bookmarkValid(id)) << "post " << id << " was lost";
}

// Another process's write transaction holds the file: a post, an edit's post and a delete wait
// as for a record lock, then fail with the record-lock message, leaving the record pending;
// once the other write ends, the same post goes through.
TEST_F(StoreProcessTest, WritesWaitForAnotherProcessWriteLikeARecordLock)
{
    // A read first, so that the connection has read the file when the write begins.
    m_t->first();
    m_t->next();
    startHelper(QStringLiteral("write"));
    ASSERT_EQ(readLine(), QStringLiteral("writing"));
    const QString lockedText = QStringLiteral("Record in data file %1 is in use by another user")
                                   .arg(pathOf(QStringLiteral("Tinout201.DAT")));

    m_t->insert();
    m_t->fieldByName(QStringLiteral("WDate")).setAsDateTime(46100);
    m_t->fieldByName(QStringLiteral("CustName")).setAsString(QStringLiteral("C"));
    m_t->fieldByName(QStringLiteral("JobDes")).setAsString(QStringLiteral("Dev"));
    m_t->fieldByName(QStringLiteral("TimeIn")).setAsDateTime(9.0 / 24);
    m_t->fieldByName(QStringLiteral("TimeOut")).setAsDateTime(10.0 / 24);
    QElapsedTimer clock;
    clock.start();
    StoreError e = storeError([&] { m_t->post(); });
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(e.code(), StoreError::kRecordLocked) << qPrintable(e.message());
    EXPECT_EQ(e.message(), lockedText);
    EXPECT_GE(waited, 15 * 100);
    EXPECT_LT(waited, 5000);
    EXPECT_EQ(m_t->state(), StoreTable::State::Insert);

    // Edits of existing records and deletes follow the same rule.
    auto other = makeTimeLog(folder());
    other->open();
    other->setLockRetryCount(2);
    other->edit();
    other->fieldByName(QStringLiteral("TaskDes")).setAsString(QStringLiteral("later"));
    EXPECT_EQ(storeError([&] { other->post(); }).code(), StoreError::kRecordLocked);
    EXPECT_EQ(other->state(), StoreTable::State::Edit);
    other->cancel();
    EXPECT_EQ(storeError([&] { other->deleteRecord(); }).code(), StoreError::kRecordLocked);

    killHelper();
    m_t->post(); // the pending record goes through now
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    other->refresh();
    int records = 0;
    for (other->first(); !other->eof(); other->next())
        ++records;
    EXPECT_EQ(records, 3);
}

} // namespace
