// The to-do list driven by clicks and keys: modes and the record line, in-stamps on Accept only,
// ticking off, the seven sort items, the task search and "Stop", Delete and Delete All, the
// priority editors, the task editor, closing with a pending task and what stays between
// openings.
#include "TodoFixture.h"

#include "FilterDialog.h"
#include "PdfProbe.h"
#include "TableStateLabel.h"
#include "TodoOrders.h"
#include "TodoReport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>

using namespace kv;
using namespace kv::test;
using namespace Qt::StringLiterals;

namespace {

const QDate kDay(2026, 3, 2);

class TodoWindow : public TodoFixture
{
protected:
    void addThree()
    {
        addTask({u"Call Bob"_s,
                 u"B"_s,
                 u"a"_s,
                 kDay.addDays(3),
                 false,
                 QDateTime(kDay.addDays(-7), QTime(8, 15)),
                 {}});
        addTask({u"Pay the RECALL fee"_s, u"A"_s, u"a"_s, kDay.addDays(1), true,
                 QDateTime(kDay.addDays(-6), QTime(10, 0)),
                 QDateTime(kDay.addDays(-1), QTime(16, 45))});
        addTask({u"Order paper"_s,
                 u"C"_s,
                 u"b"_s,
                 kDay.addDays(5),
                 false,
                 QDateTime(kDay.addDays(-5), QTime(11, 30)),
                 {}});
        dm->TBTodo->first();
    }
    /// Types @p text into the grid's cell of @p field on the current row and hands it over.
    void typeInto(const QString &field, const QString &text)
    {
        ASSERT_TRUE(win->grTodo->selectField(field));
        win->grTodo->setFocus();
        settle();
        // The first key opens the cell's editor; the others go to it.
        QTest::keyClicks(win->grTodo, text.left(1));
        settle();
        QWidget *editor = win->grTodo->openEditor();
        ASSERT_NE(editor, nullptr);
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            editor = combo->lineEdit();
        QTest::keyClicks(editor, text.mid(1));
        settle();
    }
    QStringList gridTasks() const
    {
        QStringList names;
        for (int r = 0; r < win->grTodo->gridModel()->rowCount(); ++r)
            names << cell(r, u"Task"_s);
        return names;
    }
    QList<bool> checks() const
    {
        QList<bool> c;
        for (QAction *a : win->sortItems)
            c << a->isChecked();
        return c;
    }
};

TEST_F(TodoWindow, OpensInBrowseModeWithTheOrderLineTheColumnsAndTheStateWord)
{
    addThree();
    open();
    EXPECT_EQ(win->windowTitle(), u"Kestrova ToDo List"_s);
    EXPECT_TRUE(browseMode());
    EXPECT_TRUE(win->tbbShowTask->isEnabled());
    EXPECT_TRUE(win->tbbSearch->isEnabled());
    EXPECT_EQ(win->StatusBar1->text(), u"Browse"_s);
    EXPECT_EQ(win->lOrder->text(), u"Due Date, Priority, In Date/Time"_s);
    EXPECT_EQ(checks(), (QList<bool>{true, false, false, false, false, false, false}));
    EXPECT_FALSE(win->lFiltered->isVisible());
    EXPECT_EQ(win->tbbDelAll->text(), u"All"_s);
    EXPECT_EQ(win->tbbDelAll->toolTip(), u"Delete All in Current View"_s);
    EXPECT_EQ(win->tbbClearFilter->toolTip(), u"Stop"_s);
    EXPECT_EQ(win->eTaskSearch->maxLength(), 100);
    DBGridModel *m = win->grTodo->gridModel();
    QStringList titles;
    for (int c = 0; c < m->columnCount(); ++c)
        titles << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(titles, (QStringList{u"Done"_s, u"P"_s, u"p"_s, u"Due On"_s, u"Task"_s}));
    EXPECT_EQ(gridTasks(), (QStringList{u"Pay the RECALL fee"_s, u"Call Bob"_s, u"Order paper"_s}));
    // The record line shows the current task's stamps.
    EXPECT_EQ(win->dbtDateIn->text(), u"2/24/2026"_s);
    EXPECT_EQ(win->dbtTimeIn->text(), u"10:00 AM"_s);
    EXPECT_EQ(win->dbtDateDone->text(), u"3/1/2026"_s);
    EXPECT_EQ(win->dbtTimeDone->text(), u"4:45 PM"_s);
    clickCell(1, u"Task"_s);
    EXPECT_EQ(win->dbtTimeIn->text(), u"8:15 AM"_s);
    EXPECT_TRUE(win->dbtDateDone->text().isEmpty());
}

TEST_F(TodoWindow, NewAndAcceptStampsTheInDateButEditAndAcceptKeepsIt)
{
    addThree();
    open();
    services.clock->set(QDateTime(kDay, QTime(14, 5)));
    click(win->tbbAdd);
    EXPECT_TRUE(editMode());
    EXPECT_FALSE(win->tbbSort->isEnabled());
    EXPECT_FALSE(win->tbbSearch->isEnabled());
    EXPECT_TRUE(win->tbbShowTask->isEnabled());
    EXPECT_EQ(win->StatusBar1->text(), u"Insert"_s);
    typeInto(u"Task"_s, u"Renew the domain"_s);
    click(win->tbbPost);
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Browse);
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Renew the domain"_s);
    EXPECT_EQ(win->dbtDateIn->text(), u"3/2/2026"_s);
    EXPECT_EQ(win->dbtTimeIn->text(), u"2:05 PM"_s);
    EXPECT_FALSE(dm->TBTodoDone->asBoolean());
    EXPECT_TRUE(dm->TBTodoDateDone->isNull());
    EXPECT_EQ(gridTasks().size(), 4);

    // An old task edited keeps the stamps it has.
    services.clock->set(QDateTime(kDay.addDays(2), QTime(9, 30)));
    clickCell(1, u"Task"_s);
    ASSERT_EQ(dm->TBTodoTask->asString(), u"Pay the RECALL fee"_s);
    click(win->tbbEdit);
    EXPECT_EQ(win->StatusBar1->text(), u"Edit"_s);
    typeInto(u"Task"_s, u"Pay the fee"_s);
    click(win->tbbPost);
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Pay the fee"_s);
    EXPECT_EQ(win->dbtDateIn->text(), u"2/24/2026"_s);
    EXPECT_EQ(win->dbtTimeIn->text(), u"10:00 AM"_s);
}

TEST_F(TodoWindow, ATaskPostedByMovingToAnotherRowGetsNoInStamps)
{
    addThree();
    open();
    click(win->tbbAdd);
    typeInto(u"Task"_s, u"Moved away"_s);
    // The new row is the first of the grid; moving to another row posts it.
    const int row = win->grTodo->gridModel()->currentRow();
    clickCell(row == 0 ? 1 : 0, u"Task"_s);
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Browse);
    // The data module's to-do rule put the window back into browse mode.
    EXPECT_TRUE(browseMode());
    dm->TBTodo->setIndexName(u"todo05"_s);
    ASSERT_TRUE(dm->TBTodo->findKey({u"Moved away"_s}));
    EXPECT_TRUE(dm->TBTodoDateIn->isNull());
    EXPECT_TRUE(dm->TBTodoTimeIn->isNull());
}

TEST_F(TodoWindow, TickingStampsUntickingEmptiesAndCancelRestoresTheStamps)
{
    addThree();
    open();
    services.clock->set(QDateTime(kDay, QTime(15, 20)));
    // Row 0 is the done task: untick it.
    clickDoneBox(0);
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Edit);
    EXPECT_TRUE(editMode());
    EXPECT_FALSE(dm->TBTodoDone->asBoolean());
    EXPECT_TRUE(win->dbtDateDone->text().isEmpty());
    EXPECT_TRUE(win->dbtTimeDone->text().isEmpty());
    click(win->tbbCancel);
    EXPECT_TRUE(browseMode());
    EXPECT_TRUE(dm->TBTodoDone->asBoolean());
    EXPECT_EQ(win->dbtDateDone->text(), u"3/1/2026"_s);
    EXPECT_EQ(win->dbtTimeDone->text(), u"4:45 PM"_s);

    // Row 1 is not done: tick it (one click, though the row is not current) and accept.
    clickDoneBox(1);
    EXPECT_TRUE(dm->TBTodoDone->asBoolean());
    EXPECT_EQ(win->dbtDateDone->text(), u"3/2/2026"_s);
    EXPECT_EQ(win->dbtTimeDone->text(), u"3:20 PM"_s);
    click(win->tbbPost);
    EXPECT_TRUE(browseMode());
    dm->TBTodo->refresh();
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Call Bob"_s);
    EXPECT_TRUE(dm->TBTodoDone->asBoolean());
    EXPECT_EQ(dt::toDate(dm->TBTodoDateDone->asDateTime()), kDay);
    // Ticking is no entry: the in-stamps stay.
    EXPECT_EQ(win->dbtTimeIn->text(), u"8:15 AM"_s);
}

TEST_F(TodoWindow, AClickOnAnotherBoxWhileATaskIsPendingPostsItAndOnlyMoves)
{
    addThree();
    open();
    clickCell(1, u"Task"_s);
    clickDoneBox(1); // Call Bob ticked, pending
    ASSERT_TRUE(editMode());
    // The pending task is posted; the rows are read again, so the click ticks nothing yet.
    clickDoneBox(2);
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Order paper"_s);
    EXPECT_FALSE(dm->TBTodoDone->asBoolean());
    clickDoneBox(2);
    EXPECT_TRUE(dm->TBTodoDone->asBoolean());
    click(win->tbbPost);
    dm->TBTodo->setFilter([this](const StoreTable &) { return dm->TBTodoDone->asBoolean(); });
    dm->TBTodo->setFiltered(true);
    EXPECT_EQ(tasks(), (QStringList{u"Pay the RECALL fee"_s, u"Call Bob"_s, u"Order paper"_s}));
}

TEST_F(TodoWindow, EachSortItemSetsTheOrderLineTheIndexAndOnlyItsCheck)
{
    addThree();
    open();
    const auto &orders = todoOrders();
    for (size_t i : {2, 5, 1, 6, 3, 4, 0}) {
        sortBy(orders[i].menuItem);
        EXPECT_EQ(win->lOrder->text(), orders[i].caption);
        EXPECT_EQ(dm->TBTodo->indexName(), orders[i].index);
        QList<bool> expected(7, false);
        expected[qsizetype(i)] = true;
        EXPECT_EQ(checks(), expected) << orders[i].menuItem.toStdString();
    }
    sortBy(u"Task"_s);
    EXPECT_EQ(gridTasks(), (QStringList{u"Call Bob"_s, u"Order paper"_s, u"Pay the RECALL fee"_s}));
    sortBy(u"PriorityInDateTime1"_s);
    EXPECT_EQ(win->lOrder->text(), u"Priority, In Date/Time"_s);
    EXPECT_EQ(gridTasks(), (QStringList{u"Pay the RECALL fee"_s, u"Call Bob"_s, u"Order paper"_s}));
    win->UnCheckMenu();
    EXPECT_EQ(checks(), QList<bool>(7, false));
}

TEST_F(TodoWindow, TheSearchIgnoresCaseReplacesDialogCriteriaAndStopShowsEveryTask)
{
    addThree();
    addTask({u"Recall the order"_s, {}, {}, {}, true, {}, {}});
    open();
    // The dialog offers its eight fields; a criterion on Done narrows the list to done tasks.
    onNextModal([](QWidget *modal) {
        auto *d = qobject_cast<FilterDialog *>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->windowTitle().isEmpty());
        QStringList labels;
        for (int r = 0; r < d->lbFields->count(); ++r)
            labels << d->offeredFields().at(r);
        EXPECT_EQ(labels, (QStringList{u"Done"_s, u"PriMajor"_s, u"PriMinor"_s, u"Task"_s,
                                       u"TimeIn"_s, u"DateIn"_s, u"TimeDone"_s, u"DateDone"_s}));
        d->lbFields->setCurrentRow(0);
        d->eValue->setText(u"true"_s);
        QTest::mouseClick(d->bOK, Qt::LeftButton);
    });
    click(win->sbFilter);
    EXPECT_TRUE(win->lFiltered->isVisible());
    EXPECT_EQ(gridTasks(), (QStringList{u"Recall the order"_s, u"Pay the RECALL fee"_s}));

    QTest::keyClicks(win->eTaskSearch, u"rECAll"_s);
    click(win->tbbSearch);
    // The search replaced the Done criterion: one criterion, on Task, and both open tasks with
    // the text in any case are found.
    ASSERT_EQ(win->fdtodo->criteriaCount(), 1);
    EXPECT_EQ(win->fdtodo->criteria().criteria().first().fieldName, u"Task"_s);
    EXPECT_EQ(gridTasks(), (QStringList{u"Recall the order"_s, u"Pay the RECALL fee"_s}));
    QTest::keyClicks(win->eTaskSearch, u"\b\b\b\b\b\bOR"_s);
    click(win->tbbSearch);
    EXPECT_EQ(gridTasks(), (QStringList{u"Recall the order"_s, u"Order paper"_s}));
    EXPECT_TRUE(win->lFiltered->isVisible());

    click(win->tbbClearFilter);
    EXPECT_TRUE(win->eTaskSearch->text().isEmpty());
    EXPECT_FALSE(win->lFiltered->isVisible());
    EXPECT_EQ(win->fdtodo->criteriaCount(), 0);
    EXPECT_EQ(gridTasks().size(), 4);
    // With nothing to stop, "Stop" does nothing.
    click(win->tbbClearFilter);
    EXPECT_EQ(gridTasks().size(), 4);
}

TEST_F(TodoWindow, ASearchWithAnEmptyBoxShowsFilteredAndEveryTaskUntilStop)
{
    addThree();
    open();
    click(win->tbbSearch);
    EXPECT_TRUE(win->lFiltered->isVisible());
    EXPECT_EQ(gridTasks().size(), 3);
    click(win->tbbClearFilter);
    EXPECT_FALSE(win->lFiltered->isVisible());
}

TEST_F(TodoWindow, DeleteAsksAndAllUnderASearchDeletesOnlyTheTasksFound)
{
    addThree();
    addTask({u"Call Ann"_s, {}, {}, {}, false, {}, {}});
    open();
    services.messages->answerNext(MsgAnswer::No);
    click(win->tbbDelete);
    EXPECT_EQ(services.messages->lastText(), u"Kestrova: Delete this record?"_s);
    EXPECT_EQ(services.messages->shown.last().kind, MsgKind::Warning);
    EXPECT_EQ(services.messages->shown.last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(gridTasks().size(), 4);

    QTest::keyClicks(win->eTaskSearch, u"call"_s);
    QTest::keyClick(win->eTaskSearch, Qt::Key_Return);
    settle();
    ASSERT_EQ(gridTasks(), (QStringList{u"Call Ann"_s, u"Pay the RECALL fee"_s, u"Call Bob"_s}));
    services.messages->answerNext(MsgAnswer::Yes);
    click(win->tbbDelAll);
    EXPECT_EQ(services.messages->lastText(),
              u"Kestrova: This will delete all records\r\nin the current To Do List view.\r\n"
              u"Are you sure?"_s);
    EXPECT_EQ(gridTasks().size(), 0);
    // With nothing in view, both ask nothing.
    const auto asked = services.messages->shown.size();
    click(win->tbbDelete);
    click(win->tbbDelAll);
    EXPECT_EQ(services.messages->shown.size(), asked);

    click(win->tbbClearFilter);
    EXPECT_EQ(gridTasks(), QStringList{u"Order paper"_s});
    services.messages->answerNext(MsgAnswer::Yes);
    click(win->tbbDelete);
    EXPECT_EQ(gridTasks(), QStringList());
}

TEST_F(TodoWindow, TheMinorPriorityTakesOneLetterInLowerCaseAndTheMajorOneFromItsList)
{
    open();
    click(win->tbbAdd);
    typeInto(u"PriMinor"_s, u"B7x"_s);
    auto *minor = qobject_cast<QComboBox *>(win->grTodo->openEditor());
    ASSERT_NE(minor, nullptr);
    EXPECT_EQ(minor->objectName(), u"dbcbMinorPri"_s);
    EXPECT_EQ(minor->currentText(), u"b"_s);
    EXPECT_EQ(minor->count(), 3);
    EXPECT_EQ(minor->itemText(0), u"a"_s);

    // The major priority's list: open it and click its third line.
    ASSERT_TRUE(win->grTodo->selectField(u"PriMajor"_s));
    settle();
    QTest::keyClick(win->grTodo, Qt::Key_F2);
    settle();
    auto *major = qobject_cast<QComboBox *>(win->grTodo->openEditor());
    ASSERT_NE(major, nullptr);
    EXPECT_EQ(major->objectName(), u"dbcbMajorPri"_s);
    major->showPopup();
    settle();
    QAbstractItemView *list = major->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(2, 0)).center());
    settle();
    EXPECT_EQ(major->currentText(), u"C"_s);
    typeInto(u"Task"_s, u"Prioritised"_s);
    click(win->tbbPost);
    EXPECT_EQ(dm->TBTodoPriMinor->asString(), u"b"_s);
    EXPECT_EQ(dm->TBTodoPriMajor->asString(), u"C"_s);
    EXPECT_EQ(cell(0, u"PriMinor"_s), u"b"_s);
}

TEST_F(TodoWindow, TheTaskEditorsAcceptFollowedByTheListsCancelLeavesTheTextUnchanged)
{
    addThree();
    open();
    // In browse state the editor only shows the task.
    bool shown = false;
    onNextModal([&](QWidget *modal) {
        auto *t = qobject_cast<TfToDoTask *>(modal);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->windowTitle(), u"Kestrova - ToDo Task"_s);
        EXPECT_EQ(t->meTask->toPlainText(), u"Pay the RECALL fee"_s);
        EXPECT_FALSE(t->tbbPost->isEnabled());
        EXPECT_FALSE(t->tbbCancel->isEnabled());
        EXPECT_EQ(t->StatusBar1->text(), u"View"_s);
        shown = true;
        QTest::mouseClick(t->tbbClose, Qt::LeftButton);
    });
    const QRect taskCell = win->grTodo->visualRect(cellIndex(0, u"Task"_s));
    QTest::mouseDClick(win->grTodo->viewport(), Qt::LeftButton, {}, taskCell.center());
    settle();
    EXPECT_TRUE(shown);
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Browse);

    click(win->tbbEdit);
    shown = false;
    onNextModal([&](QWidget *modal) {
        auto *t = qobject_cast<TfToDoTask *>(modal);
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(t->tbbPost->isEnabled());
        EXPECT_EQ(t->StatusBar1->text(), u"Edit"_s);
        QTest::keyClick(t->meTask, Qt::Key_End);
        QTest::keyClicks(t->meTask, u" today"_s);
        QTest::mouseClick(t->tbbPost, Qt::LeftButton);
        shown = true;
        QTest::mouseClick(t->tbbClose, Qt::LeftButton);
    });
    click(win->tbbShowTask);
    EXPECT_TRUE(shown);
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Pay the RECALL fee today"_s);
    EXPECT_EQ(cell(0, u"Task"_s), u"Pay the RECALL fee today"_s);
    EXPECT_TRUE(task->meTask->toPlainText().isEmpty());
    EXPECT_TRUE(editMode());
    click(win->tbbCancel);
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Pay the RECALL fee"_s);
    dm->TBTodo->refresh();
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Pay the RECALL fee"_s);
}

TEST_F(TodoWindow, TheTaskEditorsMemoRefusesThe251stCharacterAndRejectReloads)
{
    addThree();
    open();
    click(win->tbbEdit);
    bool shown = false;
    onNextModal([&](QWidget *modal) {
        auto *t = qobject_cast<TfToDoTask *>(modal);
        ASSERT_NE(t, nullptr);
        t->meTask->clear();
        QTest::keyClicks(t->meTask, QString(249, u'x'));
        QTest::keyClicks(t->meTask, u"yz"_s);
        EXPECT_EQ(t->meTask->toPlainText(), QString(249, u'x') + u'y');
        QTest::mouseClick(t->tbbCancel, Qt::LeftButton);
        EXPECT_EQ(t->meTask->toPlainText(), u"Pay the RECALL fee"_s);
        shown = true;
        QTest::mouseClick(t->tbbClose, Qt::LeftButton);
    });
    click(win->tbbShowTask);
    EXPECT_TRUE(shown);
    EXPECT_EQ(dm->TBTodoTask->asString(), u"Pay the RECALL fee"_s);
}

TEST_F(TodoWindow, ClosingCancelsAPendingTaskAndTheViewStaysForTheNextOpening)
{
    addThree();
    open();
    sortBy(u"DoneDoneDateTime1"_s);
    QTest::keyClicks(win->eTaskSearch, u"a"_s);
    click(win->tbbSearch);
    click(win->tbbAdd);
    typeInto(u"Task"_s, u"Never kept"_s);
    QTest::keyClick(win.get(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(dm->TBTodo->state(), StoreTable::State::Browse);

    open();
    EXPECT_TRUE(browseMode());
    EXPECT_EQ(win->lOrder->text(), u"Done, Done Date/Time"_s);
    EXPECT_TRUE(win->sortItems[5]->isChecked());
    EXPECT_EQ(win->eTaskSearch->text(), u"a"_s);
    EXPECT_TRUE(win->lFiltered->isVisible());
    EXPECT_EQ(win->fdtodo->criteriaCount(), 1);
    EXPECT_FALSE(gridTasks().contains(u"Never kept"_s));
    click(win->tbbClearFilter);
    EXPECT_EQ(gridTasks().size(), 3);
}

TEST_F(TodoWindow, PrintWithoutAPrinterSaysSoAndPrintsTheOrdersSubtitleOnAChosenFile)
{
    addThree();
    open();
    sortBy(u"PriorityDoneDateTime1"_s);
    // The test machine has no printer: the first print only says so, and "No" ends it.
    ReportPrinter &printer = win->reports().reportPrinter();
    printer.installedPrinters = [] { return QStringList(); };
    const QString pdf = path(u"printed.pdf"_s);
    int dialogs = 0;
    printer.setupDialog = [&](QPrinter &p, QWidget *) {
        ++dialogs;
        EXPECT_EQ(p.outputFormat(), QPrinter::PdfFormat); // the set-up offers the PDF printer
        p.setOutputFileName(pdf);
        return true;
    };
    services.messages->answerNext(MsgAnswer::No);
    click(win->sbPrint);
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_EQ(services.messages->lastText(), ReportPrinter::noPrinterText());
    EXPECT_EQ(services.messages->shown.last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    // "Yes" opens the set-up on its PDF printer, and the list is printed to the chosen file.
    services.messages->answerNext(MsgAnswer::Yes);
    click(win->sbPrint);
    EXPECT_EQ(dialogs, 1);
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].simplified().contains(u"(Ordered by Priority, Done Date/Time)"_s));
    EXPECT_TRUE(pages[0].simplified().contains(u"Pay the RECALL fee"_s));
}

} // namespace
