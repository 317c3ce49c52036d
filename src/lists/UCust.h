// TFCust (instance FCust): the client list. A grid of the client names over TBCust (through
// DSCust), not editable in place, with the record buttons that lead to the client editor.
#pragma once

#include <QDialog>

class QToolButton;

namespace kv {

class DBGrid;

class TFCust : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 15;

    explicit TFCust(QWidget *parent = nullptr);
    ~TFCust() override;

    // ---- handlers; each runs inside runAction ----
    void FormShow();
    void navcFirstClick();
    void navcPriorClick();
    void navcNextClick();
    void navcLastClick();
    void bbcAddClick();
    void bbcEditClick();
    void bbcDeleteClick();
    void bbcViewClick();
    /// Closing: a pending client is cancelled; TBCust, then TBCustList, are read anew.
    void FormClose();

    /// The four navigation buttons and New, Edit, Delete on.
    void NavEnable();

    DBGrid *dbgCustomer;
    QToolButton *navcFirst, *navcPrior, *navcNext, *navcLast, *bbcAdd, *bbcEdit, *bbcDelete,
        *bbcView;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

/// The one client list of the run (null before start-up created it).
extern TFCust *FCust;

} // namespace kv
