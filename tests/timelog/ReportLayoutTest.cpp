// The two time-log reports rendered to PDF and read back through poppler: heading, subtitles,
// group subtotals and grand totals, an empty view, wrapping task texts, page numbers, column
// alignment and the state of TBInout after a run.
#include "ReportExportFixture.h"

#include "FormatSettings.h"
#include "PdfProbe.h"
#include "TimeLogReport.h"

#include <QRegularExpression>

using namespace kv;
using namespace kv::test;

namespace {

/// Whitespace runs collapsed to one blank, so that texts compare whatever the column layout.
QString simplified(const QString &s)
{
    return s.simplified();
}

class ReportLayout : public TimeLogFixture
{
protected:
    void SetUp() override
    {
        TimeLogFixture::SetUp();
        reports = std::make_unique<TimeLogReports>(*dm);
        m_savedDateFormat = FormatSettings::instance().shortDateFormat;
        FormatSettings::instance().shortDateFormat = QStringLiteral("M/d/yyyy");
    }
    void TearDown() override { FormatSettings::instance().shortDateFormat = m_savedDateFormat; }

    /// Renders @p layout to a PDF and returns the simplified text of each page.
    QStringList render(TimeLogLayout layout)
    {
        pdf = path(QStringLiteral("report%1.pdf").arg(++m_runs));
        pages = reports->exportPdf(layout, pdf);
        QStringList texts = pdfPages(pdf);
        rawPages = texts;
        for (QString &t : texts)
            t = simplified(t);
        return texts;
    }

    /// Index of the first line from @p from of page text @p page that contains @p text, -1 when
    /// none.
    static int lineOf(const QString &page, const QString &text, int from = 0)
    {
        const QStringList lines = page.split(u'\n');
        for (int i = from; i < lines.size(); ++i)
            if (lines[i].contains(text))
                return i;
        return -1;
    }

    /// Three clients, two days, hours 1.5 + 2.25 for Acme, 0.75 for Bolt, 1 for Core.
    void postThreeClients()
    {
        post({day(2026, 3, 2), at(9, 0), at(10, 30), QStringLiteral("Acme"),
              QStringLiteral("Design")});
        post({day(2026, 3, 3), at(13, 0), at(15, 15), QStringLiteral("Acme"),
              QStringLiteral("Support")});
        post({day(2026, 3, 2), at(11, 0), at(11, 45), QStringLiteral("Bolt"),
              QStringLiteral("Support")});
        post({day(2026, 3, 3), at(8, 0), at(9, 0), QStringLiteral("Core"),
              QStringLiteral("Design")});
        dm->TBInout->first();
    }

    std::unique_ptr<TimeLogReports> reports;
    QString pdf;
    int pages = 0;
    QStringList rawPages;

private:
    int m_runs = 0;
    QString m_savedDateFormat;
};

TEST_F(ReportLayout, HeadingWithoutACustomTitleNamesTheProduct)
{
    postThreeClients();
    for (TimeLogLayout layout : {TimeLogLayout::Full, TimeLogLayout::Group}) {
        const QStringList p = render(layout);
        ASSERT_FALSE(p.isEmpty());
        EXPECT_TRUE(p[0].startsWith(QStringLiteral("Orvelane Kestrova v2.0")))
            << p[0].toStdString();
        EXPECT_TRUE(p[0].contains(layout == TimeLogLayout::Full
                                      ? QStringLiteral("Logged Time Report Complete Listing")
                                      : QStringLiteral("Logged Time Report Group Listing")));
    }
}

TEST_F(ReportLayout, ACustomTitleStandsAloneAndGoesAwayAgainWhenCleared)
{
    postThreeClients();
    setConfig(QStringLiteral("Smith Consulting Hours"), false);
    for (TimeLogLayout layout : {TimeLogLayout::Full, TimeLogLayout::Group}) {
        const QStringList p = render(layout);
        EXPECT_TRUE(p[0].startsWith(QStringLiteral("Smith Consulting Hours")))
            << p[0].toStdString();
        EXPECT_FALSE(p[0].contains(QStringLiteral("Orvelane")));
        EXPECT_FALSE(p[0].contains(QStringLiteral("Kestrova v2.0")));
    }
    // The forms are reused: the next run without a title shows the product names again.
    setConfig(QString(), false);
    for (TimeLogLayout layout : {TimeLogLayout::Full, TimeLogLayout::Group}) {
        const QStringList p = render(layout);
        EXPECT_TRUE(p[0].startsWith(QStringLiteral("Orvelane Kestrova v2.0")))
            << p[0].toStdString();
        EXPECT_FALSE(p[0].contains(QStringLiteral("Smith")));
    }
}

TEST_F(ReportLayout, SubtitleFollowsTheActiveIndex)
{
    postThreeClients();
    struct Case
    {
        const char *index, *full, *group;
    };
    const Case cases[] = {
        {"Tinout01", "(Ordered by Date, Client, Job Description, Time In, Time Out)",
         "(Grouped by Date - Ordered by Date, Client, Job Description, Time In, Time Out)"},
        {"Tinout02", "(Ordered by Client, Date, Time In, Time Out)",
         "(Grouped by Client - Ordered by Client, Date, Time In, Time Out)"},
        {"Tinout03", "(Ordered by Job Description, Client, Date, Time In, Time Out)",
         "(Grouped by Job Description - Ordered by Job Description, Client, Date, Time In, "
         "Time Out)"},
    };
    for (const Case &c : cases) {
        dm->TBInout->setIndexName(QString::fromUtf8(c.index));
        EXPECT_TRUE(render(TimeLogLayout::Full)[0].contains(QString::fromUtf8(c.full))) << c.index;
        EXPECT_TRUE(render(TimeLogLayout::Group)[0].contains(QString::fromUtf8(c.group)))
            << c.index;
    }
}

TEST_F(ReportLayout, CompleteListingPrintsEveryRecordInOrderAndAGrandTotalWithoutCaption)
{
    postThreeClients();
    dm->TBInout->setIndexName(QStringLiteral("Tinout02"));
    const QStringList p = render(TimeLogLayout::Full);
    ASSERT_EQ(pages, 1);
    const QString &raw = rawPages[0];
    const int acme1 = lineOf(raw, QStringLiteral("9:00 AM"));
    const int acme2 = lineOf(raw, QStringLiteral("1:00 PM"));
    const int bolt = lineOf(raw, QStringLiteral("11:00 AM"));
    const int core = lineOf(raw, QStringLiteral("8:00 AM"));
    ASSERT_GE(acme1, 0);
    EXPECT_LT(acme1, acme2);
    EXPECT_LT(acme2, bolt);
    EXPECT_LT(bolt, core);
    EXPECT_TRUE(p[0].contains(QStringLiteral("10:30 AM 1.5000")));
    EXPECT_TRUE(p[0].contains(QStringLiteral("3:15 PM 2.2500")));
    EXPECT_TRUE(p[0].contains(QStringLiteral("5.5000")));
    EXPECT_FALSE(p[0].contains(QStringLiteral("Total Hours:")));
    // Dates in the user's short date format.
    EXPECT_TRUE(p[0].contains(QStringLiteral("3/3/2026 Acme Support")));
}

TEST_F(ReportLayout, GroupListingSubtotalsEachClientAndGrandTotalOnlyWithGroupTotal)
{
    postThreeClients();
    dm->TBInout->setIndexName(QStringLiteral("Tinout02"));

    setConfig(QString(), true);
    QStringList p = render(TimeLogLayout::Group);
    const QString &raw = rawPages[0];
    // Each subtotal stands after its group's lines and before the next group's.
    const int acmeSum = lineOf(raw, QStringLiteral("3.7500"));
    const int boltLine = lineOf(raw, QStringLiteral("11:00 AM"));
    const int boltSum = lineOf(raw, QStringLiteral("0.7500"), boltLine + 1);
    const int coreLine = lineOf(raw, QStringLiteral("8:00 AM"));
    ASSERT_GE(acmeSum, 0);
    EXPECT_GT(acmeSum, lineOf(raw, QStringLiteral("1:00 PM")));
    EXPECT_LT(acmeSum, boltLine);
    EXPECT_LT(boltLine, boltSum);
    EXPECT_LT(boltSum, coreLine);
    EXPECT_TRUE(p[0].contains(QStringLiteral("Total Hours: 5.5000")));

    setConfig(QString(), false);
    p = render(TimeLogLayout::Group);
    EXPECT_TRUE(p[0].contains(QStringLiteral("3.7500")));
    EXPECT_TRUE(p[0].contains(QStringLiteral("0.7500")));
    EXPECT_FALSE(p[0].contains(QStringLiteral("Total Hours:")));
    EXPECT_FALSE(p[0].contains(QStringLiteral("5.5000")));
}

TEST_F(ReportLayout, GroupListingBreaksByDateAndByJobType)
{
    postThreeClients();
    setConfig(QString(), true);
    // By date: 2 March holds 1.5 + 0.75, 3 March 2.25 + 1.
    QStringList p = render(TimeLogLayout::Group);
    EXPECT_TRUE(p[0].contains(QStringLiteral("2.2500"))); // also the 1:00-3:15 line
    EXPECT_TRUE(p[0].contains(QStringLiteral("3.2500")));
    // By job type: Design 1.5 + 1, Support 2.25 + 0.75.
    dm->TBInout->setIndexName(QStringLiteral("Tinout03"));
    p = render(TimeLogLayout::Group);
    EXPECT_TRUE(p[0].contains(QStringLiteral("2.5000")));
    EXPECT_TRUE(p[0].contains(QStringLiteral("3.0000")));
    EXPECT_TRUE(p[0].contains(QStringLiteral("Total Hours: 5.5000")));
}

TEST_F(ReportLayout, AFilterNarrowsTheRecordsAndTheTotals)
{
    postThreeClients();
    Field *cust = dm->TBInoutCustName;
    dm->TBInout->setFilter(
        [cust](const StoreTable &) { return cust->asString() == QStringLiteral("Acme"); });
    dm->TBInout->setFiltered(true);
    const QStringList p = render(TimeLogLayout::Full);
    EXPECT_FALSE(p[0].contains(QStringLiteral("Bolt")));
    EXPECT_FALSE(p[0].contains(QStringLiteral("Core")));
    EXPECT_TRUE(p[0].contains(QStringLiteral("3.7500")));
    EXPECT_FALSE(p[0].contains(QStringLiteral("5.5000")));
}

TEST_F(ReportLayout, AnEmptyViewStillPrintsHeadingHeadersTotalAndFooter)
{
    const QStringList full = render(TimeLogLayout::Full);
    ASSERT_EQ(pages, 1);
    EXPECT_TRUE(full[0].contains(QStringLiteral("Logged Time Report Complete Listing")));
    EXPECT_TRUE(full[0].contains(QStringLiteral(
        "Date Client Name Job Type Task Description Billable Time In Time Out Hours")));
    EXPECT_TRUE(full[0].contains(QStringLiteral("0.0000")));
    EXPECT_TRUE(full[0].contains(QStringLiteral("Page 1")));

    setConfig(QString(), true);
    EXPECT_TRUE(render(TimeLogLayout::Group)[0].contains(QStringLiteral("Total Hours: 0.0000")));
    setConfig(QString(), false);
    const QStringList group = render(TimeLogLayout::Group);
    EXPECT_EQ(pages, 1);
    EXPECT_FALSE(group[0].contains(QStringLiteral("0.0000")));
    EXPECT_TRUE(group[0].contains(QStringLiteral("Page 1")));
}

/// A task text of @p words distinct words "rNNwMM".
QString taskOf(int record, int words)
{
    QStringList w;
    for (int i = 0; i < words; ++i)
        w << QStringLiteral("r%1w%2")
                 .arg(record, 2, 10, QLatin1Char('0'))
                 .arg(i, 2, 10, QLatin1Char('0'));
    return w.join(u' ');
}

TEST_F(ReportLayout, ALongTaskWrapsOverLinesAndAcrossPageBreaksWithNothingLost)
{
    // 35 words of 6 letters fill the 250 characters of a task and take about eight lines.
    constexpr int kRecords = 14;
    constexpr int kWords = 35;
    dm->TBInout->beginBatch();
    for (int r = 0; r < kRecords; ++r)
        post({day(2026, 3, 2) + r, at(9, 0), at(10, 0), QStringLiteral("Acme"),
              QStringLiteral("Design"), taskOf(r, kWords)});
    dm->TBInout->commitBatch();
    dm->TBInout->first();
    ASSERT_EQ(dm->TBInoutTaskDes->asString().size(), 244);

    for (TimeLogLayout layout : {TimeLogLayout::Full, TimeLogLayout::Group}) {
        render(layout);
        ASSERT_GE(pages, 2);
        const QList<PdfWord> words = pdfWords(pdf);
        QMap<QString, QList<int>> pagesOf;
        for (const PdfWord &w : words)
            if (QRegularExpression(QStringLiteral("^r\\d\\dw\\d\\d$")).match(w.text).hasMatch())
                pagesOf[w.text] << w.page;
        int split = 0;
        for (int r = 0; r < kRecords; ++r) {
            QSet<int> on;
            for (int i = 0; i < kWords; ++i) {
                const QString word = taskOf(r, kWords).split(u' ')[i];
                ASSERT_EQ(pagesOf.value(word).size(), 1)
                    << word.toStdString() << " printed " << pagesOf.value(word).size() << " times";
                on.insert(pagesOf.value(word).first());
            }
            if (on.size() > 1)
                ++split;
        }
        EXPECT_GE(split, 1) << "no task continued on the next page";

        // Each task's words run down its column: one record's lines stay within the task column.
        for (const PdfWord &w : words) {
            if (w.text.startsWith(u'r') && w.text.size() == 6) {
                EXPECT_GE(w.xMin, 36 + 3.83 * 72 - 1) << w.text.toStdString();
            }
        }
    }
}

TEST_F(ReportLayout, EveryPageCarriesItsPageNumber)
{
    postMany(120);
    for (TimeLogLayout layout : {TimeLogLayout::Full, TimeLogLayout::Group}) {
        const QStringList p = render(layout);
        ASSERT_GE(pages, 3);
        ASSERT_EQ(p.size(), pages);
        EXPECT_EQ(pdfPageCount(pdf), pages);
        for (int i = 0; i < pages; ++i) {
            EXPECT_TRUE(p[i].endsWith(QStringLiteral("Page %1").arg(i + 1)))
                << p[i].right(40).toStdString();
            // The column header repeats on every page, the title only on the first.
            EXPECT_TRUE(p[i].contains(QStringLiteral("Task Description")));
            EXPECT_EQ(p[i].contains(QStringLiteral("Kestrova v2.0")), i == 0);
        }
        if (layout == TimeLogLayout::Full) {
            EXPECT_TRUE(p.last().contains(QStringLiteral("180.0000"))); // 120 x 1.5 hours
        }
    }
}

TEST_F(ReportLayout, ValuesStandUnderTheirColumnHeaders)
{
    post({day(2026, 3, 2), at(9, 0), at(10, 30), QStringLiteral("Acme"), QStringLiteral("Design"),
          QStringLiteral("Kickoff")});
    dm->TBInout->first();
    render(TimeLogLayout::Full);
    const QList<PdfWord> words = pdfWords(pdf);
    // Words of the subtitle ("Job Description") are no column captions: captions and values
    // are looked for below the title band.
    const double belowTitle = 36 + 0.52 * 72;
    auto find = [&words, belowTitle](const QString &text, int nth = 0) -> PdfWord {
        for (const PdfWord &w : words)
            if (w.text == text && w.yMin > belowTitle && nth-- == 0)
                return w;
        ADD_FAILURE() << "no word " << text.toStdString();
        return {};
    };
    constexpr double kTolerance = 1.5; // points
    // Left-aligned columns start where their captions start.
    EXPECT_NEAR(find(QStringLiteral("Acme")).xMin, find(QStringLiteral("Client")).xMin, kTolerance);
    EXPECT_NEAR(find(QStringLiteral("Design")).xMin, find(QStringLiteral("Job")).xMin, kTolerance);
    EXPECT_NEAR(find(QStringLiteral("Kickoff")).xMin, find(QStringLiteral("Task")).xMin,
                kTolerance);
    // Right-aligned columns end where their captions end.
    EXPECT_NEAR(find(QStringLiteral("1.5000")).xMax, find(QStringLiteral("Hours")).xMax,
                kTolerance);
    EXPECT_NEAR(find(QStringLiteral("AM"), 1).xMax, find(QStringLiteral("Out")).xMax, kTolerance);
    EXPECT_NEAR(find(QStringLiteral("AM"), 0).xMax, find(QStringLiteral("In")).xMax, kTolerance);
    // The grand total sits under the hours.
    EXPECT_NEAR(find(QStringLiteral("1.5000"), 1).xMax, find(QStringLiteral("Hours")).xMax,
                kTolerance);
}

TEST_F(ReportLayout, ARunLeavesTheTableOnItsRecordWithControlsEnabled)
{
    postThreeClients();
    dm->TBInout->next();
    dm->TBInout->next();
    const qint64 row = dm->TBInout->currentRowId();
    render(TimeLogLayout::Group);
    EXPECT_EQ(dm->TBInout->currentRowId(), row);
    EXPECT_FALSE(dm->TBInout->controlsDisabled());
    EXPECT_EQ(dm->TBInout->indexName(), QStringLiteral("Tinout01"));
}

TEST_F(ReportLayout, AnOutputThatCannotBeWrittenFailsAndRestoresTheTable)
{
    postThreeClients();
    const qint64 row = dm->TBInout->currentRowId();
    EXPECT_ANY_THROW(
        reports->exportPdf(TimeLogLayout::Full, path(QStringLiteral("missing/folder/report.pdf"))));
    EXPECT_EQ(dm->TBInout->currentRowId(), row);
    EXPECT_FALSE(dm->TBInout->controlsDisabled());
}

} // namespace
