// TfToDoTask (instance fToDoTask): the task editor of the to-do list. A memo over the text of the
// current task, with Accept (copy the memo into Task, unposted), Reject (reload the memo from
// the task) and Exit, and a status line naming the table's state. With Accept and Reject off it
// is a viewer: the memo can be typed in, but nothing reaches the record.
#pragma once

#include "StoreTable.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace kv {

class TfToDoTask : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 28;
    static constexpr int kMaxTaskLength = 250;

    explicit TfToDoTask(StoreTable *todo, QWidget *parent = nullptr);

    /// The status line's word for a table state ("View" for browse).
    static QString stateWord(StoreTable::State state);

    // ---- handlers; each runs inside runAction ----
    void FormActivate();
    void tbbPostClick();
    void tbbCancelClick();
    void tbbCloseClick();
    void FormClose();

    QPlainTextEdit *meTask;
    QLabel *lCaption;
    QToolButton *tbbPost, *tbbCancel, *tbbClose;
    QLabel *StatusBar1;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void loadMemo();
    void showState();

    QPointer<StoreTable> m_todo;
};

extern TfToDoTask *fToDoTask;

/// Keeps a memo at @p maxLength characters: typing or pasting beyond them does nothing.
void limitMemoLength(QPlainTextEdit *memo, int maxLength);

} // namespace kv
