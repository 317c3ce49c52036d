// The printed to-do list read back from its PDF: the subtitle of each of the seven orders, the
// title, column header and a task's line, the items' places on A4 paper, an empty view, a list
// over two pages with the header and footer on each, and the command line's todo layout.
#include "TodoFixture.h"

#include "CommandLine.h"
#include "PdfProbe.h"
#include "TodoOrders.h"
#include "TodoReport.h"
#include "UqrToDoList.h"

#include <QTextStream>

using namespace kv;
using namespace kv::test;
using namespace Qt::StringLiterals;

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kLeftMargin = 0.5;
constexpr double kTolerance = 2.0; ///< points

class TodoReport : public TodoFixture
{
protected:
    void SetUp() override
    {
        TodoFixture::SetUp();
        reports = std::make_unique<TodoReports>(*dm);
    }
    void addSample()
    {
        addTask({u"Call Bob about the lease"_s, u"A"_s, u"b"_s, QDate(2026, 3, 9), true,
                 QDateTime(QDate(2026, 3, 2), QTime(9, 5)),
                 QDateTime(QDate(2026, 3, 3), QTime(14, 30))});
        addTask({u"Order paper"_s,
                 u"C"_s,
                 QString(),
                 {},
                 false,
                 QDateTime(QDate(2026, 3, 1), QTime(16, 0)),
                 {}});
        dm->TBTodo->first();
    }
    QStringList render()
    {
        pdf = path(QStringLiteral("todo%1.pdf").arg(++m_runs));
        pages = reports->exportPdf(pdf);
        QStringList texts = pdfPages(pdf);
        for (QString &t : texts)
            t = t.simplified();
        return texts;
    }
    /// The first word @p text on page @p page.
    PdfWord word(const QString &text, int page = 1)
    {
        for (const PdfWord &w : pdfWords(pdf))
            if (w.page == page && w.text == text)
                return w;
        ADD_FAILURE() << "no word " << text.toStdString();
        return {};
    }
    static double atInches(double inches) { return (kLeftMargin + inches) * kPointsPerInch; }

    std::unique_ptr<TodoReports> reports;
    QString pdf;
    int pages = 0;

private:
    int m_runs = 0;
};

TEST_F(TodoReport, EachOrderPrintsItsSubtitleAndTheTasksInThatOrder)
{
    addSample();
    for (const TodoOrder &o : todoOrders()) {
        dm->TBTodo->setIndexName(o.index);
        const QStringList texts = render();
        ASSERT_EQ(texts.size(), 1) << o.index.toStdString();
        EXPECT_TRUE(texts[0].contains(o.subtitle)) << texts[0].toStdString();
        const qsizetype bob = texts[0].indexOf(u"Call Bob"_s);
        const qsizetype paper = texts[0].indexOf(u"Order paper"_s);
        ASSERT_GE(bob, 0);
        ASSERT_GE(paper, 0);
        // The paper order has no due date, is not done, was entered first and is C.
        const bool paperFirst = o.index == u"todo07"_s || o.index == u"todo02"_s ||
                                o.index == u"todo04"_s || o.index == u"todo03"_s;
        EXPECT_EQ(paper < bob, paperFirst) << o.index.toStdString();
    }
}

TEST_F(TodoReport, TitleHeaderAndATasksLineOnA4WithTheItemsInTheirPlaces)
{
    addSample();
    const QStringList texts = render();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(pdfInfoValue(pdf, u"Page size"_s).startsWith(u"595"_s));
    const QString &t = texts[0];
    EXPECT_TRUE(t.startsWith(u"Orvelane - Kestrova"_s)) << t.toStdString();
    EXPECT_TRUE(t.contains(u"Kestrova v2.0 ToDo Listing (Ordered by Due Date, Priority, In "
                           u"Date/Time)"_s))
        << t.toStdString();
    EXPECT_TRUE(t.contains(u"Done Priority Due On Task In Date/Time Done Date/Time"_s));
    // Priorities joined, dates and times joined with " - "; nothing for a missing value.
    EXPECT_TRUE(t.contains(u"C Order paper 3/1/2026 - 4:00 PM -"_s)) << t.toStdString();
    EXPECT_TRUE(t.contains(u"Ab 3/9/2026 Call Bob about the lease 3/2/2026 - 9:05 AM 3/3/2026 - "
                           u"2:30 PM"_s))
        << t.toStdString();
    EXPECT_TRUE(t.endsWith(u"Page 1"_s));

    EXPECT_NEAR(word(u"Orvelane"_s).xMin, atInches(0.05), kTolerance);
    // The title begins at 0.78 inch unless "Orvelane -" needs more room; it never overlaps.
    EXPECT_GE(word(u"Kestrova"_s).xMin, atInches(0.78) - kTolerance);
    EXPECT_GT(word(u"Kestrova"_s).xMin, word(u"-"_s).xMax);
    EXPECT_NEAR(word(u"(Ordered"_s).xMin, atInches(3.10), kTolerance);
    EXPECT_NEAR(word(u"Priority"_s).xMin, atInches(0.49), kTolerance);
    EXPECT_NEAR(word(u"Task"_s).xMin, atInches(1.58), kTolerance);
    EXPECT_NEAR(word(u"Call"_s).xMin, atInches(1.59), kTolerance);
    EXPECT_NEAR(word(u"3/2/2026"_s).xMin, atInches(5.05), kTolerance);
    EXPECT_NEAR(word(u"3/3/2026"_s).xMin, atInches(6.17), kTolerance);
    EXPECT_NEAR(word(u"Page"_s).xMin, atInches(0.08), kTolerance);
    // The priority and the due date are centred in their columns.
    const PdfWord ab = word(u"Ab"_s);
    EXPECT_NEAR((ab.xMin + ab.xMax) / 2, atInches(0.48 + 0.24), kTolerance);
    // 12 points for the title line, 9 for the subtitle, 8 for the items.
    EXPECT_GT(word(u"Orvelane"_s).yMax - word(u"Orvelane"_s).yMin,
              word(u"(Ordered"_s).yMax - word(u"(Ordered"_s).yMin);
}

TEST_F(TodoReport, AnEmptyViewStillPrintsTheTitleTheHeaderAndTheFooter)
{
    addSample();
    dm->TBTodo->setFilter([](const StoreTable &) { return false; });
    dm->TBTodo->setFiltered(true);
    const QStringList texts = render();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains(u"Kestrova v2.0 ToDo Listing"_s));
    EXPECT_TRUE(texts[0].contains(u"Done Priority Due On"_s));
    EXPECT_FALSE(texts[0].contains(u"Order paper"_s));
    EXPECT_TRUE(texts[0].endsWith(u"Page 1"_s));
}

TEST_F(TodoReport, ALongListRunsOverTwoPagesWithHeaderAndFooterOnEach)
{
    dm->TBTodo->beginBatch();
    for (int i = 1; i <= 70; ++i)
        addTask({QStringLiteral("Task number %1 of the long list").arg(i, 2, 10, QLatin1Char('0')),
                 u"B"_s, u"a"_s, QDate(2026, 3, 1).addDays(i), i % 3 == 0,
                 QDateTime(QDate(2026, 2, 1), QTime(8, 0).addSecs(60 * i)),
                 i % 3 == 0 ? QDateTime(QDate(2026, 3, 20), QTime(17, 0)) : QDateTime()});
    // One task whose text wraps over several lines.
    addTask({QString(u"A very long task text that has to wrap inside its column "_s).repeated(3),
             u"A"_s,
             u"a"_s,
             QDate(2026, 3, 5),
             false,
             {},
             {}});
    dm->TBTodo->commitBatch();
    dm->TBTodo->first();
    const QStringList texts = render();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(pdfPageCount(pdf), 2);
    for (int p = 0; p < 2; ++p) {
        EXPECT_TRUE(texts[p].contains(u"Done Priority Due On Task In Date/Time Done Date/Time"_s));
        EXPECT_TRUE(texts[p].endsWith(QStringLiteral("Page %1").arg(p + 1))) << p;
    }
    EXPECT_TRUE(texts[0].contains(u"Orvelane"_s));
    EXPECT_FALSE(texts[1].contains(u"Orvelane"_s));
    EXPECT_TRUE(texts[1].contains(u"Task number 70"_s));
    int found = 0;
    for (const QString &t : texts)
        found += int(t.count(u"of the long list"_s));
    EXPECT_EQ(found, 70);
    const QString image = qEnvironmentVariable("KV_TODO_REPORT_IMAGES");
    if (!image.isEmpty()) {
        pdfPageImage(pdf, 1, 60, image + u"/todo-page1"_s);
        pdfPageImage(pdf, 2, 60, image + u"/todo-page2"_s);
    }
}

TEST_F(TodoReport, TheCommandLineWritesTheListInTheOrderItIsGiven)
{
    addSample();
    setTodoListWriter(&writeTodoListPdf);
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QString file = path(u"cli.pdf"_s);
    const QString folder = m_folder;
    EXPECT_EQ(runCommandLine({u"report"_s, u"--layout"_s, u"todo"_s, u"--order"_s, u"task"_s,
                              u"--output"_s, file},
                             out, err, [folder] { return folder; }),
              kExitOk)
        << errText.toStdString();
    QStringList texts = pdfPages(file);
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].simplified().contains(u"(Ordered by Task, In Date/Time)"_s));

    EXPECT_EQ(runCommandLine({u"report"_s, u"--layout"_s, u"todo"_s, u"--output"_s, file}, out, err,
                             [folder] { return folder; }),
              kExitOk);
    texts = pdfPages(file);
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].simplified().contains(u"(Ordered by Due Date, Priority, In Date/Time)"_s));

    EXPECT_EQ(runCommandLine({u"report"_s, u"--layout"_s, u"todo"_s, u"--order"_s, u"client"_s,
                              u"--output"_s, file},
                             out, err, [folder] { return folder; }),
              kExitUsage);
    EXPECT_TRUE(errText.contains(u"unknown order \"client\""_s));
    EXPECT_EQ(runCommandLine({u"report"_s, u"--layout"_s, u"todo"_s, u"--client"_s, u"Acme"_s,
                              u"--output"_s, file},
                             out, err, [folder] { return folder; }),
              kExitUsage);
    EXPECT_TRUE(errText.contains(u"--client is not an option of the to-do list"_s));
}

} // namespace
