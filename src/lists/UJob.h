// TFJobType (instance FJobType): the job-type window. An editable grid of the job types over
// TBJobCode (through DSJobCode, auto-edit on), the record toolbar and the status line. It holds
// the job-type rename cascade UpdateJobDes, which the after-post rule of TBJobCode runs when a
// job type's description changed.
#pragma once

#include <QDialog>

class QToolButton;

namespace kv {

class DBGrid;
class TableStateLabel;

class TFJobType : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 16;
    static constexpr int kKeyViolationHelp = 49;

    explicit TFJobType(QWidget *parent = nullptr);
    ~TFJobType() override;

    /// The description the current job type had when its editing began (by "Edit" or by typing
    /// into the grid); empty after a new record was started.
    QString OldJobDes;

    void NavEnable();
    void NavDisable();
    /// The rename cascade: every time record with OldJobDes gets the posted description.
    void UpdateJobDes();

    // ---- handlers; each runs inside runAction ----
    void FormShow();
    void navjFirstClick();
    void navjPriorClick();
    void navjNextClick();
    void navjLastClick();
    void bbjAddClick();
    void bbjEditClick();
    void bbjDeleteClick();
    void bbjPostClick();
    void bbjCancelClick();
    void dbgJobTypeRowChanged();
    void dbgJobTypeFieldChanged();
    /// Closing: a pending job type is cancelled; TBJobCode, then TBJobList, are read anew.
    void FormClose();

    static QString duplicateRecordText();

    DBGrid *dbgJobType;
    QToolButton *navjFirst, *navjPrior, *navjNext, *navjLast, *bbjAdd, *bbjEdit, *bbjDelete,
        *bbjPost, *bbjCancel;
    TableStateLabel *StatusBar1;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void afterJobPost();
    void trackState();

    int m_lastState = 0;
};

/// The one job-type window of the run (null before start-up created it).
extern TFJobType *FJobType;

} // namespace kv
