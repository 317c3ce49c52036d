// LegacyEngine: the stand-in for the database engine of version 1.1. It is installed when the
// legacy-engine file Kestrova/legacy-engine.ini exists in the XDG config folders; its
// [Aliases] group maps alias names to the folders that hold an alias's Paradox tables.
// LegacyDatabase is one such folder: which tables it holds, and opening them.
#pragma once

#include "ParadoxTable.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace kv {

class LegacyDatabase
{
public:
    explicit LegacyDatabase(QString folder) : m_folder(std::move(folder)) {}

    const QString &folder() const { return m_folder; }

    /// Throws LegacyError naming the folder when it does not exist or cannot be read.
    void checkReadable() const;
    /// True when the folder holds the table `tableName` ("Customer.DB"), in any letter case.
    bool tableExists(const QString &tableName) const;
    /// Opens the table `tableName`. Throws LegacyError naming the file when it is missing or
    /// cannot be read.
    std::unique_ptr<ParadoxTable> openTable(const QString &tableName) const;

private:
    QString pathOf(const QString &tableName) const;

    QString m_folder;
};

class LegacyEngine
{
public:
    /// The engine as this machine has it registered, read anew from the legacy-engine file.
    static LegacyEngine fromSettings();
    /// An engine with the aliases given (tests).
    explicit LegacyEngine(QMap<QString, QString> aliases = {}) : m_aliases(std::move(aliases)) {}

    /// True when the legacy-engine file exists.
    static bool installed();

    QStringList aliasNames() const { return m_aliases.keys(); }
    /// The alias whose name equals `name` without regard to letter case.
    std::optional<LegacyDatabase> findAlias(const QString &name) const;

private:
    QMap<QString, QString> m_aliases;
};

} // namespace kv
