// Report expressions: parsing, binding to a data set, concatenation and running sums.
#include "ReportExpression.h"
#include "MemoryDataSet.h"
#include "ReportError.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

class Expression : public ::testing::Test
{
protected:
    Expression()
    {
        data.appendRow({s("1/2/24"), s("9:05 AM"), 1.5, 3, s("b")});
        data.appendRow({s("1/3/24"), s("1:00 PM"), 2.25, 1, s("a")});
        data.first();
    }
    QString eval(const char *source, const char *mask = "")
    {
        ReportExpression e = ReportExpression::parse(s(source));
        e.bind(data);
        return e.evaluate(data, s(mask), QLocale::c());
    }
    MemoryDataSet data{s("TBTodo"),
                       {s("DateIn"), s("TimeIn"), s("Hours"), s("PriMajor"), s("PriMinor")}};
};

} // namespace

TEST_F(Expression, ConcatenatesFieldsAndQuotedTexts)
{
    EXPECT_EQ(eval("TBTodo.DateIn + ' - ' + TBTodo.TimeIn"), s("1/2/24 - 9:05 AM"));
    EXPECT_EQ(eval("TBTodo.PriMajor + TBTodo.PriMinor"), s("3b"));
    EXPECT_EQ(eval("\"Due: \"+DateIn"), s("Due: 1/2/24"));
    EXPECT_EQ(eval("'It''s ' + \"a \"\"test\"\"\""), s("It's a \"test\""));
    EXPECT_EQ(eval("tbtodo.dateIN"), s("1/2/24")); // names ignore letter case
    EXPECT_EQ(eval(""), QString());
}

TEST_F(Expression, MaskFormatsASingleNumericTerm)
{
    EXPECT_EQ(eval("TBTodo.Hours", "#0.0000"), s("1.5000"));
    EXPECT_EQ(eval("TBTodo.Hours"), s("1.5"));
}

TEST_F(Expression, SumAddsEachAccumulatedRecordUntilReset)
{
    ReportExpression sum = ReportExpression::parse(s("SUM(TBTodo.Hours)"));
    sum.bind(data);
    EXPECT_TRUE(sum.hasSums());
    EXPECT_EQ(sum.evaluate(data, s("#0.0000"), QLocale::c()), s("0.0000"));
    sum.accumulate(data);
    data.next();
    sum.accumulate(data);
    EXPECT_EQ(sum.evaluate(data, s("#0.0000"), QLocale::c()), s("3.7500"));
    sum.resetSums();
    EXPECT_EQ(sum.evaluate(data, s("#0.0000"), QLocale::c()), s("0.0000"));

    ReportExpression labelled = ReportExpression::parse(s("'Total: ' + sum ( Hours )"));
    labelled.bind(data);
    labelled.accumulate(data);
    EXPECT_EQ(labelled.evaluate(data, s("#0.00"), QLocale::c()), s("Total: 2.25"));
}

TEST_F(Expression, RejectsSyntaxErrorsAndUnknownNames)
{
    for (const char *bad : {"TBTodo.", "'open", "DateIn +", "+ DateIn", "SUM(Hours",
                            "DateIn DateIn", "SUM('x')", "3 + DateIn"}) {
        EXPECT_THROW(ReportExpression::parse(s(bad)), ReportError) << bad;
    }
    EXPECT_THROW(ReportExpression::parse(s("TBTodo.Nope")).bind(data), ReportError);
    EXPECT_THROW(ReportExpression::parse(s("TBInout.Hours")).bind(data), ReportError);
    EXPECT_THROW(ReportExpression::parse(s("SUM(Other.Hours)")).bind(data), ReportError);
    try {
        ReportExpression::parse(s("TBTodo.Nope")).bind(data);
    } catch (const ReportError &e) {
        EXPECT_TRUE(e.message().contains(s("Nope")));
    }
}

TEST_F(Expression, SingleFieldIsKnownForCheckBoxes)
{
    EXPECT_EQ(ReportExpression::parse(s("TBTodo.Hours")).singleField(), s("Hours"));
    EXPECT_TRUE(ReportExpression::parse(s("Hours + 'x'")).singleField().isEmpty());
    EXPECT_TRUE(ReportExpression::parse(s("SUM(Hours)")).singleField().isEmpty());
}
