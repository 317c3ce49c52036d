// The version-1.1 engine stand-in over the legacy-engine file and the alias folders.
#include "LegacyEngine.h"

#include "LegacyError.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

void LegacyDatabase::checkReadable() const
{
    const QFileInfo info(m_folder);
    const QString name = QDir::toNativeSeparators(m_folder);
    if (m_folder.isEmpty() || !info.exists())
        throw LegacyError(name, QStringLiteral("the folder does not exist"));
    if (!info.isDir())
        throw LegacyError(name, QStringLiteral("is not a folder"));
    if (!info.isReadable() || !info.isExecutable() || !QDir(m_folder).isReadable())
        throw LegacyError(name, QStringLiteral("the folder cannot be read"));
}

QString LegacyDatabase::pathOf(const QString &tableName) const
{
    const QDir dir(m_folder);
    if (QFileInfo(dir.filePath(tableName)).isFile())
        return dir.filePath(tableName);
    // Tables copied from another system may carry their names in another letter case.
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries) {
        if (entry.compare(tableName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

bool LegacyDatabase::tableExists(const QString &tableName) const
{
    return !pathOf(tableName).isEmpty();
}

std::unique_ptr<ParadoxTable> LegacyDatabase::openTable(const QString &tableName) const
{
    const QString path = pathOf(tableName);
    if (path.isEmpty())
        throw LegacyError(
            tableName,
            QStringLiteral("does not exist in %1").arg(QDir::toNativeSeparators(m_folder)));
    auto table = std::make_unique<ParadoxTable>();
    table->open(path);
    return table;
}

LegacyEngine LegacyEngine::fromSettings()
{
    return LegacyEngine(settings::legacyEngineAliases());
}

bool LegacyEngine::installed()
{
    return settings::legacyEngineInstalled();
}

std::optional<LegacyDatabase> LegacyEngine::findAlias(const QString &name) const
{
    for (auto it = m_aliases.cbegin(); it != m_aliases.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return LegacyDatabase(it.value());
    }
    return std::nullopt;
}

} // namespace kv
