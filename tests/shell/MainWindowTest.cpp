// The main window offscreen over a real data module: the In/Out button and the menu items, the
// captions, colours, frames and hints, picking in the selectors, the tray icon, the modal-window
// menu items, the task prompt and the records the clock posts.
#include "BannerMenu.h"
#include "BorderFrame.h"
#include "ClickImage.h"
#include "DataBuilders.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "HelpBrowser.h"
#include "HotSpotSplitter.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "Main.h"
#include "QtPrinters.h"
#include "ShadowLabel.h"
#include "StoreError.h"
#include "UfTaskDe.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kv;

namespace {

const QDate kMonday(2026, 3, 2);

struct Rec
{
    double wDate, timeIn, timeOut, hours;
    QString client, job, task;
    bool billable;
};

double at(int h, int m)
{
    return dt::fromTime(QTime(h, m));
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        DMKV = new TDMKV([this] { return m_folder; });
        DMKV->ensureConfigRecord();
        DMKV->TBDef->first();
        addClient(QStringLiteral("A1"), QStringLiteral("Acme"));
        addClient(QStringLiteral("B1"), QStringLiteral("Beta"));
        addJob(QStringLiteral("DES"), QStringLiteral("Design"));
        addJob(QStringLiteral("SUP"), QStringLiteral("Support"));
        setDef([] {
            DMKV->TBDefCustName->setAsString(QStringLiteral("Acme"));
            DMKV->TBDefJobDes->setAsString(QStringLiteral("Design"));
            DMKV->TBDefBillingIncr->setAsInteger(15);
        });
        now(10, 0, 40);
        FMain = new TFMain;
        w = FMain;
        w->applyConfiguration();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    void TearDown() override
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        DMKV = nullptr;
    }

    void addClient(const QString &no, const QString &name) { test::addClient(*DMKV, no, name); }
    void addJob(const QString &code, const QString &des) { test::addJob(*DMKV, code, des); }
    void setDef(const std::function<void()> &change) { test::setDef(*DMKV, change); }
    void now(int h, int m, int s = 0, const QDate &d = kMonday)
    {
        fakes.clock->set(QDateTime(d, QTime(h, m, s)));
    }
    std::vector<Rec> records()
    {
        std::vector<Rec> out;
        StoreTable &t = *DMKV->TBInout;
        t.refresh();
        for (t.first(); !t.eof(); t.next())
            out.push_back({DMKV->TBInoutWDate->asDateTime(), DMKV->TBInoutTimeIn->asDateTime(),
                           DMKV->TBInoutTimeOut->asDateTime(), DMKV->TBInoutHours->asFloat(),
                           DMKV->TBInoutCustName->asString(), DMKV->TBInoutJobDes->asString(),
                           DMKV->TBInoutTaskDes->asString(), DMKV->TBInoutBillable->asBoolean()});
        return out;
    }
    /// Opens the selector's list and picks `text` with the keyboard, as a user does.
    void pick(LookupCombo *combo, const QString &text)
    {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, 2000));
        const int row = combo->findText(text);
        ASSERT_GE(row, 0) << text.toStdString();
        view->setCurrentIndex(combo->model()->index(row, 0));
        QTest::keyClick(view, Qt::Key_Return);
        QTest::qWait(20); // the close-up is reported from the event loop
        EXPECT_EQ(combo->text(), text);
    }
    static QColor textColor(QWidget *widget)
    {
        return widget->palette().color(QPalette::ButtonText);
    }

    FakeServicesScope fakes;
    QTemporaryDir m_dir;
    QString m_folder;
    TFMain *w = nullptr;
};

TEST_F(MainWindowTest, IdleAndRunningShowTheirCaptionsColoursHintsAndMenuStates)
{
    EXPECT_EQ(w->size(), QSize(160, 86));
    EXPECT_EQ(w->bbOut->text(), QStringLiteral("In"));
    EXPECT_EQ(textColor(w->bbOut), QColor(0, 128, 0));
    EXPECT_EQ(w->lStatus->text(), QStringLiteral("Click In to start"));
    EXPECT_TRUE(w->clInTime->isHidden());
    EXPECT_TRUE(w->ClockIn1->isEnabled());
    EXPECT_FALSE(w->ClockOut1->isEnabled());
    EXPECT_EQ(fakes.tray->tip, QStringLiteral("Click to start Kestrova timer"));
    EXPECT_EQ(w->DBCCust->text(), QStringLiteral("Acme"));
    EXPECT_EQ(w->dblcJobDes->text(), QStringLiteral("Design"));
    EXPECT_TRUE(w->cbBillable->isChecked());
    EXPECT_EQ(w->BLog->text(), QStringLiteral("Time Log"));
    EXPECT_EQ(w->RzMenuButton1->text(), QStringLiteral("Kestrova Menu"));
    EXPECT_EQ(w->lBanner1->text(), QStringLiteral("Orvelane"));
    EXPECT_EQ(w->lBanner2->text(), QStringLiteral("Kestrova"));
    EXPECT_EQ(w->Image3->toolTip(), QStringLiteral("Help"));
    EXPECT_EQ(w->Image2->toolTip(), QStringLiteral("Minimize"));
    EXPECT_EQ(w->Image1->toolTip(), QStringLiteral("Close"));
    EXPECT_EQ(w->iToDo->toolTip(), QStringLiteral("Click to Add Task"));
    EXPECT_EQ(w->iTodoList->toolTip(), QStringLiteral("Click to Show Task List"));
    EXPECT_EQ(w->RzSplitter1->barPosition(), TFMain::kUpperPaneHeight);

    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    EXPECT_TRUE(w->IsClockedIn);
    EXPECT_EQ(w->bbOut->text(), QStringLiteral("Out"));
    EXPECT_EQ(textColor(w->bbOut), QColor(255, 0, 0));
    EXPECT_EQ(w->lStatus->text(), QStringLiteral("In @"));
    EXPECT_FALSE(w->clInTime->isHidden());
    EXPECT_EQ(w->clInTime->text(), QStringLiteral("10:01 AM"));
    EXPECT_FALSE(w->ClockIn1->isEnabled());
    EXPECT_TRUE(w->ClockOut1->isEnabled());
    EXPECT_EQ(fakes.tray->tip, QStringLiteral("Clocked in @ 10:01 AM for Acme"));

    // The tray icon animates every 150 ms while the set runs.
    const int frames = fakes.tray->iconChanges;
    QTest::qWait(500);
    EXPECT_GE(fakes.tray->iconChanges - frames, 2);

    now(12, 30);
    w->ClockOut1->trigger();
    EXPECT_FALSE(w->IsClockedIn);
    EXPECT_EQ(w->bbOut->text(), QStringLiteral("In"));
    EXPECT_EQ(fakes.tray->tip, QStringLiteral("Click to start Kestrova timer"));
    const int idleFrames = fakes.tray->iconChanges;
    QTest::qWait(350);
    EXPECT_EQ(fakes.tray->iconChanges, idleFrames);

    const auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_DOUBLE_EQ(recs[0].wDate, dt::fromDate(kMonday));
    EXPECT_NEAR(recs[0].timeIn, at(10, 1), 1e-9);
    EXPECT_NEAR(recs[0].timeOut, at(12, 30), 1e-9);
    EXPECT_DOUBLE_EQ(recs[0].hours, 2.5);
    EXPECT_EQ(recs[0].client, QStringLiteral("Acme"));
    EXPECT_EQ(recs[0].job, QStringLiteral("Design"));
    EXPECT_TRUE(recs[0].billable);
}

TEST_F(MainWindowTest, MidnightSetIsPostedAsOneRecordPerDay)
{
    now(22, 0);
    w->ClockIn1->trigger();
    w->cbBillable->setChecked(false);
    now(2, 0, 0, kMonday.addDays(1));
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    const auto recs = records();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_DOUBLE_EQ(recs[0].wDate, dt::fromDate(kMonday));
    EXPECT_NEAR(recs[0].timeIn, at(22, 0), 1e-9);
    EXPECT_NEAR(recs[0].timeOut, 0.0, 1e-9); // 24:00 is stored as 00:00
    EXPECT_DOUBLE_EQ(recs[0].hours, 2.0);
    EXPECT_DOUBLE_EQ(recs[1].wDate, dt::fromDate(kMonday.addDays(1)));
    EXPECT_NEAR(recs[1].timeIn, 0.0, 1e-9);
    EXPECT_NEAR(recs[1].timeOut, at(2, 0), 1e-9);
    EXPECT_DOUBLE_EQ(recs[1].hours, 2.0);
    EXPECT_FALSE(recs[0].billable);
    EXPECT_FALSE(recs[1].billable);
}

TEST_F(MainWindowTest, EmptySelectorIsRefusedAndAFailedPostKeepsTheClockRunning)
{
    w->DBCCust->setText(QString());
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    EXPECT_FALSE(w->IsClockedIn);
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Kestrova: You must select a client from the drop-down list."));

    w->DBCCust->setText(QStringLiteral("Acme"));
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    ASSERT_TRUE(w->IsClockedIn);
    // The client emptied before the clock-out: the required field refuses the post.
    w->DBCCust->setText(QString());
    now(11, 0);
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    EXPECT_TRUE(w->IsClockedIn);
    EXPECT_EQ(fakes.messages->shown.last().kind, MsgKind::Error);
    EXPECT_EQ(fakes.messages->shown.last().caption, QStringLiteral("Kestrova v2.0"));
    EXPECT_EQ(DMKV->TBInout->state(), StoreTable::State::Browse);
    EXPECT_TRUE(records().empty());
}

// Another program holds a write transaction on the time log (the sqlite3 shell's BEGIN
// IMMEDIATE): the clock-out and the configuration's post wait as for a record lock and fail
// with its message, the clock keeps running, and once the write ends the same clock-out posts.
TEST_F(MainWindowTest, AWriteOfAnotherProgramMakesTheClockOutWaitAndFailAsALockedRecord)
{
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    ASSERT_TRUE(w->IsClockedIn);
    now(11, 0);

    const auto holdWrite = [&](QProcess &shell, const QString &file) {
        shell.start(QStringLiteral("sqlite3"), {m_folder + u'/' + file});
        if (!shell.waitForStarted(5000))
            return false;
        shell.write("BEGIN IMMEDIATE;\nSELECT 'held';\n");
        while (!shell.readAllStandardOutput().contains("held"))
            if (!shell.waitForReadyRead(5000))
                return false;
        return true;
    };
    QProcess shell;
    if (!holdWrite(shell, QStringLiteral("Tinout201.DAT")))
        GTEST_SKIP() << "the sqlite3 shell is not available";

    QElapsedTimer waited;
    waited.start();
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    EXPECT_GE(waited.elapsed(), 15 * 100);
    EXPECT_TRUE(w->IsClockedIn);
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Record in data file %1/Tinout201.DAT is in use by another user")
                  .arg(m_folder));
    EXPECT_EQ(DMKV->TBInout->state(), StoreTable::State::Browse);
    shell.closeWriteChannel(); // the shell ends, its transaction with it
    ASSERT_TRUE(shell.waitForFinished(5000));

    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    EXPECT_FALSE(w->IsClockedIn);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].hours, 1.0);

    // The configuration record waits the same way.
    QProcess defShell;
    ASSERT_TRUE(holdWrite(defShell, QStringLiteral("kvdef.DAT")));
    DMKV->TBDef->edit();
    DMKV->TBDefReportTitle->setAsString(QStringLiteral("Hours"));
    try {
        DMKV->TBDef->post();
        ADD_FAILURE() << "the post did not wait for the other write";
    } catch (const StoreError &e) {
        EXPECT_EQ(e.code(), StoreError::kRecordLocked);
    }
    EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Edit);
    defShell.closeWriteChannel();
    ASSERT_TRUE(defShell.waitForFinished(5000));
    DMKV->TBDef->post();
    EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Browse);
}

TEST_F(MainWindowTest, PickingAnotherClientWithAutoLogClientSwitchesAtOnce)
{
    setDef([] { DMKV->TBDefAutoLogClient->setAsBoolean(true); });
    w->applyConfiguration();
    EXPECT_FALSE(w->RzBorder1->isHidden());
    EXPECT_TRUE(w->RzBorder2->isHidden());
    EXPECT_TRUE(w->bAutoLog->isHidden());
    EXPECT_EQ(w->RzBorder1->color(), QColor(255, 0, 0));

    w->ChangeClient1->trigger();
    EXPECT_EQ(w->RzSplitter1->barPosition(), 0);
    now(9, 0);
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    now(11, 0);
    pick(w->DBCCust, QStringLiteral("Beta"));
    auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].client, QStringLiteral("Acme"));
    EXPECT_DOUBLE_EQ(recs[0].hours, 2.0);
    EXPECT_EQ(w->clInTime->text(), QStringLiteral("11:00 AM"));
    EXPECT_EQ(fakes.tray->tip, QStringLiteral("Clocked in @ 11:00 AM for Beta"));

    // Picking the job type changes nothing with this option.
    pick(w->dblcJobDes, QStringLiteral("Support"));
    EXPECT_EQ(records().size(), 1u);
}

TEST_F(MainWindowTest, BothOptionsShowTheYellowFrameUntilLogIsClicked)
{
    setDef([] {
        DMKV->TBDefAutoLogClient->setAsBoolean(true);
        DMKV->TBDefAutoLogJob->setAsBoolean(true);
    });
    w->applyConfiguration();
    EXPECT_FALSE(w->RzBorder1->isHidden());
    EXPECT_FALSE(w->RzBorder2->isHidden());
    EXPECT_FALSE(w->bAutoLog->isHidden());
    EXPECT_EQ(w->bAutoLog->text(), QStringLiteral("Log"));
    EXPECT_TRUE(w->RzBorder3->isHidden());
    EXPECT_EQ(w->RzBorder3->color(), QColor(255, 255, 0));

    w->ChangeClient1->trigger();
    now(9, 0);
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    now(9, 45);
    pick(w->DBCCust, QStringLiteral("Beta"));
    EXPECT_FALSE(w->RzBorder3->isHidden());
    EXPECT_TRUE(records().empty());

    QTest::mouseClick(w->bAutoLog, Qt::LeftButton);
    EXPECT_TRUE(w->RzBorder3->isHidden());
    const auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].client, QStringLiteral("Acme"));
    EXPECT_DOUBLE_EQ(recs[0].hours, 0.75);
    EXPECT_EQ(w->clock().LogCustName, QStringLiteral("Beta"));
}

TEST_F(MainWindowTest, EnteringASelectorWithAnEmptyListBeepsAndPrompts)
{
    w->ChangeClient1->trigger();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->DBCCust->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(fakes.beeper->count, 0);

    for (DMKV->TBCust->first(); !DMKV->TBCust->isEmpty();)
        DMKV->TBCust->deleteRecord();
    w->dblcJobDes->setFocus(Qt::TabFocusReason);
    w->DBCCust->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(fakes.beeper->count, 1);
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Information);
    EXPECT_EQ(w->DBCCust->count(), 0);

    // The lists' own prompt takes over once it is registered.
    int prompts = 0;
    w->showEmptyClientPrompt = [&] { ++prompts; };
    w->dblcJobDes->setFocus(Qt::TabFocusReason);
    w->DBCCust->setFocus(Qt::MouseFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(fakes.beeper->count, 2);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(fakes.messages->shown.size(), 1);
}

TEST_F(MainWindowTest, PopupMenuHasItsItemsInOrder)
{
    QStringList captions;
    for (QAction *a : w->PopupMenu1->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(
        captions,
        (QStringList{QStringLiteral("Clock In"), QStringLiteral("Clock Out"), QStringLiteral("-"),
                     QStringLiteral("Change Client/Job Type"), QStringLiteral("-"),
                     QStringLiteral("Show Kestrova"), QStringLiteral("Show Kestrova Log"),
                     QStringLiteral("Kestrova Configuration"), QStringLiteral("-"),
                     QStringLiteral("About"), QStringLiteral("Help"), QStringLiteral("-"),
                     QStringLiteral("ToDo QuickAdd"), QStringLiteral("ToDo List"),
                     QStringLiteral("-"), QStringLiteral("Close")}));
    EXPECT_EQ(w->PopupMenu1->defaultAction(), w->ShowKestrova1);
    EXPECT_EQ(w->PopupMenu1->banner(), QStringLiteral("Orvelane - Kestrova v2.0"));
}

TEST_F(MainWindowTest, MenuItemOfAnOpenModalWindowIsDisabledWhileItIsOpen)
{
    struct Item
    {
        QAction *action;
        std::function<void()> TFMain::*hook;
        std::function<void()> click; ///< the other way to open it, if any
    };
    const std::vector<Item> items{
        {w->ShowLog1, &TFMain::showTimeLog, [&] { QTest::mouseClick(w->BLog, Qt::LeftButton); }},
        {w->SelectDefaults1, &TFMain::showConfiguration, {}},
        {w->About1, &TFMain::showAbout, {}},
        {w->ToDoQucikAdd1, &TFMain::showQuickAdd,
         [&] { QTest::mouseClick(w->iToDo, Qt::LeftButton); }},
        {w->KestrovaToDoList1, &TFMain::showTodoList,
         [&] { QTest::mouseClick(w->iTodoList, Qt::LeftButton); }},
    };
    for (const Item &item : items) {
        // Nothing registered yet: the item does nothing.
        item.action->trigger();
        EXPECT_TRUE(item.action->isEnabled());

        int opened = 0;
        (w->*item.hook) = [&] {
            ++opened;
            EXPECT_FALSE(item.action->isEnabled()) << item.action->objectName().toStdString();
            // Opening it again from the tray menu meanwhile does nothing.
            item.action->trigger();
        };
        item.action->trigger();
        if (item.click)
            item.click();
        EXPECT_EQ(opened, item.click ? 2 : 1) << item.action->objectName().toStdString();
        EXPECT_TRUE(item.action->isEnabled());
    }

    // A window that fails still gives its item back.
    w->showAbout = [] { throw std::runtime_error("about box failed"); };
    w->About1->trigger();
    EXPECT_TRUE(w->About1->isEnabled());
    EXPECT_EQ(fakes.messages->lastText(), QStringLiteral("about box failed"));
}

TEST_F(MainWindowTest, RightClickOpensTheMenuOnFreeSpotsButNotInTheSelectorsPane)
{
    QTest::mouseClick(w->pInTime, Qt::RightButton, {}, QPoint(60, 8));
    EXPECT_TRUE(w->PopupMenu1->isVisible());
    w->PopupMenu1->hide();
    QTest::mouseClick(w->lBanner2, Qt::RightButton);
    EXPECT_TRUE(w->PopupMenu1->isVisible());
    w->PopupMenu1->hide();

    w->ChangeClient1->trigger();
    QTest::mouseClick(w->lClient, Qt::RightButton);
    EXPECT_FALSE(w->PopupMenu1->isVisible());

    QTest::mouseClick(w->RzMenuButton1, Qt::LeftButton);
    EXPECT_TRUE(w->PopupMenu1->isVisible());
    w->PopupMenu1->hide();
}

TEST_F(MainWindowTest, DraggingAFreeSpotMovesTheWindow)
{
    const QPoint start = w->pos();
    QTest::mousePress(w->lBanner1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(w->lBanner1, QPoint(25, 15));
    QTest::mouseRelease(w->lBanner1, Qt::LeftButton, {}, QPoint(25, 15));
    EXPECT_EQ(w->pos(), start + QPoint(20, 10));
}

TEST_F(MainWindowTest, AQuickClickStartsNoMoveAndADragHandsTheMoveToTheDesktopOnce)
{
    int systemMoves = 0;
    w->startSystemMove = [&] {
        ++systemMoves;
        return true;
    };
    const QPoint start = w->pos();
    // A press and a release back to back on a free spot: no move, and none after it either.
    QTest::mousePress(w->lBanner1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w->lBanner1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(w->lBanner1, QPoint(40, 12));
    EXPECT_EQ(systemMoves, 0);
    EXPECT_EQ(w->pos(), start);

    // Held and moved: nothing within the drag distance, one desktop move beyond it.
    const int distance = QApplication::startDragDistance();
    QTest::mousePress(w->lBanner1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(w->lBanner1, QPoint(5 + distance - 1, 5));
    EXPECT_EQ(systemMoves, 0);
    QTest::mouseMove(w->lBanner1, QPoint(5 + distance, 5));
    EXPECT_EQ(systemMoves, 1);
    QTest::mouseMove(w->lBanner1, QPoint(5 + distance + 10, 5));
    QTest::mouseRelease(w->lBanner1, Qt::LeftButton, {}, QPoint(5 + distance + 10, 5));
    EXPECT_EQ(systemMoves, 1);
    EXPECT_EQ(w->pos(), start); // the desktop moves it, not the window itself
}

TEST_F(MainWindowTest, WithTheTimeLogOpenTheTrayMenuOpensAndALeftClickClocksOut)
{
    setDef([] { DMKV->TBDefTray->setAsBoolean(true); });
    w->applyConfiguration();
    QTest::mouseClick(w->bbOut, Qt::LeftButton); // clocked in
    ASSERT_TRUE(w->clock().IsClockedIn);
    now(11, 30);
    bool menuOpened = false;
    bool logItemGreyed = false;
    w->showTimeLog = [&] {
        QDialog log(w);
        log.setWindowModality(Qt::ApplicationModal);
        QTimer::singleShot(0, &log, [&] {
            fakes.tray->click(TrayClick::Right);
            menuOpened = w->PopupMenu1->isVisible();
            logItemGreyed = !w->ShowLog1->isEnabled();
            w->PopupMenu1->hide();
            fakes.messages->answerNext(MsgAnswer::Yes); // "Kestrova: Clock out?"
            fakes.tray->click(TrayClick::Left);
            log.reject();
        });
        log.exec();
    };
    w->ShowLog1->trigger();
    EXPECT_TRUE(menuOpened);
    EXPECT_TRUE(logItemGreyed);
    EXPECT_FALSE(w->clock().IsClockedIn);
    EXPECT_EQ(records().size(), 1u);
    EXPECT_TRUE(w->ShowLog1->isEnabled());
}

TEST_F(MainWindowTest, TrayModeHidesTheWindowBehindTheIcon)
{
    QSignalSpy closed(w, &TFMain::closed);
    setDef([] { DMKV->TBDefTray->setAsBoolean(true); });
    w->applyConfiguration();
    EXPECT_TRUE(w->IsTrayMode);
    EXPECT_FALSE(w->showAtStart());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(fakes.tray->visible);
    EXPECT_EQ(w->Image1->toolTip(), QStringLiteral("Minimize to Tray"));
    EXPECT_FALSE(w->ClockOut1->isEnabled());

    fakes.tray->click(TrayClick::Double);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->IsClockedIn);
    QTest::mouseClick(w->Image1, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(fakes.tray->visible);
    EXPECT_EQ(closed.count(), 0);

    // "Change Client/Job Type" from the tray brings the window back with the selectors open.
    w->ChangeClient1->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->RzSplitter1->barPosition(), 0);
    w->hide();

    // A left click with an empty job type shows the window, then explains.
    w->dblcJobDes->setText(QString());
    fakes.messages->onShow = [&](const FakeMessages::Shown &) { EXPECT_TRUE(w->isVisible()); };
    fakes.tray->click(TrayClick::Left);
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Kestrova: You must select a Job Type from the drop-down list."));
    fakes.messages->onShow = nullptr;

    fakes.tray->click(TrayClick::Right);
    EXPECT_TRUE(w->PopupMenu1->isVisible());
    w->PopupMenu1->hide();

    w->Close1->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(fakes.tray->visible);
}

TEST_F(MainWindowTest, WithoutANotificationAreaTheWindowStaysAndSaysSoOnce)
{
    fakes.tray->available = false;
    setDef([] { DMKV->TBDefTray->setAsBoolean(true); });
    w->applyConfiguration();
    EXPECT_TRUE(w->showAtStart());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(fakes.tray->visible);
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Information);
    EXPECT_EQ(w->Image1->toolTip(), QStringLiteral("Minimize"));

    w->applyConfiguration();
    EXPECT_EQ(fakes.messages->shown.size(), 1);

    QSignalSpy closed(w, &TFMain::closed);
    QTest::mouseClick(w->Image1, Qt::LeftButton);
    EXPECT_TRUE(w->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(MainWindowTest, ShowingAgainRestoresTheDefaultsOnlyWhileIdle)
{
    w->DBCCust->setText(QStringLiteral("Beta"));
    w->hide();
    w->show();
    EXPECT_EQ(w->DBCCust->text(), QStringLiteral("Acme"));

    w->DBCCust->setText(QStringLiteral("Beta"));
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    w->hide();
    w->show();
    EXPECT_EQ(w->DBCCust->text(), QStringLiteral("Beta"));
    now(11, 1);
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].client, QStringLiteral("Beta"));
}

TEST_F(MainWindowTest, TaskPromptTextGoesIntoTheRecordsAndIsLimited)
{
    setDef([] { DMKV->TBDefGetTask->setAsBoolean(true); });
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    now(11, 0);
    bool answered = false;
    QTimer::singleShot(50, [&] {
        auto *dialog = qobject_cast<TfTaskDes *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kestrova - Time Log Task"));
        auto *memo = dialog->findChild<QPlainTextEdit *>(QStringLiteral("eTaskDes"));
        EXPECT_TRUE(memo->toPlainText().isEmpty());
        QTest::keyClicks(memo, QString(260, QLatin1Char('x')));
        EXPECT_EQ(memo->toPlainText().size(), TfTaskDes::kMaxLength);
        memo->setPlainText(QStringLiteral("Wrote the\nquarterly report"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("bbTaskDes")),
                          Qt::LeftButton);
        answered = true;
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &guard, [] {
        if (QWidget *m = QApplication::activeModalWidget())
            m->close();
    });
    guard.start(5000);
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    EXPECT_TRUE(answered);
    const auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].task, QStringLiteral("Wrote the\nquarterly report"));
}

TEST_F(MainWindowTest, ClosingWhileRunningPostsOnYesAndKeepsTheSetWhenThePostFails)
{
    QSignalSpy closed(w, &TFMain::closed);
    QTest::mouseClick(w->bbOut, Qt::LeftButton);
    now(11, 0);
    w->DBCCust->setText(QString());
    fakes.messages->answerNext(MsgAnswer::Yes);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->IsClockedIn);
    EXPECT_EQ(closed.count(), 0);

    w->DBCCust->setText(QStringLiteral("Acme"));
    fakes.messages->answerNext(MsgAnswer::Yes);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(closed.count(), 1);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_DOUBLE_EQ(records()[0].hours, 1.0);
}

TEST_F(MainWindowTest, HelpImageOpensTheContentsAndF1TheMainWindowTopic)
{
    QTest::mouseClick(w->Image3, Qt::LeftButton);
    w->Help1->trigger();
    QTest::keyClick(w, Qt::Key_F1);
    EXPECT_EQ(fakes.help->contexts, (QList<int>{0, 0, 4}));
}

} // namespace

namespace {

TEST(ShellHelpPages, MainWindowAndTaskPromptHaveTheirTopics)
{
    EXPECT_EQ(HelpBrowser::urlForContext(TFMain::kHelpContext),
              QUrl(QStringLiteral("qrc:/help/main.html#ctx-4")));
    EXPECT_EQ(HelpBrowser::urlForContext(TfTaskDes::kHelpContext),
              QUrl(QStringLiteral("qrc:/help/taskdes.html#ctx-9")));
}

} // namespace
