// Settings: the stand-ins for the machine registry. The installation folder lives in the INI
// file Kestrova/Kestrova.conf of the XDG config folders (group Kestrovav20, key InstallDir1);
// the legacy engine counts as installed when Kestrova/legacy-engine.ini exists there.
#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

namespace kv::settings {

/// Path of the configuration file that holds InstallDir1, or empty when there is none.
QString configFilePath();

/// The value InstallDir1, or empty when the file or the value is missing. Read anew each call.
QString installDir();

/// The data folder: InstallDir1 + "/Data"; when InstallDir1 is missing or empty, the per-user
/// default `$XDG_DATA_HOME/Kestrova/Data` (see defaultDataFolder). Read anew each call.
QString regDataPath();

/// `$XDG_DATA_HOME/Kestrova/Data`, normally ~/.local/share/Kestrova/Data.
QString defaultDataFolder();

/// True when regDataPath() comes from the per-user default (no InstallDir1 configured).
bool usesDefaultDataFolder();

/// The local socket of the program running over @p dataFolder, in the user's runtime folder:
/// `kestrova clock` talks to it, and a second start finds the first through it.
QString clockSocketPath(const QString &dataFolder);
/// The instance lock of the program running over @p dataFolder, beside its socket.
QString instanceLockPath(const QString &dataFolder);

/// Path of the legacy-engine file, empty when the engine of version 1.1 is not installed.
QString legacyEngineFilePath();
bool legacyEngineInstalled();
/// Alias name -> folder of the legacy engine's [Aliases] group.
QMap<QString, QString> legacyEngineAliases();

/// Per-user desktop settings (window sizes, the save dialog's last folder) in
/// Kestrova/desktop.conf of the user's configuration folder: neither in the data folder, which
/// several users may share, nor in the file that names the installation folder.
QString desktopSettingsPath();
QVariant desktopValue(const QString &key, const QVariant &fallback = QVariant());
void setDesktopValue(const QString &key, const QVariant &value);

/// The folder a save dialog opens in: the folder of the last file saved while it still exists,
/// else the user's documents folder, else the home folder.
QString saveDialogFolder();
/// Remembers the folder of the saved file `fileName` for the next save dialog.
void rememberSaveFolder(const QString &fileName);

} // namespace kv::settings
