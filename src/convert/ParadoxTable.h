// ParadoxTable: one open table of the version-1.1 engine, a Paradox table file (.DB) read
// through pxlib, with its memo file (.MB) read by MemoFile. It offers what the conversion
// needs and nothing else: first, next, end of table, a field of the current record by name as
// text, Boolean, integer, float or date-time, and close.
//
// Values are decoded from the record's bytes: a field of all-zero bytes is null and reads as
// the empty string, false or 0; text is code page 1252; dates count days from 1 January 0001
// (day 1) and times milliseconds from midnight, both returned as date-time values.
#pragma once

#include "MemoFile.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

struct px_doc; // pxlib's table handle

namespace kv {

class ParadoxTable
{
public:
    ParadoxTable();
    ~ParadoxTable();
    ParadoxTable(const ParadoxTable &) = delete;
    ParadoxTable &operator=(const ParadoxTable &) = delete;

    /// Opens the table file at `path`; its memo file is the file of the same name with the
    /// extension .MB, in any letter case, read when a memo needs it. Throws LegacyError naming
    /// the file when it cannot be read or is not a sound Paradox table.
    void open(const QString &path);
    /// Opens a table held in memory: `name` for messages, the bytes of the table file and of
    /// its memo file (none when there is no memo file).
    void openBytes(const QString &name, const QByteArray &table,
                   const std::optional<QByteArray> &memo);
    void close();
    bool isOpen() const { return m_doc != nullptr; }
    const QString &name() const { return m_name; }

    /// Moves to the first record; eof() when the table has none. Throws LegacyError when the
    /// record cannot be read.
    void first();
    /// Moves to the next record; eof() after the last.
    void next();
    bool eof() const { return m_eof; }

    // A field of the current record by name (letter case does not matter). Each throws
    // LegacyError naming the file when the table has no such field, the field's type cannot
    // be read that way, or the value is damaged.

    /// Alpha and memo fields as their text; other types as their value written out.
    QString asString(const QString &field) const;
    /// Logical fields.
    bool asBoolean(const QString &field) const;
    /// Short, long and auto-increment fields.
    int asInteger(const QString &field) const;
    /// Number, currency, short, long and auto-increment fields.
    double asFloat(const QString &field) const;
    /// Date, time and timestamp fields as date-time values (days since 30 December 1899).
    double asDateTime(const QString &field) const;

private:
    struct FieldInfo
    {
        QString name;
        int type = 0;
        int offset = 0;
        int size = 0;
    };

    void openStream(FILE *fp, qint64 fileSize);
    void checkHeader(FILE *fp, qint64 fileSize);
    void readRecord();
    const FieldInfo &field(const QString &name) const;
    const char *bytes(const FieldInfo &f) const;
    bool isNull(const FieldInfo &f) const;
    QString memoText(const FieldInfo &f) const;
    [[noreturn]] void wrongType(const FieldInfo &f, const char *wanted) const;
    [[noreturn]] void fail(const QString &problem) const;

    QString m_name;
    QString m_memoPath;                    ///< file to read memos from, empty when none
    std::optional<QByteArray> m_memoBytes; ///< memo file held in memory (openBytes)
    mutable std::optional<MemoFile> m_memo;
    QByteArray m_tableBytes; ///< keeps the bytes of openBytes alive for the stream
    FILE *m_fp = nullptr;
    ::px_doc *m_doc = nullptr;
    QString m_lastError; ///< pxlib's last complaint
    std::vector<FieldInfo> m_fields;
    int m_recordSize = 0;
    int m_recordCount = 0;
    int m_current = -1;
    bool m_eof = true;
    QByteArray m_record;

    /// pxlib's error handler: keeps the message for the error the reader raises.
    static void onPxError(::px_doc *doc, int level, const char *msg, void *table);
};

} // namespace kv
