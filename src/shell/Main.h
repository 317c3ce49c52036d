// TFMain (instance FMain): the main window. A small borderless panel with the punch clock's In/Out
// button, the in time, the "Time Log" button and the menu button; a second pane, opened by the
// splitter bar, holds the client and job-type selectors, the billable box and the auto-log
// controls. One popup menu leads to every other window; in tray mode the window hides behind a
// notification-area icon that animates while a time set runs. The clock itself is PunchClock.
#pragma once

#include "PunchClock.h"
#include "RunningSetFile.h"
#include "Services.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace kv {

class BannerMenu;
class BorderFrame;
class ClickImage;
class HotSpotSplitter;
class LookupCombo;
class ShadowLabel;

class TFMain : public QWidget, private PunchClockHost
{
    Q_OBJECT
    PunchClock m_clock; // declared first: IsClockedIn refers into it

public:
    static constexpr int kHelpContext = 4;
    /// The splitter bar's position at start: the upper pane fills the window.
    static constexpr int kUpperPaneHeight = 69;

    explicit TFMain(QWidget *parent = nullptr);
    ~TFMain() override;

    /// The data folder: the configured installation folder + "/Data", or the per-user default.
    /// Uses no state of the window: the tables call it before the window exists.
    static QString RegDataPath();

    /// The punch clock; the running set lives only here.
    PunchClock &clock() { return m_clock; }
    const PunchClock &clock() const { return m_clock; }
    /// The clock's running flag under the window's name.
    bool &IsClockedIn;
    bool IsTrayMode = false;

    /// Start-up steps 7 to 9, and again whenever the configuration changes: default selections,
    /// tray mode, the auto-log indicators.
    void applyConfiguration();
    /// Tray mode switched by the configuration dialog's Ok: on, the close image hides the window
    /// from now on and the tray icon shows, but the window stays on screen; off, as at a start-up
    /// outside tray mode.
    void switchTrayMode(bool trayMode);
    /// Start-up clock-in (InOnStartup): starts a set when both selectors hold a value.
    void InOnStart();
    /// At start-up: a set an earlier run left running (the program crashed or was killed while
    /// clocked in) is offered for posting up to the last moment the program was seen; Yes posts
    /// it, No discards it. Nothing happens when the last run ended cleanly.
    void askLeftOverSet();
    /// What keeps the running set on disk over a crash.
    RunningSetKeeper &runningSet() { return m_runningSet; }

    /// Whether the window is to be shown when the message loop starts.
    bool showAtStart() const { return m_showAtStart; }
    /// The close query: offers to post a running set. Allows the close unless posting the set was
    /// asked for and failed (the error was shown and the set keeps running rather than be lost).
    bool closeQuery();

    /// The billing increment rounding with the configured increment.
    double RoundTime(double hours) const;

    // ---- the clock's operations, as the window offers them ----
    void EnableIn() { m_clock.EnableIn(); }
    void EnableOut() { m_clock.EnableOut(); }
    void GetHours() { m_clock.GetHours(); }
    void ChangeClient() { m_clock.ChangeClient(); }
    /// Inserts and posts one time record from the clock's Rec* values with the selectors' client
    /// and job type and the billable box. Throws when the post fails (the insert is cancelled).
    void PostTimeRec() override;
    /// The same with the client and job type the running set belongs to.
    void PostCliRec() override;

    // ---- handlers; each runs inside runAction ----
    void bbOutClick();
    void bbInClick();
    void rxTrayClick(TrayClick click);
    void rxTrayDblClick();
    void ShowKestrova1Click();
    void ChangeClient1Click();
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Help1Click();
    void BLogClick();
    void ShowLog1Click();
    void SelectDefaults1Click();
    void About1Click();
    void iToDoClick();
    void ToDoQucikAdd1Click();
    void iTodoListClick();
    void KestrovaToDoList1Click();
    void Close1Click();
    void DBCCustCloseUp();
    void dblcJobDesCloseUp();
    void bAutoLogClick();
    void DBCCustEnter();
    void dblcJobDesEnter();
    /// Every showing: the time format; the configured defaults into the selectors while idle.
    void FormShow();
    /// Opens the popup menu at the mouse position.
    void popupAtCursor();

    // ---- windows of later parts; with none registered the menu item does nothing ----
    std::function<void()> showTimeLog;       ///< FInOut, modal
    std::function<void()> showConfiguration; ///< FSelDef, modal
    std::function<void()> showAbout;         ///< AboutBox, modal
    std::function<void()> showQuickAdd;      ///< fQuickTodo, modal
    std::function<void()> showTodoList;      ///< fTodo, modal
    /// Hands a drag of the window to the desktop's own move; false when it offers none (the
    /// window then follows the mouse itself). Tests replace it.
    std::function<bool()> startSystemMove;
    /// The empty-list prompts; until registered, a plain information box.
    std::function<void()> showEmptyClientPrompt;
    std::function<void()> showEmptyJobPrompt;

    // ---- controls ----
    HotSpotSplitter *RzSplitter1;
    ShadowLabel *lBanner1, *lBanner2;
    QWidget *pHelp;
    ClickImage *Image1, *Image2, *Image3;
    QPushButton *RzMenuButton1;
    QToolButton *bbOut, *BLog;
    QFrame *pInTime;
    QLabel *lStatus, *clInTime;
    ClickImage *iToDo, *iTodoList;
    LookupCombo *DBCCust, *dblcJobDes;
    QLabel *lClient, *lJobType, *Label1;
    QCheckBox *cbBillable;
    QPushButton *bAutoLog;
    BorderFrame *RzBorder1, *RzBorder2, *RzBorder3;
    BannerMenu *PopupMenu1;
    QAction *ClockIn1, *ClockOut1, *ChangeClient1, *ShowKestrova1, *ShowLog1, *SelectDefaults1,
        *About1, *Help1, *ToDoQucikAdd1, *KestrovaToDoList1, *Close1;

signals:
    /// The window closed for good: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // PunchClockHost
    QString clientText() const override;
    QString jobText() const override;
    ClockSettings settings() const override;
    QString askTaskDescription() override;
    void showWindow() override;
    void clockChanged() override;

    void buildUpperPane(QWidget *pane);
    void buildLowerPane(QWidget *pane);
    void buildMenu();
    void applyTrayMode(bool trayMode);
    void postRecord(const QString &client, const QString &job);
    /// Disables `item` while the modal window of `show` is open.
    void openModal(QAction *item, const std::function<void()> &show);
    void emptyListPrompt(const std::function<void()> &prompt, const QString &text);
    void advanceTrayFrame();

    bool billableChecked() const;
    RunningSetKeeper m_runningSet{m_clock, [this] { return billableChecked(); }};
    QTimer m_trayAnimation;
    int m_trayFrame = 0;
    bool m_trayIconShown = false;
    bool m_showAtStart = true;
    bool m_everShown = false;
    bool m_noTrayNoticeShown = false;
    QPoint m_pressPos;
    QPoint m_dragOffset;
    bool m_pressed = false;  ///< the left button went down on a free spot
    bool m_dragging = false; ///< the window follows the mouse (no desktop move)
};

extern TFMain *FMain;

} // namespace kv
