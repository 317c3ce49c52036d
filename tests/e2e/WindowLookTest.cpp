// Every window of the program as the window manager and assistive technology see it: its title
// is exactly its caption, its border offers only the caption buttons it should, and every
// control that takes the keyboard focus has an accessible name. With KV_SHOTS set to a folder
// and a real X display, each window is also photographed with its frame (import -frame).
#include "WindowLook.h"
#include "DataBuilders.h"
#include "DateTime.h"
#include "EC_Choice.h"
#include "FakeServices.h"
#include "FilterDialog.h"
#include "HelpBrowser.h"
#include "KVDM.h"
#include "Main.h"
#include "MemoDialog.h"
#include "QtPrinters.h"
#include "UAbout.h"
#include "UCliEditpas.h"
#include "UCust.h"
#include "UInOut.h"
#include "UJob.h"
#include "ULogTask.h"
#include "UQuickStart.h"
#include "UQuickTodo.h"
#include "USelDef.h"
#include "UToDoTask.h"
#include "UTodo.h"
#include "UfEmptyJob.h"
#include "UfTaskDe.h"
#include "XProgress.h"
#include "ufEmptyClient.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;

namespace {

constexpr Qt::WindowFlags kCaptionButtons = Qt::WindowMinimizeButtonHint |
                                            Qt::WindowMaximizeButtonHint |
                                            Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;

struct Expected
{
    QString title;
    Qt::WindowType type;
    /// The caption buttons the border offers (of minimise, maximise, close and system menu).
    Qt::WindowFlags buttons;
};

class WindowLookTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        DMKV = new TDMKV([this] { return m_folder; });
        DMKV->ensureConfigRecord();
        test::addClient(*DMKV, QStringLiteral("A1"), QStringLiteral("Acme Tools"));
        test::addJob(*DMKV, QStringLiteral("DEV"), QStringLiteral("Development"));
        FMain = new TFMain;
        FMain->applyConfiguration();
        frmdbCliEdit = new TfrmdbCliEdit;
    }
    void TearDown() override
    {
        delete frmdbCliEdit;
        frmdbCliEdit = nullptr;
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        DMKV = nullptr;
    }

    /// Shows `window` (not modally), checks it and takes its picture when asked to.
    void look(QWidget *window, const Expected &expected, const char *shotName)
    {
        SCOPED_TRACE(shotName);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(window->windowTitle(), expected.title);
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, expected.type);
        if (expected.type != Qt::Window || !(flags & Qt::FramelessWindowHint)) {
            EXPECT_TRUE(flags & Qt::CustomizeWindowHint)
                << "without it the window manager adds every caption button";
            EXPECT_EQ(flags & kCaptionButtons, expected.buttons);
        }
        for (QWidget *w : look::unnamedControls(window))
            ADD_FAILURE() << "no accessible name: " << qPrintable(w->objectName()) << " ("
                          << w->metaObject()->className() << ")";
        shoot(window, shotName);
        window->hide();
    }

    static void shoot(QWidget *window, const char *name)
    {
        const QString folder = qEnvironmentVariable("KV_SHOTS");
        if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        QTest::qWait(400); // the window manager draws the frame
        QProcess::execute(
            QStringLiteral("import"),
            {QStringLiteral("-frame"), QStringLiteral("-window"), QString::number(window->winId()),
             folder + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png")});
    }

    FakeServicesScope fakes;
    QTemporaryDir m_dir;
    QString m_folder;
};

// Qt gives every window with a close box the system menu too.
const Qt::WindowFlags kCloseOnly = Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
const Qt::WindowFlags kMenuAndClose = Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;

TEST_F(WindowLookTest, TheShellWindows)
{
    FMain->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FMain));
    EXPECT_TRUE(FMain->windowFlags() & Qt::FramelessWindowHint) << "no title bar, no border icons";
    for (QWidget *w : look::unnamedControls(FMain))
        ADD_FAILURE() << "no accessible name: " << qPrintable(w->objectName());
    for (const char *image : {"Image1", "Image2", "Image3", "iToDo", "iTodoList", "cbBillable"})
        EXPECT_FALSE(
            look::accessibleName(FMain->findChild<QWidget *>(QLatin1String(image))).isEmpty())
            << image;
    shoot(FMain, "main");
    // The lower pane, as "Change Client/Job Type" opens it: its captions are not cut.
    FMain->ChangeClient1Click();
    QCoreApplication::processEvents();
    for (QLabel *caption : {FMain->lClient, FMain->lJobType}) {
        const QWidget *pane = caption->parentWidget();
        EXPECT_LE(caption->geometry().bottom(), pane->height() - 1)
            << qPrintable(caption->text()) << " in a pane " << pane->height() << " high";
        EXPECT_GE(caption->height(), caption->fontMetrics().height());
    }
    shoot(FMain, "main-lower");

    TAboutBox about;
    look(&about, {QStringLiteral("About Kestrova"), Qt::Dialog, kCloseOnly}, "about");
    TfQuickStart quick;
    look(&quick, {QStringLiteral("Kestrova QuickStart Help"), Qt::Tool, kCloseOnly}, "quickstart");
    TfTaskDes task;
    look(&task, {QStringLiteral("Kestrova - Time Log Task"), Qt::Dialog, kCloseOnly}, "taskdes");
    HelpBrowser help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Kestrova v2.0 Help"));
}

TEST_F(WindowLookTest, TheListWindowsAndPrompts)
{
    TFCust clients;
    look(&clients, {QStringLiteral("Client Maintenance"), Qt::Dialog, kCloseOnly}, "clients");
    look(frmdbCliEdit, {QStringLiteral("Kestrova - Client Maintenance"), Qt::Dialog, kCloseOnly},
         "clienteditor");
    TFJobType jobs;
    look(&jobs, {QStringLiteral("Job Type Maintenance"), Qt::Dialog, kCloseOnly}, "jobtypes");
    TfEmptyClient emptyClient;
    look(&emptyClient, {QStringLiteral("Kestrova - Client Listing is Empty"), Qt::Tool, {}},
         "emptyclient");
    TfJobEmpty emptyJob;
    look(&emptyJob, {QStringLiteral("Kestrova - Job Type Listing is Empty"), Qt::Tool, {}},
         "emptyjob");
    FCust = &clients;
    FJobType = &jobs;
    TFSelDef config;
    look(&config, {QStringLiteral("Kestrova Configuration"), Qt::Dialog, kCloseOnly}, "config");
    FCust = nullptr;
    FJobType = nullptr;
}

TEST_F(WindowLookTest, TheTimeLogWindows)
{
    // Records with the widest dates of some locales (September, December) and a long task.
    for (const QDate &date : {QDate(2026, 9, 28), QDate(2026, 12, 28), QDate(2026, 3, 2)}) {
        StoreTable &t = *DMKV->TBInout;
        t.insert();
        DMKV->TBInoutWDate->setAsDateTime(dt::fromDate(date));
        DMKV->TBInoutCustName->setAsString(QStringLiteral("Acme Tools"));
        DMKV->TBInoutJobDes->setAsString(QStringLiteral("Development"));
        DMKV->TBInoutTaskDes->setAsString(QStringLiteral("Quarterly report for the board"));
        DMKV->TBInoutTimeIn->setAsDateTime(dt::fromTime(QTime(9, 0)));
        DMKV->TBInoutTimeOut->setAsDateTime(dt::fromTime(QTime(17, 30)));
        t.post();
    }
    TfLogTask task(DMKV->TBInout);
    TFInOut log(*DMKV, &task);
    wireTimeLogOutputs(log);
    look(&log, {QStringLiteral("Kestrova Log"), Qt::Dialog, kMenuAndClose}, "timelog");
    EXPECT_GE(log.minimumWidth(), TFInOut::kClientWidth);
    EXPECT_GE(log.minimumHeight(), TFInOut::kClientHeight);
    look(&task, {QStringLiteral("Kestrova - Time Log Task"), Qt::Dialog, kCloseOnly}, "logtask");
    look(log.fdInOut, {QStringLiteral("Kestrova - Time Log Filter Setup"), Qt::Dialog, kCloseOnly},
         "filter");
    look(log.mdNotes, {QStringLiteral("Time Record Notes"), Qt::Dialog, kCloseOnly}, "notes");
}

TEST_F(WindowLookTest, TheToDoWindows)
{
    TfToDoTask task(DMKV->TBTodo);
    TfTodo list(*DMKV, &task);
    look(&list, {QStringLiteral("Kestrova ToDo List"), Qt::Dialog, kCloseOnly}, "todo");
    look(&task, {QStringLiteral("Kestrova - ToDo Task"), Qt::Dialog, kCloseOnly}, "todotask");
    TfQuickTodo quick(*DMKV);
    look(&quick, {QStringLiteral("Kestrova-ToDo QuickAdd"), Qt::Tool, kCloseOnly}, "quickadd");
    if (DMKV->TBTodo->state() != StoreTable::State::Browse)
        DMKV->TBTodo->cancel(); // quick add starts a task when it is shown
}

TEST_F(WindowLookTest, TheExportWindows)
{
    TExportChoiceForm choice;
    look(&choice, {QStringLiteral("Export Items"), Qt::Dialog, kCloseOnly}, "exportchoice");
    TProgressForm progress(QStringLiteral("Export Items"), QStringLiteral("Exporting"),
                           QStringLiteral("%d Items Exported in %.2f Seconds."), -1);
    look(&progress, {QStringLiteral("Export Items"), Qt::Dialog, kCloseOnly}, "progress");
    EXPECT_TRUE(progress.windowFlags() & Qt::WindowStaysOnTopHint);
}

} // namespace
