// TFMain: the main window, its popup menu and its tray icon.
#include "Main.h"

#include "AppInfo.h"
#include "BannerMenu.h"
#include "BorderFrame.h"
#include "ClickImage.h"
#include "DateTime.h"
#include "FormatSettings.h"
#include "HotSpotSplitter.h"
#include "HoursRule.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "MainIcons.h"
#include "Settings.h"
#include "ShadowLabel.h"
#include "UfTaskDe.h"
#include "WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QWindow>
#include <qdrawutil.h>

namespace kv {

TFMain *FMain = nullptr;

namespace {

constexpr int kClientWidth = 158;
constexpr int kClientHeight = 84;
constexpr int kBorder = 1;
constexpr int kSplitterBar = 7;
constexpr int kTrayFrameMs = 150;

const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

/// "MS Sans Serif" 8 point is 11 pixels high on the desktop it was drawn for; "Small Fonts"
/// 7 point 9 pixels. The nearest sans-serif face of the desktop stands in for both.
QFont panelFont(int pixelSize, bool bold = false, bool italic = false)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}
constexpr int kTextPx = 11;
constexpr int kSmallPx = 9;
constexpr int kBannerPx = 10;

void setTextColor(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

template <class W> W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

/// The window's free background: clicks that no control takes reach the window itself.
class Pane : public QWidget
{
public:
    using QWidget::QWidget;
};

} // namespace

TFMain::TFMain(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_clock(*this),
      IsClockedIn(m_clock.IsClockedIn)
{
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(app::title());
    setWindowIcon(icons::trayIdle());
    setFont(panelFont(kTextPx));
    setFixedSize(kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder);
    move(407, 192);
    // The background has the colour of an active title bar.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette().color(QPalette::Active, QPalette::Highlight));
    setPalette(pal);
    setAutoFillBackground(true);

    RzSplitter1 = named(new HotSpotSplitter(Qt::Vertical, this), "RzSplitter1");
    RzSplitter1->setGeometry(kBorder + 1, kBorder + 7, 157, 76);
    RzSplitter1->setHandleWidth(kSplitterBar);
    auto *upper = named(new Pane, "pUpper");
    auto *lower = named(new Pane, "pLower");
    buildUpperPane(upper);
    buildLowerPane(lower);
    RzSplitter1->addWidget(upper);
    RzSplitter1->addWidget(lower);
    RzSplitter1->setBarPosition(kUpperPaneHeight);
    // Right clicks in the selectors' pane open no menu.
    lower->installEventFilter(this);

    buildMenu();

    startSystemMove = [this] { return windowHandle() && windowHandle()->startSystemMove(); };
    m_runningSet.setFile(RunningSetFile::pathFor(RegDataPath()));
    m_trayAnimation.setInterval(kTrayFrameMs);
    connect(&m_trayAnimation, &QTimer::timeout, this, &TFMain::advanceTrayFrame);
    Tray &tray = Services::instance().tray();
    tray.setIcon(icons::trayIdle());
    tray.onClick = [this](TrayClick click) { rxTrayClick(click); };

    if (!fTaskDes)
        fTaskDes = new TfTaskDes(this);

    // FormCreate: idle, and the process-wide time format.
    FormatSettings::instance().longTimeFormat = QStringLiteral("h:nn AMPM");
    m_clock.EnableIn();
}

TFMain::~TFMain()
{
    Tray &tray = Services::instance().tray();
    tray.onClick = nullptr;
    if (m_trayIconShown)
        tray.setVisible(false);
    if (FMain == this)
        FMain = nullptr;
}

void TFMain::buildUpperPane(QWidget *pane)
{
    lBanner1 = named(new ShadowLabel(tr("Orvelane"), pane), "lBanner1");
    lBanner1->setGeometry(2, 2, 55, 16);
    lBanner1->setFont(panelFont(kBannerPx, true, true));
    lBanner1->setTextColor(kNavy);
    lBanner1->setShadowColor(Qt::gray);

    lBanner2 = named(new ShadowLabel(tr("Kestrova"), pane), "lBanner2");
    lBanner2->setGeometry(58, 2, 61, 16);
    lBanner2->setFont(panelFont(kBannerPx, true, true));
    lBanner2->setTextColor(kYellow);
    lBanner2->setBackgroundColor(kNavy);
    lBanner2->setShadowColor(Qt::black);

    pHelp = named(new QWidget(pane), "pHelp");
    pHelp->setGeometry(121, 4, 33, 11);
    Image3 = named(new ClickImage(icons::help(), pHelp), "Image3");
    Image3->setGeometry(0, 0, 11, 11);
    look::setHint(Image3, tr("Help"));
    Image2 = named(new ClickImage(icons::minimize(), pHelp), "Image2");
    Image2->setGeometry(11, 0, 11, 11);
    look::setHint(Image2, tr("Minimize"));
    Image1 = named(new ClickImage(icons::close(), pHelp), "Image1");
    Image1->setGeometry(22, 0, 11, 11);
    look::setHint(Image1, tr("Close"));
    connect(Image1, &ClickImage::clicked, this, &TFMain::Image1Click);
    connect(Image2, &ClickImage::clicked, this, &TFMain::Image2Click);
    connect(Image3, &ClickImage::clicked, this, &TFMain::Image3Click);

    RzMenuButton1 = named(new QPushButton(tr("Kestrova Menu"), pane), "RzMenuButton1");
    RzMenuButton1->setGeometry(2, 19, 153, 15);
    RzMenuButton1->setFocusPolicy(Qt::NoFocus);
    RzMenuButton1->setFont(panelFont(kTextPx, true));
    setTextColor(RzMenuButton1, kNavy);
    RzMenuButton1->setStyleSheet(
        QStringLiteral("QPushButton { text-align: left; padding: 0 3px; }"));
    connect(RzMenuButton1, &QPushButton::clicked, this,
            [this] { runAction([&] { popupAtCursor(); }); });

    bbOut = named(new QToolButton(pane), "bbOut");
    bbOut->setGeometry(2, 35, 76, 15);
    bbOut->setFocusPolicy(Qt::NoFocus);
    bbOut->setFont(panelFont(kTextPx, true));
    connect(bbOut, &QToolButton::clicked, this, &TFMain::bbOutClick);

    BLog = named(new QToolButton(pane), "BLog");
    BLog->setText(tr("Time Log"));
    BLog->setGeometry(80, 35, 75, 15);
    BLog->setFocusPolicy(Qt::NoFocus);
    BLog->setFont(panelFont(kTextPx, true));
    setTextColor(BLog, Qt::black);
    connect(BLog, &QToolButton::clicked, this, &TFMain::BLogClick);

    pInTime = named(new QFrame(pane), "pInTime");
    pInTime->setGeometry(2, 51, 117, 16);
    pInTime->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pInTime->setLineWidth(1);
    // Panels keep the face colour of controls over the window's title-bar colour.
    QPalette face = pInTime->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    pInTime->setPalette(face);
    pInTime->setAutoFillBackground(true);
    lStatus = named(new QLabel(pInTime), "lStatus");
    lStatus->move(3, 1);
    lStatus->resize(110, 14);
    clInTime = named(new QLabel(pInTime), "clInTime");
    clInTime->setGeometry(30, 1, 84, 14);
    setTextColor(clInTime, kNavy);

    iToDo = named(new ClickImage(icons::todoAdd(), pane), "iToDo");
    iToDo->setGeometry(122, 51, 16, 15);
    look::setHint(iToDo, tr("Click to Add Task"));
    connect(iToDo, &ClickImage::clicked, this, &TFMain::iToDoClick);
    iTodoList = named(new ClickImage(icons::todoList(), pane), "iTodoList");
    iTodoList->setGeometry(139, 51, 15, 15);
    look::setHint(iTodoList, tr("Click to Show Task List"));
    connect(iTodoList, &ClickImage::clicked, this, &TFMain::iTodoListClick);
}

void TFMain::buildLowerPane(QWidget *pane)
{
    // The frames first, so that the controls they surround are drawn over them.
    RzBorder1 = named(new BorderFrame(kRed, pane), "RzBorder1");
    RzBorder1->setGeometry(0, 1, 126, 23);
    RzBorder2 = named(new BorderFrame(kRed, pane), "RzBorder2");
    RzBorder2->setGeometry(0, 34, 126, 23);
    RzBorder3 = named(new BorderFrame(kYellow, pane), "RzBorder3");
    RzBorder3->setGeometry(126, 34, 30, 23);
    for (BorderFrame *f : {RzBorder1, RzBorder2, RzBorder3})
        f->hide();

    DBCCust = named(new LookupCombo(pane), "DBCCust");
    DBCCust->setGeometry(2, 3, 122, 19);
    DBCCust->setFrame(false);
    DBCCust->setAccessibleName(tr("Client"));
    lClient = named(new QLabel(tr("Client"), pane), "lClient");
    lClient->move(3, 23);
    lClient->setFont(panelFont(kSmallPx));
    lClient->adjustSize();

    dblcJobDes = named(new LookupCombo(pane), "dblcJobDes");
    dblcJobDes->setGeometry(2, 36, 122, 19);
    dblcJobDes->setFrame(false);
    dblcJobDes->setAccessibleName(tr("Job Type"));
    lJobType = named(new QLabel(tr("Job Type"), pane), "lJobType");
    lJobType->move(1, 56);
    lJobType->setFont(panelFont(kSmallPx));
    lJobType->adjustSize();

    Label1 = named(new QLabel(QStringLiteral("$"), pane), "Label1");
    Label1->move(129, 8);
    Label1->setFont(panelFont(kTextPx, true));
    setTextColor(Label1, kGreen);
    Label1->adjustSize();
    cbBillable = named(new QCheckBox(pane), "cbBillable");
    cbBillable->setGeometry(136, 4, 20, 17);
    cbBillable->setChecked(true);
    cbBillable->setAccessibleName(tr("Billable"));
    // The running set's records get the box's state: a change reaches its file at once, not at
    // the next heartbeat, so a crash in between does not post the old choice.
    connect(cbBillable, &QCheckBox::toggled, this, [this] { m_runningSet.billableChanged(); });

    bAutoLog = named(new QPushButton(tr("Log"), pane), "bAutoLog");
    bAutoLog->setGeometry(129, 37, 25, 18);
    bAutoLog->setFont(panelFont(kSmallPx, true));
    bAutoLog->hide();
    connect(bAutoLog, &QPushButton::clicked, this, &TFMain::bAutoLogClick);

    setTabOrder(DBCCust, dblcJobDes);
    setTabOrder(dblcJobDes, cbBillable);
    setTabOrder(cbBillable, bAutoLog);

    if (DMKV) {
        runAction([&] {
            DBCCust->setListSource(DMKV->TBCustList, QStringLiteral("CustName"));
            dblcJobDes->setListSource(DMKV->TBJobList, QStringLiteral("JobDes"));
        });
    }
    connect(DBCCust, &LookupCombo::closeUp, this, &TFMain::DBCCustCloseUp);
    connect(dblcJobDes, &LookupCombo::closeUp, this, &TFMain::dblcJobDesCloseUp);
    // Queued: the empty-list prompt is modal and must not run inside the focus change.
    connect(DBCCust, &LookupCombo::entered, this, &TFMain::DBCCustEnter, Qt::QueuedConnection);
    connect(dblcJobDes, &LookupCombo::entered, this, &TFMain::dblcJobDesEnter,
            Qt::QueuedConnection);
}

void TFMain::buildMenu()
{
    PopupMenu1 = named(new BannerMenu(tr("Orvelane - Kestrova v2.0"), this), "PopupMenu1");
    auto item = [this](const char *name, const QString &caption, void (TFMain::*handler)()) {
        QAction *a = PopupMenu1->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    ClockIn1 = item("ClockIn1", tr("Clock In"), &TFMain::bbInClick);
    ClockOut1 = item("ClockOut1", tr("Clock Out"), &TFMain::bbOutClick);
    PopupMenu1->addSeparator();
    ChangeClient1 =
        item("ChangeClient1", tr("Change Client/Job Type"), &TFMain::ChangeClient1Click);
    PopupMenu1->addSeparator();
    ShowKestrova1 = item("ShowKestrova1", tr("Show Kestrova"), &TFMain::ShowKestrova1Click);
    PopupMenu1->setDefaultAction(ShowKestrova1);
    ShowLog1 = item("ShowLog1", tr("Show Kestrova Log"), &TFMain::ShowLog1Click);
    SelectDefaults1 =
        item("SelectDefaults1", tr("Kestrova Configuration"), &TFMain::SelectDefaults1Click);
    PopupMenu1->addSeparator();
    About1 = item("About1", tr("About"), &TFMain::About1Click);
    Help1 = item("Help1", tr("Help"), &TFMain::Help1Click);
    PopupMenu1->addSeparator();
    ToDoQucikAdd1 = item("ToDoQucikAdd1", tr("ToDo QuickAdd"), &TFMain::ToDoQucikAdd1Click);
    KestrovaToDoList1 = item("KestrovaToDoList1", tr("ToDo List"), &TFMain::KestrovaToDoList1Click);
    PopupMenu1->addSeparator();
    Close1 = item("Close1", tr("Close"), &TFMain::Close1Click);
}

QString TFMain::RegDataPath()
{
    return settings::regDataPath();
}

double TFMain::RoundTime(double hours) const
{
    return kv::RoundTime(hours, DMKV ? DMKV->billingIncr() : 0);
}

// ---- configuration ----

void TFMain::applyConfiguration()
{
    StoreTable &def = *DMKV->TBDef;
    if (def.state() == StoreTable::State::Browse && !def.isEmpty())
        def.first(); // the one configuration record
    // 7. Default selections.
    DBCCust->setText(DMKV->TBDefCustName->asString());
    dblcJobDes->setText(DMKV->TBDefJobDes->asString());
    // 8. Tray mode.
    applyTrayMode(DMKV->TBDefTray->asBoolean());
    // 9. Auto-log indicators.
    const bool autoClient = DMKV->TBDefAutoLogClient->asBoolean();
    const bool autoJob = DMKV->TBDefAutoLogJob->asBoolean();
    RzBorder1->setVisible(autoClient);
    RzBorder2->setVisible(autoJob);
    bAutoLog->setVisible(autoClient && autoJob);
    m_clock.setLogPending(false);
}

void TFMain::switchTrayMode(bool trayMode)
{
    Tray &tray = Services::instance().tray();
    if (!trayMode || !tray.isAvailable()) {
        applyTrayMode(trayMode); // without a notification area the window never hides anyway
        return;
    }
    IsTrayMode = true;
    m_trayIconShown = true;
    tray.setVisible(true);
    clockChanged(); // the hint and the animation of a running set
    look::setHint(Image1, tr("Minimize to Tray"));
}

void TFMain::applyTrayMode(bool trayMode)
{
    Tray &tray = Services::instance().tray();
    IsTrayMode = trayMode;
    const bool trayUsable = trayMode && tray.isAvailable();
    m_trayIconShown = trayUsable;
    tray.setVisible(trayUsable);
    clockChanged(); // the hint and the animation of a running set
    if (trayUsable) {
        look::setHint(Image1, tr("Minimize to Tray"));
        m_showAtStart = false;
        hide();
        return;
    }
    // Without a notification area the window never hides: it would leave the program running
    // with nothing to bring it back.
    look::setHint(Image1, trayMode ? tr("Minimize") : tr("Close"));
    m_showAtStart = true;
    if (m_everShown)
        show();
    if (trayMode && !m_noTrayNoticeShown) {
        m_noTrayNoticeShown = true;
        Services::instance().messages().information(
            tr("Kestrova: This desktop has no notification area (system tray).\r\n"
               "Kestrova stays in its window; the close image minimizes it."),
            kHelpContext);
    }
}

// ---- the clock's host ----

QString TFMain::clientText() const
{
    return DBCCust->text();
}

QString TFMain::jobText() const
{
    return dblcJobDes->text();
}

ClockSettings TFMain::settings() const
{
    ClockSettings s;
    if (!DMKV || !DMKV->TBDef->isActive() || DMKV->TBDef->isEmpty())
        return s;
    s.GetTask = DMKV->TBDefGetTask->asBoolean();
    s.AutoLogClient = DMKV->TBDefAutoLogClient->asBoolean();
    s.AutoLogJob = DMKV->TBDefAutoLogJob->asBoolean();
    s.billing = {DMKV->billingIncr(), DMKV->minBillTime()};
    return s;
}

QString TFMain::askTaskDescription()
{
    if (!fTaskDes)
        fTaskDes = new TfTaskDes(this);
    return fTaskDes->ask();
}

void TFMain::showWindow()
{
    ShowKestrova1Click();
}

void TFMain::clockChanged()
{
    const bool running = m_clock.IsClockedIn;
    bbOut->setText(running ? tr("Out") : tr("In"));
    setTextColor(bbOut, running ? kRed : kGreen);
    ClockIn1->setEnabled(!running);
    ClockOut1->setEnabled(running);
    lStatus->setText(running ? tr("In @") : tr("Click In to start"));
    clInTime->setText(m_clock.InTimeText);
    clInTime->setVisible(running);
    RzBorder3->setVisible(m_clock.LogPending);

    Tray &tray = Services::instance().tray();
    tray.setToolTip(m_clock.TrayHint);
    if (running && !m_trayAnimation.isActive()) {
        m_trayFrame = 0;
        m_trayAnimation.start();
    } else if (!running && m_trayAnimation.isActive()) {
        m_trayAnimation.stop();
        tray.setIcon(icons::trayIdle());
    }
    m_runningSet.clockChanged();
}

void TFMain::advanceTrayFrame()
{
    static const QList<QIcon> frames = [] {
        QList<QIcon> list;
        for (int i = 0; i < icons::kTrayFrames; ++i)
            list << icons::trayFrame(i);
        return list;
    }();
    Services::instance().tray().setIcon(frames.at(m_trayFrame));
    m_trayFrame = (m_trayFrame + 1) % icons::kTrayFrames;
}

void TFMain::PostTimeRec()
{
    postRecord(DBCCust->text(), dblcJobDes->text());
}

void TFMain::PostCliRec()
{
    postRecord(m_clock.LogCustName, m_clock.LogJobDes);
}

void TFMain::postRecord(const QString &client, const QString &job)
{
    StoreTable &t = *DMKV->TBInout;
    t.insert();
    try {
        DMKV->TBInoutWDate->setAsDateTime(dt::datePart(m_clock.RecWDate));
        DMKV->TBInoutTimeIn->setAsDateTime(m_clock.RecTimeIn);
        DMKV->TBInoutTimeOut->setAsDateTime(m_clock.RecTimeOut);
        DMKV->TBInoutCustName->setAsString(client);
        DMKV->TBInoutJobDes->setAsString(job);
        DMKV->TBInoutHours->setAsFloat(m_clock.RecHours);
        DMKV->TBInoutTaskDes->setAsString(m_clock.RecTaskDes);
        DMKV->TBInoutBillable->setAsBoolean(cbBillable->isChecked());
        t.post();
    } catch (...) {
        // Leave no half-made record behind for the time-log window.
        if (t.state() == StoreTable::State::Insert)
            t.cancel();
        throw;
    }
}

// ---- clock handlers ----

void TFMain::InOnStart()
{
    m_clock.InOnStart();
}

bool TFMain::closeQuery()
{
    return runAction([&] { m_clock.closeQuery(); });
}

void TFMain::bbOutClick()
{
    runAction([&] { m_clock.bbOutClick(); });
}

void TFMain::bbInClick()
{
    runAction([&] { m_clock.bbInClick(); });
}

void TFMain::rxTrayClick(TrayClick click)
{
    runAction([&] {
        switch (click) {
        case TrayClick::Left:
            m_clock.trayLeftClick();
            break;
        case TrayClick::Right:
            popupAtCursor();
            break;
        case TrayClick::Double:
            rxTrayDblClick();
            break;
        }
    });
}

void TFMain::rxTrayDblClick()
{
    runAction([&] { ShowKestrova1Click(); });
}

void TFMain::DBCCustCloseUp()
{
    runAction([&] { m_clock.clientCloseUp(); });
}

void TFMain::dblcJobDesCloseUp()
{
    runAction([&] { m_clock.jobCloseUp(); });
}

void TFMain::bAutoLogClick()
{
    runAction([&] { m_clock.autoLogClick(); });
}

void TFMain::emptyListPrompt(const std::function<void()> &prompt, const QString &text)
{
    Services::instance().beeper().beep();
    if (prompt)
        prompt();
    else
        Services::instance().messages().information(text);
}

void TFMain::DBCCustEnter()
{
    runAction([&] {
        DBCCust->reload();
        if (DMKV->TBCustList->isEmpty())
            emptyListPrompt(
                showEmptyClientPrompt,
                tr("Kestrova: The client list is empty.\r\nAdd a client before you clock in."));
    });
}

void TFMain::dblcJobDesEnter()
{
    runAction([&] {
        dblcJobDes->reload();
        if (DMKV->TBJobList->isEmpty())
            emptyListPrompt(
                showEmptyJobPrompt,
                tr("Kestrova: The job type list is empty.\r\nAdd a job type before you clock in."));
    });
}

// ---- window handlers ----

void TFMain::FormShow()
{
    FormatSettings::instance().longTimeFormat = QStringLiteral("h:nn AMPM");
    // While a set runs the selectors keep what the user picked: putting the defaults back
    // would book the running set to them at the clock-out.
    if (m_clock.IsClockedIn || !DMKV || !DMKV->TBDef->isActive() || DMKV->TBDef->isEmpty())
        return;
    DBCCust->setText(DMKV->TBDefCustName->asString());
    dblcJobDes->setText(DMKV->TBDefJobDes->asString());
}

void TFMain::popupAtCursor()
{
    PopupMenu1->popup(QCursor::pos());
}

void TFMain::ShowKestrova1Click()
{
    runAction([&] {
        if (isMinimized())
            showNormal();
        else
            show();
        raise();
        activateWindow();
    });
}

void TFMain::ChangeClient1Click()
{
    runAction([&] {
        ShowKestrova1Click();
        RzSplitter1->setBarPosition(0);
        RzSplitter1->setHotSpotDirection(HotSpotSplitter::Direction::TowardsSecond);
    });
}

void TFMain::Image1Click()
{
    runAction([&] {
        if (m_trayIconShown)
            hide();
        else if (IsTrayMode)
            showMinimized();
        else
            close();
    });
}

void TFMain::Image2Click()
{
    runAction([&] { showMinimized(); });
}

void TFMain::Image3Click()
{
    runAction([&] { Services::instance().help().showContext(0); });
}

void TFMain::Help1Click()
{
    Image3Click();
}

void TFMain::openModal(QAction *item, const std::function<void()> &show)
{
    if (!show || !item->isEnabled())
        return;
    item->setEnabled(false);
    struct Reenable
    {
        QAction *a;
        ~Reenable() { a->setEnabled(true); }
    } reenable{item};
    show();
}

void TFMain::BLogClick()
{
    ShowLog1Click();
}

void TFMain::ShowLog1Click()
{
    runAction([&] { openModal(ShowLog1, showTimeLog); });
}

void TFMain::SelectDefaults1Click()
{
    runAction([&] { openModal(SelectDefaults1, showConfiguration); });
}

void TFMain::About1Click()
{
    runAction([&] { openModal(About1, showAbout); });
}

void TFMain::iToDoClick()
{
    ToDoQucikAdd1Click();
}

void TFMain::ToDoQucikAdd1Click()
{
    runAction([&] { openModal(ToDoQucikAdd1, showQuickAdd); });
}

void TFMain::iTodoListClick()
{
    KestrovaToDoList1Click();
}

void TFMain::KestrovaToDoList1Click()
{
    runAction([&] { openModal(KestrovaToDoList1, showTodoList); });
}

void TFMain::Close1Click()
{
    runAction([&] { close(); });
}

// ---- events ----

void TFMain::closeEvent(QCloseEvent *event)
{
    if (!closeQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    m_runningSet.discard(); // a normal end: the next start has nothing to ask
    m_trayAnimation.stop();
    if (m_trayIconShown)
        Services::instance().tray().setVisible(false);
    m_trayIconShown = false;
    emit closed();
}

void TFMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window restored by the desktop is not a new showing.
    if (event->spontaneous())
        return;
    m_everShown = true;
    runAction([&] { FormShow(); });
}

void TFMain::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    qDrawShadePanel(&p, rect().adjusted(kBorder, kBorder, -kBorder, -kBorder), palette(), false, 1);
}

void TFMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        runAction([&] { Services::instance().help().showContext(kHelpContext); });
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFMain::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Dragging by a free spot moves the window, but only once the mouse has gone the desktop's
    // drag distance with the button held: a move started on the press would carry on after a
    // quick click, with no button down.
    m_pressed = true;
    m_dragging = false;
    m_pressPos = event->globalPosition().toPoint();
    m_dragOffset = m_pressPos - frameGeometry().topLeft();
}

void TFMain::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        m_pressed = false;
        m_dragging = false;
        return;
    }
    const QPoint at = event->globalPosition().toPoint();
    if (!m_dragging) {
        if ((at - m_pressPos).manhattanLength() < QApplication::startDragDistance())
            return;
        // The desktop's own move where it offers one; it follows the mouse from here.
        if (startSystemMove && startSystemMove()) {
            m_pressed = false;
            return;
        }
        m_dragging = true;
    }
    move(at - m_dragOffset);
}

void TFMain::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    m_dragging = false;
    // FormMouseUp: the free background, the banner labels and the in-time panel.
    if (event->button() == Qt::RightButton)
        runAction([&] { popupAtCursor(); });
}

bool TFMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton)
            return true; // the selectors' pane keeps its right clicks
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kv
