// Settings: INI files in the XDG config folders in place of the machine registry.
#include "Settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kv::settings {

namespace {
const QString kConfigFile = QStringLiteral("Kestrova/Kestrova.conf");
const QString kLegacyFile = QStringLiteral("Kestrova/legacy-engine.ini");
const QString kDesktopFile = QStringLiteral("Kestrova/desktop.conf");
const QString kSaveFolderKey = QStringLiteral("SaveDialog/LastFolder");
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

QString clockSocketPath(const QString &dataFolder)
{
    // One per user (the runtime folder is the user's) and data folder (the hash of its path).
    const QByteArray key = QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath()).toUtf8();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(12));
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/kestrova-") + hash + QStringLiteral(".sock");
}

QString instanceLockPath(const QString &dataFolder)
{
    QString path = clockSocketPath(dataFolder);
    path.chop(int(QStringLiteral(".sock").size()));
    return path + QStringLiteral(".lock");
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

QString desktopSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + kDesktopFile;
}

QVariant desktopValue(const QString &key, const QVariant &fallback)
{
    QSettings ini(desktopSettingsPath(), QSettings::IniFormat);
    return ini.value(key, fallback);
}

void setDesktopValue(const QString &key, const QVariant &value)
{
    QSettings ini(desktopSettingsPath(), QSettings::IniFormat);
    ini.setValue(key, value);
}

QString saveDialogFolder()
{
    const QString last = desktopValue(kSaveFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void rememberSaveFolder(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    setDesktopValue(kSaveFolderKey, QFileInfo(fileName).absolutePath());
}

} // namespace kv::settings
