// Settings: INI files in the XDG config folders in place of the machine registry.
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kv::settings {

namespace {
const QString kConfigFile = QStringLiteral("Kestrova/Kestrova.conf");
const QString kLegacyFile = QStringLiteral("Kestrova/legacy-engine.ini");
} // namespace

QString configFilePath()
{
    return QStandardPaths::locate(QStandardPaths::GenericConfigLocation, kConfigFile);
}

QString installDir()
{
    const QString path = configFilePath();
    if (path.isEmpty())
        return QString();
    QSettings ini(path, QSettings::IniFormat);
    return ini.value(QStringLiteral("Kestrovav20/InstallDir1")).toString().trimmed();
}

QString defaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Kestrova/Data");
}

bool usesDefaultDataFolder()
{
    return installDir().isEmpty();
}

QString regDataPath()
{
    const QString dir = installDir();
    if (dir.isEmpty())
        return defaultDataFolder();
    return QDir::cleanPath(dir + QStringLiteral("/Data"));
}

QString legacyEngineFilePath()
{
    return QStandardPaths::locate(QStandardPaths::GenericConfigLocation, kLegacyFile);
}

bool legacyEngineInstalled()
{
    return !legacyEngineFilePath().isEmpty();
}

QMap<QString, QString> legacyEngineAliases()
{
    QMap<QString, QString> aliases;
    const QString path = legacyEngineFilePath();
    if (path.isEmpty())
        return aliases;
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Aliases"));
    for (const QString &key : ini.childKeys())
        aliases.insert(key, ini.value(key).toString());
    ini.endGroup();
    return aliases;
}

} // namespace kv::settings
