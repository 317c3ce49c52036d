// TFInOut (instance FInOut): the time-log window. The records of the current view of TBInout in
// an editable grid with three sort orders, the record toolbar (navigation, New, Edit, Copy,
// Delete, Delete All, task text, Accept, Reject, Export, filter, Clear Filter, printing), the
// header strip with the billing settings, the total of hours and the "Filtered" mark, and the
// status line with the table's state. The data module's time-log rules call into it through
// the hooks it registers (a new record leaves browse mode; after posts the total is recomputed).
#pragma once

#include "StoreTable.h"

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <functional>

class QLabel;
class QRadioButton;
class QToolButton;
class QFrame;

namespace kv {

class DBGrid;
class FilterDialog;
class MemoDialog;
class TDMKV;
class TfLogTask;

/// The text of the total: fixed point with four decimals after rounding to ten significant
/// digits, the locale's decimal separator, no digit groups ("12.5000", "0.0000").
QString TotalHoursText(double sum);

class TFInOut : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 7;
    static constexpr int kDuplicateHelpContext = 49;
    static constexpr int kClientListHelpContext = 15;
    static constexpr int kJobListHelpContext = 16;
    static constexpr int kClientWidth = 630;
    static constexpr int kClientHeight = 279;

    /// Builds the window over `dm` and registers the data module's time-log hooks.
    explicit TFInOut(TDMKV &dm, TfLogTask *logTask = nullptr, QWidget *parent = nullptr);
    ~TFInOut() override;

    // ---- operations other parts call ----
    void NavEnable();
    void NavDisable();
    void CalcHours();
    void TotalHours();
    void ShowLogTask();

    // ---- handlers; each runs inside runAction ----
    void FormShow();
    void FormActivate();
    /// Closing: false when the window must stay open (a pending record could not be saved).
    bool FormClose();
    void navcFirstClick();
    void navcPriorClick();
    void navcNextClick();
    void navcLastClick();
    void bbcAddClick();
    void bbcEditClick();
    void bbcCopyClick();
    void bbcDeleteClick();
    void bbcPostClick();
    void bbcCancelClick();
    void bbcExportClick();
    void bClearAllClick();
    void tbbLogTaskClick();
    void sbFilterClick();
    void tbbClearFilterClick();
    void sbPrnSetupClick();
    void sbPreviewClick();
    void sbPrintClick();
    void GRInoutRowChanged();
    void GRInoutFieldChanged();
    void GRInoutTitleButtonClick(Field *field);
    void GRInoutColEnter(Field *field);
    void GRInoutDblClick();
    void dblcCustDblClick();
    void dblcJobTypeClick();
    void mdNotesExecute();

    // ---- what later parts plug in; with none the action does nothing ----
    /// The client editor for viewing, on the client of the current record (TBCust is on it).
    std::function<void()> showClientEditor;
    /// Export of the current view (Part of the export work); null leaves "Export" disabled.
    std::function<void()> exportView;
    /// Printer set-up, preview and print of the chosen layout (`full` = rbFull checked); null
    /// leaves the print buttons disabled.
    std::function<void()> printerSetup;
    std::function<void(bool full)> previewReport;
    std::function<void(bool full)> printReport;

    TDMKV &dm() const { return m_dm; }

    // ---- controls ----
    QFrame *Panel1;
    QLabel *DBText1, *DBText2;
    QFrame *pTotalHours;
    QLabel *lHours, *lFiltered;
    DBGrid *GRInout;
    QToolButton *navcFirst, *navcPrior, *navcNext, *navcLast, *bbcAdd, *bbcEdit, *bbcCopy,
        *bbcDelete, *bClearAll, *tbbLogTask, *bbcPost, *bbcCancel, *bbcExport, *sbFilter,
        *tbbClearFilter, *sbPrnSetup, *sbPreview, *sbPrint;
    QRadioButton *rbFull, *rbGroup;
    QLabel *StatusBar1;
    FilterDialog *fdInOut;
    MemoDialog *mdNotes;
    /// The note image (image 0 of the window's image list).
    QIcon noteImage;

    /// The status line's word for a table state.
    static QString stateWord(StoreTable::State state);
    /// The size the user last gave the window (per user), never below the drawn size.
    static QSize savedSize();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildHeader();
    void buildGrid();
    void buildToolbar();
    void setBrowseMode(bool browse);
    void showState();
    void showSettings();
    QWidget *createClientEditor(QWidget *parent);
    QWidget *createJobEditor(QWidget *parent);

    TDMKV &m_dm;
    QPointer<TfLogTask> m_logTask;
    bool m_browse = true;
    bool m_widthsFitted = false;
};

extern TFInOut *FInOut;

/// Plugs the export component and the two report layouts into the window's Export, Printer
/// Setup, Print Preview and Print buttons.
void wireTimeLogOutputs(TFInOut &window);
/// Creates FInOut and fLogTask over DMKV (start-up, after the main window), with its outputs.
void CreateTimeLogWindows();
/// Shows FInOut modally (the main window's "Time Log").
void ShowTimeLog();

} // namespace kv
