// TfTodo (instance fTodo): the to-do list. A grid over the current view of TBTodo in which the
// user adds, edits, ticks off and deletes tasks; the search line, the order line with its seven
// sort orders, the record line with the current task's in- and done-stamps and the "Filtered"
// mark, the record toolbar with its browse and edit modes, the filter dialog, the printed list
// and the task editor. The data module's to-do rule returns it to browse mode after every post
// and cancel of a to-do record, whichever window made it.
#pragma once

#include "StoreTable.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace kv {

class DBGrid;
class FilterDialog;
class TDMKV;
class TableStateLabel;
class TfToDoTask;
class TfqrToDoList;
class TodoReports;

class TfTodo : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 28;
    static constexpr int kClientWidth = 486;
    static constexpr int kClientHeight = 328;
    static constexpr int kMaxSearchLength = 100;

    /// Builds the window over @p dm and registers the data module's to-do rule. @p task is the
    /// task editor; @p report the printed list (a report of its own when null).
    explicit TfTodo(TDMKV &dm, TfToDoTask *task = nullptr, TfqrToDoList *report = nullptr,
                    QWidget *parent = nullptr);
    ~TfTodo() override;

    // ---- operations ----
    void NavEnable();
    void NavDisable();
    void ShowTask();
    void UnCheckMenu();
    void SetView();
    void LoadfdToDo(const QString &fieldName, const QString &label, const QString &value);

    // ---- handlers; each runs inside runAction ----
    void FormShow();
    void FormClose();
    void tbbAddClick();
    void tbbEditClick();
    void tbbPostClick();
    void tbbCancelClick();
    void tbbDeleteClick();
    void tbbDelAllClick();
    void tbbSearchClick();
    void tbbShowTaskClick();
    void grTodoFieldChanged(Field *field);
    void grTodoDblClick();
    void DueDateInDateTime1Click();
    void PriorityInDateTime1Click();
    void PriorityDoneDateTime1Click();
    void InDateTime1Click();
    void DoneInDateTime1Click();
    void DoneDoneDateTime1Click();
    void TaskClick();
    void sbFilterClick();
    void tbbClearFilterClick();
    void sbPrnSetupClick();
    void sbPrintClick();

    TodoReports &reports() { return *m_reports; }
    /// The task editor ShowTask opens (created after the window at start-up).
    void setTaskEditor(TfToDoTask *task);
    /// The printed list sbPrintClick prints (created after the window at start-up).
    void setReport(TfqrToDoList *report);

    // ---- controls ----
    QLineEdit *eTaskSearch;
    QToolButton *tbbSearch;
    QLabel *lOrder;
    DBGrid *grTodo;
    QLabel *dbtDateIn, *dbtTimeIn, *dbtDateDone, *dbtTimeDone, *lFiltered;
    QToolButton *tbbAdd, *tbbEdit, *tbbDelete, *tbbDelAll, *tbbPost, *tbbCancel, *tbbSort,
        *sbFilter, *tbbClearFilter, *sbPrnSetup, *sbPrint, *tbbShowTask, *tbbExit;
    TableStateLabel *StatusBar1;
    QMenu *pmSortOpt;
    /// The sort items in menu order (DueDateInDateTime1 ... Task).
    QList<QAction *> sortItems;
    FilterDialog *fdtodo;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildSearchLine(QWidget *area);
    void buildGrid();
    void buildRecordLine(QWidget *area);
    void buildToolbar(QWidget *area);
    void setBrowseMode(bool browse);
    void fitDueDateColumn();
    void sortBy(int position);
    void showStamps();
    void showFiltered();
    /// Filtering is on: criteria in the dialog, or a task search (even one for an empty text,
    /// whose criterion the dialog drops).
    bool isFiltering() const;

    TDMKV &m_dm;
    QPointer<TfToDoTask> m_task;
    std::unique_ptr<TodoReports> m_reports;
    bool m_searchActive = false;
    bool m_widthsFitted = false;
};

extern TfTodo *fTodo;

/// Creates fTodo, fToDoTask, fQuickTodo and fqrToDoList over DMKV, in that order (start-up).
void CreateTodoWindows();
/// Shows fTodo modally (the main window's "ToDo List").
void ShowTodoList();
/// Shows fQuickTodo modally (the main window's "ToDo QuickAdd").
void ShowQuickTodo();
/// Deletes the to-do windows (before the data module goes).
void DestroyTodoWindows();

} // namespace kv
