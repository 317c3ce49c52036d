// TfLogTask (instance fLogTask): the task window of the time log. A memo over the task
// description of the current time record, with Accept (copy the memo into the record, unposted),
// Reject (reload the memo from the record) and Exit, and a status line naming the table's state.
#pragma once

#include "StoreTable.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace kv {

class TfLogTask : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 51;
    static constexpr int kMaxTaskLength = 250;

    explicit TfLogTask(StoreTable *inout, QWidget *parent = nullptr);

    /// The status line's word for a table state ("View" for browse).
    static QString stateWord(StoreTable::State state);

    // ---- handlers; each runs inside runAction ----
    void FormActivate();
    void tbbPostClick();
    void tbbCancelClick();
    void bExitClick();

    QPlainTextEdit *meTask;
    QLabel *lCaption;
    QToolButton *tbbPost, *tbbCancel, *bExit;
    QLabel *StatusBar1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    void loadMemo();
    void showState();
    void limitLength();

    QPointer<StoreTable> m_inout;
};

extern TfLogTask *fLogTask;

} // namespace kv
