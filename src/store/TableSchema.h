// TableSchema: what a table file holds (its columns and indexes). The data module declares one
// per file; the store creates a missing file from it and checks an existing file against it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

enum class FieldType { String, Memo, Date, Time, Float, Boolean, SmallInt, Integer, AutoInc };

/// One column of a table file.
struct ColumnDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;         ///< maximum length of a string column, 0 for other types
    bool notNull = false; ///< the file refuses a null (used for key columns that are required)
};

/// One index of a table file. The primary index is the one with an empty name in
/// `StoreTable::setIndexName`; a table whose primary key is its auto-increment column uses
/// that column as the primary index.
struct IndexDef
{
    QString name;        ///< "Tinout01"; for the primary index the file's name for it ("primary")
    QStringList keys;    ///< key columns in order, ascending
    bool unique = false; ///< a second record with the same key is a key violation (9729)
    bool primary = false;
};

struct TableSchema
{
    QString tableName; ///< SQL name of the one table inside the file, e.g. "Tinout201"
    QList<ColumnDef> columns;
    QList<IndexDef> indexes;

    const ColumnDef *column(const QString &name) const
    {
        for (const ColumnDef &c : columns)
            if (c.name == name)
                return &c;
        return nullptr;
    }
    const IndexDef *primaryIndex() const
    {
        for (const IndexDef &i : indexes)
            if (i.primary)
                return &i;
        return nullptr;
    }
};

} // namespace kv
