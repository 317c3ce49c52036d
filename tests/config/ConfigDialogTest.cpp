// The configuration dialog offscreen over a real data module and main window: the bound controls,
// the clamping number boxes, the lookups' empty-list messages, Ok re-applying the selectors, tray
// mode and auto-log indicators, and Cancel discarding.
#include "BorderFrame.h"
#include "ClickImage.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBSpinEdit.h"
#include "DataBuilders.h"
#include "FakeServices.h"
#include "ForeignRecordLock.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "Main.h"
#include "QtPrinters.h"
#include "UCliEditpas.h"
#include "UCust.h"
#include "UJob.h"
#include "USelDef.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class ConfigDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        DMKV = new TDMKV([this] { return m_folder; });
        DMKV->ensureConfigRecord();
        addClient(QStringLiteral("A1"), QStringLiteral("Acme"));
        addJob(QStringLiteral("DES"), QStringLiteral("Design"));
        FMain = new TFMain;
        FMain->applyConfiguration();
        FMain->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FMain));
        frmdbCliEdit = new TfrmdbCliEdit;
        FCust = new TFCust;
        FJobType = new TFJobType;
        FSelDef = new TFSelDef;
    }
    void TearDown() override
    {
        delete FSelDef;
        delete FJobType;
        delete FCust;
        delete frmdbCliEdit;
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        DMKV = nullptr;
    }
    void addClient(const QString &no, const QString &name) { test::addClient(*DMKV, no, name); }
    void addJob(const QString &code, const QString &des) { test::addJob(*DMKV, code, des); }
    void setDef(const std::function<void()> &change) { test::setDef(*DMKV, change); }
    /// Opens the dialog modally, runs `inside` in it and presses `button` ("BBDefOk" or
    /// "BBDefCan") unless `inside` closed it.
    void inDialog(const std::function<void()> &inside, const char *button = "BBDefOk")
    {
        bool reached = false;
        QTimer::singleShot(0, [&] {
            static_cast<void>(
                QTest::qWaitFor([] { return QApplication::activeModalWidget() == FSelDef; }, 3000));
            if (QApplication::activeModalWidget() != FSelDef)
                return;
            QTest::qWait(1); // the activation reaches the dialog
            reached = true;
            inside();
            if (FSelDef->isVisible())
                FSelDef->findChild<QPushButton *>(QString::fromLatin1(button))->click();
            if (FSelDef->isVisible())
                FSelDef->close();
        });
        FSelDef->exec();
        EXPECT_TRUE(reached);
    }
    template <class W> W *control(const char *name)
    {
        W *w = FSelDef->findChild<W *>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void check(const char *name) { control<DBCheckBox>(name)->click(); }
    bool defBool(Field *f)
    {
        DMKV->TBDef->refresh();
        DMKV->TBDef->first();
        return f->asBoolean();
    }

    FakeServicesScope fakes;
    QTemporaryDir m_dir;
    QString m_folder;
};

TEST_F(ConfigDialogTest, TheDialogEditsTheRecordWhileShownAndOkWritesIt)
{
    inDialog([&] {
        EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Edit);
        check("RzDBCheckBox6");
        check("dbcbTaskDes");
        DBEdit *title = control<DBEdit>("RzDBEdit1");
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("Hours for March"));
        EXPECT_EQ(title->maxLength(), 40);
    });
    EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Browse);
    EXPECT_TRUE(defBool(DMKV->TBDefDataConverted));
    EXPECT_TRUE(defBool(DMKV->TBDefGetTask));
    EXPECT_EQ(DMKV->TBDefReportTitle->asString(), QStringLiteral("Hours for March"));

    inDialog([&] { check("RzDBCheckBox6"); });
    EXPECT_FALSE(defBool(DMKV->TBDefDataConverted)) << "unchecked, the next start-up runs no check";
}

TEST_F(ConfigDialogTest, CancelAndClosingDiscardTheChangesAndLeaveTheMainWindowAlone)
{
    fakes.tray->visible = false;
    inDialog(
        [&] {
            check("RzDBCheckBox2");
            check("RzDBCheckBox4");
        },
        "BBDefCan");
    EXPECT_FALSE(defBool(DMKV->TBDefTray));
    EXPECT_FALSE(defBool(DMKV->TBDefAutoLogClient));
    EXPECT_FALSE(FMain->IsTrayMode);
    EXPECT_FALSE(fakes.tray->visible);
    EXPECT_FALSE(FMain->RzBorder1->isVisible());

    inDialog([&] {
        check("RzDBCheckBox7");
        FSelDef->close();
    });
    EXPECT_FALSE(defBool(DMKV->TBDefTutorialShow));
    EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Browse);
}

TEST_F(ConfigDialogTest, NumberBoxesClampToTheirRangesOnLeaving)
{
    inDialog([&] {
        DBSpinEdit *incr = control<DBSpinEdit>("wwDBSpinEdit1");
        DBSpinEdit *minimum = control<DBSpinEdit>("wwDBSpinEdit2");
        incr->setFocus();
        QTest::keyClicks(incr, QStringLiteral("75"));
        minimum->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(incr->text(), QStringLiteral("59"));
        QTest::keyClicks(minimum, QStringLiteral("0"));
        incr->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(minimum->text(), QStringLiteral("1"));
        incr->selectAll();
        QTest::keyClicks(incr, QStringLiteral("123"));
        EXPECT_EQ(incr->text(), QStringLiteral("12")) << "at most two characters";
        incr->selectAll();
        QTest::keyClicks(incr, QStringLiteral("75"));
        minimum->setFocus(Qt::TabFocusReason);
        minimum->selectAll();
        QTest::keyClicks(minimum, QStringLiteral("2000"));
        // Ok pressed straight from the box still gets the bound.
    });
    DMKV->TBDef->first();
    EXPECT_EQ(DMKV->TBDefBillingIncr->asInteger(), 59);
    EXPECT_EQ(DMKV->TBDefMinBillTime->asInteger(), 1440);
}

TEST_F(ConfigDialogTest, SwitchingTrayOnKeepsTheWindowShownUntilTheCloseImageHidesIt)
{
    inDialog([&] { check("RzDBCheckBox2"); });
    EXPECT_TRUE(FMain->IsTrayMode);
    EXPECT_TRUE(fakes.tray->visible);
    EXPECT_TRUE(FMain->isVisible());
    EXPECT_EQ(FMain->Image1->toolTip(), QStringLiteral("Minimize to Tray"));
    FMain->Image1Click();
    EXPECT_FALSE(FMain->isVisible());
}

TEST_F(ConfigDialogTest, SwitchingTrayOffShowsTheWindowAndRemovesTheIcon)
{
    setDef([] { DMKV->TBDefTray->setAsBoolean(true); });
    FMain->applyConfiguration(); // start-up in tray mode: hidden
    ASSERT_FALSE(FMain->isVisible());
    inDialog([&] { check("RzDBCheckBox2"); });
    EXPECT_FALSE(FMain->IsTrayMode);
    EXPECT_FALSE(fakes.tray->visible);
    EXPECT_TRUE(FMain->isVisible());
    EXPECT_EQ(FMain->Image1->toolTip(), QStringLiteral("Close"));
}

TEST_F(ConfigDialogTest, WithTrayAlreadyOnAnotherChangeLeavesTrayMode)
{
    setDef([] { DMKV->TBDefTray->setAsBoolean(true); });
    FMain->applyConfiguration();
    inDialog([&] {
        EXPECT_TRUE(FSelDef->TrayWasOn);
        DBEdit *title = control<DBEdit>("RzDBEdit1");
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("T"));
    });
    EXPECT_TRUE(FMain->IsTrayMode);
    EXPECT_TRUE(fakes.tray->visible);
    EXPECT_FALSE(FMain->isVisible());
}

TEST_F(ConfigDialogTest, OkWithoutChangesWritesNothingButSetsTheAutoLogIndicators)
{
    // Options changed behind the dialog's back: Ok takes the frames from the stored options but
    // leaves the selectors as they are.
    setDef([] {
        DMKV->TBDefAutoLogClient->setAsBoolean(true);
        DMKV->TBDefCustName->setAsString(QStringLiteral("Acme"));
    });
    FMain->DBCCust->setText(QStringLiteral("Typed"));
    inDialog([] {});
    EXPECT_EQ(FMain->DBCCust->text(), QStringLiteral("Typed"));
    EXPECT_TRUE(FMain->RzBorder1->isVisible());
    EXPECT_FALSE(FMain->RzBorder2->isVisible());
    EXPECT_FALSE(FMain->RzBorder3->isVisible());
    EXPECT_FALSE(FMain->bAutoLog->isVisible());
}

TEST_F(ConfigDialogTest, OkPutsTheDefaultsIntoTheSelectorsAndTheFramesFollowTheOptions)
{
    inDialog([&] {
        LookupCombo *client = control<LookupCombo>("dblcClient");
        client->setFocus();
        QTest::keyClicks(client->lineEdit(), QStringLiteral("Acme"));
        LookupCombo *job = control<LookupCombo>("dblcJobCode");
        job->setFocus();
        QTest::keyClicks(job->lineEdit(), QStringLiteral("Design"));
        check("RzDBCheckBox4");
        check("RzDBCheckBox5");
    });
    EXPECT_EQ(FMain->DBCCust->text(), QStringLiteral("Acme"));
    EXPECT_EQ(FMain->dblcJobDes->text(), QStringLiteral("Design"));
    EXPECT_TRUE(FMain->RzBorder1->isVisible());
    EXPECT_TRUE(FMain->RzBorder2->isVisible());
    EXPECT_TRUE(FMain->bAutoLog->isVisible());

    inDialog([&] { check("RzDBCheckBox5"); });
    EXPECT_TRUE(FMain->RzBorder1->isVisible());
    EXPECT_FALSE(FMain->RzBorder2->isVisible());
    EXPECT_FALSE(FMain->RzBorder3->isVisible());
    EXPECT_FALSE(FMain->bAutoLog->isVisible());
}

TEST_F(ConfigDialogTest, EnteringAnEmptyLookupBeepsAndExplainsEachTime)
{
    DMKV->TBCust->first();
    DMKV->TBCust->deleteRecord();
    inDialog([&] {
        LookupCombo *client = control<LookupCombo>("dblcClient");
        for (int i = 0; i < 2; ++i) {
            control<QPushButton>("BBDefOk")->setFocus(Qt::TabFocusReason);
            client->setFocus(Qt::TabFocusReason);
            static_cast<void>(
                QTest::qWaitFor([&] { return fakes.messages->shown.size() == i + 1; }, 2000));
        }
        control<LookupCombo>("dblcJobCode")->setFocus(Qt::TabFocusReason);
        QTest::qWait(20);
    });
    ASSERT_EQ(fakes.messages->shown.size(), 2);
    EXPECT_EQ(fakes.beeper->count, 2);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Information);
    EXPECT_EQ(fakes.messages->shown[0].text,
              QStringLiteral("The Client Listing file is empty.\r\nClick the Client Listing "
                             "button below to set up Clients\r\nto populate this list."));
}

TEST_F(ConfigDialogTest, TheListButtonsOpenTheListWindowsOverTheDialog)
{
    QWidget *seen[2] = {nullptr, nullptr};
    inDialog([&] {
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, [&seen, i] {
                static_cast<void>(QTest::qWaitFor(
                    [] { return QApplication::activeModalWidget() != FSelDef; }, 3000));
                seen[i] = QApplication::activeModalWidget();
                if (seen[i] && seen[i] != FSelDef)
                    seen[i]->close();
            });
            control<QPushButton>(i == 0 ? "Button1" : "Button2")->click();
        }
        EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Edit) << "activation edits again";
    });
    EXPECT_EQ(seen[0], FCust);
    EXPECT_EQ(seen[1], FJobType);
}

TEST_F(ConfigDialogTest, ARecordLockedByAnotherProgramIsReportedOnceAndTheDialogCloses)
{
    // A second program has the dialog open: it holds the configuration record.
    DMKV->TBDef->first();
    ForeignRecordLock other(m_folder + QStringLiteral("/kvdef.DAT"), DMKV->TBDef->currentRowId());
    ASSERT_TRUE(other.held());
    // Each message is a real modal window, so the dialog loses and regains the activation the
    // way it does on the desktop.
    int boxes = 0;
    fakes.messages->onShow = [&](const FakeMessages::Shown &) {
        if (++boxes > 3)
            return;
        QDialog box(FSelDef);
        QTimer::singleShot(50, &box, [&box] { QTest::keyClick(&box, Qt::Key_Escape); });
        box.exec();
        // The desktop gives the activation back to the dialog once the box has gone.
        QTimer::singleShot(0, FSelDef, [] {
            if (FSelDef->isVisible())
                FSelDef->activateWindow();
        });
    };
    // A dialog still open a while after the first message has trapped the user.
    bool trapped = false;
    QTimer::singleShot(5000, FSelDef, [&trapped] {
        trapped = FSelDef->isVisible();
        if (trapped)
            FSelDef->done(QDialog::Rejected);
    });
    FSelDef->exec();
    EXPECT_FALSE(trapped);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(fakes.messages->lastText().contains(QStringLiteral("in use by another user")));
    EXPECT_FALSE(FSelDef->isVisible());
    EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Browse);

    // Once the other program lets go, the dialog edits the record again.
    other.release();
    fakes.messages->onShow = nullptr;
    FMain->activateWindow(); // where the desktop puts the activation when the dialog closes
    ASSERT_TRUE(QTest::qWaitForWindowActive(FMain));
    inDialog([&] { EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Edit); }, "BBDefCan");
}

} // namespace
