// Temporary files of view mode and the desktop's file types.
#include "EC_View.h"

#include "Services.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutex>
#include <QTemporaryFile>
#include <unistd.h>

namespace kv {

namespace {

/// Leftovers younger than this may belong to another running copy of the program, whose viewer
/// still shows them.
constexpr qint64 kLeftoverAgeSecs = 24 * 60 * 60;

QMutex g_mutex;
QStringList g_registered;
bool g_postRoutineAdded = false;

void registerForDeletion(const QString &name)
{
    QMutexLocker lock(&g_mutex);
    g_registered << name;
    if (!g_postRoutineAdded && QCoreApplication::instance()) {
        qAddPostRoutine(DeleteTempFiles);
        g_postRoutineAdded = true;
    }
}

bool isOwnPrivateFolder(const QString &path)
{
    const QFileInfo fi(path);
    return fi.isDir() && !fi.isSymLink() && fi.ownerId() == ::getuid();
}

} // namespace

bool CanView(TExportType type)
{
    if (type == xClipboard)
        return true;
    return Services::instance().fileTypes().canView(QLatin1Char('.') + exportTypeExtension(type));
}

QIcon FileTypeIcon(TExportType type)
{
    if (type == xClipboard)
        return QIcon::fromTheme(QStringLiteral("edit-paste"));
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(
        QStringLiteral("x.") + exportTypeExtension(type), QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    return icon;
}

QString ExportTempFolder()
{
    const QString base = QDir::tempPath();
    const QString folder = base + QStringLiteral("/kestrova-export-%1").arg(::getuid());
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
    // A folder of that name that is not ours (or a link planted there) is never used.
    return isOwnPrivateFolder(folder) ? folder : base;
}

QString TempFileName(const QString &extension)
{
    const QString folder = ExportTempFolder();
    QString name;
    {
        QTemporaryFile f(folder + QStringLiteral("/expXXXXXX.tmp"));
        f.setAutoRemove(false);
        if (f.open()) {
            name = f.fileName();
            f.close();
            QFile::remove(name);
        }
    }
    QString result;
    if (name.isEmpty()) {
        result = folder + QStringLiteral("/temp.") + extension;
    } else {
        registerForDeletion(name);
        result = name.left(name.size() - 3) + extension;
    }
    registerForDeletion(result);
    return result;
}

QStringList RegisteredTempFiles()
{
    QMutexLocker lock(&g_mutex);
    return g_registered;
}

void DeleteTempFiles()
{
    QStringList names;
    {
        QMutexLocker lock(&g_mutex);
        names.swap(g_registered);
    }
    for (const QString &n : names)
        QFile::remove(n);
    // Leftovers of earlier runs: only in our own folder, never other programs' files.
    const QString folder = ExportTempFolder();
    if (folder == QDir::tempPath())
        return;
    // File ages are measured against the file system's clock, not the program's "now".
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-kLeftoverAgeSecs);
    const QFileInfoList leftovers =
        QDir(folder).entryInfoList(QStringList{QStringLiteral("exp*")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &fi : leftovers) {
        if (fi.lastModified().toUTC() < cutoff)
            QFile::remove(fi.absoluteFilePath());
    }
}

} // namespace kv
