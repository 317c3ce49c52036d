// The filter the store reads against the criteria engine's own predicate: over generated time
// logs, many random criteria (every match kind, case, negation, "or", "and", "null", ranges of
// dates, times, hours and text, letters that fold alike) must show the same records, in two
// orders, with the same count, total, positions and record numbers.
#include "DateTime.h"
#include "FilterCriteria.h"
#include "FormatSettings.h"
#include "KVDM.h"

#include <QDir>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;
using namespace Qt::StringLiterals;

namespace {

const QStringList kClients{u"Acme Corp"_s,
                           u"acme labs"_s,
                           u"ACME"_s,
                           u"Beta & Co"_s,
                           u"\u212Aelvin Co"_s,
                           u"kelvin co"_s,
                           u"\u017Fam's Shop"_s,
                           u"Sam's shop"_s,
                           u"\u00C4rger GmbH"_s,
                           u"\u00E4rger gmbh"_s,
                           u"Zeta"_s,
                           u"zz top"_s,
                           u"12 Monkeys"_s,
                           u"A"_s};
const QStringList kJobs{u"Design"_s, u"design"_s, u"Support"_s, u"Meeting"_s, u"DESIGN X"_s};
const QStringList kTasks{u"Logo draft"_s, u"logo"_s, u"Rock and roll poster"_s,
                         u"Kick-off"_s,   u"null"_s, u"\"quoted\""_s};

class FilterPushdownTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString folder = m_dir.path() + u"/Data"_s;
        QDir().mkpath(folder);
        dm = std::make_unique<TDMKV>([folder] { return folder; });
    }

    /// A log of `n` records of random clients, jobs, days, times, hours and flags; some text,
    /// hours and flags left empty.
    void generate(int n)
    {
        StoreTable &t = *dm->TBInout;
        const double base = dt::fromDate(QDate(2023, 12, 20));
        for (int i = 0; i < n; ++i) {
            t.insert();
            dm->TBInoutWDate->setAsDateTime(base + rng.bounded(40));
            dm->TBInoutCustName->setAsString(kClients.at(rng.bounded(kClients.size())));
            dm->TBInoutJobDes->setAsString(kJobs.at(rng.bounded(kJobs.size())));
            if (rng.bounded(3) != 0)
                dm->TBInoutTaskDes->setAsString(kTasks.at(rng.bounded(kTasks.size())));
            // Times on whole seconds and in between, so half-second edges are met.
            const qint64 in = qint64(rng.bounded(12 * 3600)) * 1000 + rng.bounded(2) * 499;
            dm->TBInoutTimeIn->setAsDateTime(dt::fromMsOfDay(in));
            dm->TBInoutTimeOut->setAsDateTime(dt::fromMsOfDay(in + rng.bounded(8 * 3600) * 1000));
            if (rng.bounded(4) != 0)
                dm->TBInoutHours->setAsFloat(rng.bounded(40) / 4.0 +
                                             (rng.bounded(5) == 0 ? 1e-10 : 0.0));
            if (rng.bounded(4) != 0)
                dm->TBInoutBillable->setAsBoolean(rng.bounded(2) == 1);
            try {
                t.post();
            } catch (const StoreError &) {
                t.cancel(); // the same key twice
            }
        }
    }

    QString randomCase(QString s)
    {
        for (QChar &c : s)
            if (rng.bounded(2))
                c = rng.bounded(2) ? c.toUpper() : c.toLower();
        return s;
    }

    /// A value a user might type for `field`.
    QString valueFor(const QString &field)
    {
        const FormatSettings &fs = FormatSettings::instance();
        if (field == u"WDate"_s)
            return fs.formatDate(dt::fromDate(QDate(2023, 12, 18)) + rng.bounded(45));
        if (field == u"TimeIn"_s || field == u"TimeOut"_s) {
            const qint64 ms = qint64(rng.bounded(20 * 3600)) * 1000 + rng.bounded(3) * 499;
            return QTime::fromMSecsSinceStartOfDay(int(ms)).toString(u"H:mm:ss"_s);
        }
        if (field == u"Hours"_s || field == u"IsNote"_s)
            return QLocale().toString(rng.bounded(44) / 4.0, 'f', int(rng.bounded(3)));
        if (field == u"Billable"_s) {
            static const QStringList words{u"yes"_s, u"no"_s, u"True"_s, u"f"_s, u"1"_s};
            return words.at(rng.bounded(words.size()));
        }
        const QStringList &pool = field == u"CustName"_s ? kClients
                                  : field == u"JobDes"_s ? kJobs
                                                         : kTasks;
        QString s = pool.at(rng.bounded(pool.size()));
        switch (rng.bounded(4)) {
        case 0:
            s = s.left(1 + rng.bounded(s.size()));
            break;
        case 1:
            s = s.mid(rng.bounded(s.size()));
            break;
        default:
            break;
        }
        if (rng.bounded(2))
            s = randomCase(s);
        return s.contains(u' ') || s.contains(u'"') ||
                       s.compare(u"null"_s, Qt::CaseInsensitive) == 0
                   ? u'"' + s.remove(u'"') + u'"'
                   : s;
    }

    Criterion randomCriterion()
    {
        static const QStringList fields{u"WDate"_s,  u"CustName"_s, u"JobDes"_s, u"TaskDes"_s,
                                        u"TimeIn"_s, u"TimeOut"_s,  u"Hours"_s,  u"Billable"_s,
                                        u"IsNote"_s, u"Notes"_s};
        Criterion c;
        c.fieldName = fields.at(rng.bounded(fields.size()));
        c.match = MatchKind(rng.bounded(5));
        c.caseSensitive = rng.bounded(2) == 1;
        c.negate = rng.bounded(4) == 0;
        if (c.match == MatchKind::Range) {
            if (rng.bounded(4) != 0)
                c.lower = valueFor(c.fieldName);
            if (rng.bounded(4) != 0 || c.lower.isEmpty())
                c.upper = valueFor(c.fieldName);
            return c;
        }
        c.value = valueFor(c.fieldName);
        for (int more = rng.bounded(3); more > 0; --more) {
            c.value += rng.bounded(3) == 0 ? u" and "_s : u" or "_s;
            c.value += rng.bounded(5) == 0 ? u"null"_s : valueFor(c.fieldName);
        }
        return c;
    }

    struct View
    {
        QList<qint64> byDate, byClient;
        qint64 count = 0, countBefore = 0;
        double hours = 0;
        std::optional<qint64> atThird;
        bool operator==(const View &) const = default;
    };

    View readView()
    {
        StoreTable &t = *dm->TBInout;
        View v;
        t.setIndexName(u"Tinout02"_s);
        for (t.first(); !t.eof(); t.next())
            v.byClient << t.currentRowId();
        t.setIndexName(u"Tinout01"_s);
        for (t.first(); !t.eof(); t.next())
            v.byDate << t.currentRowId();
        v.count = t.countView();
        v.hours = t.sumOfField(u"Hours"_s);
        if (const auto k = t.viewKeyAt(2))
            v.atThird = k->rowId;
        if (v.byDate.size() > 3) {
            t.gotoBookmark(v.byDate.at(v.byDate.size() / 2));
            const StoreTable::ViewKey here = t.currentViewKey();
            v.countBefore = t.countView(&here);
        }
        return v;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TDMKV> dm;
    QRandomGenerator rng{20'240'301};
};

TEST_F(FilterPushdownTest, StoreFilterShowsWhatThePredicateShows)
{
    generate(400);
    FilterCriteria engine(dm->TBInout);
    int compared = 0, decided = 0, empty = 0;
    for (int round = 0; round < 250; ++round) {
        QList<Criterion> criteria;
        for (int n = 1 + (rng.bounded(3) == 0 ? 1 : 0); n > 0; --n)
            criteria << randomCriterion();
        try {
            engine.setCriteria(criteria);
        } catch (const CriteriaError &) {
            continue;
        }
        if (engine.isEmpty())
            continue;
        dm->TBInout->setFilter(engine.predicate());
        dm->TBInout->setFiltered(true);
        const View expected = readView();

        engine.apply();
        ASSERT_FALSE(dm->TBInout->filterTerms().empty());
        for (const FilterTerm &t : dm->TBInout->filterTerms())
            decided += dm->TBInout->decidesExactly(t) ? 1 : 0;
        const View pushed = readView();

        QStringList shown;
        for (const Criterion &c : criteria)
            shown << c.fieldName + u':' + QString::number(int(c.match)) + u':' + c.value + u':' +
                         c.lower + u':' + c.upper + (c.caseSensitive ? u":cs"_s : u""_s) +
                         (c.negate ? u":not"_s : u""_s);
        ASSERT_EQ(pushed.byDate, expected.byDate) << shown.join(u" | "_s).toStdString();
        ASSERT_EQ(pushed.byClient, expected.byClient) << shown.join(u" | "_s).toStdString();
        ASSERT_EQ(pushed.count, expected.count) << shown.join(u" | "_s).toStdString();
        ASSERT_EQ(pushed.countBefore, expected.countBefore) << shown.join(u" | "_s).toStdString();
        ASSERT_EQ(pushed.atThird, expected.atThird) << shown.join(u" | "_s).toStdString();
        ASSERT_NEAR(pushed.hours, expected.hours, 1e-9) << shown.join(u" | "_s).toStdString();
        ASSERT_EQ(qint64(expected.byDate.size()), expected.count);
        ++compared;
        empty += expected.byDate.isEmpty() ? 1 : 0;
    }
    // The rounds must mean something: most compared, most decided by the store, and not all
    // of them empty or everything.
    EXPECT_GT(compared, 150);
    EXPECT_GT(decided, compared / 2);
    EXPECT_LT(empty, compared * 2 / 3);
}

TEST_F(FilterPushdownTest, LettersThatFoldAlikeMatchInTheStore)
{
    generate(200);
    FilterCriteria engine(dm->TBInout);
    Criterion c;
    c.fieldName = u"CustName"_s;
    c.match = MatchKind::Start;
    c.value = u"kel"_s;
    engine.setCriteria({c});
    engine.apply();
    ASSERT_TRUE(dm->TBInout->decidesExactly(dm->TBInout->filterTerms().front()));
    QSet<QString> names;
    for (dm->TBInout->first(); !dm->TBInout->eof(); dm->TBInout->next())
        names << dm->TBInoutCustName->asString();
    // The Kelvin sign folds to k, as the engine compares without case.
    EXPECT_EQ(names, (QSet<QString>{u"\u212Aelvin Co"_s, u"kelvin co"_s}));
}

} // namespace
