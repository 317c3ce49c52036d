// The choice dialog and the progress window, driven headless with QtTest.
#include <gtest/gtest.h>

#include "EC_Choice.h"
#include "ExportTestSupport.h"
#include "XProgress.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kModalTimeoutMs = 5000;

/// Runs `answer` on the next modal dialog that appears; gives up after a timeout so that a test
/// never hangs on a dialog that did not come.
void whenModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    auto *waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer]() {
        *waited += 20;
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            answer(w);
        } else if (*waited > kModalTimeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
    timer->start(20);
}

QStringList allCaptions()
{
    QStringList c;
    for (int i = 0; i < kExportTypeCount; ++i)
        c << exportTypeCaption(static_cast<TExportType>(i));
    return c;
}

class ChoiceDialog : public ::testing::Test
{
protected:
    FakeServicesScope services;
    TExportChoiceForm dialog;
};

TEST_F(ChoiceDialog, CaptionCountsKnownItems)
{
    dialog.setup(xHTML, -1, allCaptions());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export Items"));
    dialog.setup(xHTML, 1, allCaptions());
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export 1 Items"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"))->text(),
              QStringLiteral("&Ok"));
    EXPECT_EQ(dialog.findChild<QGroupBox *>(QStringLiteral("GroupBox1"))->title(),
              QStringLiteral("Please choose an Export Format "));
}

TEST_F(ChoiceDialog, ClipboardDisablesBothChoicesAndViews)
{
    dialog.setup(xClipboard, -1, allCaptions());
    dialog.show();
    EXPECT_EQ(dialog.ExportTypeComboBox()->currentText(), QStringLiteral("Clipboard"));
    EXPECT_FALSE(dialog.ViewRadioButton()->isEnabled());
    EXPECT_FALSE(dialog.FileRadioButton()->isEnabled());
    EXPECT_TRUE(dialog.ViewRadioButton()->isChecked());
    EXPECT_TRUE(dialog.ViewChecked());
}

TEST_F(ChoiceDialog, FormatWithoutADefaultApplicationGoesToAFile)
{
    services.fileTypes->viewable.insert(QStringLiteral(".htm"));
    dialog.setup(xHTML, -1, allCaptions());
    dialog.show();
    EXPECT_TRUE(dialog.ViewRadioButton()->isEnabled());
    EXPECT_TRUE(dialog.ViewRadioButton()->isChecked());
    dialog.ExportTypeComboBox()->setCurrentText(QStringLiteral("SYLK Format"));
    EXPECT_FALSE(dialog.ViewRadioButton()->isEnabled());
    EXPECT_TRUE(dialog.FileRadioButton()->isChecked());
    EXPECT_FALSE(dialog.ViewChecked());
}

TEST_F(ChoiceDialog, UnknownPreselectionFallsBackToTheFirstEntry)
{
    dialog.setup(xSYLK, -1, {QStringLiteral("HTML"), QStringLiteral("Rich Text")});
    dialog.show();
    EXPECT_EQ(dialog.ExportTypeComboBox()->currentIndex(), 0);
}

class ExecuteWithDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        component.setDataSet(data.get());
        applyTimeLogProfile(component);
        component.setExportType(xMicrosoft_Word);
        component.setLastChosenType(xMicrosoft_Word);
        component.OnExportFailed = [this](TExportXComponent *) { ++failed; };
    }
    LocaleScope locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FakeServicesScope services;
    std::unique_ptr<MemoryDataSet> data = makeTimeLog();
    TExportTable component;
    QTemporaryDir dir;
    int failed = 0;
};

TEST_F(ExecuteWithDialog, ChosenFormatToAFileIsWrittenAndPreselectedNextTime)
{
    const QString target = dir.filePath(QStringLiteral("log.csv"));
    services.fileDialogs->answerNext(target);
    QString preselected;
    whenModal([&preselected](QWidget *w) {
        auto *d = qobject_cast<QDialog *>(w);
        auto *combo = d->findChild<QComboBox *>(QStringLiteral("ExportTypeComboBox"));
        preselected = combo->currentText();
        combo->setCurrentText(QStringLiteral("Comma-Delimited Text (CSV)"));
        QTest::mouseClick(d->findChild<QRadioButton *>(QStringLiteral("FileRadioButton")),
                          Qt::LeftButton);
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    data->setPosition(1);
    EXPECT_TRUE(component.Execute());
    EXPECT_EQ(preselected, QStringLiteral("Microsoft Word"));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_EQ(component.LastChosenType(), xText_Comma_Delimited);
    EXPECT_EQ(data->position(), 1);
    EXPECT_EQ(failed, 0);
}

TEST_F(ExecuteWithDialog, CancelEndsWithoutAMessage)
{
    whenModal([](QWidget *w) {
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("CancelBtn")), Qt::LeftButton);
    });
    EXPECT_FALSE(component.Execute());
    EXPECT_TRUE(services.messages->shown.isEmpty());
    EXPECT_EQ(failed, 1);
}

TEST_F(ExecuteWithDialog, CancelledSaveDialogRaisesTheFailureOnce)
{
    whenModal([](QWidget *w) {
        auto *d = qobject_cast<QDialog *>(w);
        d->findChild<QComboBox *>(QStringLiteral("ExportTypeComboBox"))
            ->setCurrentText(QStringLiteral("Rich Text"));
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    EXPECT_FALSE(component.Execute());
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(component.ExportFile().isEmpty());
}

TEST(ProgressWindow, IntervalsAndModes)
{
    TProgressForm hundred(QStringLiteral("Exporting..."), QString(), QStringLiteral("%d / %.2f"),
                          100);
    EXPECT_EQ(hundred.interval(), 5);
    EXPECT_EQ(hundred.ProgressBar()->maximum(), 20);
    EXPECT_FALSE(hundred.isRunningMode());
    TProgressForm ten(QStringLiteral("x"), QString(), QStringLiteral("%d"), 10);
    EXPECT_EQ(ten.interval(), 1);
    EXPECT_EQ(ten.ProgressBar()->maximum(), 10);
    TProgressForm running(QStringLiteral("x"), QString(),
                          QStringLiteral("%d Items Exported in %.2f Seconds."), -1);
    EXPECT_TRUE(running.isRunningMode());
    EXPECT_EQ(running.interval(), 1);
    EXPECT_EQ(running.height(), 57);
    running.show();
    EXPECT_TRUE(running.UpdateProgress(25));
    EXPECT_TRUE(
        running.ExportPanel()->text().startsWith(QStringLiteral("25 Items Exported in 0.")));
}

TEST(ProgressWindow, RunningModeShowsTheCountAsOftenAsTheEyeCanFollow)
{
    TProgressForm running(QStringLiteral("x"), QString(), QStringLiteral("%d done"), -1);
    running.show();
    EXPECT_TRUE(running.UpdateProgress(1));
    EXPECT_EQ(running.ExportPanel()->text(), QStringLiteral("1 done"));
    // Records following each other within a twentieth of a second leave the count as it is...
    for (int n = 2; n <= 1000; ++n)
        ASSERT_TRUE(running.UpdateProgress(n));
    EXPECT_NE(running.ExportPanel()->text(), QStringLiteral("1000 done"));
    // ...and the next record after it shows its own.
    QTest::qWait(60);
    EXPECT_TRUE(running.UpdateProgress(1001));
    EXPECT_EQ(running.ExportPanel()->text(), QStringLiteral("1001 done"));
}

TEST(ProgressWindow, EscStopsACountedAndARunningExport)
{
    TProgressForm counted(QStringLiteral("x"), QString(), QStringLiteral("%d"), 10);
    counted.show();
    EXPECT_TRUE(counted.UpdateProgress(1));
    QTest::keyClick(&counted, Qt::Key_Escape);
    EXPECT_FALSE(counted.UpdateProgress(2));

    TProgressForm running(QStringLiteral("x"), QString(), QStringLiteral("%d"), -1);
    running.show();
    EXPECT_TRUE(running.UpdateProgress(2));
    QTest::keyClick(&running, Qt::Key_Escape);
    EXPECT_FALSE(running.UpdateProgress(3));
}

TEST(ProgressWindow, CancelledClipboardExportKeepsThePartialTextWithoutSuccessMessage)
{
    LocaleScope locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FakeServicesScope services;
    auto data = makeTimeLog();
    data->reliableCount = true; // a counted progress window, which Esc cancels
    TExportTable component;
    component.setDataSet(data.get());
    applyTimeLogProfile(component);
    component.setOptions(component.Options() | ShowProgress);
    component.setExportType(xClipboard);
    // Close the progress window as soon as it shows.
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer]() {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QStringLiteral("ProgressForm") && w->isVisible()) {
                QTest::keyClick(w, Qt::Key_Escape);
                timer->stop();
                timer->deleteLater();
            }
        }
    });
    timer->start(0);
    EXPECT_FALSE(component.RunExport());
    EXPECT_TRUE(services.clipboard->text().startsWith(QStringLiteral("Kestrova Time Log")));
    EXPECT_FALSE(services.messages->texts().contains(ExportText::clipboardSuccess()));
}

class ProgressOverModalOwner : public ::testing::TestWithParam<bool>
{
};

// Counted (a known total) and running mode (the time log's, whose total is not known).
INSTANTIATE_TEST_SUITE_P(Modes, ProgressOverModalOwner, ::testing::Values(true, false));

TEST_P(ProgressOverModalOwner, EscReachesItOverTheDisabledModalWindowAndStopsTheExport)
{
    LocaleScope locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FakeServicesScope services;
    // The window that exports, shown modally as the program shows the time log.
    QDialog owner;
    owner.setWindowModality(Qt::ApplicationModal);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    auto data = makeTimeLog();
    data->reliableCount = GetParam();
    TExportTable component(&owner);
    component.setDataSet(data.get());
    applyTimeLogProfile(component);
    component.setOptions(component.Options() | ShowProgress);
    component.setExportType(xClipboard);
    bool ownerDisabled = false;
    bool pressed = false;
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer]() {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QStringLiteral("ProgressForm") && w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                ownerDisabled = !owner.isEnabled();
                // The key as the desktop delivers it: to the window, through modality and the
                // enabled state.
                QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
                pressed = true;
                return;
            }
        }
    });
    timer->start(0);
    EXPECT_FALSE(component.RunExport());
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(services.messages->texts().contains(ExportText::clipboardSuccess()));
}

} // namespace
