// The data grid and its model over a time log: paging, counting under a filter, following the
// cursor, moving the cursor, editing in place and the row of a record being inserted.
#include "DBGrid.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;
using namespace Qt::StringLiterals;

namespace {

class DBGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(folder);
        dm = std::make_unique<TDMKV>([folder] { return folder; });
    }

    /// Records on consecutive days; client u"A"_s for even i, u"B"_s for odd i.
    void addRecords(int n)
    {
        StoreTable &t = *dm->TBInout;
        t.beginBatch();
        for (int i = 0; i < n; ++i) {
            t.insert();
            dm->TBInoutWDate->setAsDateTime(dt::fromDate(QDate(2020, 1, 1).addDays(i)));
            dm->TBInoutCustName->setAsString(i % 2 ? QStringLiteral("B") : QStringLiteral("A"));
            dm->TBInoutJobDes->setAsString(QStringLiteral("Job"));
            dm->TBInoutTimeIn->setAsDateTime(dt::fromTime(QTime(9, 0)));
            dm->TBInoutTimeOut->setAsDateTime(dt::fromTime(QTime(10, 0)));
            t.post();
        }
        t.commitBatch();
        t.first();
    }

    void showGrid()
    {
        grid = std::make_unique<DBGrid>();
        grid->setTable(dm->TBInout);
        grid->resize(600, 300);
        grid->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    }

    QString cell(int row, const QString &field) const
    {
        return grid->gridModel()->index(row, grid->gridModel()->columnOf(field)).data().toString();
    }

    static void settle() { QCoreApplication::processEvents(); }

    FakeServicesScope services;
    QTemporaryDir m_dir;
    std::unique_ptr<TDMKV> dm;
    std::unique_ptr<DBGrid> grid;
};

TEST_F(DBGridTest, ColumnsAreTheVisibleFieldsWithLabelsAndWidths)
{
    showGrid();
    DBGridModel *m = grid->gridModel();
    QStringList titles;
    for (int c = 0; c < m->columnCount(); ++c)
        titles << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{u"Date"_s, u"Client"_s, u"Job Type"_s, u"Task Description"_s,
                                   u"In"_s, u"Out"_s, u"Hours"_s, u"$"_s, u" "_s}));
    // Widths follow the display widths in characters: Client (15) is wider than Hours (7).
    EXPECT_GT(grid->columnWidth(1), grid->columnWidth(6));
    EXPECT_TRUE(m->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
}

TEST_F(DBGridTest, ModelOverManyPagesPassesTheModelTesterAndReadsRowsInIndexOrder)
{
    addRecords(3 * DBGridModel::kPageRows + 10);
    showGrid();
    DBGridModel *m = grid->gridModel();
    QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(m->rowCount(), 3 * DBGridModel::kPageRows + 10);
    EXPECT_EQ(cell(0, u"WDate"_s),
              FormatSettings::instance().formatDate(dt::fromDate(QDate(2020, 1, 1))));
    // A row far down is read without the rows before it.
    const int far = 3 * DBGridModel::kPageRows + 5;
    EXPECT_EQ(cell(far, u"WDate"_s),
              FormatSettings::instance().formatDate(dt::fromDate(QDate(2020, 1, 1).addDays(far))));

    // Another order: client first, so the A records (even days) come first.
    dm->TBInout->setIndexName(QStringLiteral("Tinout02"));
    settle();
    EXPECT_EQ(cell(0, u"CustName"_s), u"A"_s);
    EXPECT_EQ(cell(m->rowCount() - 1, u"CustName"_s), u"B"_s);
}

TEST_F(DBGridTest, UnderAFilterTheCountIsLearntAsTheViewScrollsAndAtTheLastRecord)
{
    addRecords(3 * DBGridModel::kDiscoverRows);
    dm->TBInout->setFilter(
        [this](const StoreTable &) { return dm->TBInoutCustName->asString() == u"B"_s; });
    dm->TBInout->setFiltered(true);
    showGrid();
    DBGridModel *m = grid->gridModel();
    EXPECT_FALSE(m->rowCountKnown());
    EXPECT_EQ(m->rowCount(), DBGridModel::kFirstDiscoverRows);
    EXPECT_EQ(cell(0, u"CustName"_s), u"B"_s);
    QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::Fatal);

    dm->TBInout->last();
    EXPECT_TRUE(m->rowCountKnown());
    EXPECT_EQ(m->rowCount(), 3 * DBGridModel::kDiscoverRows / 2);
    EXPECT_EQ(grid->currentIndex().row(), m->rowCount() - 1);
    // A row between the first pages and the last is read from the nearest known place.
    EXPECT_EQ(cell(700, u"WDate"_s), FormatSettings::instance().formatDate(
                                         dt::fromDate(QDate(2020, 1, 1).addDays(2 * 700 + 1))));
}

TEST_F(DBGridTest, FollowsTheCursorAndMovesItWhenTheUserPicksARow)
{
    addRecords(300);
    showGrid();
    EXPECT_EQ(grid->currentIndex().row(), 0);
    dm->TBInout->last();
    EXPECT_EQ(grid->currentIndex().row(), 299);
    dm->TBInout->prior();
    EXPECT_EQ(grid->currentIndex().row(), 298);

    QSignalSpy rowChanged(grid.get(), &DBGrid::rowChanged);
    grid->setCurrentIndex(grid->gridModel()->index(5, 2));
    EXPECT_EQ(dm->TBInoutWDate->asDateTime(), dt::fromDate(QDate(2020, 1, 6)));
    EXPECT_GE(rowChanged.count(), 1);
    EXPECT_EQ(grid->selectedField()->fieldName(), u"JobDes"_s);
    EXPECT_TRUE(grid->selectField(QStringLiteral("wdate")));
    EXPECT_EQ(grid->currentIndex().column(), 0);
}

TEST_F(DBGridTest, TypingIntoACellEditsTheRecordAndMovingToAnotherRowPostsIt)
{
    addRecords(5);
    showGrid();
    grid->setFocus();
    grid->setCurrentIndex(grid->gridModel()->index(1, 3));
    QTest::keyClick(grid.get(), Qt::Key_C);
    ASSERT_NE(grid->openEditor(), nullptr);
    QTest::keyClicks(grid->openEditor(), u"all the bank"_s);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Edit);
    QTest::keyClick(grid->openEditor(), Qt::Key_Down);
    settle();
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
    EXPECT_EQ(cell(1, u"TaskDes"_s), u"call the bank"_s);
    dm->TBInout->first();
    dm->TBInout->next();
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), u"call the bank"_s);
}

TEST_F(DBGridTest, ARefusedPostKeepsTheGridOnThePendingRecord)
{
    addRecords(3);
    showGrid();
    // Make row 1 equal to row 0 in every key field: its post is a key violation.
    grid->setCurrentIndex(grid->gridModel()->index(1, 0));
    dm->TBInout->edit();
    dm->TBInoutWDate->setAsDateTime(dt::fromDate(QDate(2020, 1, 1)));
    dm->TBInoutCustName->setAsString(u"A"_s);
    grid->setCurrentIndex(grid->gridModel()->index(2, 0));
    settle();
    ASSERT_FALSE(services.messages->shown.isEmpty());
    EXPECT_TRUE(services.messages->lastText().startsWith(u"Duplicate key"_s));
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Edit);
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

TEST_F(DBGridTest, ARecordBeingInsertedShowsAsAnExtraRowUntilItIsCancelled)
{
    addRecords(4);
    showGrid();
    QAbstractItemModelTester tester(grid->gridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    dm->TBInout->next();
    dm->TBInout->insert();
    EXPECT_EQ(grid->gridModel()->rowCount(), 5);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(grid->gridModel()->headerData(1, Qt::Vertical).toString(), u"*"_s);
    EXPECT_EQ(cell(1, u"CustName"_s), u""_s);
    dm->TBInout->cancel();
    settle();
    EXPECT_EQ(grid->gridModel()->rowCount(), 4);
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

TEST_F(DBGridTest, LeavingTheGridCancelsANewRecordNothingWasTypedInto)
{
    addRecords(2);
    QWidget window;
    auto *inWindow = new DBGrid(&window);
    inWindow->setTable(dm->TBInout);
    auto *other = new QLineEdit(&window);
    other->move(0, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    inWindow->setFocus(Qt::OtherFocusReason);
    dm->TBInout->insert();
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);

    // A new record something was typed into stays.
    inWindow->setFocus(Qt::OtherFocusReason);
    dm->TBInout->insert();
    dm->TBInoutTaskDes->setAsString(u"typed"_s);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Insert);
    dm->TBInout->cancel();
}

TEST_F(DBGridTest, TheGridsOwnDeleteKeyAsks)
{
    addRecords(2);
    showGrid();
    services.messages->answerNext(MsgAnswer::No);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(services.messages->lastText(), u"Delete record?"_s);
    settle();
    EXPECT_EQ(grid->gridModel()->rowCount(), 2);
    services.messages->answerNext(MsgAnswer::Yes);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    settle();
    EXPECT_EQ(grid->gridModel()->rowCount(), 1);
}

} // namespace
