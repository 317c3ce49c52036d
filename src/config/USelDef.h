// TFSelDef (instance FSelDef): the configuration dialog over the single record of TBDef: the
// default client and job type, the auto-log options, the prompts and start-up options, the two
// billing numbers and the print options. It opens the client list and the job-type window, and
// on "Ok" writes the record and re-applies the defaults, tray mode and auto-log indicators to
// the main window.
#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;

namespace kv {

class DBCheckBox;
class DBEdit;
class DBSpinEdit;
class FieldLink;
class LookupCombo;

class TFSelDef : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 6;

    explicit TFSelDef(QWidget *parent = nullptr);
    ~TFSelDef() override;

    /// TBDef.Tray when the dialog was last shown.
    bool TrayWasOn = false;

    // ---- handlers; each runs inside runAction ----
    void FormShow();
    void FormActivate();
    void dblcClientEnter();
    void dblcJobCodeEnter();
    void Button1Click();
    void Button2Click();
    void BBDefOkClick();
    void BBDefCanClick();
    /// Closing by any means: a pending change of TBDef is cancelled and the record read anew.
    void FormClose();

    static QString emptyClientText();
    static QString emptyJobText();

    // ---- controls ----
    QGroupBox *gbDefaults, *gbStartup, *gbFiles, *gbPrint;
    LookupCombo *dblcClient, *dblcJobCode;
    DBCheckBox *RzDBCheckBox4, *RzDBCheckBox5, *dbcbTaskDes, *RzDBCheckBox2, *RzDBCheckBox3;
    DBCheckBox *dbcTray, *RzDBCheckBox6, *RzDBCheckBox7;
    DBSpinEdit *wwDBSpinEdit1, *wwDBSpinEdit2;
    QPushButton *Button1, *Button2;
    DBCheckBox *RzDBCheckBox1;
    DBEdit *RzDBEdit1;
    QPushButton *BBDefOk, *BBDefCan;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    /// Binds a lookup selector to a field of TBDef: it shows the field and writes what the user
    /// picks or types.
    void bindLookup(LookupCombo *combo, const QString &fieldName);
    /// Ok's step 2: the auto-log frames and the "Log" button from the stored options.
    void applyAutoLogIndicators();

    bool m_closing = false;
};

/// The one configuration dialog of the run (null before start-up created it).
extern TFSelDef *FSelDef;

} // namespace kv
