// The quick-add window driven by clicks and keys: a task with only a text, the priority lists
// and the due date, the title-bar close and Reject, a refused post, the memo's limit and the
// to-do list's return to browse mode after the quick add's post and cancel.
#include "TodoFixture.h"

#include "DBMemo.h"
#include "HelpBrowser.h"
#include "TodoWidgets.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>

using namespace kv;
using namespace kv::test;
using namespace Qt::StringLiterals;

namespace {

class QuickAdd : public TodoFixture
{
protected:
    void openQuick()
    {
        if (!quick)
            quick = std::make_unique<TfQuickTodo>(*dm);
        quick->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(quick.get()));
        settle();
    }
    void pick(QComboBox *combo, int row)
    {
        combo->showPopup();
        settle();
        QAbstractItemView *list = combo->view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
        settle();
    }
    int count()
    {
        dm->TBTodo->refresh();
        return int(dm->TBTodo->countView());
    }
};

TEST_F(QuickAdd, OnlyATextGivesATaskWithoutPriorityDueDateOrDoneStampedNow)
{
    addTask({u"Older task"_s, {}, {}, QDate(2026, 3, 1), false, {}, {}});
    openQuick();
    EXPECT_EQ(quick->windowTitle(), u"Kestrova-ToDo QuickAdd"_s);
    EXPECT_TRUE(quick->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Insert);
    EXPECT_EQ(quick->StatusBar1->text(), u"Insert"_s);
    EXPECT_TRUE(quick->dbcbMajorPri->currentText().isEmpty());
    EXPECT_EQ(quick->dbcbMajorPri->maxVisibleItems(), 8);
    services.clock->set(QDateTime(QDate(2026, 3, 4), QTime(16, 40)));
    QTest::keyClicks(quick->meTask, u"Send the invoice"_s);
    QTest::mouseClick(quick->tbbPost, Qt::LeftButton);
    settle();
    EXPECT_FALSE(quick->isVisible());
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Browse);
    ASSERT_EQ(count(), 2);
    dm->TBTodo->first(); // no due date sorts first in the order at start
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Send the invoice"_s);
    EXPECT_TRUE(dm->TBTodoPriMajor->isNull());
    EXPECT_TRUE(dm->TBTodoPriMinor->isNull());
    EXPECT_TRUE(dm->TBTodoDueDate->isNull());
    EXPECT_TRUE(dm->TBTodoDone->isNull());
    EXPECT_TRUE(dm->TBTodoDateDone->isNull());
    EXPECT_EQ(dt::toDate(dm->TBTodoDateIn->asDateTime()), QDate(2026, 3, 4));
    EXPECT_EQ(dt::toTime(dm->TBTodoTimeIn->asDateTime()), QTime(16, 40));
    EXPECT_EQ(tasks(), (QStringList{u"Send the invoice"_s, u"Older task"_s}));
}

TEST_F(QuickAdd, PrioritiesFromTheListsATypedMinorLetterAndTheDueDate)
{
    openQuick();
    pick(quick->dbcbMajorPri, 1);
    EXPECT_EQ(quick->dbcbMajorPri->currentText(), u"B"_s);
    quick->dbcbMinorPri->lineEdit()->setFocus();
    QTest::keyClicks(quick->dbcbMinorPri->lineEdit(), u"C"_s);
    EXPECT_EQ(quick->dbcbMinorPri->currentText(), u"c"_s);
    quick->dtpDueDate->setDate(QDate(2026, 4, 1));
    QTest::keyClicks(quick->meTask, u"File taxes"_s);
    QTest::mouseClick(quick->tbbPost, Qt::LeftButton);
    settle();
    dm->TBTodo->first();
    EXPECT_EQ(dm->TBTodoPriMajor->asString(), u"B"_s);
    EXPECT_EQ(dm->TBTodoPriMinor->asString(), u"c"_s);
    EXPECT_EQ(dt::toDate(dm->TBTodoDueDate->asDateTime()), QDate(2026, 4, 1));

    // The next opening starts empty again.
    openQuick();
    EXPECT_TRUE(quick->dbcbMajorPri->currentText().isEmpty());
    EXPECT_TRUE(quick->meTask->toPlainText().isEmpty());
    EXPECT_EQ(quick->dtpDueDate->date(), DBDatePicker::nullDate());
    QTest::mouseClick(quick->tbbCancel, Qt::LeftButton);
    settle();
    EXPECT_FALSE(quick->isVisible());
    EXPECT_EQ(count(), 1);
}

TEST_F(QuickAdd, ClosedByTheTitleBarOrEscapeNothingIsAddedAndAnEmptyAcceptAddsAnEmptyTask)
{
    openQuick();
    QTest::keyClicks(quick->meTask, u"Not wanted"_s);
    quick->close(); // the title-bar close button
    settle();
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Browse);
    EXPECT_EQ(count(), 0);

    openQuick();
    QTest::keyClicks(quick->meTask, u"Not wanted either"_s);
    QTest::keyClick(quick.get(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(quick->isVisible());
    EXPECT_EQ(count(), 0);

    openQuick();
    QTest::mouseClick(quick->tbbPost, Qt::LeftButton);
    settle();
    ASSERT_EQ(count(), 1);
    dm->TBTodo->first();
    EXPECT_TRUE(dm->TBTodoTask->isNull());
    EXPECT_FALSE(dm->TBTodoDateIn->isNull());
}

TEST_F(QuickAdd, ARefusedPostKeepsTheWindowOpenWithTheTaskPendingOnce)
{
    openQuick();
    QTest::keyClicks(quick->meTask, u"Bad minor priority"_s);
    // A value the minor priority's picture refuses (a digit), as another program may write it.
    dm->TBTodoPriMinor->setAsString(u"7"_s);
    QTest::mouseClick(quick->tbbPost, Qt::LeftButton);
    settle();
    ASSERT_FALSE(services.messages->shown.isEmpty());
    EXPECT_EQ(services.messages->shown.last().kind, MsgKind::Error);
    EXPECT_TRUE(quick->isVisible());
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Insert);
    // Becoming active again keeps the pending task: there is no second insert.
    quick->FormActivate();
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Bad minor priority"_s);
    pick(quick->dbcbMinorPri, 0);
    QTest::mouseClick(quick->tbbPost, Qt::LeftButton);
    settle();
    EXPECT_FALSE(quick->isVisible());
    EXPECT_EQ(count(), 1);
}

TEST_F(QuickAdd, TheMemoRefusesThe251stCharacter)
{
    openQuick();
    QTest::keyClicks(quick->meTask, QString(250, u'a'));
    QTest::keyClicks(quick->meTask, u"b"_s);
    EXPECT_EQ(quick->meTask->toPlainText(), QString(250, u'a'));
    EXPECT_EQ(dm->TBTodoTask->asString(), QString(250, u'a'));
    QTest::mouseClick(quick->tbbCancel, Qt::LeftButton);
    settle();
}

TEST_F(QuickAdd, ItsPostAndCancelReturnTheToDoListToBrowseMode)
{
    addTask({u"Existing"_s, {}, {}, {}, false, {}, {}});
    open();
    win->NavDisable();
    ASSERT_TRUE(editMode());
    win->hide();
    openQuick();
    QTest::mouseClick(quick->tbbCancel, Qt::LeftButton);
    settle();
    EXPECT_TRUE(browseMode());
    win->NavDisable();
    openQuick();
    QTest::keyClicks(quick->meTask, u"Added quickly"_s);
    QTest::mouseClick(quick->tbbPost, Qt::LeftButton);
    settle();
    EXPECT_TRUE(browseMode());
    open();
    EXPECT_EQ(win->grTodo->gridModel()->rowCount(), 2);
}

} // namespace

namespace {

TEST_F(QuickAdd, F1OpensTheHelpPagesOfQuickAddAndOfTheList)
{
    openQuick();
    quick->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(quick.get()));
    QTest::keyClick(quick.get(), Qt::Key_F1);
    settle();
    QTest::mouseClick(quick->tbbCancel, Qt::LeftButton);
    settle();
    open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
    QTest::keyClick(win.get(), Qt::Key_F1);
    settle();
    EXPECT_EQ(services.help->contexts, (QList<int>{27, 28}));
    EXPECT_EQ(HelpBrowser::urlForContext(27).toString(), u"qrc:/help/todo.html#ctx-27"_s);
    EXPECT_EQ(HelpBrowser::urlForContext(28).toString(), u"qrc:/help/todo.html#ctx-28"_s);
}

} // namespace
