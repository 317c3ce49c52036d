// The job-type window offscreen: typing into the grid, Accept and its duplicate-record message,
// Reject, delete, closing, and the rename cascade as the after-post rule runs it.
#include "DBGrid.h"
#include "ListsFixture.h"
#include "TableStateLabel.h"

#include <QToolButton>

using namespace kv;
using namespace kv::test;

namespace {

class JobTypeWindowTest : public ListsFixture
{
protected:
    void SetUp() override
    {
        ListsFixture::SetUp();
        addJob(QStringLiteral("DES"), QStringLiteral("Design"));
        addJob(QStringLiteral("SUP"), QStringLiteral("Support"));
        addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2);
        addTime(QStringLiteral("Acme"), QStringLiteral("Support"), 3);
        addTime(QStringLiteral("Beta"), QStringLiteral("Design"), 4);
        DMKV->TBJobCode->first(); // Design, in description order
        FJobType->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FJobType));
        grid = FJobType->dbgJobType;
    }
    void click(const char *name)
    {
        auto *b = FJobType->findChild<QToolButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(b) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    bool enabled(const char *name)
    {
        return FJobType->findChild<QToolButton *>(QString::fromLatin1(name))->isEnabled();
    }
    /// Types `text` into the cell of `field` on the grid's current row and ends the cell edit.
    void typeInCell(const QString &field, const QString &text)
    {
        grid->setFocus();
        ASSERT_TRUE(grid->selectField(field));
        QTest::keyClick(grid, Qt::Key_F2);
        QWidget *editor = grid->openEditor();
        ASSERT_TRUE(editor) << "no cell editor opened";
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    DBGrid *grid = nullptr;
};

TEST_F(JobTypeWindowTest, TypingADescriptionAndMovingToAnotherRowRenamesTheTimeRecords)
{
    typeInCell(QStringLiteral("JobDes"), QStringLiteral("Drawing"));
    EXPECT_EQ(FJobType->OldJobDes, QStringLiteral("Design")) << "typing started the edit";
    EXPECT_TRUE(enabled("bbjPost"));
    EXPECT_FALSE(enabled("bbjAdd"));
    QTest::keyClick(grid, Qt::Key_Down); // the row change posts
    EXPECT_EQ(DMKV->TBJobCode->state(), StoreTable::State::Browse);
    EXPECT_EQ(countJob(QStringLiteral("Drawing")), 2);
    EXPECT_EQ(countJob(QStringLiteral("Support")), 1);
    // The grid reports its row change once it has re-read the view, from the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return enabled("bbjAdd"); }, 2000))
        << "the row change returns the buttons to browsing";
    EXPECT_EQ(DMKV->TBInout->indexName(), QStringLiteral("Tinout01"));
}

TEST_F(JobTypeWindowTest, EditAndAcceptWithACaseOnlyChangeRenames)
{
    click("bbjEdit");
    DMKV->TBJobCodeJobDes->setAsString(QStringLiteral("DESIGN"));
    click("bbjPost");
    EXPECT_EQ(countJob(QStringLiteral("DESIGN")), 2);
    EXPECT_TRUE(enabled("bbjEdit"));
    EXPECT_FALSE(enabled("bbjPost"));
}

TEST_F(JobTypeWindowTest, ACodeOnlyChangeOrANewJobTypeRunsNoCascade)
{
    setIncrement(30); // a rewritten time record would get 0.5 hours instead of 0.25
    click("bbjEdit");
    DMKV->TBJobCodeJobCode->setAsString(QStringLiteral("DSG"));
    click("bbjPost");
    click("bbjAdd");
    EXPECT_TRUE(FJobType->OldJobDes.isEmpty());
    DMKV->TBJobCodeJobCode->setAsString(QStringLiteral("TRV"));
    DMKV->TBJobCodeJobDes->setAsString(QStringLiteral("Travel"));
    click("bbjPost");
    for (const TimeRec &r : timeLog())
        EXPECT_DOUBLE_EQ(r.hours, 0.25);
    EXPECT_EQ(countJob(QStringLiteral("Design")), 2);
}

TEST_F(JobTypeWindowTest, AKeyViolationShowsItsMessageAndRejectDiscardsTheRow)
{
    click("bbjAdd");
    DMKV->TBJobCodeJobCode->setAsString(QStringLiteral("SUP"));
    DMKV->TBJobCodeJobDes->setAsString(QStringLiteral("Second support"));
    click("bbjPost");
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Duplicate Record.\r\nJob Code, Job Desscription match another job "
                             "type record.\r\nPlease try again. Press F1 for an explanation of key "
                             "violations."));
    EXPECT_EQ(fakes.messages->shown.last().helpContext, 49);
    EXPECT_EQ(DMKV->TBJobCode->state(), StoreTable::State::Insert);
    EXPECT_TRUE(enabled("bbjCancel"));
    click("bbjCancel");
    EXPECT_EQ(DMKV->TBJobCode->state(), StoreTable::State::Browse);
    EXPECT_TRUE(enabled("bbjAdd"));
    DMKV->TBJobList->refresh();
    int count = 0;
    for (DMKV->TBJobList->first(); !DMKV->TBJobList->eof(); DMKV->TBJobList->next())
        ++count;
    EXPECT_EQ(count, 2);
}

TEST_F(JobTypeWindowTest, ARequiredFieldGoesToTheStandardErrorBox)
{
    click("bbjAdd");
    DMKV->TBJobCodeJobCode->setAsString(QStringLiteral("X"));
    click("bbjPost");
    EXPECT_EQ(fakes.messages->lastText(), QStringLiteral("Field 'Job Type' must have a value"));
    EXPECT_EQ(fakes.messages->shown.last().caption, QStringLiteral("Kestrova v2.0"));
    EXPECT_TRUE(enabled("bbjPost"));
}

TEST_F(JobTypeWindowTest, DeleteAsksFirstAndTimeRecordsKeepTheDescription)
{
    fakes.messages->answerNext(MsgAnswer::No);
    click("bbjDelete");
    EXPECT_EQ(fakes.messages->lastText(), QStringLiteral("Kestrova: Delete record?"));
    EXPECT_EQ(fakes.messages->shown.last().kind, MsgKind::Warning);
    fakes.messages->answerNext(MsgAnswer::Yes);
    click("bbjDelete");
    DMKV->TBJobCode->first();
    EXPECT_EQ(DMKV->TBJobCodeJobDes->asString(), QStringLiteral("Support"));
    EXPECT_EQ(countJob(QStringLiteral("Design")), 2);
}

TEST_F(JobTypeWindowTest, ClosingTheWindowCancelsAPendingJobType)
{
    click("bbjEdit");
    DMKV->TBJobCodeJobDes->setAsString(QStringLiteral("Changed"));
    FJobType->close();
    EXPECT_EQ(DMKV->TBJobCode->state(), StoreTable::State::Browse);
    DMKV->TBJobCode->first();
    EXPECT_EQ(DMKV->TBJobCodeJobDes->asString(), QStringLiteral("Design"));
    EXPECT_EQ(countJob(QStringLiteral("Changed")), 0);
}

TEST_F(JobTypeWindowTest, NavigationButtonsMoveInDescriptionOrder)
{
    click("navjLast");
    EXPECT_EQ(DMKV->TBJobCodeJobDes->asString(), QStringLiteral("Support"));
    click("navjFirst");
    EXPECT_EQ(DMKV->TBJobCodeJobDes->asString(), QStringLiteral("Design"));
    EXPECT_EQ(FJobType->StatusBar1->text(), QStringLiteral("Browse"));
    click("bbjEdit");
    EXPECT_EQ(FJobType->StatusBar1->text(), QStringLiteral("Edit"));
}

} // namespace
