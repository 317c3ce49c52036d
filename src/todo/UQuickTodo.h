// TfQuickTodo (instance fQuickTodo): the quick-add window. Adds one new task with its two
// priorities, due date and text without opening the to-do list: opening it inserts a new task
// that its controls edit; Accept stamps it with now and today, posts it and closes; Reject, or
// closing by the title bar, drops it.
#pragma once

#include <QDialog>

class QLabel;
class QToolButton;

namespace kv {

class DBDatePicker;
class DBMemo;
class PriorityCombo;
class TDMKV;

class TfQuickTodo : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 27;
    static constexpr int kClientWidth = 228;
    static constexpr int kClientHeight = 249;
    static constexpr int kMaxTaskLength = 250;

    explicit TfQuickTodo(TDMKV &dm, QWidget *parent = nullptr);

    /// The status line's word for a table state.
    static QString stateWord(int state);

    // ---- handlers; each runs inside runAction ----
    void FormActivate();
    void tbbPostClick();
    void tbbCancelClick();
    void FormClose();

    PriorityCombo *dbcbMajorPri, *dbcbMinorPri;
    DBDatePicker *dtpDueDate;
    DBMemo *meTask;
    QToolButton *tbbPost, *tbbCancel;
    QLabel *StatusBar1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void showState();

    TDMKV &m_dm;
    bool m_ownsTask = false; ///< the task in insert state is this window's
};

extern TfQuickTodo *fQuickTodo;

} // namespace kv
