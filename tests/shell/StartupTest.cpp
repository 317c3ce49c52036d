// Start-up and shutdown: first run, the conversion check, the move of the earlier time log,
// TutorialShow, bad data folders and table files, and the close query.
#include "Startup.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "KVDM.h"
#include "Main.h"
#include "QtPrinters.h"
#include "Schemas.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/Kestrova");
        QDir(m_configDir).removeRecursively();
        QDir().mkpath(m_configDir);
        m_install = m_tmp.path();
        m_data = m_install + QStringLiteral("/Data");
        QDir().mkpath(m_data);
        writeConfig(m_install);
    }
    void TearDown() override
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        QDir(m_configDir).removeRecursively();
    }
    void writeConfig(const QString &installDir)
    {
        QFile f(m_configDir + QStringLiteral("/Kestrova.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Kestrovav20]\nInstallDir1=" + installDir.toUtf8() + "\n");
    }
    void restart()
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        Startup s;
        s.run();
    }

    FakeServicesScope m_fakes;
    QTemporaryDir m_tmp;
    QString m_configDir, m_install, m_data;
};

TEST_F(StartupTest, FirstRunCreatesTablesAndAnEmptyConfigurationThenTheQuickStartIsDue)
{
    bool quickStartShown = false;
    Startup s;
    s.showQuickStart = [&](bool checked) {
        quickStartShown = true;
        EXPECT_TRUE(checked);
    };
    s.run();
    for (const QString &f : {schemas::kCustomerFile, schemas::kJobCodeFile, schemas::kTimeLogFile,
                             schemas::kOldTimeLogFile, schemas::kConfigFile, schemas::kTodoFile})
        EXPECT_TRUE(QFile::exists(m_data + QLatin1Char('/') + f)) << f.toStdString();
    ASSERT_NE(DMKV, nullptr);
    ASSERT_NE(FMain, nullptr);
    DMKV->TBDef->first();
    EXPECT_TRUE(DMKV->TBDefTutorialShow->asBoolean());
    EXPECT_TRUE(DMKV->TBDefBillingIncr->isNull());
    EXPECT_TRUE(DMKV->TBDefCustName->isNull());
    EXPECT_TRUE(quickStartShown);
    EXPECT_FALSE(FMain->IsClockedIn);
    EXPECT_TRUE(m_fakes.messages->shown.isEmpty());

    // A second start keeps the one configuration record.
    restart();
    int records = 0;
    for (DMKV->TBDef->first(); !DMKV->TBDef->eof(); DMKV->TBDef->next())
        ++records;
    EXPECT_EQ(records, 1);
}

TEST_F(StartupTest, ConversionCheckRunsOnceAndOnlyWithTheLegacyEngine)
{
    Startup first;
    first.run();
    DMKV->TBDef->first();
    DMKV->TBDef->edit();
    DMKV->TBDefDataConverted->setAsBoolean(true);
    DMKV->TBDef->post();

    int conversions = 0;
    bool conversionFails = false;
    auto startWithConversion = [&] {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        Startup s;
        s.runConversion = [&] {
            ++conversions;
            return !conversionFails;
        };
        s.run();
    };
    // No legacy engine: no window, but the flag is cleared.
    startWithConversion();
    EXPECT_EQ(conversions, 0);
    DMKV->TBDef->first();
    EXPECT_FALSE(DMKV->TBDefDataConverted->asBoolean());
    EXPECT_FALSE(DMKV->TBDefDataConverted->isNull());

    // With the engine and the flag set again: the window appears once.
    DMKV->TBDef->edit();
    DMKV->TBDefDataConverted->setAsBoolean(true);
    DMKV->TBDef->post();
    QFile legacy(m_configDir + QStringLiteral("/legacy-engine.ini"));
    ASSERT_TRUE(legacy.open(QIODevice::WriteOnly));
    legacy.close();
    // A conversion that fails keeps the flag: the next start offers it again.
    conversionFails = true;
    startWithConversion();
    EXPECT_EQ(conversions, 1);
    DMKV->TBDef->first();
    EXPECT_TRUE(DMKV->TBDefDataConverted->asBoolean());
    conversionFails = false;
    startWithConversion();
    EXPECT_EQ(conversions, 2);
    startWithConversion();
    EXPECT_EQ(conversions, 2);
}

TEST_F(StartupTest, EarlierTimeLogMovesIntoTheEmptyCurrentOne)
{
    {
        TDMKV dm([this] { return m_data; });
        dm.TBInoutOld->open();
        dm.TBInoutOld->insert();
        dm.TBInoutOldWDate->setAsDateTime(dt::fromDate(QDate(2001, 5, 4)));
        dm.TBInoutOldTimeIn->setAsDateTime(9.0 / 24);
        dm.TBInoutOldTimeOut->setAsDateTime(11.0 / 24);
        dm.TBInoutOldCustName->setAsString(QStringLiteral("Old client"));
        dm.TBInoutOldJobDes->setAsString(QStringLiteral("Old job"));
        dm.TBInoutOld->post();
        dm.TBInoutOld->close();
    }
    Startup s;
    s.run();
    DMKV->TBInout->first();
    ASSERT_FALSE(DMKV->TBInout->eof());
    EXPECT_EQ(DMKV->TBInoutCustName->asString(), QStringLiteral("Old client"));
    EXPECT_DOUBLE_EQ(DMKV->TBInoutHours->asFloat(), 2.0);
}

TEST_F(StartupTest, MissingConfiguredDataFolderEndsTheStartUpNamingTheFile)
{
    writeConfig(m_install + QStringLiteral("/nowhere"));
    Startup s;
    try {
        s.run();
        FAIL() << "start-up must fail";
    } catch (const StoreError &e) {
        EXPECT_TRUE(e.message().contains(m_install + QStringLiteral("/nowhere/Data/")))
            << e.message().toStdString();
    }
    EXPECT_FALSE(QDir(m_install + QStringLiteral("/nowhere")).exists());
}

TEST_F(StartupTest, ForeignTableFileEndsTheStartUpAndIsNeverOverwritten)
{
    const QString path = m_data + QStringLiteral("/Tinout201.DAT");
    const QByteArray foreign = "This is a letter to my accountant, not a table.\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(foreign);
    }
    Startup s;
    try {
        s.run();
        FAIL() << "start-up must fail";
    } catch (const StoreError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Tinout201.DAT")))
            << e.message().toStdString();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), foreign);
}

TEST_F(StartupTest, CloseQueryAsksOnlyWhileATimeSetRuns)
{
    Startup s;
    s.run();
    EXPECT_TRUE(FMain->closeQuery());
    EXPECT_TRUE(m_fakes.messages->shown.isEmpty());
    FMain->IsClockedIn = true;
    EXPECT_TRUE(FMain->closeQuery());
    ASSERT_EQ(m_fakes.messages->shown.size(), 1);
    EXPECT_EQ(m_fakes.messages->shown[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(m_fakes.messages->shown[0].text,
              QStringLiteral("Kestrova: You have an Open Time set.\r\nDo you want to post the "
                             "current time as OUT?"));
}

} // namespace
