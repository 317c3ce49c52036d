// StoreTable: one open cursor over one table file of the table store, with its own index,
// state, filter, field objects and event rules.
#pragma once

#include "Field.h"
#include "StoreError.h"
#include "TableSchema.h"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kv {

class StoreConnection;

/// One criterion of a record filter in a form the store can read: a field, a match kind, the
/// values or bounds, the letter-case flag and the negation. Values are typed as the criteria
/// engine compares them: text as typed, dates, times, numbers and Booleans as numbers (the
/// date-time value; 0/1). The match is the criteria engine's: non-text fields compare whole, by
/// value (times within half a second, numbers within a relative 1e-9); a null number or Boolean
/// reads as 0, a null date or time matches only a null operand; a null text reads as "".
struct FilterTerm
{
    enum class Match { Start, Anywhere, Whole, End, Range };
    struct Operand
    {
        bool isNull = false;
        QString text;
        double number = 0;
    };
    QString fieldName;
    Match match = Match::Start;
    bool caseSensitive = false;
    bool negate = false;                     ///< not used with ranges
    std::vector<std::vector<Operand>> anyOf; ///< or of ands (every match but Range)
    bool hasLower = false, hasUpper = false; ///< Range
    Operand lower, upper;

    /// Whether two values of a field of `type` are the same value for a filter.
    static bool sameValue(FieldType type, double a, double b);
};

/// A table component: a keyset cursor over one SQLite-backed table file.
///
/// Errors are reported by throwing StoreError (see StoreError.h for the codes). Every
/// operation that the system uses is here; SQL never leaves the store.
class StoreTable : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert, CalcFields };
    using Event = std::function<void(StoreTable &)>;
    using Predicate = std::function<bool(const StoreTable &)>;
    using Bookmark = qint64; ///< row id of a record; 0 is no bookmark

    explicit StoreTable(const QString &objectName, QObject *parent = nullptr);
    ~StoreTable() override;

    // ---- fields (declared before the table opens, in declaration order) ----
    Field &addField(const QString &name, FieldType type, int size = 0,
                    FieldKind kind = FieldKind::Stored);
    Field *findField(const QString &name) const;
    Field &fieldByName(const QString &name) const; ///< throws StoreError when there is none
    const std::vector<std::unique_ptr<Field>> &fields() const { return m_fields; }

    // ---- members ----
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &folder);
    QString tableName() const { return m_tableName; }
    void setTableName(const QString &fileName);
    /// Schema used to create the file when it is missing (see setCreateIfMissing) and to
    /// check an existing file at open.
    void setSchema(const TableSchema &schema) { m_schema = schema; }
    const TableSchema &schema() const { return m_schema; }
    void setCreateIfMissing(bool on) { m_createIfMissing = on; }
    /// Opens the file for reading only (set before open): a missing file is never created, no
    /// file is made beside it, and insert, edit, delete and batches throw StoreError
    /// (kInvalidOperation). See StoreConnection::acquire.
    void setReadOnly(bool on) { m_readOnly = on; }
    bool isReadOnly() const { return m_readOnly; }
    /// For a read-only table: throws StoreError (kOpenFailed) when another process changed a file
    /// that is read without SQLite's locks since it was opened. A reader calls it after its last
    /// read, so that its result never mixes two states of the file.
    void checkFileUnchanged() const;
    QString filePath() const;

    bool isActive() const { return m_state != State::Inactive; }
    void setActive(bool on);
    void open();
    void close();

    State state() const { return m_state; }
    QString stateName() const; ///< "Inactive", "Browse", "Edit", "Insert", "CalcFields"
    bool isModified() const { return m_modified; }

    QString indexName() const { return m_indexName; }
    void setIndexName(const QString &name);
    /// Key field names of the current index.
    QStringList indexFieldNames() const;

    int lockRetryCount() const { return m_lockRetryCount; }
    void setLockRetryCount(int n) { m_lockRetryCount = n; }
    int lockWaitTime() const { return m_lockWaitTime; }
    void setLockWaitTime(int ms) { m_lockWaitTime = ms; }
    bool validateWithMask() const { return m_validateWithMask; }
    void setValidateWithMask(bool on) { m_validateWithMask = on; }
    /// Picture masks checked at post when validateWithMask is on.
    void addPictureMask(const QString &fieldName, const QString &mask);

    // ---- events ----
    Event BeforeOpen, AfterOpen, OnNewRecord, BeforePost, AfterPost, AfterCancel, OnCalcFields;

    // ---- moving ----
    // Moves end a pending edit first (a modified record is posted, an unmodified one
    // cancelled) and skip records the filter rejects.
    void first();
    void prior();
    void next();
    void last();
    /// True after next() from the last visible record, and while no record is visible.
    bool eof() const { return m_eof; }
    /// True after first(), after prior() from the first visible record, and while no record is
    /// visible.
    bool bof() const { return m_bof; }
    /// No visible record (a record being inserted counts as one).
    bool isEmpty() const;
    /// Re-reads the file: records posted through other table objects or by other processes
    /// become visible; the cursor stays on its record while it exists and is visible, else it
    /// goes to the following one (or the last).
    void refresh();

    // ---- editing ----
    void insert();
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    // ---- find, bookmarks, controls, filter ----
    bool findKey(const QVariantList &values);
    Bookmark getBookmark() const;
    void gotoBookmark(Bookmark b);
    void freeBookmark(Bookmark b);
    bool bookmarkValid(Bookmark b) const;
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    bool isFiltered() const { return m_filtered; }
    void setFiltered(bool on);
    void setFilter(Predicate predicate); ///< takes effect while filtered is on
    /// A filter the store reads: a record is visible when it meets every term and `rest` (when
    /// given). The store turns each term into SQL as far as it can, so the indexes find the
    /// records; `rest` must check every term for which decidesExactly() is false.
    void setFilter(Predicate rest, std::vector<FilterTerm> terms);
    const std::vector<FilterTerm> &filterTerms() const { return m_filterTerms; }
    /// Whether the store decides `term` exactly by itself (the rest predicate need not check
    /// it). The fields must be declared.
    bool decidesExactly(const FilterTerm &term) const;
    const Predicate &filter() const { return m_filter; }

    // ---- batches ----
    /// Posts between begin and commit run in one store transaction on this table's file
    /// (loops of posts: migration, cascades, conversion). Rolls back when the guard dies
    /// without commit.
    void beginBatch();
    void commitBatch();
    void rollbackBatch();

    /// Sum of a float field over the current view (order of visiting is the store's).
    double sumOfField(const QString &fieldName);

    /// Row id of the current record (0 when none or inserting).
    qint64 currentRowId() const;

    /// SQLite's query plan of a forward move in the current index (diagnostics and tests).
    QString moveQueryPlan();

    // ---- reading the view without moving the cursor (grids) ----
    /// A place in the current index: the key values a record has in it, and its row id.
    struct ViewKey
    {
        qint64 rowId = 0;
        QVariantList keys;
    };
    /// The current record's place; rowId 0 while there is none or a record is being inserted.
    ViewKey currentViewKey() const;
    /// Visits up to `limit` visible records after (`direction` > 0) or before (< 0) `from` in
    /// index order, or from the start (end) of the index when `from` is null. While `visit` runs
    /// the visited record is in the record buffer: its fields read as usual, calculated fields
    /// computed. `visit` returns false to stop. The cursor, the state, a pending edit and the
    /// record buffer are as before afterwards, also when `visit` throws. Returns the number of
    /// records visited. Throws StoreError when the file cannot be read.
    int readView(int direction, const ViewKey *from, int limit,
                 const std::function<bool(const ViewKey &)> &visit);
    /// Number of visible records, or of those before `before` when given. Without a filter the
    /// index counts them; with one every record is read and tested.
    qint64 countView(const ViewKey *before = nullptr);
    /// Place of the visible record with 0-based number `n` in index order; none beyond the end.
    std::optional<ViewKey> viewKeyAt(qint64 n);

signals:
    void stateChanged();  ///< state went browse/edit/insert/inactive
    void recordChanged(); ///< the cursor moved or the current record was re-read
    void fieldChanged(kv::Field *field);
    void dataChanged(); ///< the view changed (post, delete, refresh, index, filter)
    /// Emitted at the start of post(): a bound widget being edited hands its value over now.
    void updateRecord();
    /// A check of post() failed on this field: the widget bound to it should take the focus.
    void focusFieldRequested(kv::Field *field);

private:
    friend class Field;
    const QVariant &fieldData(int index) const;
    bool fieldUtf8(int index, QByteArray &out) const;           ///< see Field::readUtf8
    bool fieldNumber(int index, double &out, bool &null) const; ///< see Field::readNumber
    /// Whether the field is null; a field a walk has yet to read is told by its storage class
    /// where that settles it, without decoding the value.
    bool fieldIsNull(int index) const;
    void checkWritable(const Field &field) const;
    void setFieldData(Field &field, const QVariant &stored);
    void notifyLayoutChanged();
    void closeTable(bool notify);

    struct Impl;
    std::unique_ptr<Impl> d;

    std::vector<std::unique_ptr<Field>> m_fields;
    QString m_databaseName;
    QString m_tableName;
    TableSchema m_schema;
    bool m_createIfMissing = false;
    bool m_readOnly = false;
    State m_state = State::Inactive;
    bool m_modified = false;
    QString m_indexName;
    int m_lockRetryCount = 15;
    int m_lockWaitTime = 100;
    bool m_validateWithMask = true;
    bool m_eof = true;
    bool m_bof = true;
    bool m_filtered = false;
    Predicate m_filter;
    std::vector<FilterTerm> m_filterTerms;
    int m_disableCount = 0;
};

/// Data source: binds widgets to a table; with autoEdit off, typing into a bound widget in
/// browse state changes nothing.
class DataSource : public QObject
{
    Q_OBJECT
public:
    DataSource(const QString &objectName, StoreTable *table, bool autoEdit,
               QObject *parent = nullptr)
        : QObject(parent), m_table(table), m_autoEdit(autoEdit)
    {
        setObjectName(objectName);
    }
    StoreTable *dataSet() const { return m_table; }
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }

private:
    StoreTable *m_table;
    bool m_autoEdit;
};

} // namespace kv
