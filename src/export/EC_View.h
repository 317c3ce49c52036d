// Viewing an export on screen: whether a format can be viewed (the desktop has a program for it),
// the icon of that program's file type, and the temporary files view mode writes.
#pragma once

#include "EC_Types.h"

#include <QIcon>
#include <QString>

namespace kv {

/// Whether the format may be viewed on screen: always for the clipboard, otherwise when the
/// desktop has a default application for the format's extension (FileTypes service).
bool CanView(TExportType type);

/// The icon the choice dialog shows for a format: the clipboard's, or that of the format's file
/// type. A null icon when the desktop theme has none.
QIcon FileTypeIcon(TExportType type);

/// A fresh file name "exp...<.extension>" in the program's own temporary folder, registered for
/// deletion when the program ends. No file of that name exists when it returns.
QString TempFileName(const QString &extension);

/// The program's own temporary folder for exports (created on first use, private to the user).
QString ExportTempFolder();

/// Deletes the registered temporary files and leftovers of earlier runs in the program's own
/// temporary folder (run automatically when the application object is destroyed).
void DeleteTempFiles();

/// The names registered for deletion so far.
QStringList RegisteredTempFiles();

} // namespace kv
