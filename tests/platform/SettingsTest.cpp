// The registry stand-in: where the data folder comes from, and the legacy-engine marker.
#include "Settings.h"
#include "LocaleFacts.h"

#include "QtPrinters.h"
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace kv;

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/Kestrova");
        QDir(m_configDir).removeRecursively();
        QDir().mkpath(m_configDir);
    }
    void TearDown() override { QDir(m_configDir).removeRecursively(); }

    void writeConfig(const QByteArray &text)
    {
        QFile f(m_configDir + QStringLiteral("/Kestrova.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QString m_configDir;
};

TEST_F(SettingsTest, MissingValueFallsBackToPerUserDataFolder)
{
    EXPECT_TRUE(settings::installDir().isEmpty());
    EXPECT_TRUE(settings::usesDefaultDataFolder());
    EXPECT_EQ(settings::regDataPath(), settings::defaultDataFolder());
    EXPECT_TRUE(settings::defaultDataFolder().endsWith(QStringLiteral("/Kestrova/Data")));

    writeConfig("[Kestrovav20]\nInstallDir1=\n");
    EXPECT_EQ(settings::regDataPath(), settings::defaultDataFolder());
}

TEST_F(SettingsTest, InstallDirGivesItsDataSubfolderAndIsReadAnewEachTime)
{
    writeConfig("[Kestrovav20]\nInstallDir1=/srv/kestrova\n");
    EXPECT_EQ(settings::installDir(), QStringLiteral("/srv/kestrova"));
    EXPECT_EQ(settings::regDataPath(), QStringLiteral("/srv/kestrova/Data"));

    writeConfig("[Kestrovav20]\nInstallDir1=/home/me/billing/\n");
    EXPECT_EQ(settings::regDataPath(), QStringLiteral("/home/me/billing/Data"));
}

TEST_F(SettingsTest, LegacyEngineExistsOnlyWithItsFile)
{
    EXPECT_FALSE(settings::legacyEngineInstalled());
    QFile f(m_configDir + QStringLiteral("/legacy-engine.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Aliases]\nOrvelane=/old/data\n");
    f.close();
    EXPECT_TRUE(settings::legacyEngineInstalled());
    EXPECT_EQ(settings::legacyEngineAliases().value(QStringLiteral("Orvelane")),
              QStringLiteral("/old/data"));
}

TEST(LocaleFactsTest, ListSeparatorFollowsDecimalSeparator)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(locale::decimalSeparator(), QLatin1Char(','));
    EXPECT_EQ(locale::listSeparator(), QStringLiteral(";"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(locale::listSeparator(), QStringLiteral(","));
    QLocale::setDefault(saved);
}

TEST(LocaleFactsTest, WindowsLocaleIdentifiers)
{
    EXPECT_EQ(locale::windowsLocaleId(QLocale(QLocale::English, QLocale::UnitedStates)), 0x0409u);
    EXPECT_EQ(locale::windowsLocaleId(QLocale(QLocale::German, QLocale::Austria)), 0x0C07u);
    // A territory without its own row takes the language's default.
    EXPECT_EQ(locale::windowsLocaleId(QLocale(QLocale::German, QLocale::Belgium)), 0x0407u);
    EXPECT_EQ(locale::windowsLocaleId(QLocale(QLocale::Zulu, QLocale::SouthAfrica)), 0u);
}

} // namespace

namespace {

TEST_F(SettingsTest, TheSaveDialogOpensInDocumentsThenWhereTheUserLastSaved)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(documents);
    EXPECT_EQ(settings::saveDialogFolder(), documents);

    const QString exports = m_configDir + QStringLiteral("/../exports");
    QDir().mkpath(exports);
    settings::rememberSaveFolder(exports + QStringLiteral("/march.csv"));
    EXPECT_EQ(settings::saveDialogFolder(), QFileInfo(exports).absoluteFilePath());
    EXPECT_TRUE(settings::desktopSettingsPath().startsWith(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)))
        << "kept with the user's desktop settings, not in the data folder";

    QDir(exports).removeRecursively();
    EXPECT_EQ(settings::saveDialogFolder(), documents) << "a folder that is gone is not offered";
}

} // namespace
