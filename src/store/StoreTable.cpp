// StoreTable: the keyset cursor over one table file, its record buffer, the editing states
// and the record rules of post.
//
// Design notes
// ------------
// A StoreTable is a window on one SQL table inside one SQLite file. Its position is not a
// record number but the current record's key in the current index plus its row id; every
// move asks SQLite for the rows after (or before) that key in index order:
//
//     SELECT rowid, <keys>, <fields> FROM t WHERE (k1,..,kn,rowid) > (?,..,?)
//            ORDER BY k1,..,kn,rowid LIMIT <batch>
//
// SQLite answers that with a seek in the index, so a move costs one index step whatever the
// size of the table. Rows come in read-ahead batches (8, doubling to 256) kept in `ahead`.
//
// A walk through the whole view (export, reports, cascades, Delete All, the benchmarks' loops)
// runs with bound controls off. Its forward moves read through one statement without a LIMIT
// (`stream`): no seek, no batch, no Row per record, and a field's value is decoded from the
// statement only when something reads it (`pending`).
// Whole-view counts and sums that need the predicate read through one statement too (walk()
// with kToEnd).
//
// Invariants:
//   * `current` holds the key values (as read from the file) and the row id of the record in
//     the buffer while `hasCurrent`; in insert state it still names the record the insert
//     started from, which cancel() returns to.
//   * `values` is the record buffer: one stored-form value per field (see FieldValue.h);
//     calculated fields are null until OnCalcFields fills them, which happens whenever a
//     record is loaded and, in edit or insert state, after each write to a stored field.
//   * The read-ahead batch is valid only while (direction, anchor row id, change stamp) are
//     unchanged: any commit on the file (ours at once, another process's within
//     StoreConnection::kForeignCheckMs), refresh, a change of index or filter, and every edit
//     operation drop it.
//   * The row-value comparison is exact only without nulls on the compared side. A forward
//     move from a key without nulls, and a backward move in an index whose key columns refuse
//     nulls, use it; otherwise the comparison is spelled out column by column with nulls
//     ordered first (SQLite's own index order), which is slower but right (todo.DAT).
//   * lockedRow != 0 exactly in edit state (and while deleting): this object holds one hold
//     of that record's lock in the file's RecordLockFile.
//   * The filter predicate and OnCalcFields see the candidate record in the buffer. When a
//     scan finds nothing, or a callback throws, the buffer and position are restored.
//   * Outside a walk no SQLite statement is stepping while user code (events, filter) runs:
//     batches are read into memory first. During a walk the stream's statement stays open
//     between moves and while OnCalcFields and the filter run; they may read other tables on
//     the same file (SQLite lets statements of one connection step side by side) but not
//     write. A write on the file, through any table, ends every stream first
//     (StoreConnection::OpenRead), so no read spans a write and the write lock is never
//     asked for from a stale snapshot.
//   * While `pendingAny`, the stream's statement stands on the record in the buffer; stored
//     fields flagged in `pending` (and the keys, while `keysPending`) are read from it on
//     first access. settle() reads the rest before the statement moves on or ends with the
//     record still current, and before the buffer or the keys are taken whole; loading any
//     other record drops the flags. A walk that ends (or fails) reads the record it came
//     from again by row id rather than keeping a copy at every step. A pending field may
//     also be answered straight from the statement without being decoded (its null test,
//     its UTF-8 bytes, its number: fieldIsNull, fieldUtf8, fieldNumber); it stays pending,
//     and each such answer is what the decoded value gives.
//   * `stream` is open only while bound controls are off and the cursor stands on the record
//     it last produced (`anchor`) under the same change stamp. Any other move, invalidate()
//     (every change of the view and every edit operation), close, and enableControls()
//     bringing the controls back end it; so does its end of rows. While it is open this
//     process reads the snapshot the walk began on: commits of other processes appear after
//     the walk.
//   * A walk whose records often have to read a page of their own from the file (they lie
//     scattered over a file larger than the page cache) reads the rest
//     through a memory map of the file (StoreConnection::beginMappedReads; local files only),
//     with SQLite's cell-size check off while the map is on: a random page then costs a
//     memory access, not a system call. The map goes when the last such walk ends, and no
//     walk begins the map inside a write transaction; since a write ends every walk first,
//     nothing is ever written while the check is off.
//   * The filter has two parts: terms the store reads (FilterTerm) and a predicate for what
//     they cannot decide. While filtered, every read of the view (moves, find, grids, totals,
//     the check that the current record is still visible) carries the terms' SQL condition
//     (FilterSql.cpp), which narrows or decides exactly and never admits less than the terms;
//     the predicate then sees only records that met it. When the terms decide the whole
//     filter (no predicate, no term left over), counts, sums and record numbers are single
//     SQL statements over the same condition.
//
// States and the function that performs each transition:
//
//   from              to          function
//   Inactive          Browse      open() (BeforeOpen, connect, first record, AfterOpen)
//   any               Inactive    close() (drops a pending edit, releases its lock)
//   Browse            Insert      insert(); edit() while no record is visible
//   Browse            Edit        edit() (lock with retries, re-read the record)
//   Edit/Insert       Browse      post() on success (AfterPost runs after the state change)
//   Edit/Insert       Browse      cancel() (AfterCancel)
//   Insert            Browse      deleteRecord() (acts as cancel())
//   Edit              Browse      deleteRecord() (removes the record, changes dropped)
//   Edit/Insert       Browse      endPendingEdit() before moves, refresh, insert, findKey,
//                                 gotoBookmark, index or filter changes: post() when
//                                 modified, else cancel()
//   Browse/Edit/Ins.  CalcFields  runCalcFields(), only while OnCalcFields runs; back after
//   Edit/Insert       unchanged   post() failing (required, BeforePost, mask, key, lock, I/O)
#include "StoreTable.h"

#include "DateTime.h"
#include "FieldValue.h"
#include "FilterSql.h"
#include "PictureMask.h"
#include "StoreConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <sqlite3.h>

namespace kv {

namespace {

constexpr int kFirstBatch = 8;
constexpr int kMaxBatch = 256;
constexpr int kScanBatch = 512;
constexpr int kToEnd = std::numeric_limits<int>::max(); ///< a walk's batch: the whole view
constexpr int kFirstFindBatch = 4;
constexpr int kMaxFindValues = 5;
/// A walk counts the pages its records read, kProbeRows at a time, and reads the rest through
/// the file's map once more than one record in kMappedShare read one.
constexpr int kProbeRows = 512;
constexpr qint64 kMappedShare = 4;

/// Stored form of column `column` of the row `query` stands on, for a field of `type`. Reads
/// the usual storage classes directly; anything unusual goes through fieldvalue::fromColumn.
QVariant columnValue(const SqlQuery &query, int column, FieldType type)
{
    sqlite3_stmt *stmt = query.statement();
    const int storage = sqlite3_column_type(stmt, column);
    if (storage == SQLITE_NULL)
        return QVariant();
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        if (storage == SQLITE_TEXT)
            return QVariant(query.text(column));
        break;
    case FieldType::Float:
        if (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER)
            return QVariant(sqlite3_column_double(stmt, column));
        break;
    case FieldType::Boolean:
        if (storage == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(stmt, column) != 0);
        break;
    case FieldType::Time:
        if (storage == SQLITE_INTEGER) {
            const qint64 ms = sqlite3_column_int64(stmt, column);
            if (ms >= 0 && ms < dt::kMsPerDay)
                return QVariant(ms);
        }
        break;
    default:
        if (storage == SQLITE_INTEGER)
            return QVariant(qint64(sqlite3_column_int64(stmt, column)));
        break;
    }
    return fieldvalue::fromColumn(type, query.raw(column));
}

struct Position
{
    qint64 rowId = 0;
    QVariantList keys;
};

struct Row
{
    qint64 rowId = 0;
    QVariantList keys;
    std::vector<QVariant> values; ///< per stored field, in stored form (FieldValue.h)
};

enum class From { Edge, Current, At };

/// One post or delete: a transaction of its own, or a savepoint inside an open batch.
class WriteTransaction
{
public:
    WriteTransaction(StoreConnection &c, const StoreConnection::WriteWait &wait)
        : m_c(c), m_outer(c.batchDepth() == 0)
    {
        if (m_outer) {
            m_c.beginWrite(wait);
        } else {
            m_c.endOpenReads();
            m_c.exec(QStringLiteral("SAVEPOINT kv_post"), StoreError::kWriteFailed);
        }
    }
    ~WriteTransaction()
    {
        if (m_done)
            return;
        try {
            if (m_outer) {
                m_c.exec(QStringLiteral("ROLLBACK"), StoreError::kWriteFailed);
            } else {
                m_c.exec(QStringLiteral("ROLLBACK TO kv_post"), StoreError::kWriteFailed);
                m_c.exec(QStringLiteral("RELEASE kv_post"), StoreError::kWriteFailed);
            }
        } catch (...) {
            // The error that brought us here is the one to report.
        }
    }
    void commit()
    {
        m_c.exec(m_outer ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE kv_post"),
                 StoreError::kWriteFailed);
        m_done = true;
    }

private:
    StoreConnection &m_c;
    bool m_outer;
    bool m_done = false;
};

bool hasNull(const QVariantList &values)
{
    for (const QVariant &v : values)
        if (!v.isValid())
            return true;
    return false;
}

} // namespace

struct StoreTable::Impl
{
    explicit Impl(StoreTable &table) : q(table) {}
    ~Impl() { endStream(); }

    StoreTable &q;
    std::shared_ptr<StoreConnection> conn;
    const StoreConnection::Table *table = nullptr;
    const StoreConnection::Index *index = nullptr;
    QString path;     ///< absolute path of the table file, for messages
    QString sqlTable; ///< quoted SQL name of the table
    std::vector<int> storedFields;
    std::vector<int> writtenFields;     ///< stored fields that post writes (not auto-increment)
    std::vector<FieldType> storedTypes; ///< type of each stored field, by position in a Row
    /// For each key column of the current index: the Row value that holds it, or -1 when the
    /// column is not one of this object's fields and is read from its own select column.
    std::vector<int> keySlots;
    QString selectList;
    QString orderAscending;
    QString orderDescending;

    std::vector<QVariant> values;
    bool hasCurrent = false;
    Position current;
    qint64 lockedRow = 0;
    int batchDepth = 0;
    bool notify = true;

    /// A walk through the whole view: one statement stepping in index order from where the
    /// walk began, opened by a forward move while bound controls are off and ended by any
    /// other move, a change of the view, a write on the file, or the controls coming back.
    struct Stream final : StoreConnection::OpenRead
    {
        explicit Stream(Impl &owner) : d(owner) {}
        ~Stream()
        {
            // The statement lets go of its pages before the map may go.
            query.reset();
            if (mappedOn)
                mappedOn->endMappedReads();
        }
        Stream(const Stream &) = delete;
        Stream &operator=(const Stream &) = delete;
        void endRead() override
        {
            d.settle();
            d.stream.reset();
        }
        Impl &d;
        std::unique_ptr<SqlQuery> query;
        qint64 anchor = 0; ///< row id of the record the stream last made current
        StoreConnection::Stamp stamp;
        // How many pages the walk's records cost, kProbeRows at a time (noteRecordCost).
        int probed = 0;
        qint64 pagesReadBefore = 0;
        StoreConnection *mappedOn = nullptr; ///< reads through the file's map (beginMappedReads)
    };
    std::unique_ptr<Stream> stream;
    std::vector<int> calculatedFields;

    /// A walk's record as it is still to be read from the stream's statement (see the design
    /// notes): `pending` flags the stored fields StoreTable::fieldData has yet to decode,
    /// `keysPending` says `current.keys` are still to be built.
    std::vector<unsigned char> pending; ///< by field index
    std::vector<int> storedSlot;        ///< by field index: position in a Row, or -1
    bool pendingAny = false;
    bool keysPending = false;

    std::deque<Row> ahead;
    int aheadDirection = 0;
    bool aheadAtEnd = false;
    qint64 aheadAnchor = 0;
    bool aheadTailValid = false;
    Position aheadTail;
    StoreConnection::Stamp aheadStamp;
    int batchSize = kFirstBatch;

    std::vector<std::pair<QString, PictureMask>> masks;

    /// The filter's terms as one SQL condition (see compileFilter).
    bool filterCompiled = false;
    QString filterWhere; ///< empty when no term narrows
    QVariantList filterBinds;
    bool filterExact = true; ///< every term is decided by filterWhere

    struct Snapshot
    {
        bool hasCurrent;
        Position current;
        std::vector<QVariant> values;
    };

    // ---- signals ----
    bool quiet() const { return !notify || q.controlsDisabled(); }
    void emitState()
    {
        if (!quiet())
            emit q.stateChanged();
    }
    void emitRecord()
    {
        if (!quiet())
            emit q.recordChanged();
    }
    void emitData()
    {
        if (!quiet())
            emit q.dataChanged();
    }

    [[noreturn]] void failClosed() const
    {
        throw StoreError(QStringLiteral("%1: Cannot perform this operation on a closed dataset")
                             .arg(q.objectName()),
                         StoreError::kInvalidOperation);
    }
    void checkActive() const
    {
        if (q.m_state == State::Inactive)
            failClosed();
    }
    bool editing() const { return q.m_state == State::Edit || q.m_state == State::Insert; }
    /// Every change starts here: a table opened for reading only refuses it.
    void checkActiveWritable() const
    {
        checkActive();
        if (q.m_readOnly)
            throw StoreError(QStringLiteral("%1: data file %2 is open for reading only")
                                 .arg(q.objectName(), path),
                             StoreError::kInvalidOperation);
    }

    // ---- opening ----

    void openFile()
    {
        path = QDir::cleanPath(QFileInfo(q.filePath()).absoluteFilePath());
        const QString name = q.m_schema.tableName.isEmpty() ? QFileInfo(q.m_tableName).baseName()
                                                            : q.m_schema.tableName;
        conn = StoreConnection::acquire(path, q.m_schema, name,
                                        q.m_createIfMissing && !q.m_readOnly, q.m_readOnly);
        table = conn->table(name);
        const auto foreign = [&](const QString &why) {
            return StoreError(QStringLiteral("Data file %1 is not the expected table (%2); it "
                                             "belongs to another program or is damaged")
                                  .arg(path, why),
                              StoreError::kOpenFailed);
        };
        if (!table)
            throw foreign(QStringLiteral("it holds no table %1").arg(name));
        sqlTable = quoteIdentifier(table->name);

        for (const ColumnDef &c : q.m_schema.columns)
            if (!table->column(c.name))
                throw foreign(QStringLiteral("it has no field '%1'").arg(c.name));
        for (const IndexDef &i : q.m_schema.indexes) {
            const StoreConnection::Index *found =
                i.primary ? table->primary() : table->index(i.name);
            bool same = found && found->keys.size() == i.keys.size();
            for (qsizetype k = 0; same && k < i.keys.size(); ++k)
                same = found->keys.at(k).compare(i.keys.at(k), Qt::CaseInsensitive) == 0;
            if (!same)
                throw foreign(QStringLiteral("it has no index %1 on %2")
                                  .arg(i.name, i.keys.join(QStringLiteral(", "))));
        }

        storedFields.clear();
        writtenFields.clear();
        QStringList fieldColumns;
        for (const auto &f : q.m_fields) {
            if (f->isCalculated())
                continue;
            const StoreConnection::Column *c = table->column(f->fieldName());
            if (!c)
                throw StoreError(
                    QStringLiteral("Data file %1 has no field '%2'").arg(path, f->fieldName()),
                    StoreError::kOpenFailed);
            storedFields.push_back(f->index());
            if (f->dataType() != FieldType::AutoInc && !c->rowIdAlias)
                writtenFields.push_back(f->index());
        }
        calculatedFields.clear();
        for (const auto &f : q.m_fields)
            if (f->isCalculated())
                calculatedFields.push_back(f->index());
        values.assign(q.m_fields.size(), QVariant());
        selectIndex(resolveIndex(q.m_indexName));
    }

    void closeFile()
    {
        endStream();
        if (lockedRow != 0 && conn)
            conn->locks().unlock(lockedRow);
        lockedRow = 0;
        while (batchDepth > 0 && conn) {
            --batchDepth;
            try {
                conn->rollbackBatch();
            } catch (...) {
                // Closing goes on; the connection rolls back when it closes.
            }
        }
        batchDepth = 0;
        invalidate();
        conn.reset();
        table = nullptr;
        index = nullptr;
        hasCurrent = false;
        current = Position();
        values.assign(q.m_fields.size(), QVariant());
    }

    const StoreConnection::Index *resolveIndex(const QString &name) const
    {
        if (name.isEmpty())
            return table->primary();
        if (const StoreConnection::Index *i = table->index(name))
            return i;
        const IndexDef *primary = q.m_schema.primaryIndex();
        if (primary && primary->name.compare(name, Qt::CaseInsensitive) == 0)
            return table->primary();
        throw StoreError(QStringLiteral("Index %1 does not exist in data file %2").arg(name, path),
                         StoreError::kUnknownIndex);
    }

    void selectIndex(const StoreConnection::Index *i)
    {
        endStream(); // its statement reads the columns of the index being left
        index = i;
        keySlots.clear();
        for (const QString &k : i->keys) {
            int slot = -1;
            for (size_t s = 0; s < storedFields.size(); ++s)
                if (q.m_fields[size_t(storedFields[s])]->fieldName() == k)
                    slot = int(s);
            keySlots.push_back(slot);
        }
        // A key column that is also a field is read from the field's column; its own column
        // is selected as NULL, so that SQLite need not extract it twice.
        QStringList list{QStringLiteral("rowid")};
        QStringList ascending, descending;
        for (qsizetype k = 0; k < i->keys.size(); ++k) {
            const QString column = quoteIdentifier(i->keys[k]);
            list << (keySlots[size_t(k)] >= 0 ? QStringLiteral("NULL") : column);
            ascending << column;
            descending << column + QStringLiteral(" DESC");
        }
        ascending << QStringLiteral("rowid");
        descending << QStringLiteral("rowid DESC");
        storedTypes.clear();
        for (int f : storedFields) {
            list << quoteIdentifier(q.m_fields[size_t(f)]->fieldName());
            storedTypes.push_back(q.m_fields[size_t(f)]->dataType());
        }
        storedSlot.assign(q.m_fields.size(), -1);
        for (size_t s = 0; s < storedFields.size(); ++s)
            storedSlot[size_t(storedFields[s])] = int(s);
        pending.assign(q.m_fields.size(), 0);
        selectList = list.join(QStringLiteral(", "));
        orderAscending = ascending.join(QStringLiteral(", "));
        orderDescending = descending.join(QStringLiteral(", "));
        invalidate();
    }

    // ---- SQL ----

    /// Condition "after `p` in index order" (direction > 0) or "before" (< 0).
    QString positionCondition(int direction, const Position &p, QVariantList &binds) const
    {
        const QStringList &keys = index->keys;
        const qsizetype n = keys.size();
        const bool exact = direction > 0 ? !hasNull(p.keys) : index->allKeysNotNull();
        const QString op = direction > 0 ? QStringLiteral(">") : QStringLiteral("<");
        if (exact) {
            if (n == 0) {
                binds << p.rowId;
                return QStringLiteral("rowid ") + op + QStringLiteral(" ?");
            }
            QStringList cols, marks;
            for (qsizetype i = 0; i < n; ++i) {
                cols << quoteIdentifier(keys.at(i));
                marks << QStringLiteral("?");
                binds << p.keys.at(i);
            }
            cols << QStringLiteral("rowid");
            marks << QStringLiteral("?");
            binds << p.rowId;
            return u'(' + cols.join(QStringLiteral(", ")) + QStringLiteral(") ") + op +
                   QStringLiteral(" (") + marks.join(QStringLiteral(", ")) + u')';
        }

        // Spelled out with nulls first: OR over i of (k1..k(i-1) equal AND ki beyond).
        QString lead;
        const QString k0 = quoteIdentifier(keys.at(0));
        const bool p0Null = !p.keys.at(0).isValid();
        if (direction > 0 && !p0Null) {
            lead = k0 + QStringLiteral(" >= ?");
            binds << p.keys.at(0);
        } else if (direction < 0) {
            lead = p0Null ? QString(k0 + QStringLiteral(" IS NULL"))
                          : QString(u'(' + k0 + QStringLiteral(" <= ? OR ") + k0 +
                                    QStringLiteral(" IS NULL)"));
            if (!p0Null)
                binds << p.keys.at(0);
        }
        QStringList terms;
        for (qsizetype i = 0; i <= n; ++i) {
            QStringList parts;
            QVariantList termBinds;
            for (qsizetype j = 0; j < i; ++j) {
                const QString kj = quoteIdentifier(keys.at(j));
                if (!p.keys.at(j).isValid()) {
                    parts << kj + QStringLiteral(" IS NULL");
                } else {
                    parts << kj + QStringLiteral(" = ?");
                    termBinds << p.keys.at(j);
                }
            }
            if (i == n) {
                parts << QStringLiteral("rowid ") + op + QStringLiteral(" ?");
                termBinds << p.rowId;
            } else {
                const QString ki = quoteIdentifier(keys.at(i));
                const bool null = !p.keys.at(i).isValid();
                if (direction > 0) {
                    parts << (null ? ki + QStringLiteral(" IS NOT NULL")
                                   : ki + QStringLiteral(" > ?"));
                } else {
                    if (null)
                        continue; // nothing sorts before a null
                    parts << u'(' + ki + QStringLiteral(" < ? OR ") + ki +
                                 QStringLiteral(" IS NULL)");
                }
                if (!null)
                    termBinds << p.keys.at(i);
            }
            terms << u'(' + parts.join(QStringLiteral(" AND ")) + u')';
            binds << termBinds;
        }
        const QString spelled = u'(' + terms.join(QStringLiteral(" OR ")) + u')';
        return lead.isEmpty() ? spelled : lead + QStringLiteral(" AND ") + spelled;
    }

    // ---- the filter in SQL ----

    void compileFilter()
    {
        filterCompiled = true;
        filterWhere.clear();
        filterBinds.clear();
        filterExact = true;
        QStringList parts;
        for (const FilterTerm &t : q.m_filterTerms) {
            const Field *f = q.findField(t.fieldName);
            if (!f || f->isCalculated()) {
                filterExact = false;
                continue;
            }
            filtersql::Condition c =
                filtersql::forTerm(t, quoteIdentifier(f->fieldName()), f->dataType());
            if (c.push != filtersql::Push::Exact)
                filterExact = false;
            if (c.push == filtersql::Push::None)
                continue;
            parts << u'(' + c.sql + u')';
            filterBinds << c.binds;
        }
        filterWhere = parts.join(QStringLiteral(" AND "));
    }

    /// The SQL condition every record of the view meets (empty when none).
    const QString &viewWhere(QVariantList &binds)
    {
        static const QString none;
        if (!q.m_filtered || q.m_filterTerms.empty())
            return none;
        if (!filterCompiled)
            compileFilter();
        binds << filterBinds;
        return filterWhere;
    }

    /// Whether the filter needs the predicate (or calculated fields) beyond SQL.
    bool residualFilter() const
    {
        if (!q.m_filtered)
            return false;
        if (q.m_filter)
            return true;
        return !q.m_filterTerms.empty() && !(filterCompiled && filterExact);
    }

    /// The select of the rows after `from` in `direction`, with a LIMIT parameter for the
    /// caller to bind unless `toEnd`.
    QString fetchSql(int direction, const Position *from, const QString &extraWhere,
                     const QVariantList &extraBinds, QVariantList &binds, bool toEnd = false)
    {
        QStringList where;
        if (!extraWhere.isEmpty()) {
            where << extraWhere;
            binds << extraBinds;
        }
        if (const QString &view = viewWhere(binds); !view.isEmpty())
            where << view;
        if (from)
            where << positionCondition(direction, *from, binds);
        QString sql = QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + sqlTable;
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
        sql += QStringLiteral(" ORDER BY ") + (direction > 0 ? orderAscending : orderDescending);
        if (!toEnd)
            sql += QStringLiteral(" LIMIT ?");
        return sql;
    }

    Row readRow(const SqlQuery &query) const
    {
        // Values are converted to their stored form once, here; key values that are also
        // fields of this object are taken from those, so no text is decoded twice.
        Row r;
        r.rowId = query.int64(0);
        const int keyCount = int(keySlots.size());
        int column = 1 + keyCount;
        r.values.reserve(storedFields.size());
        for (size_t i = 0; i < storedFields.size(); ++i)
            r.values.push_back(columnValue(query, column++, storedTypes[i]));
        r.keys.reserve(keyCount);
        for (int k = 0; k < keyCount; ++k)
            r.keys << (keySlots[size_t(k)] >= 0 ? r.values[size_t(keySlots[size_t(k)])]
                                                : query.raw(1 + k));
        return r;
    }

    std::vector<Row> fetch(int direction, const Position *from, int limit,
                           const QString &extraWhere = QString(),
                           const QVariantList &extraBinds = QVariantList())
    {
        QVariantList binds;
        const QString sql = fetchSql(direction, from, extraWhere, extraBinds, binds);
        binds << limit;
        SqlQuery query(*conn, sql);
        query.bindAll(binds);
        std::vector<Row> rows;
        while (query.next(StoreError::kOpenFailed))
            rows.push_back(readRow(query));
        return rows;
    }

    /// Reads the rows after `from` (from the edge of the index when none) in `direction`, in
    /// batches that start at `batch` rows and grow by `growth` up to kScanBatch, and hands each
    /// to `visit` until it returns false. The filter is not applied here. Returns whether
    /// `visit` stopped the walk (false: the rows ran out).
    bool walk(int direction, std::optional<Position> from, int batch, int growth,
              const std::function<bool(Row &)> &visit, const QString &where = QString(),
              const QVariantList &binds = QVariantList())
    {
        if (batch == kToEnd) {
            // Every row is wanted: one statement, no seek per batch. `visit` runs while it
            // steps, so it must only read.
            QVariantList all;
            const QString sql =
                fetchSql(direction, from ? &*from : nullptr, where, binds, all, true);
            SqlQuery query(*conn, sql);
            query.bindAll(all);
            while (query.next(StoreError::kOpenFailed)) {
                Row r = readRow(query);
                if (!visit(r))
                    return true;
            }
            return false;
        }
        for (;;) {
            std::vector<Row> rows = fetch(direction, from ? &*from : nullptr, batch, where, binds);
            for (Row &r : rows)
                if (!visit(r))
                    return true;
            if (int(rows.size()) < batch)
                return false;
            from = Position{rows.back().rowId, rows.back().keys};
            batch = std::min(batch * growth, kScanBatch);
        }
    }

    /// The record with `rowId`; with `inView`, only when it meets the filter's SQL condition.
    std::optional<Row> fetchRow(qint64 rowId, bool inView = false)
    {
        QVariantList binds{rowId};
        QString sql = QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + sqlTable +
                      QStringLiteral(" WHERE rowid = ?");
        if (inView)
            if (const QString &view = viewWhere(binds); !view.isEmpty())
                sql += QStringLiteral(" AND ") + view;
        SqlQuery query(*conn, sql);
        query.bindAll(binds);
        if (!query.next(StoreError::kOpenFailed))
            return std::nullopt;
        return readRow(query);
    }

    // ---- record buffer ----

    void runCalcFields()
    {
        if (!q.OnCalcFields)
            return;
        const State previous = q.m_state;
        q.m_state = State::CalcFields;
        try {
            q.OnCalcFields(q);
        } catch (...) {
            q.m_state = previous;
            throw;
        }
        q.m_state = previous;
    }

    void clearCalculated()
    {
        for (int f : calculatedFields)
            values[size_t(f)] = QVariant();
    }

    void load(const Row &r)
    {
        dropPending();
        for (size_t i = 0; i < storedFields.size(); ++i) {
            const Field &f = *q.m_fields[size_t(storedFields[i])];
            values[size_t(f.index())] = r.values[i];
        }
        clearCalculated();
        current.rowId = r.rowId;
        current.keys = r.keys;
        hasCurrent = true;
        runCalcFields();
    }

    /// As load(const Row &), taking the values over instead of copying them (the row is
    /// not read again).
    void load(Row &r)
    {
        dropPending();
        for (size_t i = 0; i < storedFields.size(); ++i)
            values[size_t(q.m_fields[size_t(storedFields[i])]->index())] = std::move(r.values[i]);
        clearCalculated();
        current.rowId = r.rowId;
        current.keys = r.keys;
        hasCurrent = true;
        runCalcFields();
    }

    bool accepts() const { return !q.m_filtered || !q.m_filter || q.m_filter(q); }

    Snapshot snapshot()
    {
        settle();
        return Snapshot{hasCurrent, current, values};
    }
    void restore(Snapshot &&s)
    {
        dropPending();
        hasCurrent = s.hasCurrent;
        current = std::move(s.current);
        values = std::move(s.values);
    }

    void setEmpty()
    {
        dropPending();
        hasCurrent = false;
        current = Position();
        values.assign(q.m_fields.size(), QVariant());
        q.m_eof = q.m_bof = true;
    }

    void invalidate()
    {
        endStream();
        ahead.clear();
        aheadDirection = 0;
        aheadAtEnd = false;
        aheadTailValid = false;
        batchSize = kFirstBatch;
    }

    // ---- the walk stream ----

    void endStream()
    {
        if (!stream)
            return;
        settle();
        if (conn)
            conn->removeOpenRead(stream.get());
        stream.reset();
    }

    /// Makes the row the walk stream stands on the record in the buffer. Its values are read
    /// from the statement when asked for (see `pending`), so a walk pays for the fields it
    /// reads only.
    void loadFromStream()
    {
        for (int f : storedFields)
            pending[size_t(f)] = 1;
        pendingAny = true;
        keysPending = true;
        clearCalculated();
        current.rowId = stream->query->int64(0);
        hasCurrent = true;
        runCalcFields();
    }

    /// Reads stored field `f` of the walk's record from the stream's statement.
    void decodePending(int f)
    {
        const int slot = storedSlot[size_t(f)];
        values[size_t(f)] =
            columnValue(*stream->query, 1 + int(keySlots.size()) + slot, storedTypes[size_t(slot)]);
        pending[size_t(f)] = 0;
    }

    /// Copies stored field `f` of the walk's record, when the statement holds it as text, into
    /// `out` as the UTF-8 bytes the store keeps; the field stays pending (columnValue would
    /// decode the same bytes).
    bool pendingUtf8(int f, QByteArray &out) const
    {
        const int column = 1 + int(keySlots.size()) + storedSlot[size_t(f)];
        sqlite3_stmt *stmt = stream->query->statement();
        if (sqlite3_column_type(stmt, column) != SQLITE_TEXT)
            return false;
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        const int n = sqlite3_column_bytes(stmt, column);
        out.resize(n);
        if (n > 0)
            std::memcpy(out.data(), text, size_t(n));
        return true;
    }

    /// Whether stored field `f` of the walk's record is null, when its storage class tells
    /// without decoding the value: a null, or the class columnValue reads directly (it never
    /// gives a null for one). Empty where only the decoded value can tell.
    std::optional<bool> pendingIsNull(int f) const
    {
        const int slot = storedSlot[size_t(f)];
        const int storage =
            sqlite3_column_type(stream->query->statement(), 1 + int(keySlots.size()) + slot);
        if (storage == SQLITE_NULL)
            return true;
        switch (storedTypes[size_t(slot)]) {
        case FieldType::String:
        case FieldType::Memo:
            return storage == SQLITE_TEXT ? std::optional<bool>(false) : std::nullopt;
        case FieldType::Float:
            return storage == SQLITE_FLOAT || storage == SQLITE_INTEGER ? std::optional<bool>(false)
                                                                        : std::nullopt;
        case FieldType::Time: // a time out of range is read another way
            return std::nullopt;
        default:
            return storage == SQLITE_INTEGER ? std::optional<bool>(false) : std::nullopt;
        }
    }

    /// Stored field `f` of the walk's record as Field::asFloat gives it from the value
    /// columnValue would decode, for the storage classes columnValue reads directly; false for
    /// the others and for text fields. The field stays pending.
    bool pendingNumber(int f, double &out, bool &null) const
    {
        const int slot = storedSlot[size_t(f)];
        const int column = 1 + int(keySlots.size()) + slot;
        sqlite3_stmt *stmt = stream->query->statement();
        const int storage = sqlite3_column_type(stmt, column);
        null = storage == SQLITE_NULL;
        if (null)
            return true;
        switch (storedTypes[size_t(slot)]) {
        case FieldType::String:
        case FieldType::Memo:
            return false;
        case FieldType::Float:
            if (storage != SQLITE_FLOAT && storage != SQLITE_INTEGER)
                return false;
            out = sqlite3_column_double(stmt, column);
            return true;
        case FieldType::Boolean:
            if (storage != SQLITE_INTEGER)
                return false;
            out = sqlite3_column_int64(stmt, column) != 0 ? 1.0 : 0.0;
            return true;
        case FieldType::Time: {
            if (storage != SQLITE_INTEGER)
                return false;
            const qint64 ms = sqlite3_column_int64(stmt, column);
            if (ms < 0 || ms >= dt::kMsPerDay)
                return false;
            out = dt::fromMsOfDay(ms);
            return true;
        }
        default:
            if (storage != SQLITE_INTEGER)
                return false;
            out = static_cast<double>(sqlite3_column_int64(stmt, column));
            return true;
        }
    }

    /// Reads what is left of the walk's record from the statement (see `pending`).
    void settle()
    {
        if (!pendingAny)
            return;
        for (int f : storedFields)
            if (pending[size_t(f)])
                decodePending(f);
        if (keysPending) {
            const int keyCount = int(keySlots.size());
            if (current.keys.size() != keyCount)
                current.keys = QVariantList(keyCount);
            for (int k = 0; k < keyCount; ++k) {
                const int slot = keySlots[size_t(k)];
                current.keys[k] = slot >= 0 ? values[size_t(storedFields[size_t(slot)])]
                                            : stream->query->raw(1 + k);
            }
        }
        dropPending();
    }

    /// Forgets the walk's undecoded values: the buffer is about to take another record.
    void dropPending()
    {
        if (!pendingAny)
            return;
        std::fill(pending.begin(), pending.end(), 0);
        pendingAny = false;
        keysPending = false;
    }

    /// Whether a forward move from the current record continues the open walk stream.
    bool streamContinues(const StoreConnection::Stamp &now) const
    {
        return stream && hasCurrent && stream->anchor == current.rowId && stream->stamp == now;
    }

    /// Opens the walk stream after the current record (`from` Current) or from the start of
    /// the index (Edge).
    void openStream(From from, const StoreConnection::Stamp &now)
    {
        invalidate();
        QVariantList binds;
        const Position *after = from == From::Current ? &current : nullptr;
        const QString sql = fetchSql(+1, after, QString(), QVariantList(), binds, true);
        auto s = std::make_unique<Stream>(*this);
        s->query = std::make_unique<SqlQuery>(*conn, sql);
        s->query->bindAll(binds);
        s->anchor = hasCurrent ? current.rowId : 0;
        s->stamp = now;
        s->pagesReadBefore = conn->pagesRead();
        stream = std::move(s);
        conn->addOpenRead(stream.get());
    }

    /// The next visible record of the walk stream. False (buffer unchanged, stream ended)
    /// when the view has no more. Should reading or OnCalcFields throw, the stream ends and
    /// the buffer holds the record the move started from. The record the walk came from is
    /// not kept aside at each step: when the walk ends or fails it is read again by row id.
    bool streamStep()
    {
        const bool rejects = q.m_filtered && q.m_filter;
        const bool hadCurrent = hasCurrent;
        const qint64 cameFrom = hasCurrent ? current.rowId : 0;
        try {
            for (;;) {
                if (!stream->query->next(StoreError::kOpenFailed)) {
                    abandonStream();
                    returnTo(hadCurrent, cameFrom);
                    return false;
                }
                loadFromStream();
                if (!stream->mappedOn)
                    noteRecordCost();
                if (!rejects || accepts()) {
                    stream->anchor = current.rowId;
                    return true;
                }
            }
        } catch (...) {
            abandonStream();
            try {
                returnTo(hadCurrent, cameFrom);
            } catch (...) {
                // The error that ended the walk is the one to report.
            }
            throw;
        }
    }

    /// Counts the pages the walk's records had to read from the file, kProbeRows records at a
    /// time. When more than one record in kMappedShare needed a page of its own (client or job
    /// order of a large time log: the records of one client lie all over the file), the rest
    /// of the walk reads the file through its memory map. Records in the file's order share
    /// their pages, and a table the page cache holds reads none; a walk that begins among
    /// pages still in the cache is looked at again further on.
    void noteRecordCost()
    {
        Stream &s = *stream;
        if (++s.probed < kProbeRows)
            return;
        const qint64 now = conn->pagesRead();
        const qint64 pages = now >= s.pagesReadBefore ? now - s.pagesReadBefore : 0;
        if (pages * kMappedShare > kProbeRows && conn->beginMappedReads()) {
            s.mappedOn = conn.get();
            return;
        }
        s.probed = 0;
        s.pagesReadBefore = now;
    }

    /// Ends the walk stream without reading the rest of its record: the statement no longer
    /// stands on it (end of rows, an error).
    void abandonStream()
    {
        dropPending();
        endStream();
    }

    /// Puts back the record a failed or finished stream step started from: the record with row
    /// id `rowId`, or no record when there was none (or it is gone from the file).
    void returnTo(bool hadCurrent, qint64 rowId)
    {
        if (hadCurrent) {
            if (std::optional<Row> old = fetchRow(rowId)) {
                load(*old);
                return;
            }
        }
        hasCurrent = false;
        current = Position();
        values.assign(q.m_fields.size(), QVariant());
    }

    // ---- moving ----

    /// Moves to the next visible record in `direction` from the edge of the index, from the
    /// current record, or from position `at`. False (buffer unchanged) when there is none.
    bool scan(int direction, From from, const Position *at = nullptr)
    {
        const StoreConnection::Stamp now = conn->stamp();
        // A walk (bound controls off) moving forward reads through one statement.
        if (direction > 0 && q.controlsDisabled()) {
            if (from == From::Current && streamContinues(now))
                return streamStep();
            if (from == From::Edge || (from == From::Current && hasCurrent)) {
                openStream(from, now);
                return streamStep();
            }
        }
        endStream();
        const bool reuse = from == From::Current && hasCurrent && aheadDirection == direction &&
                           aheadAnchor == current.rowId && aheadStamp == now;
        // The common step of a loop over the table: the next row is already read and no filter
        // can reject it, so the buffer need not be saved first. Should OnCalcFields throw, the
        // record we came from is read again.
        if (reuse && !ahead.empty() && !(q.m_filtered && q.m_filter)) {
            const qint64 cameFrom = current.rowId;
            Row r = std::move(ahead.front());
            ahead.pop_front();
            try {
                load(r);
            } catch (...) {
                invalidate();
                if (std::optional<Row> old = fetchRow(cameFrom)) {
                    try {
                        load(*old);
                    } catch (...) {
                    }
                }
                throw;
            }
            aheadAnchor = r.rowId;
            return true;
        }
        Snapshot saved = snapshot();
        if (!reuse) {
            invalidate();
            aheadDirection = direction;
            aheadStamp = now;
            if (from == From::Current) {
                aheadTail = current;
                aheadTailValid = true;
            } else if (from == From::At) {
                aheadTail = *at;
                aheadTailValid = true;
            }
        }
        try {
            for (;;) {
                if (ahead.empty()) {
                    if (aheadAtEnd)
                        break;
                    std::vector<Row> rows =
                        fetch(direction, aheadTailValid ? &aheadTail : nullptr, batchSize);
                    aheadAtEnd = int(rows.size()) < batchSize;
                    batchSize = std::min(batchSize * 2, kMaxBatch);
                    if (rows.empty())
                        break;
                    aheadTail = Position{rows.back().rowId, rows.back().keys};
                    aheadTailValid = true;
                    for (Row &r : rows)
                        ahead.push_back(std::move(r));
                }
                Row r = std::move(ahead.front());
                ahead.pop_front();
                load(r);
                if (accepts()) {
                    aheadAnchor = r.rowId;
                    return true;
                }
            }
        } catch (...) {
            restore(std::move(saved));
            invalidate();
            throw;
        }
        restore(std::move(saved));
        aheadAnchor = hasCurrent ? current.rowId : 0;
        return false;
    }

    /// The record at `old` is gone or hidden: go to the one after it, else the new last one,
    /// else the view is empty.
    void reposition(const Position &old)
    {
        if (scan(+1, From::At, &old) || scan(-1, From::At, &old))
            q.m_eof = q.m_bof = false;
        else
            setEmpty();
    }

    /// Re-reads the current record; when it is gone or the filter now rejects it, moves on.
    void reloadCurrent()
    {
        settle();
        invalidate();
        if (!hasCurrent) {
            if (scan(+1, From::Edge)) {
                q.m_bof = true;
                q.m_eof = false;
            } else {
                setEmpty();
            }
            return;
        }
        const Position old = current;
        if (std::optional<Row> row = fetchRow(old.rowId, true)) {
            Snapshot saved = snapshot();
            try {
                load(*row);
                if (accepts()) {
                    q.m_eof = q.m_bof = false;
                    return;
                }
            } catch (...) {
                restore(std::move(saved));
                throw;
            }
        }
        reposition(old);
    }

    // ---- editing ----

    void endPendingEdit()
    {
        if (!editing())
            return;
        if (q.m_modified)
            q.post();
        else
            q.cancel();
    }

    StoreConnection::WriteWait writeWait() const { return {q.m_lockRetryCount, q.m_lockWaitTime}; }

    void lockRecord(qint64 rowId)
    {
        for (int attempt = 0;; ++attempt) {
            if (conn->locks().tryLock(rowId))
                return;
            if (attempt >= q.m_lockRetryCount)
                break;
            QThread::msleep(static_cast<unsigned long>(std::max(0, q.m_lockWaitTime)));
        }
        throw StoreError(QStringLiteral("Record in data file ") + path +
                             QStringLiteral(" is in use by another user"),
                         StoreError::kRecordLocked);
    }

    void unlockHeld()
    {
        if (lockedRow != 0)
            conn->locks().unlock(lockedRow);
        lockedRow = 0;
    }

    [[noreturn]] void failWrite(int rc)
    {
        const QString message = QString::fromUtf8(sqlite3_errmsg(conn->handle()));
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
            // "UNIQUE constraint failed: T.a, T.b": find the unique index on those columns.
            QStringList columns;
            for (const QString &part :
                 message.section(QStringLiteral(": "), 1).split(QStringLiteral(", ")))
                columns << part.section(u'.', -1).trimmed();
            QString name = columns.join(QStringLiteral(", "));
            for (const StoreConnection::Index &i : table->indexes) {
                if (!i.unique || i.keys.size() != columns.size())
                    continue;
                bool same = true;
                for (qsizetype k = 0; same && k < columns.size(); ++k)
                    same = i.keys.at(k).compare(columns.at(k), Qt::CaseInsensitive) == 0;
                if (same) {
                    name = i.name;
                    break;
                }
            }
            throw StoreError(QStringLiteral("Duplicate key found in index ") + name +
                                 QStringLiteral(" of data file ") + path,
                             StoreError::kKeyViolation);
        }
        if (rc == SQLITE_CONSTRAINT_NOTNULL) {
            const QString column = message.section(u'.', -1).trimmed();
            const Field *f = q.findField(column);
            throw StoreError(
                QStringLiteral("Field '%1' must have a value").arg(f ? f->displayLabel() : column),
                StoreError::kRequiredField);
        }
        conn->fail(rc, QStringLiteral("write to"), StoreError::kWriteFailed);
    }

    /// Writes the buffer as a new record or over the current one; returns its row id.
    qint64 writeRecord()
    {
        const bool inserting = q.m_state == State::Insert;
        QVariantList binds;
        for (int f : writtenFields)
            binds << values[size_t(f)];
        qint64 rowId = inserting ? 0 : current.rowId;

        WriteTransaction transaction(*conn, writeWait());
        if (inserting) {
            QStringList columns, marks;
            for (int f : writtenFields) {
                columns << quoteIdentifier(q.m_fields[size_t(f)]->fieldName());
                marks << QStringLiteral("?");
            }
            const QString sql =
                columns.isEmpty()
                    ? QString(QStringLiteral("INSERT INTO ") + sqlTable +
                              QStringLiteral(" DEFAULT VALUES"))
                    : QString(QStringLiteral("INSERT INTO ") + sqlTable + QStringLiteral(" (") +
                              columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                              marks.join(QStringLiteral(", ")) + u')');
            SqlQuery insert(*conn, sql);
            insert.bindAll(binds);
            const int rc = insert.stepRaw();
            if (rc != SQLITE_DONE)
                failWrite(rc);
            rowId = sqlite3_last_insert_rowid(conn->handle());
            // Other processes keep off the new record while it is written.
            lockRecord(rowId);
        } else if (!writtenFields.empty()) {
            QStringList sets;
            for (int f : writtenFields)
                sets << quoteIdentifier(q.m_fields[size_t(f)]->fieldName()) +
                            QStringLiteral(" = ?");
            SqlQuery update(*conn, QStringLiteral("UPDATE ") + sqlTable + QStringLiteral(" SET ") +
                                       sets.join(QStringLiteral(", ")) +
                                       QStringLiteral(" WHERE rowid = ?"));
            binds << rowId;
            update.bindAll(binds);
            const int rc = update.stepRaw();
            if (rc != SQLITE_DONE)
                failWrite(rc);
            if (sqlite3_changes(conn->handle()) == 0)
                throw StoreError(QStringLiteral("The record was deleted from data file %1 by "
                                                "another user")
                                     .arg(path),
                                 StoreError::kRecordDeleted);
        }
        try {
            transaction.commit();
        } catch (...) {
            if (inserting)
                conn->locks().unlock(rowId);
            throw;
        }
        conn->noteWrite();
        if (inserting)
            conn->locks().unlock(rowId);
        else
            unlockHeld();
        return rowId;
    }

    void checkMasks()
    {
        if (!q.m_validateWithMask)
            return;
        for (const auto &[name, mask] : masks) {
            Field &f = q.fieldByName(name);
            if (f.isNull())
                continue;
            const QString text = f.asString();
            const std::optional<QString> fitted = mask.apply(text);
            if (!fitted) {
                emit q.focusFieldRequested(&f);
                throw StoreError(QStringLiteral("Invalid input value for field '%1': it does not "
                                                "fit the picture \"%2\".  Use escape key to "
                                                "abandon changes")
                                     .arg(f.displayLabel(), mask.picture()),
                                 StoreError::kMaskMismatch);
            }
            if (*fitted != text)
                f.setAsString(*fitted); // the picture's letter case and literals
        }
    }
};

// ---- construction, fields, members ----

StoreTable::StoreTable(const QString &objectName, QObject *parent)
    : QObject(parent), d(std::make_unique<Impl>(*this))
{
    setObjectName(objectName);
}

StoreTable::~StoreTable()
{
    closeTable(false);
}

Field &StoreTable::addField(const QString &name, FieldType type, int size, FieldKind kind)
{
    if (isActive())
        throw StoreError(
            QStringLiteral("%1: Cannot add field '%2' to an open table").arg(objectName(), name),
            StoreError::kInvalidOperation);
    if (findField(name))
        throw StoreError(QStringLiteral("%1: Duplicate field name '%2'").arg(objectName(), name),
                         StoreError::kInvalidOperation);
    auto field = std::make_unique<Field>(*this, name, type, size, kind);
    field->m_index = int(m_fields.size());
    m_fields.push_back(std::move(field));
    d->values.resize(m_fields.size());
    return *m_fields.back();
}

Field *StoreTable::findField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field &StoreTable::fieldByName(const QString &name) const
{
    if (Field *f = findField(name))
        return *f;
    throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name),
                     StoreError::kInvalidOperation);
}

void StoreTable::setDatabaseName(const QString &folder)
{
    if (isActive())
        throw StoreError(
            QStringLiteral("%1: Cannot change the folder of an open table").arg(objectName()),
            StoreError::kInvalidOperation);
    m_databaseName = folder;
}

void StoreTable::setTableName(const QString &fileName)
{
    if (isActive())
        throw StoreError(
            QStringLiteral("%1: Cannot change the file of an open table").arg(objectName()),
            StoreError::kInvalidOperation);
    m_tableName = fileName;
}

QString StoreTable::filePath() const
{
    return m_databaseName.isEmpty() ? m_tableName : QDir(m_databaseName).filePath(m_tableName);
}

void StoreTable::addPictureMask(const QString &fieldName, const QString &mask)
{
    d->masks.emplace_back(fieldName, PictureMask(mask));
}

QString StoreTable::stateName() const
{
    switch (m_state) {
    case State::Inactive:
        return QStringLiteral("Inactive");
    case State::Browse:
        return QStringLiteral("Browse");
    case State::Edit:
        return QStringLiteral("Edit");
    case State::Insert:
        return QStringLiteral("Insert");
    case State::CalcFields:
        return QStringLiteral("CalcFields");
    }
    return QString();
}

// ---- opening and closing ----

void StoreTable::setActive(bool on)
{
    if (on)
        open();
    else
        close();
}

void StoreTable::open()
{
    if (isActive())
        return;
    if (BeforeOpen)
        BeforeOpen(*this);
    try {
        d->openFile();
        m_state = State::Browse;
        m_modified = false;
        if (d->scan(+1, From::Edge)) {
            m_bof = true;
            m_eof = false;
        } else {
            d->setEmpty();
        }
    } catch (...) {
        d->closeFile();
        m_state = State::Inactive;
        m_eof = m_bof = true;
        throw;
    }
    d->emitState();
    d->emitData();
    if (AfterOpen)
        AfterOpen(*this);
}

void StoreTable::close()
{
    closeTable(true);
}

void StoreTable::closeTable(bool notify)
{
    if (!isActive())
        return;
    d->closeFile();
    m_state = State::Inactive;
    m_modified = false;
    m_eof = m_bof = true;
    if (notify)
        d->emitState();
}

// ---- index ----

void StoreTable::setIndexName(const QString &name)
{
    if (!isActive()) {
        m_indexName = name;
        return;
    }
    const StoreConnection::Index *index = d->resolveIndex(name);
    d->endPendingEdit();
    m_indexName = name;
    d->selectIndex(index);
    if (d->hasCurrent) {
        // The same record, with its key in the new index; when it is gone, the first one.
        if (std::optional<Row> row = d->fetchRow(d->current.rowId))
            d->current.keys = row->keys;
        else
            d->hasCurrent = false;
    }
    d->reloadCurrent();
    d->emitData();
    d->emitRecord();
}

QStringList StoreTable::indexFieldNames() const
{
    if (d->index)
        return d->index->keys;
    for (const IndexDef &i : m_schema.indexes)
        if ((m_indexName.isEmpty() && i.primary) ||
            (!m_indexName.isEmpty() && i.name.compare(m_indexName, Qt::CaseInsensitive) == 0))
            return i.keys;
    return QStringList();
}

// ---- moving ----

void StoreTable::first()
{
    d->checkActive();
    d->endPendingEdit();
    if (d->scan(+1, From::Edge)) {
        m_bof = true;
        m_eof = false;
    } else {
        d->setEmpty();
    }
    d->emitRecord();
}

void StoreTable::last()
{
    d->checkActive();
    d->endPendingEdit();
    if (d->scan(-1, From::Edge))
        m_bof = m_eof = false;
    else
        d->setEmpty();
    d->emitRecord();
}

void StoreTable::next()
{
    d->checkActive();
    d->endPendingEdit();
    if (!d->hasCurrent) {
        m_eof = m_bof = true;
        return;
    }
    if (d->scan(+1, From::Current)) {
        m_bof = m_eof = false;
        d->emitRecord();
    } else {
        m_eof = true;
        m_bof = false;
    }
}

void StoreTable::prior()
{
    d->checkActive();
    d->endPendingEdit();
    if (!d->hasCurrent) {
        m_eof = m_bof = true;
        return;
    }
    if (d->scan(-1, From::Current)) {
        m_bof = m_eof = false;
        d->emitRecord();
    } else {
        m_bof = true;
        m_eof = false;
    }
}

bool StoreTable::isEmpty() const
{
    if (m_state == State::Inactive)
        return true;
    if (m_state == State::Insert)
        return false;
    return !d->hasCurrent;
}

void StoreTable::refresh()
{
    d->checkActive();
    d->endPendingEdit();
    d->reloadCurrent();
    d->emitData();
    d->emitRecord();
}

// ---- editing ----

void StoreTable::insert()
{
    d->checkActiveWritable();
    d->endPendingEdit();
    d->settle(); // the keys of the record the insert started from, for cancel()
    m_state = State::Insert;
    m_modified = false;
    d->values.assign(m_fields.size(), QVariant());
    d->emitState();
    d->emitRecord();
    if (OnNewRecord) {
        try {
            OnNewRecord(*this);
        } catch (...) {
            m_state = State::Browse;
            m_modified = false;
            d->reloadCurrent();
            d->emitState();
            d->emitRecord();
            throw;
        }
    }
    // Values OnNewRecord put in are defaults, not the user's changes: an insert left alone
    // is cancelled, not posted, by the pending-edit rule.
    m_modified = false;
}

void StoreTable::edit()
{
    d->checkActiveWritable();
    if (d->editing())
        return;
    if (!d->hasCurrent) {
        insert();
        return;
    }
    d->settle();
    const Position old = d->current;
    d->lockRecord(old.rowId);
    d->lockedRow = old.rowId;
    std::optional<Row> row;
    try {
        row = d->fetchRow(old.rowId);
    } catch (...) {
        d->unlockHeld();
        throw;
    }
    if (!row) {
        d->unlockHeld();
        d->invalidate();
        d->reposition(old);
        d->emitData();
        d->emitRecord();
        throw StoreError(
            QStringLiteral("The record was deleted from data file %1 by another user").arg(d->path),
            StoreError::kRecordDeleted);
    }
    try {
        d->load(*row);
    } catch (...) {
        d->unlockHeld();
        throw;
    }
    d->invalidate();
    m_state = State::Edit;
    m_modified = false;
    d->emitState();
    d->emitRecord();
}

void StoreTable::post()
{
    d->checkActive();
    if (!d->editing())
        throw StoreError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(objectName()),
                         StoreError::kInvalidOperation);
    emit updateRecord();

    for (const auto &f : m_fields) {
        if (f->isRequired() && !f->isReadOnly() && !f->isCalculated() && f->isNull()) {
            emit focusFieldRequested(f.get());
            throw StoreError(QStringLiteral("Field '%1' must have a value").arg(f->displayLabel()),
                             StoreError::kRequiredField);
        }
    }
    if (BeforePost)
        BeforePost(*this);
    if (!d->editing())
        return; // BeforePost ended the edit itself
    d->checkMasks();

    const qint64 rowId = d->writeRecord();

    m_state = State::Browse;
    m_modified = false;
    d->invalidate();
    if (std::optional<Row> row = d->fetchRow(rowId))
        d->load(*row);
    m_eof = m_bof = false;
    d->emitState();
    d->emitData();
    d->emitRecord();
    if (AfterPost)
        AfterPost(*this);
}

void StoreTable::cancel()
{
    if (!d->editing())
        return;
    const bool inserting = m_state == State::Insert;
    d->unlockHeld();
    m_state = State::Browse;
    m_modified = false;
    d->reloadCurrent();
    d->emitState();
    if (inserting)
        d->emitData();
    d->emitRecord();
    if (AfterCancel)
        AfterCancel(*this);
}

void StoreTable::deleteRecord()
{
    d->checkActiveWritable();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (!d->hasCurrent)
        throw StoreError(QStringLiteral("Cannot perform this operation on an empty dataset"),
                         StoreError::kEmptyDataset);
    const bool wasEditing = m_state == State::Edit;
    d->settle();
    const Position old = d->current;
    if (!wasEditing) {
        d->lockRecord(old.rowId);
        d->lockedRow = old.rowId;
    }
    try {
        WriteTransaction transaction(*d->conn, d->writeWait());
        SqlQuery remove(*d->conn, QStringLiteral("DELETE FROM ") + d->sqlTable +
                                      QStringLiteral(" WHERE rowid = ?"));
        remove.bind(1, old.rowId);
        const int rc = remove.stepRaw();
        if (rc != SQLITE_DONE)
            d->failWrite(rc);
        transaction.commit();
    } catch (...) {
        if (!wasEditing)
            d->unlockHeld();
        throw;
    }
    d->conn->noteWrite();
    d->unlockHeld();
    m_state = State::Browse;
    m_modified = false;
    d->hasCurrent = false;
    d->invalidate();
    d->reposition(old);
    if (wasEditing)
        d->emitState();
    d->emitData();
    d->emitRecord();
}

// ---- find, bookmarks, controls, filter ----

bool StoreTable::findKey(const QVariantList &values)
{
    d->checkActive();
    const QStringList keys = d->index->keys;
    if (values.isEmpty() || values.size() > keys.size() || values.size() > kMaxFindValues)
        throw StoreError(
            QStringLiteral("%1: a search in index %2 takes 1 to %3 values, not %4")
                .arg(objectName(), m_indexName.isEmpty() ? QStringLiteral("primary") : m_indexName)
                .arg(std::min<qsizetype>(keys.size(), kMaxFindValues))
                .arg(values.size()),
            StoreError::kInvalidOperation);
    d->endPendingEdit();

    // The values take the form a write to the key field would give them.
    QStringList conditions;
    QVariantList binds;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString &key = keys.at(i);
        QVariant stored = values.at(i);
        if (const Field *f = findField(key); f && !f->isCalculated())
            stored = fieldvalue::fromVariant(f->dataType(), f->size(), stored, f->displayLabel());
        else if (const ColumnDef *c = m_schema.column(key))
            stored = fieldvalue::fromVariant(c->type, c->size, stored, c->name);
        if (!stored.isValid()) {
            conditions << quoteIdentifier(key) + QStringLiteral(" IS NULL");
        } else {
            conditions << quoteIdentifier(key) + QStringLiteral(" = ?");
            binds << stored;
        }
    }
    const QString where = conditions.join(QStringLiteral(" AND "));

    Impl::Snapshot saved = d->snapshot();
    try {
        // Usually the first match is the answer: without a filter it always is; with one, start
        // small and grow while the filter rejects.
        const int firstLimit = d->residualFilter() ? kFirstFindBatch : 1;
        const bool found = d->walk(
            +1, std::nullopt, firstLimit, 8,
            [this](Row &r) {
                d->load(r);
                return !d->accepts();
            },
            where, binds);
        if (found) {
            d->invalidate();
            m_eof = m_bof = false;
            d->emitRecord();
            return true;
        }
    } catch (...) {
        d->restore(std::move(saved));
        throw;
    }
    d->restore(std::move(saved));
    return false;
}

StoreTable::Bookmark StoreTable::getBookmark() const
{
    return currentRowId();
}

void StoreTable::gotoBookmark(Bookmark b)
{
    d->checkActive();
    d->endPendingEdit();
    std::optional<Row> row;
    if (b > 0)
        row = d->fetchRow(b);
    if (!row)
        throw StoreError(
            QStringLiteral("The bookmarked record no longer exists in data file %1").arg(d->path),
            StoreError::kRecordDeleted);
    d->load(*row);
    d->invalidate();
    m_eof = m_bof = false;
    d->emitRecord();
}

void StoreTable::freeBookmark(Bookmark)
{
    // Bookmarks are row ids; nothing is held for them.
}

bool StoreTable::bookmarkValid(Bookmark b) const
{
    if (!isActive() || b <= 0)
        return false;
    SqlQuery query(*d->conn, QStringLiteral("SELECT 1 FROM ") + d->sqlTable +
                                 QStringLiteral(" WHERE rowid = ?"));
    query.bind(1, b);
    return query.next(StoreError::kOpenFailed);
}

void StoreTable::disableControls()
{
    ++m_disableCount;
}

void StoreTable::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    // The walk is over: its statement must not keep the file's snapshot.
    d->endStream();
    if (d->notify)
        emit dataChanged();
}

void StoreTable::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    if (isActive())
        d->endPendingEdit();
    m_filtered = on;
    if (isActive()) {
        d->reloadCurrent();
        d->emitData();
        d->emitRecord();
    }
}

void StoreTable::setFilter(Predicate predicate)
{
    setFilter(std::move(predicate), {});
}

void StoreTable::setFilter(Predicate rest, std::vector<FilterTerm> terms)
{
    if (isActive())
        d->endPendingEdit();
    m_filter = std::move(rest);
    m_filterTerms = std::move(terms);
    d->compileFilter();
    if (isActive() && m_filtered) {
        d->reloadCurrent();
        d->emitData();
        d->emitRecord();
    }
}

// ---- batches ----

void StoreTable::beginBatch()
{
    d->checkActiveWritable();
    d->conn->beginBatch(d->writeWait());
    ++d->batchDepth;
}

void StoreTable::checkFileUnchanged() const
{
    if (d->conn)
        d->conn->checkUnchanged();
}

void StoreTable::commitBatch()
{
    d->checkActive();
    if (d->batchDepth == 0)
        throw StoreError(QStringLiteral("%1: no batch was begun").arg(objectName()),
                         StoreError::kInvalidOperation);
    d->conn->commitBatch();
    --d->batchDepth;
}

void StoreTable::rollbackBatch()
{
    d->checkActive();
    if (d->batchDepth == 0)
        throw StoreError(QStringLiteral("%1: no batch was begun").arg(objectName()),
                         StoreError::kInvalidOperation);
    --d->batchDepth;
    d->conn->rollbackBatch();
    d->invalidate();
}

// ---- totals and positions ----

double StoreTable::sumOfField(const QString &fieldName)
{
    d->checkActive();
    const Field &field = fieldByName(fieldName);
    if (!d->residualFilter() && !field.isCalculated()) {
        QVariantList binds;
        QString sql = QStringLiteral("SELECT total(") + quoteIdentifier(field.fieldName()) +
                      QStringLiteral(") FROM ") + d->sqlTable;
        if (const QString &view = d->viewWhere(binds); !view.isEmpty())
            sql += QStringLiteral(" WHERE ") + view;
        SqlQuery total(*d->conn, sql);
        total.bindAll(binds);
        return total.next(StoreError::kOpenFailed) ? total.real(0) : 0.0;
    }
    double sum = 0.0;
    Impl::Snapshot saved = d->snapshot();
    try {
        d->walk(+1, std::nullopt, kToEnd, 1, [&](Row &r) {
            d->load(r);
            if (d->accepts())
                sum += field.asFloat();
            return true;
        });
    } catch (...) {
        d->restore(std::move(saved));
        throw;
    }
    d->restore(std::move(saved));
    return sum;
}

bool FilterTerm::sameValue(FieldType type, double a, double b)
{
    if (type == FieldType::Time)
        return std::fabs(a - b) < 0.5 / 86'400.0; // within half a second
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}

bool StoreTable::decidesExactly(const FilterTerm &term) const
{
    const Field *f = findField(term.fieldName);
    if (!f || f->isCalculated())
        return false;
    return filtersql::forTerm(term, quoteIdentifier(f->fieldName()), f->dataType()).push ==
           filtersql::Push::Exact;
}

qint64 StoreTable::currentRowId() const
{
    if (m_state == State::Inactive || m_state == State::Insert || !d->hasCurrent)
        return 0;
    return d->current.rowId;
}

QString StoreTable::moveQueryPlan()
{
    d->checkActive();
    Position p;
    p.rowId = 1;
    for (qsizetype i = 0; i < d->index->keys.size(); ++i)
        p.keys << QVariant(qint64(0));
    QVariantList binds;
    const QString sql =
        QStringLiteral("EXPLAIN QUERY PLAN ") + d->fetchSql(+1, &p, QString(), {}, binds);
    binds << kFirstBatch;
    SqlQuery plan(*d->conn, sql);
    plan.bindAll(binds);
    QStringList lines;
    while (plan.next(StoreError::kOpenFailed))
        lines << plan.text(3);
    return lines.join(u'\n');
}

// ---- reading the view without moving the cursor ----
//
// Grids read the records around what they show through these, on the table object itself, so
// that the filter predicate and OnCalcFields see the record in the buffer as they always do.
// Like sumOfField they load candidates into the buffer and put the buffer back; they never
// touch the read-ahead batch of the cursor or end a pending edit.

StoreTable::ViewKey StoreTable::currentViewKey() const
{
    if (m_state == State::Inactive || m_state == State::Insert || !d->hasCurrent)
        return ViewKey();
    d->settle();
    return ViewKey{d->current.rowId, d->current.keys};
}

int StoreTable::readView(int direction, const ViewKey *from, int limit,
                         const std::function<bool(const ViewKey &)> &visit)
{
    d->checkActive();
    if (limit <= 0)
        return 0;
    const int dir = direction < 0 ? -1 : +1;
    std::optional<Position> tail;
    if (from)
        tail = Position{from->rowId, from->keys};
    int visited = 0;
    Impl::Snapshot saved = d->snapshot();
    try {
        // Without a filter each fetched row is visited: fetch what was asked for. With one,
        // start with that and grow while the filter rejects rows.
        const int batch = limit == kToEnd ? kToEnd : std::clamp(limit, kFirstBatch, kScanBatch);
        d->walk(dir, tail, batch, 4, [&](Row &r) {
            d->load(r);
            if (!d->accepts())
                return true;
            ++visited;
            return visit(ViewKey{r.rowId, r.keys}) && visited < limit;
        });
    } catch (...) {
        d->restore(std::move(saved));
        throw;
    }
    d->restore(std::move(saved));
    return visited;
}

qint64 StoreTable::countView(const ViewKey *before)
{
    d->checkActive();
    if (!d->residualFilter()) {
        QVariantList binds;
        QStringList where;
        if (const QString &view = d->viewWhere(binds); !view.isEmpty())
            where << view;
        if (before) {
            const Position p{before->rowId, before->keys};
            where << d->positionCondition(-1, p, binds);
        }
        QString sql = QStringLiteral("SELECT count(*) FROM ") + d->sqlTable;
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
        SqlQuery count(*d->conn, sql);
        count.bindAll(binds);
        return count.next(StoreError::kOpenFailed) ? count.int64(0) : 0;
    }
    qint64 n = 0;
    if (before) {
        // Counting backwards from the record is the same work and needs no end test.
        readView(-1, before, std::numeric_limits<int>::max(), [&](const ViewKey &) {
            ++n;
            return true;
        });
    } else {
        readView(+1, nullptr, std::numeric_limits<int>::max(), [&](const ViewKey &) {
            ++n;
            return true;
        });
    }
    return n;
}

std::optional<StoreTable::ViewKey> StoreTable::viewKeyAt(qint64 n)
{
    d->checkActive();
    if (n < 0)
        return std::nullopt;
    if (!d->residualFilter()) {
        QStringList columns{QStringLiteral("rowid")};
        for (const QString &k : d->index->keys)
            columns << quoteIdentifier(k);
        QVariantList binds;
        QString sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                      QStringLiteral(" FROM ") + d->sqlTable;
        if (const QString &view = d->viewWhere(binds); !view.isEmpty())
            sql += QStringLiteral(" WHERE ") + view;
        sql +=
            QStringLiteral(" ORDER BY ") + d->orderAscending + QStringLiteral(" LIMIT 1 OFFSET ?");
        binds << n;
        SqlQuery query(*d->conn, sql);
        query.bindAll(binds);
        if (!query.next(StoreError::kOpenFailed))
            return std::nullopt;
        ViewKey key;
        key.rowId = query.int64(0);
        for (qsizetype i = 0; i < d->index->keys.size(); ++i)
            key.keys << query.raw(int(i) + 1);
        return key;
    }
    std::optional<ViewKey> found;
    qint64 i = 0;
    readView(+1, nullptr, std::numeric_limits<int>::max(), [&](const ViewKey &k) {
        if (i++ < n)
            return true;
        found = k;
        return false;
    });
    return found;
}

// ---- field access (Field) ----

const QVariant &StoreTable::fieldData(int index) const
{
    static const QVariant null;
    if (index < 0 || size_t(index) >= d->values.size())
        return null;
    if (d->pendingAny && d->pending[size_t(index)])
        d->decodePending(index);
    return d->values[size_t(index)];
}

bool StoreTable::fieldIsNull(int index) const
{
    if (index >= 0 && size_t(index) < d->values.size() && d->pendingAny &&
        d->pending[size_t(index)]) {
        if (const std::optional<bool> null = d->pendingIsNull(index))
            return *null;
    }
    return !fieldData(index).isValid();
}

bool StoreTable::fieldNumber(int index, double &out, bool &null) const
{
    if (index < 0 || size_t(index) >= d->values.size() || !d->pendingAny ||
        !d->pending[size_t(index)])
        return false;
    return d->pendingNumber(index, out, null);
}

bool StoreTable::fieldUtf8(int index, QByteArray &out) const
{
    if (index < 0 || size_t(index) >= d->values.size() || !d->pendingAny ||
        !d->pending[size_t(index)])
        return false;
    return d->pendingUtf8(index, out);
}

void StoreTable::checkWritable(const Field &field) const
{
    if (m_state == State::Inactive)
        d->failClosed();
    if (field.isReadOnly())
        throw StoreError(QStringLiteral("Field '%1' cannot be modified").arg(field.displayLabel()),
                         StoreError::kInvalidOperation);
    const bool writable =
        field.isCalculated() ? (d->editing() || m_state == State::CalcFields) : d->editing();
    if (!writable)
        throw StoreError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(objectName()),
                         StoreError::kInvalidOperation);
}

void StoreTable::setFieldData(Field &field, const QVariant &stored)
{
    checkWritable(field);
    d->values[size_t(field.index())] = stored;
    if (!field.isCalculated()) {
        m_modified = true;
        if (OnCalcFields) { // calculated fields follow the record as it is typed
            d->clearCalculated();
            d->runCalcFields();
        }
    }
    // Values OnCalcFields computes are part of loading a record, not changes to announce.
    if (m_state != State::CalcFields && !d->quiet())
        emit fieldChanged(&field);
}

void StoreTable::notifyLayoutChanged()
{
    if (isActive())
        d->emitData();
}

} // namespace kv
