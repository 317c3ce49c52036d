// `kestrova add`: one record through the data module's rules, the billed hours printed, the
// exit codes of bad input and of a duplicate; and the program-wide options --help, --version and
// an unknown first argument.
#include "ReportExportFixture.h"

#include "BillingReference.h"
#include "CommandLine.h"
#include "DataBuilders.h"

#include <QTextStream>

using namespace kv;
using namespace kv::test;

namespace {

class AddCommand : public TimeLogFixture
{
protected:
    void SetUp() override
    {
        TimeLogFixture::SetUp();
        addClient(*dm, QStringLiteral("A1"), QStringLiteral("Acme Tools"));
        addJob(*dm, QStringLiteral("DEV"), QStringLiteral("Development"));
    }
    int run(const QStringList &args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const QString folder = m_folder;
        return runCommandLine(args, o, e, [folder] { return folder; });
    }
    int add(const QString &date, const QString &in, const QString &outTime,
            const QStringList &more = {})
    {
        return run(QStringList{QStringLiteral("add"), QStringLiteral("--date"), date,
                               QStringLiteral("--in"), in, QStringLiteral("--out"), outTime,
                               QStringLiteral("--client"), QStringLiteral("Acme Tools"),
                               QStringLiteral("--job"), QStringLiteral("Development")} +
                   more);
    }
    void billing(int incr, int minimum)
    {
        setDef(*dm, [&] {
            dm->TBDefBillingIncr->setAsInteger(incr);
            dm->TBDefMinBillTime->setAsInteger(minimum);
        });
    }
    int records()
    {
        dm->TBInout->refresh();
        int n = 0;
        for (dm->TBInout->first(); !dm->TBInout->eof(); dm->TBInout->next())
            ++n;
        return n;
    }
    static QString hhmm(int minutes)
    {
        return QStringLiteral("%1:%2")
            .arg(minutes / 60, 2, 10, QLatin1Char('0'))
            .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }

    QString out, err;
};

TEST_F(AddCommand, PostsOneRecordWithTheBillingRulesAndPrintsItsHours)
{
    billing(15, 30);
    EXPECT_EQ(add(QStringLiteral("2026-03-02"), QStringLiteral("9:00"), QStringLiteral("09:08"),
                  {QStringLiteral("--task"), QStringLiteral("Call"), QStringLiteral("--billable"),
                   QStringLiteral("no")}),
              0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("0.5\n")); // the minimum of 30 minutes
    EXPECT_TRUE(err.isEmpty());
    dm->TBInout->refresh();
    dm->TBInout->first();
    EXPECT_EQ(dm->TBInoutWDate->asDateTime(), day(2026, 3, 2));
    EXPECT_EQ(dm->TBInoutTimeIn->asDateTime(), at(9, 0));
    EXPECT_EQ(dm->TBInoutTimeOut->asDateTime(), at(9, 8));
    EXPECT_EQ(dm->TBInoutCustName->asString(), QStringLiteral("Acme Tools"));
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), QStringLiteral("Call"));
    EXPECT_FALSE(dm->TBInoutBillable->asBoolean());
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 0.5);

    // Billable unless told otherwise; 1:25 at 15 minutes bills 1.5.
    EXPECT_EQ(add(QStringLiteral("2026-03-02"), QStringLiteral("10:00"), QStringLiteral("11:25")),
              0);
    EXPECT_EQ(out, QStringLiteral("1.5\n"));
    EXPECT_EQ(records(), 2);

    // The same record again: the store's key check refuses it, exit 1 with its message.
    EXPECT_EQ(add(QStringLiteral("2026-03-02"), QStringLiteral("10:00"), QStringLiteral("11:25")),
              1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("kestrova: "))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Usage")));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(records(), 2);
}

TEST_F(AddCommand, TheSameSpanAtDifferentStartTimesBillsTheSameHours)
{
    const struct
    {
        int incr, minimum;
    } rules[] = {{15, 0}, {6, 30}, {0, 0}};
    int day0 = 0;
    for (const auto &rule : rules) {
        billing(rule.incr, rule.minimum);
        for (int span : {0, 1, 3, 7, 8, 22, 23, 37, 38, 52, 53, 59, 60, 67, 68, 97, 135, 599}) {
            // An empty span bills nothing, minimum or not.
            const qint64 expected =
                span == 0 ? 0 : referenceBilled(span * 60000LL, rule.incr, rule.minimum);
            for (int start : {0, 7 * 60 + 1, 13 * 60 + 37, 23 * 60 + 59 - span}) {
                SCOPED_TRACE(QStringLiteral("incr %1 min %2 span %3 at %4")
                                 .arg(rule.incr)
                                 .arg(rule.minimum)
                                 .arg(span)
                                 .arg(start)
                                 .toStdString());
                const QString date = QDate(2026, 1, 1).addDays(day0++ % 300).toString(Qt::ISODate);
                ASSERT_EQ(add(date, hhmm(start), hhmm(start + span)), 0) << err.toStdString();
                EXPECT_EQ(std::llround(out.trimmed().toDouble() * 10000), expected);
            }
        }
    }
}

TEST_F(AddCommand, BadInputExitsWith2AndNamesTheArgument)
{
    const struct
    {
        QStringList args;
        QString named;
    } bad[] = {
        {{QStringLiteral("--date"), QStringLiteral("2026-02-30")}, QStringLiteral("--date")},
        {{QStringLiteral("--date"), QStringLiteral("0000-01-01")}, QStringLiteral("0001-01-01")},
        {{QStringLiteral("--in"), QStringLiteral("24:00")}, QStringLiteral("--in")},
        {{QStringLiteral("--in"), QStringLiteral("9.00")}, QStringLiteral("--in")},
        {{QStringLiteral("--out"), QStringLiteral("8:59")}, QStringLiteral("--out")},
        {{QStringLiteral("--client"), QStringLiteral("Nobody")}, QStringLiteral("--client")},
        {{QStringLiteral("--job"), QStringLiteral("Sleeping")}, QStringLiteral("--job")},
        {{QStringLiteral("--task"), QString(251, u't')}, QStringLiteral("--task")},
        {{QStringLiteral("--billable"), QStringLiteral("maybe")}, QStringLiteral("--billable")},
        {{QStringLiteral("--hours"), QStringLiteral("2")}, QStringLiteral("--hours")},
        {{QStringLiteral("--client")}, QStringLiteral("--client")},
    };
    for (const auto &b : bad) {
        QStringList args = {QStringLiteral("add")};
        QMap<QString, QString> values = {{QStringLiteral("--date"), QStringLiteral("2026-03-02")},
                                         {QStringLiteral("--in"), QStringLiteral("09:00")},
                                         {QStringLiteral("--out"), QStringLiteral("10:00")},
                                         {QStringLiteral("--client"), QStringLiteral("Acme Tools")},
                                         {QStringLiteral("--job"), QStringLiteral("Development")}};
        if (b.args.size() == 2)
            values[b.args[0]] = b.args[1];
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            if (b.args.size() == 1 && it.key() == b.args[0])
                continue;
            args << it.key() << it.value();
        }
        if (b.args.size() == 1)
            args << b.args[0]; // the option without its value, at the end
        SCOPED_TRACE(args.join(u' ').left(120).toStdString());
        EXPECT_EQ(run(args), 2);
        EXPECT_TRUE(err.contains(b.named)) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("kestrova add --date"))) << err.toStdString();
    }
    EXPECT_EQ(records(), 0);
}

TEST_F(AddCommand, HelpVersionAndUnknownFirstArguments)
{
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("kestrova add --date")));
    EXPECT_TRUE(out.contains(QStringLiteral("kestrova export")));
    EXPECT_EQ(run({QStringLiteral("-h")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Usage:")));
    EXPECT_EQ(run({QStringLiteral("--version")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("kestrova 2."))) << out.toStdString();
    for (const QString &unknown : {QString(), QStringLiteral("clock-in"), QStringLiteral("-x")}) {
        EXPECT_EQ(run({unknown}), 2);
        EXPECT_TRUE(err.contains(QStringLiteral("Usage:")));
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_TRUE(startsCommandLine(QString()));
    EXPECT_TRUE(startsCommandLine(QStringLiteral("--help")));
    EXPECT_FALSE(startsCommandLine(QStringLiteral("-session")));

    // A year 0 is refused with the reason, not as a bad format.
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=csv"),
                   QStringLiteral("--output"), path(QStringLiteral("x.csv")),
                   QStringLiteral("--from"), QStringLiteral("0000-01-01")}),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("before the first valid date, 0001-01-01")))
        << err.toStdString();
}

} // namespace
