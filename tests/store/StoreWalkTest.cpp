// Tests of walks through the whole view with bound controls off (export, reports, cascades):
// they read through one statement, and must visit what the record-by-record moves visit, give
// way to every write on the file, and leave the buffer whole when a record fails to load.
#include "StoreBatch.h"
#include "StoreConnection.h"
#include "StoreTestSupport.h"

#include <sqlite3.h>

using namespace kv;
using namespace kv::test;

namespace {

class StoreWalkTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_t = makeTimeLog(folder());
        m_t->open();
    }
    Field &f(const char *name) const { return m_t->fieldByName(QString::fromLatin1(name)); }
    /// One line per visible record: row id, keys and the calculated field, in view order.
    QStringList visit(bool controlsOff)
    {
        if (controlsOff)
            m_t->disableControls();
        QStringList out;
        for (m_t->first(); !m_t->eof(); m_t->next())
            out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                       .arg(m_t->currentRowId())
                       .arg(f("WDate").asInteger())
                       .arg(f("CustName").asString(), f("JobDes").asString())
                       .arg(f("Hours").asFloat())
                       .arg(f("IsNote").asInteger());
        if (controlsOff)
            m_t->enableControls();
        return out;
    }
    /// `n` records over 7 clients, 3 job types and scrambled days; every fifth has a note.
    void addMany(int n)
    {
        StoreBatch batch(*m_t);
        for (int i = 0; i < n; ++i) {
            m_t->insert();
            f("WDate").setAsDateTime(40000 + (i * 337) % 400);
            f("CustName").setAsString(QStringLiteral("Client %1").arg(i % 7));
            f("JobDes").setAsString(QStringLiteral("Job %1").arg(i % 3));
            f("TimeIn").setAsDateTime((8 + i % 5) * dt::kHour);
            f("TimeOut").setAsDateTime((9 + i % 5) * dt::kHour);
            f("Hours").setAsFloat(1 + i % 4);
            if (i % 5 == 0)
                f("Notes").setAsString(QStringLiteral("note"));
            m_t->post();
        }
        batch.commit();
    }
    /// Commits a change to the file through a connection of its own, as another process would.
    void commitElsewhere()
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(pathOf(QStringLiteral("Tinout201.DAT"))), &db),
                  SQLITE_OK);
        sqlite3_busy_timeout(db, 2000);
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, "UPDATE Tinout201 SET TaskDes = 'elsewhere' WHERE rowid = 1",
                               nullptr, nullptr, &error),
                  SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    std::unique_ptr<StoreTable> m_t;
};

TEST_F(StoreWalkTest, AWalkVisitsWhatTheMovesVisitInEveryOrderAndFilter)
{
    addMany(1300);
    const auto compare = [&](const char *what) {
        const QStringList moves = visit(false);
        const QStringList walk = visit(true);
        EXPECT_EQ(walk, moves) << what;
        EXPECT_FALSE(moves.isEmpty()) << what;
    };
    for (const char *index : {"Tinout01", "Tinout02", "Tinout03"}) {
        m_t->setIndexName(QString::fromLatin1(index));
        m_t->setFiltered(false);
        compare(index);

        // A predicate the store cannot read, then a term it decides, then both.
        m_t->setFilter([](const StoreTable &t) {
            return t.fieldByName(QStringLiteral("Hours")).asFloat() > 2.5;
        });
        m_t->setFiltered(true);
        compare("predicate");
        FilterTerm client;
        client.fieldName = QStringLiteral("CustName");
        client.match = FilterTerm::Match::Whole;
        client.anyOf = {{FilterTerm::Operand{false, QStringLiteral("client 3"), 0}}};
        m_t->setFilter(nullptr, {client});
        compare("term");
        m_t->setFilter(
            [](const StoreTable &t) {
                return t.fieldByName(QStringLiteral("IsNote")).asInteger() == 0;
            },
            {client});
        compare("term and predicate on a calculated field");
    }
    m_t->setFiltered(false);
    m_t->setIndexName(QStringLiteral("Tinout01"));
    EXPECT_EQ(visit(true).size(), 1300);
}

TEST_F(StoreWalkTest, AWalkOverScatteredRecordsReadsTheMapAndGivesItUpBeforeAnyWrite)
{
    // Scrambled days put date order all over the file; the order of entry is the file's own.
    // A page cache of eight pages makes this small file as much larger than the cache as a
    // time log of years is.
    addMany(1300);
    const std::shared_ptr<StoreConnection> conn =
        StoreConnection::acquire(pathOf(QStringLiteral("Tinout201.DAT")), timeLogSchema(),
                                 QStringLiteral("Tinout201"), false);
    const auto pragma = [&](const char *name) {
        sqlite3_stmt *st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(conn->handle(), name, -1, &st, nullptr), SQLITE_OK);
        const qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        return v;
    };
    const qint64 cachePages = pragma("PRAGMA cache_size");
    pragma("PRAGMA cache_size = 8");
    const QStringList moves = visit(false);
    EXPECT_EQ(visit(true), moves) << "the map gives what the moves read";
    EXPECT_FALSE(conn->readsMapped());

    m_t->disableControls();
    m_t->first();
    for (int i = 1; i < 511; ++i)
        m_t->next();
    EXPECT_FALSE(conn->readsMapped()) << "not before the walk has looked at its records";
    m_t->next();
    EXPECT_TRUE(conn->readsMapped());
    EXPECT_EQ(pragma("PRAGMA cell_size_check"), 0);
    EXPECT_GT(pragma("PRAGMA mmap_size"), 0);
    // A post ends the walk first: the check is on again for the write, and the map is gone.
    m_t->edit();
    f("Hours").setAsFloat(9);
    m_t->post();
    EXPECT_FALSE(conn->readsMapped());
    EXPECT_EQ(pragma("PRAGMA cell_size_check"), 1);
    EXPECT_EQ(pragma("PRAGMA mmap_size"), 0);
    // A walk begun inside a write transaction never maps.
    {
        StoreBatch batch(*m_t);
        int n = 0;
        for (m_t->first(); !m_t->eof() && n < 600; m_t->next())
            ++n;
        EXPECT_EQ(n, 600);
        EXPECT_FALSE(conn->readsMapped());
        batch.commit();
    }
    m_t->enableControls();

    m_t->setIndexName(QString());
    m_t->disableControls();
    int n = 0;
    for (m_t->first(); !m_t->eof(); m_t->next())
        n += conn->readsMapped() ? 1 : 0;
    m_t->enableControls();
    EXPECT_EQ(n, 0) << "records in the file's order are read as they are";
    m_t->setIndexName(QStringLiteral("Tinout01"));

    // A file the page cache holds reads no pages, in any order.
    pragma(QStringLiteral("PRAGMA cache_size = %1").arg(cachePages).toUtf8().constData());
    visit(false);
    m_t->disableControls();
    for (m_t->first(); !m_t->eof(); m_t->next())
        n += conn->readsMapped() ? 1 : 0;
    m_t->enableControls();
    EXPECT_EQ(n, 0) << "a file in the cache is read as it is";
}

TEST_F(StoreWalkTest, AWalkThatComesUponScatteredRecordsLaterReadsTheMapFromThere)
{
    // Date order: 600 days entered in order, then 700 later days entered scrambled; long tasks
    // spread them over many more pages than the cache holds.
    {
        StoreBatch batch(*m_t);
        for (int i = 0; i < 1300; ++i) {
            m_t->insert();
            f("WDate").setAsDateTime(i < 600 ? 40000 + i : 41000 + (i * 337) % 700);
            f("CustName").setAsString(QStringLiteral("Client"));
            f("JobDes").setAsString(QStringLiteral("Job"));
            f("TaskDes").setAsString(QString(200, u'x'));
            f("TimeIn").setAsDateTime(8 * dt::kHour);
            f("TimeOut").setAsDateTime(9 * dt::kHour);
            m_t->post();
        }
        batch.commit();
    }
    const std::shared_ptr<StoreConnection> conn =
        StoreConnection::acquire(pathOf(QStringLiteral("Tinout201.DAT")), timeLogSchema(),
                                 QStringLiteral("Tinout201"), false);
    ASSERT_EQ(sqlite3_exec(conn->handle(), "PRAGMA cache_size = 8", nullptr, nullptr, nullptr),
              SQLITE_OK);
    m_t->disableControls();
    int n = 0, firstMapped = -1;
    for (m_t->first(); !m_t->eof(); m_t->next(), ++n)
        if (firstMapped < 0 && conn->readsMapped())
            firstMapped = n;
    m_t->enableControls();
    EXPECT_EQ(n, 1300);
    EXPECT_EQ(firstMapped, 2 * 512 - 1) << "the second look maps; the first saw the file's order";
    EXPECT_FALSE(conn->readsMapped());
}

TEST_F(StoreWalkTest, AWriteThroughAnotherObjectEndsTheWalksReadAndTheWalkGoesOn)
{
    addMany(600);
    auto other = makeTimeLog(folder(), QStringLiteral("Other"));
    other->open();
    m_t->disableControls();
    m_t->first();
    for (int i = 0; i < 100; ++i)
        m_t->next();
    const int here = f("WDate").asInteger();
    // Another process commits meanwhile: a walk still holding its snapshot would make the
    // write lock unobtainable (the post would fail after its retries).
    commitElsewhere();
    addTime(*other, here + 1, QStringLiteral("Late"), QStringLiteral("Job"), 9, 10);
    int after = 0;
    bool sawLate = false;
    int previous = here;
    for (m_t->next(); !m_t->eof(); m_t->next(), ++after) {
        EXPECT_GE(f("WDate").asInteger(), previous);
        previous = f("WDate").asInteger();
        sawLate = sawLate || f("CustName").asString() == u"Late";
    }
    m_t->enableControls();
    EXPECT_TRUE(sawLate);
    EXPECT_EQ(after, 601 - 101);
}

TEST_F(StoreWalkTest, TheWalkLetsGoOfItsSnapshotWhenControlsComeBack)
{
    addMany(50);
    m_t->disableControls();
    m_t->first();
    m_t->next();
    m_t->enableControls();
    commitElsewhere();
    m_t->first();
    EXPECT_EQ(m_t->fieldByName(QStringLiteral("TaskDes")).asString(), QStringLiteral("elsewhere"));
    // And a post of this object finds the write lock.
    m_t->edit();
    f("Hours").setAsFloat(7);
    m_t->post();
    EXPECT_DOUBLE_EQ(f("Hours").asFloat(), 7);
}

TEST_F(StoreWalkTest, ARecordThatFailsToLoadLeavesTheOneBeforeAndTheWalkCanGoOn)
{
    addMany(40);
    const QStringList all = visit(false);
    const qint64 bad = all.at(20).section(u' ', 0, 0).toLongLong();
    const auto calc = m_t->OnCalcFields;
    bool failing = true;
    m_t->OnCalcFields = [&](StoreTable &t) {
        calc(t);
        if (failing && t.currentRowId() == bad)
            throw StoreError(QStringLiteral("calc failed"), StoreError::kInvalidOperation);
    };
    m_t->disableControls();
    m_t->first();
    for (int i = 0; i < 19; ++i)
        m_t->next();
    const qint64 before = m_t->currentRowId();
    EXPECT_EQ(storeError([&] { m_t->next(); }).code(), StoreError::kInvalidOperation);
    EXPECT_EQ(m_t->currentRowId(), before);
    EXPECT_EQ(f("IsNote").asInteger(), all.at(19).section(u' ', -1).toInt());
    failing = false;
    int rest = 0;
    for (m_t->next(); !m_t->eof(); m_t->next())
        ++rest;
    m_t->enableControls();
    EXPECT_EQ(rest, 20);
}

TEST_F(StoreWalkTest, AWalkThatReadsOneFieldStillLeavesWholeRecordsBehind)
{
    // A walk decodes only the fields it reads; whatever happens to the record afterwards
    // (the walk ends, another object writes, an edit, an index change) must see all of it.
    addMany(300);
    m_t->setIndexName(QStringLiteral("Tinout02"));
    m_t->setFilter(
        [](const StoreTable &t) { return t.fieldByName(QStringLiteral("Hours")).asFloat() < 3.5; });
    m_t->setFiltered(true);
    const QStringList all = visit(false);
    ASSERT_GT(all.size(), 3);

    // To the end, reading Hours only: the buffer then holds the last visible record, whole,
    // and a move back from it follows the index.
    m_t->disableControls();
    double sum = 0;
    for (m_t->first(); !m_t->eof(); m_t->next())
        sum += f("Hours").asFloat();
    EXPECT_GT(sum, 0);
    const auto line = [&] {
        return QStringLiteral("%1 %2 %3 %4 %5 %6")
            .arg(m_t->currentRowId())
            .arg(f("WDate").asInteger())
            .arg(f("CustName").asString(), f("JobDes").asString())
            .arg(f("Hours").asFloat())
            .arg(f("IsNote").asInteger());
    };
    EXPECT_EQ(line(), all.last());
    m_t->prior();
    EXPECT_EQ(line(), all.at(all.size() - 2));

    // Half way, nothing read: a write through another object ends the walk's read, and the
    // record stays whole.
    auto other = makeTimeLog(folder(), QStringLiteral("Other"));
    other->open();
    m_t->first();
    m_t->next();
    addTime(*other, 50000, QStringLiteral("Late"), QStringLiteral("Job"), 9, 10);
    EXPECT_EQ(line(), all.at(1));

    // An edit of a record the walk reached without reading it changes only what it sets.
    m_t->next();
    const QString third = all.at(2);
    m_t->edit();
    f("Hours").setAsFloat(0.5);
    m_t->post();
    EXPECT_EQ(line().section(u' ', 0, 3), third.section(u' ', 0, 3));
    EXPECT_DOUBLE_EQ(f("Hours").asFloat(), 0.5);

    // A change of index under a walk keeps the record.
    m_t->next();
    const qint64 fourth = m_t->currentRowId();
    m_t->setIndexName(QStringLiteral("Tinout01"));
    EXPECT_EQ(m_t->currentRowId(), fourth);
    EXPECT_EQ(line(), all.at(3));
    m_t->enableControls();
}

TEST_F(StoreWalkTest, AWalksUndecodedReadsGiveWhatItsDecodedValuesGive)
{
    // The bytes, numbers and null tests a walk gives before a field is decoded must be what
    // asString, asFloat and isNull give after it, for every storage class a file may hold.
    addMany(12);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(pathOf(QStringLiteral("Tinout201.DAT"))), &db),
              SQLITE_OK);
    for (const QString &sql : {
             QStringLiteral("UPDATE Tinout201 SET CustName = 'Müller € \U0001F600', "
                            "TaskDes = '' WHERE rowid = 1"),
             QStringLiteral("UPDATE Tinout201 SET TaskDes = NULL, Hours = NULL, Billable = NULL "
                            "WHERE rowid = 2"),
             QStringLiteral("UPDATE Tinout201 SET Hours = '2.5', TimeIn = 90000000, "
                            "Billable = 'yes' WHERE rowid = 3"),
             QStringLiteral("UPDATE Tinout201 SET Hours = 3, TimeOut = -5, WDate = 40001.0 "
                            "WHERE rowid = 4"),
             QStringLiteral("UPDATE Tinout201 SET CustName = X'4a6f62', Hours = 'n/a' "
                            "WHERE rowid = 5"),
         }) {
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
    }
    sqlite3_close(db);
    m_t->refresh();

    const char *names[] = {"WDate",   "CustName", "JobDes",   "TaskDes", "TimeIn",
                           "TimeOut", "Hours",    "Billable", "Notes"};
    m_t->disableControls();
    int records = 0, fastTexts = 0, fastNumbers = 0;
    for (m_t->first(); !m_t->eof(); m_t->next(), ++records) {
        // All undecoded reads first, then the decoded answers.
        struct Read
        {
            bool utf8 = false, number = false, null = false;
            QByteArray bytes;
            double value = 0;
        };
        std::vector<Read> reads;
        for (const char *n : names) {
            Read r;
            r.utf8 = f(n).readUtf8(r.bytes);
            r.number = f(n).readNumber(r.value, r.null);
            reads.push_back(r);
        }
        std::vector<bool> nulls;
        for (const char *n : names)
            nulls.push_back(f(n).isNull());
        for (size_t i = 0; i < reads.size(); ++i) {
            Field &field = f(names[i]);
            const Read &r = reads[i];
            const QString where =
                QStringLiteral("%1 of %2").arg(QLatin1String(names[i])).arg(m_t->currentRowId());
            if (r.utf8) {
                ++fastTexts;
                EXPECT_FALSE(nulls[i]) << qPrintable(where);
                EXPECT_EQ(QString::fromUtf8(r.bytes), field.asString()) << qPrintable(where);
            }
            if (r.number) {
                ++fastNumbers;
                EXPECT_EQ(r.null, nulls[i]) << qPrintable(where);
                if (!r.null) {
                    EXPECT_EQ(r.value, field.asFloat()) << qPrintable(where);
                }
            }
        }
        // Once decoded, nothing is handed over undecoded any more.
        f("CustName").value();
        f("Hours").value();
        QByteArray bytes;
        double value = 0;
        bool null = false;
        EXPECT_FALSE(f("CustName").readUtf8(bytes));
        EXPECT_FALSE(f("Hours").readNumber(value, null));
    }
    m_t->enableControls();
    EXPECT_EQ(records, 12);
    EXPECT_GT(fastTexts, 25);
    EXPECT_GT(fastNumbers, 50);

    // The unusual storage classes are not handed over undecoded but read the usual way.
    m_t->disableControls();
    m_t->first();
    while (!m_t->eof() && m_t->currentRowId() != 5)
        m_t->next();
    ASSERT_FALSE(m_t->eof());
    QByteArray bytes;
    double value = 0;
    bool null = false;
    EXPECT_FALSE(f("CustName").readUtf8(bytes));      // a blob in a text column
    EXPECT_FALSE(f("Hours").readNumber(value, null)); // a text in a number column
    EXPECT_EQ(f("CustName").asString(), QStringLiteral("Job"));
    m_t->enableControls();
}

TEST_F(StoreWalkTest, DeletingTheWholeViewInOneBatchWalksItOnce)
{
    addMany(700);
    FilterTerm client;
    client.fieldName = QStringLiteral("CustName");
    client.match = FilterTerm::Match::Whole;
    client.anyOf = {{FilterTerm::Operand{false, QStringLiteral("Client 2"), 0}}};
    m_t->setFilter(nullptr, {client});
    m_t->setFiltered(true);
    deleteAllInView(*m_t);
    EXPECT_TRUE(m_t->isEmpty());
    m_t->setFiltered(false);
    EXPECT_EQ(visit(true).size(), 600);
    EXPECT_EQ(m_t->countView(), 600);
}

} // namespace
