// Renders small reports over an in-memory data set to PDF and reads the pages back.
#include "ListingLayout.h"
#include "MemoryDataSet.h"
#include "PdfProbe.h"
#include "Report.h"
#include "ReportError.h"
#include "ReportPreview.h"
#include "ReportUnits.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::arial;
using kv::test::declareListing;
using kv::test::kFields;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

/// The group listing adds a group whose footer prints a subtotal that starts again at zero.
void declareGroups(Report &r, const QString &expression)
{
    ReportGroup &g = r.addGroup(s("QRGroup1"), expression);
    g.header().setHeight(0.05);
    g.footer().setHeight(0.3).addRectangle(QString(), inches(7.65, 0.03, 0.63, pixelsToInches(1)));
    g.footer().addText(s("qrGroupName"), inches(5.0, 0.07, 1.5),
                       s("'Subtotal ' + TBInout.CustName"));
    g.footer()
        .addText(s("qrGroupSum"), inches(7.65, 0.07, 0.63), s("SUM(TBInout.Hours)"))
        .setMask(s("#0.0000"))
        .setAlignment(Qt::AlignRight)
        .setResetAfterPrint(true);
}

class ReportRender : public ::testing::Test
{
protected:
    void add(const char *date, const char *client, const QString &task, double hours,
             bool billable = true)
    {
        data.appendRow({s(date), s(client), s("Consulting"), task, billable, s("9:00 AM"),
                        s("10:30 AM"), hours});
    }

    /// Writes @p r to a PDF and returns the text of its pages; checks that the page count
    /// the report returned is the one the file holds.
    QStringList render(Report &r, const char *name = nullptr)
    {
        if (!name)
            name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const QString pdf = dir.filePath(s(name) + s(".pdf"));
        const int pages = r.exportPdf(pdf);
        EXPECT_EQ(test::pdfPageCount(pdf), pages);
        lastPdf = pdf;
        if (qEnvironmentVariableIsSet("KV_REPORT_KEEP"))
            QFile::copy(pdf, qEnvironmentVariable("KV_REPORT_KEEP") + u'/' + s(name) + s(".pdf"));
        return test::pdfPages(pdf);
    }

    /// Rows of page text that hold @p needle.
    static int countOf(const QString &text, const QString &needle)
    {
        return static_cast<int>(text.count(needle));
    }

    MemoryDataSet data{s("TBInout"), kFields};
    QTemporaryDir dir;
    QString lastPdf;
};

QString numbered(const char *prefix, int n)
{
    return s(prefix) + QString::number(n).rightJustified(4, u'0');
}

} // namespace

// ---- pages -----------------------------------------------------------------------------

TEST_F(ReportRender, EveryPageCarriesColumnHeaderAndNumberedFooter)
{
    for (int i = 1; i <= 120; ++i)
        add("1/2/24", "Acme", numbered("Task", i), 1.0);
    Report r(s("TfLQRep"));
    declareListing(r);
    r.setDataSet(&data);

    const QStringList pages = render(r);
    ASSERT_GE(pages.size(), 3);
    for (int p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p + 1);
        EXPECT_EQ(countOf(pages[p], s("Client Name")), 1);
        EXPECT_EQ(countOf(pages[p], s("Page ")), 1);
        EXPECT_TRUE(pages[p].contains(s("Page %1").arg(p + 1)));
        // The title prints once, on the first page only.
        EXPECT_EQ(pages[p].contains(s("Kestrova v2.0")), p == 0);
    }
    // The summary follows the last record, on the last page.
    EXPECT_TRUE(pages.last().contains(s("120.0000")));
}

TEST_F(ReportRender, EveryRecordPrintsOnceInOrderAcrossPageBreaks)
{
    for (int i = 1; i <= 150; ++i)
        add("1/2/24", "Acme", numbered("Task", i), 0.25);
    Report r;
    declareListing(r);
    r.setDataSet(&data);

    const QString all = render(r).join(u'\f');
    qsizetype from = 0;
    for (int i = 1; i <= 150; ++i) {
        const QString task = numbered("Task", i);
        EXPECT_EQ(countOf(all, task), 1) << task.toStdString();
        const qsizetype at = all.indexOf(task, from);
        ASSERT_GE(at, from) << task.toStdString() << " out of order";
        from = at;
    }
    EXPECT_TRUE(all.contains(s("37.5000")));
}

TEST_F(ReportRender, EmptyDataSetStillPrintsTitleHeaderTotalAndFooter)
{
    Report r;
    declareListing(r);
    declareGroups(r, s("TBInout.CustName"));
    r.setDataSet(&data);

    const QStringList pages = render(r);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(s("Logged Time Report Complete Listing")));
    EXPECT_TRUE(pages[0].contains(s("Task Description")));
    EXPECT_TRUE(pages[0].contains(s("Total Hours:")));
    EXPECT_TRUE(pages[0].contains(s("0.0000")));
    EXPECT_TRUE(pages[0].contains(s("Page 1")));
    // No group: no subtotal line.
    EXPECT_FALSE(pages[0].contains(s("Subtotal")));
}

TEST_F(ReportRender, PageSetupGivesPaperAndOrientation)
{
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    render(r);
    // Letter landscape: 792 by 612 points.
    EXPECT_TRUE(test::pdfInfoValue(lastPdf, s("Page size")).startsWith(s("792 x 612")));
    EXPECT_DOUBLE_EQ(r.bandWidth(), 9.5);
}

TEST_F(ReportRender, ColumnsLineUpUnderTheirHeaders)
{
    add("1/2/24", "Acme", s("Short task"), 1.5);
    add("1/3/24", "Bolt", s("Another"), 12.25);
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    render(r);

    const QList<test::PdfWord> words = test::pdfWords(lastPdf);
    auto find = [&](const char *text) {
        for (const test::PdfWord &w : words)
            if (w.text == s(text))
                return w;
        ADD_FAILURE() << "no word " << text;
        return test::PdfWord();
    };
    constexpr double kPointsPerInch = 72.0;
    constexpr double kLeftMargin = 0.5;
    constexpr double kTolerance = 1.0; // points
    // Right-aligned: the Hours header and its values end at the column's right edge.
    const double hoursRight = (kLeftMargin + 7.65 + 0.63) * kPointsPerInch;
    EXPECT_NEAR(find("Hours").xMax, hoursRight, kTolerance);
    EXPECT_NEAR(find("1.5000").xMax, hoursRight, kTolerance);
    EXPECT_NEAR(find("12.2500").xMax, hoursRight, kTolerance);
    EXPECT_NEAR(find("13.7500").xMax, hoursRight, kTolerance); // grand total
    // Left-aligned: captions and values start at the column's left edge.
    const double taskLeft = (kLeftMargin + 3.83) * kPointsPerInch;
    EXPECT_NEAR(find("Task").xMin, taskLeft, kTolerance);
    EXPECT_NEAR(find("Short").xMin, taskLeft, kTolerance);
    // The first detail line sits below the title (0.52") and the column header (0.2").
    EXPECT_GT(find("Short").yMin, (0.5 + 0.52 + 0.2) * kPointsPerInch - kTolerance);
    EXPECT_LT(find("Short").yMax, (0.5 + 0.52 + 0.2 + 0.19) * kPointsPerInch + kTolerance);
}

// ---- groups and sums -------------------------------------------------------------------

TEST_F(ReportRender, GroupFootersPrintSubtotalsThatStartAgainEachGroup)
{
    add("1/2/24", "Acme", s("a1"), 1.5);
    add("1/2/24", "Acme", s("a2"), 2.25);
    add("1/3/24", "Bolt", s("b1"), 0.5);
    add("1/3/24", "Core", s("c1"), 1.0);
    add("1/4/24", "Core", s("c2"), 1.0);
    Report r;
    declareListing(r);
    declareGroups(r, s("TBInout.CustName"));
    r.group(s("QRGroup1"))
        ->header()
        .setHeight(0.2)
        .addText(s("qrGroupTitle"), inches(0.01, 0.02, 3), s("'Client: ' + TBInout.CustName"));
    r.setDataSet(&data);

    QStringList lines = render(r).join(u'\n').split(u'\n');
    auto lineOf = [&](const QString &needle) {
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].contains(needle))
                return i;
        return -1;
    };
    // Each footer names its own group (its last record), not the next one.
    const QString subtotalOf[] = {s("Subtotal Acme"), s("Subtotal Bolt"), s("Subtotal Core")};
    const QString expected[] = {s("3.7500"), s("0.5000"), s("2.0000")};
    for (int g = 0; g < 3; ++g) {
        const int at = lineOf(subtotalOf[g]);
        ASSERT_GE(at, 0) << subtotalOf[g].toStdString();
        EXPECT_TRUE(lines[at].contains(expected[g])) << lines[at].toStdString();
    }
    EXPECT_EQ(lines.filter(s("Subtotal")).size(), 3);
    // Headers open each group before its first line, footers close it after its last.
    EXPECT_LT(lineOf(s("Client: Acme")), lineOf(s("a1")));
    EXPECT_LT(lineOf(s("a2")), lineOf(s("Subtotal Acme")));
    EXPECT_LT(lineOf(s("Subtotal Acme")), lineOf(s("Client: Bolt")));
    EXPECT_LT(lineOf(s("Client: Bolt")), lineOf(s("b1")));
    EXPECT_LT(lineOf(s("c2")), lineOf(s("Subtotal Core")));
    // The grand total runs over every record and follows the last footer.
    const int total = lineOf(s("Total Hours:"));
    ASSERT_GE(total, 0);
    EXPECT_TRUE(lines[total].contains(s("6.2500"))) << lines[total].toStdString();
    EXPECT_GT(total, lineOf(s("Subtotal Core")));
}

TEST_F(ReportRender, GroupExpressionAndLabelsChangeBetweenRuns)
{
    add("1/2/24", "Acme", s("a1"), 1.0);
    add("1/2/24", "Bolt", s("b1"), 2.0);
    add("1/3/24", "Bolt", s("b2"), 4.0);
    Report r;
    declareListing(r);
    declareGroups(r, s("TBInout.CustName"));
    r.setDataSet(&data);

    QString text = render(r, "byClient").join(u'\f');
    EXPECT_EQ(text.count(s("Subtotal")), 2);
    EXPECT_TRUE(text.contains(s("Orvelane")));

    // A custom heading replaces the two product labels; groups now follow the date.
    r.group(s("QRGroup1"))->setExpression(s("TBInout.WDate"));
    r.item<ReportLabel>(s("qrlCustom"))->setText(s("Smith Consulting")).setVisible(true);
    r.findItem(s("qrlOrvelane"))->setVisible(false);
    r.findItem(s("qrlKestrova"))->setVisible(false);
    r.item<ReportLabel>(s("qrlDes"))->setText(s("(Grouped by Date)"));
    text = render(r, "byDate").join(u'\f');
    EXPECT_TRUE(text.contains(s("Smith Consulting")));
    EXPECT_FALSE(text.contains(s("Orvelane")));
    EXPECT_FALSE(text.contains(s("Kestrova v2.0")));
    EXPECT_TRUE(text.contains(s("(Grouped by Date)")));
    const QStringList subtotals = text.split(u'\n').filter(s("Subtotal"));
    ASSERT_EQ(subtotals.size(), 2);
    EXPECT_TRUE(subtotals[0].contains(s("3.0000"))) << subtotals[0].toStdString();
    EXPECT_TRUE(subtotals[1].contains(s("4.0000"))) << subtotals[1].toStdString();
    // Sums start from zero on every run: the grand total is not doubled.
    EXPECT_TRUE(text.contains(s("7.0000")));
    EXPECT_FALSE(text.contains(s("14.0000")));
}

TEST_F(ReportRender, HiddenSummaryItemsDoNotPrint)
{
    add("1/2/24", "Acme", s("a1"), 1.0);
    Report r;
    declareListing(r);
    r.findItem(s("qrlTotal"))->setVisible(false);
    r.findItem(s("grSummary"))->setVisible(false);
    r.setDataSet(&data);
    const QString text = render(r).join(u'\f');
    EXPECT_FALSE(text.contains(s("Total Hours:")));
    EXPECT_EQ(text.count(s("1.0000")), 1); // the detail line only
}

// ---- texts -----------------------------------------------------------------------------

TEST_F(ReportRender, MasksFormatNumbersWithTheReportLocale)
{
    add("1/2/24", "Acme", s("a1"), 1.5);
    add("1/2/24", "Acme", s("a2"), 0.25);
    Report r;
    declareListing(r);
    r.setLocale(QLocale(QLocale::German, QLocale::Germany));
    r.setDataSet(&data);
    const QString text = render(r).join(u'\f');
    EXPECT_TRUE(text.contains(s("1,5000")));
    EXPECT_TRUE(text.contains(s("0,2500")));
    EXPECT_TRUE(text.contains(s("1,7500")));
}

TEST_F(ReportRender, ConcatenationJoinsDateAndTimeTexts)
{
    add("1/2/24", "Acme", s("a1"), 1.5);
    Report r;
    r.band(BandType::Detail)
        .setHeight(0.2)
        .addText(s("inStamp"), inches(0, 0, 3), s("TBInout.WDate + ' - ' + TBInout.TimeIn"));
    r.setDataSet(&data);
    EXPECT_TRUE(render(r).join(u'\f').contains(s("1/2/24 - 9:00 AM")));
}

TEST_F(ReportRender, OverlongTextWithoutWrapEndsInEllipsis)
{
    add("1/2/24", "A client name far too long for its narrow column", s("t"), 1.0);
    Report r;
    r.band(BandType::Detail)
        .setHeight(0.2)
        .addText(s("c"), inches(0, 0, 1.0), s("TBInout.CustName"));
    r.setDataSet(&data);
    const QString text = render(r).join(u'\f');
    EXPECT_TRUE(text.contains(QChar(0x2026))) << text.toStdString();
    EXPECT_FALSE(text.contains(s("narrow column")));
}

/// Report of the task column alone, for wrapping tests.
static void declareTaskColumn(Report &r, bool keepTogether = false)
{
    r.setPageSetup({QPageSize::Letter, QPageLayout::Portrait, QMarginsF(0.5, 0.5, 0.5, 0.5)});
    r.setFont(arial(8));
    r.band(BandType::ColumnHeader).setHeight(0.2).addLabel(QString(), inches(0, 0), s("Tasks"));
    ReportBand &detail = r.band(BandType::Detail).setHeight(0.19).setKeepTogether(keepTogether);
    detail.addText(s("client"), inches(0, 0, 1.5), s("TBInout.CustName"));
    detail.addText(s("task"), inches(2, 0, 2.08), s("TBInout.TaskDes")).setWordWrap(true);
    r.band(BandType::PageFooter)
        .setHeight(0.3)
        .addPageNumber(s("page"), inches(0, 0.05, 7.5), s("Page "))
        .setAlignment(Qt::AlignHCenter);
}

static QString words(const char *prefix, int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list.append(numbered(prefix, i));
    return list.join(u' ');
}

TEST_F(ReportRender, WrappedTextGrowsTheLineAndPushesTheNextRecordDown)
{
    add("1/2/24", "First", words("w", 40), 1.0);
    add("1/2/24", "Second", s("short"), 1.0);
    Report r;
    declareTaskColumn(r);
    r.setDataSet(&data);
    const QStringList lines = render(r).join(u'\n').split(u'\n');

    const QStringList wrapped = lines.filter(s("w0"));
    EXPECT_GT(wrapped.size(), 3); // several lines
    // Every word once, in order; the next record starts below the last wrapped line.
    const QString joined = wrapped.join(u' ').simplified();
    EXPECT_TRUE(joined.endsWith(words("w", 40).section(u' ', -8))) << joined.toStdString();
    for (int i = 1; i <= 40; ++i)
        EXPECT_EQ(joined.count(numbered("w", i)), 1) << i;
    qsizetype lastWrapped = 0;
    qsizetype second = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(s("w0")))
            lastWrapped = i;
        if (lines[i].contains(s("Second")))
            second = i;
    }
    EXPECT_GT(second, lastWrapped);
}

TEST_F(ReportRender, ATextPrintedAgainLiesWhereAndAsWideAsTheFirstTime)
{
    // A repeated text and a wrapped line are drawn from a kept layout, not shaped anew: each
    // must print as the first one did, one line pitch further down, and a wrapped task's
    // lines must start at the column's left edge.
    for (int i = 0; i < 4; ++i)
        add("1/2/24", "Müller & Søn", i == 1 ? words("w", 40) : s("Fix the office"), 12.25 + i);
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    render(r);
    const QList<test::PdfWord> printed = test::pdfWords(lastPdf);
    auto all = [&](const char *text) {
        QList<test::PdfWord> found;
        for (const test::PdfWord &w : printed)
            if (w.text == s(text))
                found.append(w);
        return found;
    };
    constexpr double kTolerance = 0.01; // points: the same glyphs at the same places
    for (const char *text : {"Müller", "Søn", "Consulting", "1/2/24", "office"}) {
        const QList<test::PdfWord> found = all(text);
        ASSERT_GE(found.size(), 3) << text;
        for (const test::PdfWord &w : found) {
            EXPECT_NEAR(w.xMin, found[0].xMin, kTolerance) << text;
            EXPECT_NEAR(w.xMax - w.xMin, found[0].xMax - found[0].xMin, kTolerance) << text;
            EXPECT_NEAR(w.yMax - w.yMin, found[0].yMax - found[0].yMin, kTolerance) << text;
        }
    }
    // The first and the third record's lines are a fixed pitch apart from the second's
    // wrapped block; the fourth is one line pitch below the third.
    const QList<test::PdfWord> fix = all("Fix");
    ASSERT_EQ(fix.size(), 3);
    const QList<test::PdfWord> clients = all("Müller");
    ASSERT_EQ(clients.size(), 4);
    EXPECT_NEAR(clients[0].yMin, fix[0].yMin, 1.0);
    EXPECT_NEAR(clients[3].yMin - clients[2].yMin, 0.19 * 72.0, 1.0);
    // On every line the repeated client stands on the baseline of the hours printed once.
    for (int i = 0; i < 4; ++i) {
        const QList<test::PdfWord> hours = all(qPrintable(QString::number(12.25 + i, 'f', 4)));
        ASSERT_EQ(hours.size(), 1) << i;
        EXPECT_NEAR(clients[i].yMin, hours[0].yMin, kTolerance) << i;
        EXPECT_NEAR(clients[i].yMax, hours[0].yMax, kTolerance) << i;
    }
    // Each wrapped line starts at the task column's left edge, its words in order.
    const double taskLeft = (0.5 + 3.83) * 72.0;
    int lineStarts = 0;
    double lastY = -1;
    for (const test::PdfWord &w : printed) {
        if (!w.text.startsWith(s("w0")))
            continue;
        EXPECT_EQ(all(qPrintable(w.text)).size(), 1) << w.text.toStdString();
        if (w.yMin > lastY + 1.0) {
            ++lineStarts;
            EXPECT_NEAR(w.xMin, taskLeft, 1.0) << w.text.toStdString();
            lastY = w.yMin;
        }
        EXPECT_LT(w.xMax, taskLeft + 2.08 * 72.0 + 1.0) << w.text.toStdString();
    }
    EXPECT_GT(lineStarts, 3);
}

TEST_F(ReportRender, WrappedTextContinuesOnTheNextPageWithNothingLost)
{
    add("1/2/24", "Before", s("short"), 1.0);
    add("1/2/24", "Long", words("w", 700), 1.0);
    add("1/2/24", "After", s("short"), 1.0);
    Report r;
    declareTaskColumn(r);
    r.setDataSet(&data);
    const QStringList pages = render(r);
    ASSERT_GE(pages.size(), 2);

    const QString all = pages.join(u'\f');
    qsizetype from = 0;
    for (int i = 1; i <= 700; ++i) {
        const QString w = numbered("w", i);
        ASSERT_EQ(all.count(w), 1) << w.toStdString();
        const qsizetype at = all.indexOf(w);
        ASSERT_GT(at, from) << w.toStdString() << " out of order";
        from = at;
    }
    EXPECT_GT(all.indexOf(s("After")), from);
    // The record's other fields print once, on the page where it starts.
    EXPECT_EQ(all.count(s("Long")), 1);
    EXPECT_TRUE(pages[0].contains(s("Long")));
    EXPECT_TRUE(pages[0].contains(s("w0001")));
    EXPECT_TRUE(pages[1].contains(s("Tasks"))); // headers above the continuation
    for (int p = 0; p < pages.size(); ++p)
        EXPECT_TRUE(pages[p].contains(s("Page %1").arg(p + 1)));
}

TEST_F(ReportRender, KeepTogetherMovesARecordWholeToTheNextPage)
{
    auto lines = [](const char *prefix, int n) {
        QStringList list;
        for (int i = 1; i <= n; ++i)
            list.append(numbered(prefix, i));
        return list.join(u'\n');
    };
    add("1/2/24", "One", lines("a", 40), 1.0);
    add("1/2/24", "Two", lines("b", 50), 1.0);

    Report flowing;
    declareTaskColumn(flowing, false);
    flowing.setDataSet(&data);
    const QStringList split = render(flowing, "flowing");
    ASSERT_EQ(split.size(), 2);
    EXPECT_TRUE(split[0].contains(s("b0001")));

    Report kept;
    declareTaskColumn(kept, true);
    kept.setDataSet(&data);
    const QStringList whole = render(kept, "kept");
    ASSERT_EQ(whole.size(), 2);
    EXPECT_FALSE(whole[0].contains(s("b0001")));
    EXPECT_TRUE(whole[1].contains(s("b0001")));
    EXPECT_TRUE(whole[1].contains(s("b0050")));
}

TEST_F(ReportRender, KeepTogetherBandTallerThanAPageStillBreaks)
{
    QStringList list;
    for (int i = 1; i <= 150; ++i)
        list.append(numbered("x", i));
    add("1/2/24", "Tall", list.join(u'\n'), 1.0);
    Report r;
    declareTaskColumn(r, true);
    r.setDataSet(&data);
    const QString all = render(r).join(u'\f');
    for (int i = 1; i <= 150; ++i)
        EXPECT_EQ(all.count(numbered("x", i)), 1) << i;
}

TEST_F(ReportRender, CheckBoxShowsACrossOnlyWhenTrue)
{
    add("1/2/24", "Acme", s("yes"), 1.0, true);
    add("1/2/24", "Acme", s("no"), 1.0, false);
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    render(r);
    constexpr int kDpi = 200;
    const QString png = test::pdfPageImage(lastPdf, 1, kDpi, dir.filePath(s("checks")));
    ASSERT_FALSE(png.isEmpty());
    const QImage page(png);
    ASSERT_FALSE(page.isNull());

    // Centre of the box of detail line @p row, in pixels.
    auto darkAtCentre = [&](int row) {
        const double side = pixelsToInches(10);
        const double x = 0.5 + 6.13 + side / 2;
        const double y = 0.5 + 0.52 + 0.2 + row * 0.19 + 0.03 + side / 2;
        int darkest = 255;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                darkest = std::min(darkest,
                                   qGray(page.pixel(qRound(x * kDpi) + dx, qRound(y * kDpi) + dy)));
        return darkest < 128;
    };
    EXPECT_TRUE(darkAtCentre(0));
    EXPECT_FALSE(darkAtCentre(1));
}

// ---- data set state and failures -------------------------------------------------------

namespace {

/// Fails on the n-th move to the next record, as a store error would.
class FailingDataSet : public MemoryDataSet
{
public:
    using MemoryDataSet::MemoryDataSet;
    int failAt = 0;
    void next() override
    {
        if (++m_moves == failAt)
            throw std::runtime_error("store failure");
        MemoryDataSet::next();
    }

private:
    int m_moves = 0;
};

} // namespace

TEST_F(ReportRender, CursorReturnsAndControlsComeBackAfterARun)
{
    for (int i = 0; i < 30; ++i)
        add(i < 15 ? "1/2/24" : "1/3/24", i % 3 ? "Acme" : "Bolt", numbered("t", i), 1.0);
    data.setPosition(7);
    Report r;
    declareListing(r);
    declareGroups(r, s("TBInout.CustName"));
    r.setDataSet(&data);
    render(r);
    EXPECT_EQ(data.position(), 7);
    EXPECT_EQ(data.disableDepth(), 0);
    EXPECT_EQ(data.openBookmarks(), 0);
}

TEST_F(ReportRender, DataSetErrorPropagatesRestoresStateAndWritesNoFile)
{
    FailingDataSet failing(s("TBInout"), kFields);
    for (int i = 0; i < 10; ++i)
        failing.appendRow(
            {s("1/2/24"), s("Acme"), s("Job"), s("t"), true, s("9:00 AM"), s("10:00 AM"), 1.0});
    failing.failAt = 5;
    failing.setPosition(3);
    Report r;
    declareListing(r);
    r.setDataSet(&failing);

    const QString pdf = dir.filePath(s("failed.pdf"));
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous report");
    old.close();

    EXPECT_THROW(r.exportPdf(pdf), std::runtime_error);
    EXPECT_EQ(failing.position(), 3);
    EXPECT_EQ(failing.disableDepth(), 0);
    EXPECT_EQ(failing.openBookmarks(), 0);
    QFile back(pdf);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("previous report"));
}

TEST_F(ReportRender, BadExpressionsFailBeforeAnyOutput)
{
    add("1/2/24", "Acme", s("t"), 1.0);
    const char *bad[] = {"TBInout.NoSuchField", "TBCust.CustName", "SUM(TBInout.Hours",
                         "TBInout.CustName +", "'unterminated"};
    for (const char *expression : bad) {
        SCOPED_TRACE(expression);
        Report r;
        r.band(BandType::Detail).setHeight(0.2).addText(s("x"), inches(0, 0, 2), s(expression));
        r.setDataSet(&data);
        const QString pdf = dir.filePath(s("bad.pdf"));
        EXPECT_THROW(r.exportPdf(pdf), ReportError);
        EXPECT_FALSE(QFile::exists(pdf));
        EXPECT_EQ(data.disableDepth(), 0);
    }
}

TEST_F(ReportRender, OutputThatCannotBeWrittenIsAnError)
{
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    EXPECT_THROW(r.exportPdf(dir.filePath(s("no/such/folder/x.pdf"))), ReportError);
}

// ---- printer and preview ---------------------------------------------------------------

TEST_F(ReportRender, PrinterAndPdfFileGiveTheSamePages)
{
    for (int i = 1; i <= 80; ++i)
        add("1/2/24", "Acme", i == 40 ? words("w", 120) : numbered("Task", i), 1.0);
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    const QStringList fromFile = render(r);

    // A printer of another resolution than the PDF writer's still breaks lines and pages
    // at the same places.
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString printed = dir.filePath(s("printed.pdf"));
    printer.setOutputFileName(printed);
    EXPECT_EQ(r.print(printer), fromFile.size());
    EXPECT_EQ(test::pdfPages(printed), fromFile);
}

TEST_F(ReportRender, PreviewShowsTheSamePagesAsTheFile)
{
    for (int i = 1; i <= 100; ++i)
        add("1/2/24", "Acme", numbered("Task", i), 1.0);
    Report r;
    declareListing(r);
    r.setDataSet(&data);
    const int filePages = static_cast<int>(render(r).size());

    QPrinter printer(QPrinter::HighResolution);
    int previewPages = -1;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto *view = dialog->findChild<QPrintPreviewWidget *>())
            previewPages = view->pageCount();
        dialog->reject();
    });
    poll.start();
    QTimer::singleShot(10000, &poll, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    previewReport(r, printer);
    poll.stop();
    EXPECT_EQ(previewPages, filePages);
    EXPECT_EQ(data.disableDepth(), 0);
}

TEST_F(ReportRender, PreviewRethrowsLayoutErrorsAfterClosing)
{
    Report r;
    r.band(BandType::Detail).setHeight(0.2).addText(s("x"), inches(0, 0, 2), s("TBInout.Nope"));
    r.setDataSet(&data);
    QPrinter printer(QPrinter::HighResolution);
    QTimer::singleShot(10000, qApp, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    EXPECT_THROW(previewReport(r, printer), ReportError);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
