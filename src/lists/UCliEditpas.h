// TfrmdbCliEdit (instance frmdbCliEdit): the client editor. One box per client field, bound to
// TBCust through DSCust (auto-edit off), with the record buttons, Exit, the e-mail button and the
// status line. It holds the client rename cascade UpdateClientName, which the after-post rule of
// TBCust runs when a client's name changed.
#pragma once

#include <QDialog>

class QLabel;
class QToolButton;

namespace kv {

class DBEdit;
class DBMemo;
class MaskEdit;
class TableStateLabel;

class TfrmdbCliEdit : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kKeyViolationHelp = 49;

    explicit TfrmdbCliEdit(QWidget *parent = nullptr);
    ~TfrmdbCliEdit() override;

    /// The client name the current record had when its editing began; empty after New. The
    /// rename cascade searches the time log for it.
    QString OldCustName;

    /// Browsing: navigation, New, Edit, Delete and e-mail on; Accept and Reject off.
    void NavEnable();
    /// Editing: the reverse.
    void NavDisable();
    /// The rename cascade: every time record with OldCustName gets the posted client's name.
    void UpdateClientName();

    /// The time-log window's look-up: shows the current client with only e-mail and Exit usable.
    void showForViewing();

    // ---- handlers; each runs inside runAction ----
    void tbbceFirstClick();
    void tbbcePriorClick();
    void tbbceNextClick();
    void tbbceLastClick();
    void tbbceAddClick();
    void tbbceEditClick();
    void tbbceDeleteClick();
    void tbbcePostClick();
    void tbbceCancelClick();
    void tbbceCloseClick();
    void tbbEmailClick();

    // ---- controls ----
    DBEdit *RzDBEdit2, *RzDBEdit1, *RzDBEdit3, *RzDBEdit4, *RzDBEdit5, *RzDBEdit6, *RzDBEdit7,
        *RzDBEdit8, *RzDBEdit9, *RzDBEdit10, *RzDBEdit11;
    DBMemo *RzDBMemo1;
    QToolButton *tbbEmail;
    QToolButton *tbbceFirst, *tbbcePrior, *tbbceNext, *tbbceLast, *tbbceAdd, *tbbceEdit,
        *tbbceDelete, *tbbcePost, *tbbceCancel, *tbbceClose;
    TableStateLabel *StatusBar1;

    /// The duplicate-record text of a key violation on Accept.
    static QString duplicateRecordText();
    /// "mailto:" with the address freed of leading and trailing blanks and control characters.
    static QString mailtoAddress(const QString &email);

private:
    void afterCustPost();
    void trackEditStart();
    /// A masked box holding an incomplete value refuses to be posted.
    void checkMaskedBoxes();

    int m_lastState = 0;
};

/// The one client editor of the run (null before start-up created it).
extern TfrmdbCliEdit *frmdbCliEdit;

} // namespace kv
