// The version block and TVersionInfo, the about box, and the quick-start window.
#include "FakeServices.h"
#include "KVDM.h"
#include "Main.h"
#include "QtPrinters.h"
#include "UAbout.h"
#include "UQuickStart.h"
#include "VersInfo.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace kv;

namespace {

/// A version resource a test describes: no block, an unreadable one, or one of its own.
class ScriptedResource : public VersionResource
{
public:
    int blockSize(const QString &) const override { return size; }
    bool readBlock(const QString &, VersionBlock &b) const override
    {
        b = block;
        return readable;
    }
    int size = 0;
    bool readable = true;
    VersionBlock block;
};

TEST(VersionInfoTest, TheBuiltInBlockCarriesTheProgramsVersion)
{
    TVersionInfo info;
    EXPECT_GT(info.blockSize(), 0);
    EXPECT_EQ(info.translationCount(), 1);
    EXPECT_EQ(info.stringValue(QStringLiteral("FileVersion")), QStringLiteral("2.0.3.19"));
    EXPECT_EQ(info.stringValue(QStringLiteral("ProductVersion")), QStringLiteral("2.0"));
    EXPECT_EQ(info.stringValue(QStringLiteral("FileDescription")),
              QStringLiteral("Orvelane Kestrova"));
    EXPECT_EQ(info.stringValue(QStringLiteral("ProductName")), QStringLiteral("Orvelane Kestrova"));
    EXPECT_FALSE(info.stringValue(QStringLiteral("CompanyName")).isEmpty());
    EXPECT_EQ(info.stringValue(QStringLiteral("NoSuchString")), QString());
    const VersionBlock b = BuiltInVersionResource::block();
    EXPECT_TRUE(b.values.contains(QStringLiteral("\\StringFileInfo\\040904e4\\FileVersion")))
        << "language 0x0409, code page 0x04E4";
}

TEST(VersionInfoTest, LinkedControlsReceiveTheirStringsAndLoseTheLinkWhenDestroyed)
{
    TVersionInfo info;
    QLabel label;
    QLineEdit edit;
    QWidget plain;
    info.setCtlFileVersion(&label);
    info.setCtlProductName(&edit);
    info.setCtlCompanyName(&plain); // no caption or text: left alone
    EXPECT_EQ(label.text(), QStringLiteral("2.0.3.19"));
    EXPECT_EQ(edit.text(), QStringLiteral("Orvelane Kestrova"));
    {
        QLabel gone;
        info.setCtlLegalCopyRight(&gone);
        EXPECT_EQ(info.CtlLegalCopyRight(), &gone);
    }
    EXPECT_EQ(info.CtlLegalCopyRight(), nullptr);
    info.fillControls(); // must not touch the destroyed label
}

TEST(VersionInfoTest, WithoutABlockEveryStringIsEmpty)
{
    auto none = std::make_shared<ScriptedResource>();
    TVersionInfo info(nullptr, none, QStringLiteral("/opt/kestrova"));
    QLabel label(QStringLiteral("before"));
    info.setCtlFileVersion(&label);
    EXPECT_EQ(label.text(), QString());

    // A block whose translation table is empty offers no strings either (and reads nothing
    // beyond the table).
    auto noTranslation = std::make_shared<ScriptedResource>();
    noTranslation->size = 100;
    TVersionInfo info2(nullptr, noTranslation);
    EXPECT_EQ(info2.translationCount(), 0);
    EXPECT_EQ(info2.stringValue(QStringLiteral("FileVersion")), QString());
}

TEST(VersionInfoTest, AnUnreadableBlockRaisesTheError)
{
    auto broken = std::make_shared<ScriptedResource>();
    broken->size = 100;
    broken->readable = false;
    try {
        TVersionInfo info(nullptr, broken, QStringLiteral("/opt/kestrova/kestrova"));
        FAIL();
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Cannot retrieve Version Information for /opt/kestrova/kestrova");
    }
}

TEST(VersionInfoTest, TheFirstTranslationEntryChoosesTheStrings)
{
    auto german = std::make_shared<ScriptedResource>();
    german->size = 100;
    QByteArray table;
    for (quint32 entry : {quint32(0x04E40407), quint32(0x04E40409)})
        for (int i = 0; i < 4; ++i)
            table.append(char((entry >> (8 * i)) & 0xFF));
    german->block.values.insert(QStringLiteral("\\VarFileInfo\\Translation"), table);
    german->block.values.insert(QStringLiteral("\\StringFileInfo\\040704e4\\FileVersion"),
                                QStringLiteral("de"));
    german->block.values.insert(QStringLiteral("\\StringFileInfo\\040904e4\\FileVersion"),
                                QStringLiteral("en"));
    TVersionInfo info(nullptr, german);
    EXPECT_EQ(info.translationCount(), 2);
    EXPECT_EQ(info.stringValue(QStringLiteral("FileVersion")), QStringLiteral("de"));
}

class AboutQuickStartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(folder);
        DMKV = new TDMKV([folder] { return folder; });
        DMKV->ensureConfigRecord();
        DMKV->TBDef->first();
        DMKV->TBDef->edit();
        DMKV->TBDefTutorialShow->setAsBoolean(true);
        DMKV->TBDef->post();
    }
    void TearDown() override
    {
        delete DMKV;
        DMKV = nullptr;
    }
    bool tutorialShow()
    {
        DMKV->TBDef->refresh();
        DMKV->TBDef->first();
        return DMKV->TBDefTutorialShow->asBoolean();
    }
    FakeServicesScope fakes;
    QTemporaryDir m_dir;
};

TEST_F(AboutQuickStartTest, TheAboutBoxShowsTheVersionAndOpensItsLinks)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Kestrova"));
    EXPECT_EQ(box.Version->text(), QStringLiteral("2.0.3.19"));
    EXPECT_EQ(box.lVersionCaption->text(), QStringLiteral("Version:"));
    box.show();
    QTest::mouseClick(box.Label1, Qt::LeftButton);
    QTest::mouseClick(box.Comments, Qt::LeftButton);
    ASSERT_EQ(fakes.shell->opened.size(), 2);
    EXPECT_EQ(fakes.shell->opened[0], QUrl(TAboutBox::webAddress()));
    EXPECT_EQ(fakes.shell->opened[1].toString(),
              QStringLiteral("mailto:") + TAboutBox::emailAddress());
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.result(), QDialog::Accepted) << "OK is the default button";
}

TEST_F(AboutQuickStartTest, TheQuickStartCheckBoxWritesTutorialShowAtOnce)
{
    TfQuickStart window;
    window.cbTutorialShow->setChecked(true);
    window.show();
    window.cbTutorialShow->click();
    EXPECT_FALSE(tutorialShow());
    EXPECT_EQ(DMKV->TBDef->state(), StoreTable::State::Browse);
    window.cbTutorialShow->click();
    EXPECT_TRUE(tutorialShow());
}

TEST_F(AboutQuickStartTest, TheMemoAndCaptions)
{
    TfQuickStart window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kestrova QuickStart Help"));
    EXPECT_EQ(window.size(), QSize(434, 307));
    const QStringList lines = window.Memo1->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[0],
              QStringLiteral("When you first install Kestrova, all the databases are empty "
                             "and the configuration is "));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[10],
              QStringLiteral("job types.  These files drive the drop-down list boxes for "
                             "the default startup values and"));
    EXPECT_EQ(lines[16],
              QStringLiteral("You can go to the Kestrova Configuration now by clicking the "
                             "button below."));
    EXPECT_EQ(window.cbTutorialShow->text(),
              QStringLiteral("Show Quick Start Screen on Start Up."));
    EXPECT_EQ(window.Button1->text(), QStringLiteral("Go to Configuration"));
}

TEST_F(AboutQuickStartTest, GoToConfigurationOpensTheDialogOverTheStillOpenWindow)
{
    bool quickStartStillShown = false;
    TfQuickStart window;
    window.showConfiguration = [&] {
        QDialog config;
        config.setObjectName(QStringLiteral("FSelDef"));
        QTimer::singleShot(0, &config, [&] {
            quickStartStillShown = window.isVisible();
            config.accept();
        });
        config.exec();
    };
    QTimer::singleShot(0, &window, [&] {
        window.Button1->click();
        window.accept();
    });
    window.exec();
    EXPECT_TRUE(quickStartStillShown);
}

TEST_F(AboutQuickStartTest, StartUpShowsTheWindowWithTheCheckBoxSetAndDestroysIt)
{
    bool checked = false;
    QTimer::singleShot(0, [&] {
        static_cast<void>(
            QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 3000));
        auto *w = qobject_cast<TfQuickStart *>(QApplication::activeModalWidget());
        if (!w)
            return;
        checked = w->cbTutorialShow->isChecked();
        w->close();
    });
    TfQuickStart::run(true);
    EXPECT_TRUE(checked);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget *w) {
        return qobject_cast<TfQuickStart *>(w) != nullptr;
    })) << "the window is destroyed after it closed";
}

} // namespace
