// StoreConnection: this process's one SQLite connection to one table file, shared by every
// StoreTable over that file. It opens and checks the file (or creates it from a schema),
// describes its table and indexes, runs transactions and batches, caches prepared statements,
// tells when the file changed, and owns the file's record locks. A connection opened for reading
// only creates no file at all (no table file, no lock file, no log) and refuses every write.
#pragma once

#include "RecordLockFile.h"
#include "TableSchema.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kv {

/// Shared connection to one table file. Obtain it with acquire(); it closes when the last
/// StoreTable over the file lets go of it.
///
/// Errors are reported by throwing StoreError; every message names the table file.
class StoreConnection
{
public:
    /// Marks a database file as one of ours (PRAGMA application_id), "KVST".
    static constexpr int kApplicationId = 0x4B565354;
    /// Layout version of our files (PRAGMA user_version).
    static constexpr int kSchemaVersion = 1;
    /// Row-id column added to tables whose schema has no auto-increment field, so that row
    /// ids (bookmarks, lock bytes) are never handed out twice.
    static constexpr const char *kHiddenRowIdColumn = "kv_rowid";

    struct Column
    {
        QString name;
        QString declaredType;
        bool notNull = false;
        bool rowIdAlias = false; ///< INTEGER PRIMARY KEY: the column is the row id
    };
    struct Index
    {
        QString name;
        QStringList keys;
        QList<bool> keyNotNull; ///< per key: the file refuses nulls in that column
        bool unique = false;
        bool primary = false;
        bool allKeysNotNull() const { return !keyNotNull.contains(false); }
    };
    struct Table
    {
        QString name;
        QList<Column> columns;
        QList<Index> indexes; ///< the primary index first
        const Column *column(const QString &name) const;
        const Index *index(const QString &name) const;
        const Index *primary() const { return &indexes.front(); }
    };
    /// Changes to the file: equal stamps mean no commit happened in between, by this process
    /// or another one. Commits of other processes are looked for at most every
    /// kForeignCheckMs (a loop of moves does not pay a file-system round trip per record);
    /// inside a batch they cannot happen.
    struct Stamp
    {
        qint64 dataVersion = -1;
        quint64 writes = 0;
        bool operator==(const Stamp &) const = default;
    };

    /// The connection to `filePath`, opened when this process has none. A missing file is
    /// created from `schema` when `createIfMissing` is on; an existing file is never replaced.
    ///
    /// With `readOnly` the file is opened for reading only (SQLITE_OPEN_READONLY), which also
    /// works in a folder nobody may write: a missing file throws (kOpenFailed), and no file is
    /// created beside it, neither the lock file nor the write-ahead log or its index. A
    /// read-write connection this process already has over the file serves a read-only request.
    /// A file whose write-ahead log holds changes that cannot be read without creating the log's
    /// index throws rather than show the file without them.
    static std::shared_ptr<StoreConnection> acquire(const QString &filePath,
                                                    const TableSchema &schema,
                                                    const QString &sqlTable, bool createIfMissing,
                                                    bool readOnly = false);
    ~StoreConnection();
    StoreConnection(const StoreConnection &) = delete;
    StoreConnection &operator=(const StoreConnection &) = delete;

    /// Absolute path of the table file.
    const QString &filePath() const { return m_path; }
    sqlite3 *handle() const { return m_db; }
    /// True when the file runs with a write-ahead log (local disks), false with the rollback
    /// journal (network file systems).
    bool usesWal() const { return m_wal; }
    /// True when the connection was opened for reading only; every write throws.
    bool isReadOnly() const { return m_readOnly; }

    /// For a read-only connection that reads the table file alone (its write-ahead log was
    /// empty): throws StoreError (kOpenFailed) when another process has changed the file since
    /// it was opened, so a reader never takes a half-changed file for the table. Does nothing for
    /// other connections, which see every change through SQLite's locks.
    void checkUnchanged() const;

    /// Description of the table `sqlName` in the file; nullptr when the file has none.
    const Table *table(const QString &sqlName);

    static constexpr int kForeignCheckMs = 20;
    Stamp stamp();
    /// Records a change made through this connection (a post, a delete, a rollback).
    void noteWrite() { ++m_writes; }

    /// How long a write waits for another process's write: `retries` more attempts, `waitMs`
    /// apart (a table's LockRetryCount and LockWaitTime).
    struct WriteWait
    {
        int retries = 15;
        int waitMs = 100;
    };

    /// Starts this connection's write transaction (BEGIN IMMEDIATE). While another process
    /// writes to the file, waits as a record lock waits; when the write lock does not come,
    /// throws the record-lock error ("Record in data file ... is in use by another user",
    /// kRecordLocked). Any other failure throws "Cannot write to data file ...".
    void beginWrite(const WriteWait &wait);

    /// Batches: posts between begin and commit form one transaction. Nested batches are
    /// savepoints inside it. The outermost begin waits for the write lock (beginWrite).
    void beginBatch(const WriteWait &wait);
    void commitBatch();
    void rollbackBatch();
    int batchDepth() const { return m_batchDepth; }

    /// The record locks of the file. Throws StoreError (kInvalidOperation) on a read-only
    /// connection, which has none.
    RecordLockFile &locks();

    /// A read that keeps its statement stepping between calls (a table's walk through its whole
    /// view). While one is open the connection reads one snapshot of the file; a write on the
    /// connection ends every open read first, so that no read spans a write.
    class OpenRead
    {
    public:
        virtual void endRead() = 0;

    protected:
        ~OpenRead() = default;
    };
    void addOpenRead(OpenRead *read);
    void removeOpenRead(OpenRead *read);
    /// Ends every open read (before a write; beginWrite does it itself).
    void endOpenReads();

    /// Page reads through a memory map of the file, for an open read whose records lie
    /// scattered over the file: a page then costs a memory access instead of a system call.
    /// Calls nest; the map is on from the first begin to the last end. SQLite's cell-size
    /// check (on otherwise) is off meanwhile, as it would run again at every access of a mapped
    /// page. Only on local file systems, where an I/O error on the map is as unlikely as on the
    /// disk itself; false (and no end to call) elsewhere or when the map could not be set up.
    /// Nothing may write while the map is on: the open reads end before any write does.
    bool beginMappedReads();
    void endMappedReads() noexcept;
    /// Whether pages are read through the map now (for tests).
    bool readsMapped() const { return m_mappedReads > 0; }
    /// Pages the connection has had to read from the file so far (its page cache missed); the
    /// count may start again from 0 after about two thousand million.
    qint64 pagesRead() const;

    void exec(const QString &sql, int failCode);
    /// Throws the StoreError for SQLite result `rc`: "Cannot <action> data file <path>: ...".
    [[noreturn]] void fail(int rc, const QString &action, int code) const;
    /// What went wrong, in words: "the disk is full" for a full disk (also when SQLite calls it
    /// an I/O error), SQLite's message otherwise, with the system's reason for an I/O error.
    QString failureDetail(int rc) const;
    /// "the disk is full" or the file-size limit when a write found no room; empty otherwise.
    QString noRoomReason() const;

private:
    friend class SqlQuery;
    explicit StoreConnection(const QString &path);
    void open(const TableSchema &schema, const QString &sqlTable, bool createIfMissing);
    void openForReading();
    QByteArray checkHeader() const; ///< the file's first 100 bytes
    void openDatabase();
    [[noreturn]] void failReadOnly() const;
    struct FileIdentity
    {
        quint64 device = 0, inode = 0;
        qint64 size = -1, modifiedNs = -1;
        bool operator==(const FileIdentity &) const = default;
    };
    FileIdentity identity() const;
    void checkIdentity();
    bool createFile(const TableSchema &schema, const QString &sqlTable);
    void configure();
    Table describe(const QString &sqlName);
    sqlite3_stmt *takeStatement(const QString &sql, bool *cached);
    void giveBack(sqlite3_stmt *stmt, bool cached);

    QString m_path;
    sqlite3 *m_db = nullptr;
    bool m_wal = false;
    bool m_readOnly = false;
    bool m_immutable = false;      ///< read-only, the table file alone (SQLite's immutable=1)
    FileIdentity m_openedIdentity; ///< the table file when an immutable connection opened it
    quint64 m_writes = 0;
    qint64 m_dataVersion = -1;
    qint64 m_foreignCheckedAtMs = -1; ///< coarse monotonic time of the last check, -1 before
    int m_batchDepth = 0;
    std::unique_ptr<RecordLockFile> m_locks;
    QHash<QString, sqlite3_stmt *> m_statements;
    std::vector<OpenRead *> m_openReads;
    bool m_mapAllowed = false; ///< a local file system
    int m_mappedReads = 0;     ///< begun and not yet ended (beginMappedReads)
    QHash<QString, std::shared_ptr<Table>> m_tables;
};

/// One use of a (cached) prepared statement: bind, step, read; reset when it goes out of scope.
class SqlQuery
{
public:
    SqlQuery(StoreConnection &connection, const QString &sql);
    ~SqlQuery();
    SqlQuery(const SqlQuery &) = delete;
    SqlQuery &operator=(const SqlQuery &) = delete;

    /// Binds parameter `index` (1-based): null, bool, integers, double, text or bytes.
    void bind(int index, const QVariant &value);
    void bindAll(const QVariantList &values);
    /// Raw step: SQLITE_ROW, SQLITE_DONE or an error code.
    int stepRaw();
    /// Steps; true while there is a row. Throws with `failCode` on an error.
    bool next(int failCode);
    /// Steps to the end, throwing with `failCode` on an error.
    void run(int failCode);

    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    /// The column's value by its storage class: null, qint64, double, QString or QByteArray.
    QVariant raw(int column) const;
    sqlite3_stmt *statement() const { return m_stmt; }

private:
    StoreConnection &m_c;
    bool m_cached = false; // before m_stmt: the constructor's takeStatement() sets it
    sqlite3_stmt *m_stmt;
};

/// Quotes an SQL identifier: "name" with inner quotes doubled.
QString quoteIdentifier(const QString &name);

} // namespace kv
