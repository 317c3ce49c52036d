// StoreConnection: opening, checking and creating table files on SQLite; the shared
// connection registry; transactions, statement cache and change stamps.
#include "StoreConnection.h"

#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

namespace kv {

namespace {

// How long a read waits for a writer that holds the file (only the rollback journal of network
// file systems makes readers wait): as long as a record lock, 15 x 100 ms.
constexpr int kBusyTimeoutMs = 1'500;
constexpr int kHeaderSize = 100;

QString sqlType(const ColumnDef &c)
{
    switch (c.type) {
    case FieldType::String:
        return QStringLiteral("VARCHAR(%1)").arg(c.size > 0 ? c.size : 255);
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    case FieldType::Date:
        return QStringLiteral("DATE");
    case FieldType::Time:
        return QStringLiteral("TIME");
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    case FieldType::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER");
    }
    return QStringLiteral("TEXT");
}

/// Network file systems, where WAL's shared-memory index does not work between machines.
bool isNetworkFileSystem(const QString &folder)
{
    struct statfs fs = {};
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x564CUL:     // NCP
    case 0x73757245UL: // Coda
    case 0x5346414FUL: // AFS
    case 0x01021997UL: // 9P (shared folders of virtual machines)
    case 0x65735546UL: // FUSE (sshfs and friends)
        return true;
    default:
        return false;
    }
}

quint32 bigEndian32(const QByteArray &b, int at)
{
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) |
           (quint32(quint8(b[at + 2])) << 8) | quint32(quint8(b[at + 3]));
}

bool writableByUs(const QString &path)
{
    return ::euidaccess(QFile::encodeName(path).constData(), W_OK) == 0;
}

std::map<QString, std::weak_ptr<StoreConnection>> &registry()
{
    static std::map<QString, std::weak_ptr<StoreConnection>> connections;
    return connections;
}

} // namespace

QString quoteIdentifier(const QString &name)
{
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

// ---- Table ----

const StoreConnection::Column *StoreConnection::Table::column(const QString &name) const
{
    for (const Column &c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const StoreConnection::Index *StoreConnection::Table::index(const QString &name) const
{
    for (const Index &i : indexes)
        if (i.name.compare(name, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

// ---- opening ----

std::shared_ptr<StoreConnection> StoreConnection::acquire(const QString &filePath,
                                                          const TableSchema &schema,
                                                          const QString &sqlTable,
                                                          bool createIfMissing, bool readOnly)
{
    const QString path = QDir::cleanPath(QFileInfo(filePath).absoluteFilePath());
    // Read-only connections are kept under a key of their own: a later read-write request must
    // not be served by one of them.
    const QString readOnlyKey = path + QStringLiteral("\n(read-only)");
    auto &connections = registry();
    for (auto it = connections.begin(); it != connections.end();) {
        if (it->second.expired())
            it = connections.erase(it);
        else
            ++it;
    }
    const auto existing = [&](const QString &key) -> std::shared_ptr<StoreConnection> {
        const auto it = connections.find(key);
        return it == connections.end() ? nullptr : it->second.lock();
    };
    if (auto c = existing(path))
        return c;
    if (readOnly)
        if (auto c = existing(readOnlyKey))
            return c;
    std::shared_ptr<StoreConnection> c(new StoreConnection(path));
    c->m_readOnly = readOnly;
    c->open(schema, sqlTable, createIfMissing);
    connections[readOnly ? readOnlyKey : path] = c;
    return c;
}

StoreConnection::StoreConnection(const QString &path) : m_path(path) {}

StoreConnection::~StoreConnection()
{
    for (sqlite3_stmt *s : std::as_const(m_statements))
        sqlite3_finalize(s);
    if (m_db)
        sqlite3_close_v2(m_db); // rolls back a batch left open
}

void StoreConnection::open(const TableSchema &schema, const QString &sqlTable, bool createIfMissing)
{
    if (m_readOnly) {
        openForReading();
        return;
    }
    const QString folder = QFileInfo(m_path).absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists() || !folderInfo.isDir())
        throw StoreError(QStringLiteral("Cannot open data file %1: the folder %2 does not exist")
                             .arg(m_path, folder),
                         StoreError::kOpenFailed);
    const bool folderWritable = writableByUs(folder);

    struct stat st = {};
    bool exists = ::stat(QFile::encodeName(m_path).constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw StoreError(QStringLiteral("Cannot open data file %1: it is a folder").arg(m_path),
                         StoreError::kOpenFailed);
    if (!exists) {
        if (!createIfMissing)
            throw StoreError(QStringLiteral("Data file %1 does not exist").arg(m_path),
                             StoreError::kOpenFailed);
        if (!folderWritable)
            throw StoreError(QStringLiteral("Cannot create data file %1: the folder %2 is "
                                            "read-only")
                                 .arg(m_path, folder),
                             StoreError::kWriteFailed);
        exists = !createFile(schema, sqlTable); // false: another process created it first
    }
    if (exists) {
        checkHeader();
        if (!folderWritable)
            throw StoreError(QStringLiteral("Cannot open data file %1 for writing: the folder %2 "
                                            "is read-only")
                                 .arg(m_path, folder),
                             StoreError::kWriteFailed);
        if (!writableByUs(m_path))
            throw StoreError(QStringLiteral("Cannot open data file %1 for writing: the file is "
                                            "read-only")
                                 .arg(m_path),
                             StoreError::kWriteFailed);
        openDatabase();
        checkIdentity();
    }
    configure();
    m_locks = std::make_unique<RecordLockFile>(m_path + QStringLiteral(".lck"), m_path);
}

QByteArray StoreConnection::checkHeader() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(
            QStringLiteral("Cannot read data file %1: %2").arg(m_path, file.errorString()),
            StoreError::kOpenFailed);
    const qint64 size = file.size();
    const QByteArray header = file.read(kHeaderSize);
    const QByteArray magic("SQLite format 3\0", 16);
    const auto damaged = [&](const QString &why) {
        return StoreError(QStringLiteral("Data file %1 is damaged: %2").arg(m_path, why),
                          StoreError::kOpenFailed);
    };
    if (size == 0)
        throw StoreError(
            QStringLiteral("Data file %1 is empty; it is not a Kestrova data file").arg(m_path),
            StoreError::kOpenFailed);
    if (!header.startsWith(magic.left(qMin<qsizetype>(header.size(), magic.size()))) ||
        header.size() < magic.size())
        throw StoreError(QStringLiteral("Data file %1 is not a Kestrova data file (unknown file "
                                        "format)")
                             .arg(m_path),
                         StoreError::kOpenFailed);
    if (header.size() < kHeaderSize)
        throw damaged(QStringLiteral("the file is cut short (%1 bytes)").arg(size));

    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint32(quint8(header[17]));
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        throw damaged(QStringLiteral("its header is invalid"));
    if (size % pageSize != 0)
        throw damaged(QStringLiteral("the file is cut short (%1 bytes)").arg(size));
    // The page count in the header is trusted when it is marked valid. While a write-ahead
    // log exists, an interrupted checkpoint may legitimately leave the file shorter; SQLite
    // repairs that from the log.
    const quint32 changeCounter = bigEndian32(header, 24);
    const quint32 pageCount = bigEndian32(header, 28);
    const quint32 validFor = bigEndian32(header, 92);
    const QFileInfo wal(m_path + QStringLiteral("-wal"));
    const bool logPending = wal.exists() && wal.size() > 0;
    if (!logPending && pageCount != 0 && changeCounter == validFor &&
        size < qint64(pageCount) * pageSize)
        throw damaged(QStringLiteral("the file is cut short (%1 of %2 bytes)")
                          .arg(size)
                          .arg(qint64(pageCount) * pageSize));
    return header;
}

// Reading only. SQLite reads a file in write-ahead-log mode through the log and the log's
// shared index (-wal, -shm) and creates both when they are missing, even for a read-only
// connection, which then cannot remove them again. So:
//
//   log and index exist            SQLite's read-only mode: the log's committed changes are
//                                  read; in a folder nobody may write, through a private copy
//                                  of the index
//   log missing or empty           the table file holds every committed record: it is read
//   (index present or not)         alone (immutable=1), with no lock, no log and no index;
//                                  checkUnchanged() notices a writer that changed it meanwhile
//   log holds changes, no index    refused: reading the file alone would miss committed
//                                  records, and the index cannot be made without writing
//
// A file in rollback-journal mode (network folders) is read as usual: its locks live in the
// file system and it makes no file for reading.
void StoreConnection::openForReading()
{
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT)
            throw StoreError(QStringLiteral("Data file %1 does not exist").arg(m_path),
                             StoreError::kOpenFailed);
        throw StoreError(QStringLiteral("Cannot read data file %1: %2")
                             .arg(m_path, QString::fromLocal8Bit(std::strerror(err))),
                         StoreError::kOpenFailed);
    }
    if (S_ISDIR(st.st_mode))
        throw StoreError(QStringLiteral("Cannot open data file %1: it is a folder").arg(m_path),
                         StoreError::kOpenFailed);
    const QByteArray header = checkHeader();
    // Bytes 18 and 19 of the header, the write and read versions, are 2 in write-ahead-log mode.
    const bool walMode = quint8(header[18]) == 2 && quint8(header[19]) == 2;
    const QString walPath = m_path + QStringLiteral("-wal");
    const QString shmPath = m_path + QStringLiteral("-shm");
    const QFileInfo wal(walPath);
    if (walMode && !(wal.exists() && QFileInfo::exists(shmPath))) {
        if (wal.exists() && wal.size() > 0)
            throw StoreError(
                QStringLiteral("Cannot read data file %1: its log %2 holds changes that are not in "
                               "the file yet, and they cannot be read without creating the log's "
                               "index %3. Start Kestrova once over this folder with write access, "
                               "then try again")
                    .arg(m_path, walPath, shmPath),
                StoreError::kOpenFailed);
        m_immutable = true;
        m_openedIdentity = identity();
    }
    m_wal = walMode;

    const QByteArray uri =
        QByteArrayLiteral("file:") + native.toPercentEncoding("/") +
        (m_immutable ? QByteArrayLiteral("?immutable=1") : QByteArrayLiteral("?mode=ro"));
    const int rc =
        sqlite3_open_v2(uri.constData(), &m_db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, QStringLiteral("open"), StoreError::kOpenFailed);
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    checkIdentity();
    // No journal mode is set and no lock file is made: both would write.
    exec(QStringLiteral("PRAGMA query_only = ON"), StoreError::kOpenFailed);
    exec(QStringLiteral("PRAGMA cell_size_check = ON"), StoreError::kOpenFailed);
    exec(QStringLiteral("PRAGMA temp_store = MEMORY"), StoreError::kOpenFailed);
    exec(QStringLiteral("PRAGMA cache_size = -16384"), StoreError::kOpenFailed);
    m_mapAllowed = !isNetworkFileSystem(QFileInfo(m_path).absolutePath());
}

StoreConnection::FileIdentity StoreConnection::identity() const
{
    FileIdentity id;
    struct stat st = {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0) {
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    }
    return id;
}

void StoreConnection::checkUnchanged() const
{
    if (!m_immutable || identity() == m_openedIdentity)
        return;
    throw StoreError(QStringLiteral("Data file %1 was changed by another program while it was "
                                    "being read, so what was read may mix old and new records; "
                                    "try again")
                         .arg(m_path),
                     StoreError::kOpenFailed);
}

void StoreConnection::failReadOnly() const
{
    throw StoreError(QStringLiteral("Data file %1 is open for reading only").arg(m_path),
                     StoreError::kInvalidOperation);
}

RecordLockFile &StoreConnection::locks()
{
    if (!m_locks)
        failReadOnly();
    return *m_locks;
}

void StoreConnection::openDatabase()
{
    const QByteArray path = m_path.toUtf8();
    const int rc = sqlite3_open_v2(path.constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, QStringLiteral("open"), StoreError::kOpenFailed);
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
}

void StoreConnection::checkIdentity()
{
    qint64 applicationId = 0;
    qint64 version = 0;
    try {
        SqlQuery id(*this, QStringLiteral("PRAGMA application_id"));
        if (id.next(StoreError::kOpenFailed))
            applicationId = id.int64(0);
        SqlQuery v(*this, QStringLiteral("PRAGMA user_version"));
        if (v.next(StoreError::kOpenFailed))
            version = v.int64(0);
    } catch (const StoreError &) {
        const int rc = sqlite3_extended_errcode(m_db);
        if ((rc & 0xff) != SQLITE_CORRUPT && (rc & 0xff) != SQLITE_NOTADB)
            throw; // a full disk, an I/O error, a lock: the file itself may be sound
        throw StoreError(QStringLiteral("Data file %1 is damaged or not a Kestrova data file (%2)")
                             .arg(m_path, QString::fromUtf8(sqlite3_errmsg(m_db))),
                         StoreError::kOpenFailed);
    }
    if (applicationId != kApplicationId)
        throw StoreError(QStringLiteral("Data file %1 belongs to another program: it is a "
                                        "database, but not a Kestrova data file")
                             .arg(m_path),
                         StoreError::kOpenFailed);
    if (version > kSchemaVersion)
        throw StoreError(QStringLiteral("Data file %1 was written by a newer version of Kestrova "
                                        "(file format %2, this version reads up to %3)")
                             .arg(m_path)
                             .arg(version)
                             .arg(kSchemaVersion),
                         StoreError::kOpenFailed);
    if (version < 1)
        throw StoreError(QStringLiteral("Data file %1 is damaged: it has no file format "
                                        "version")
                             .arg(m_path),
                         StoreError::kOpenFailed);
    // Later layouts add their upgrade steps here, all in one transaction, up to kSchemaVersion.
}

bool StoreConnection::createFile(const TableSchema &schema, const QString &sqlTable)
{
    if (schema.columns.isEmpty())
        throw StoreError(QStringLiteral("Data file %1 does not exist, and its field list is not "
                                        "known, so it cannot be created")
                             .arg(m_path),
                         StoreError::kOpenFailed);
    // O_EXCL: the file is made here or not at all, so an existing file is never replaced.
    const QByteArray native = QFile::encodeName(m_path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        if (err == EEXIST)
            return false;
        throw StoreError(QStringLiteral("Cannot create data file %1: %2")
                             .arg(m_path, QString::fromLocal8Bit(std::strerror(err))),
                         StoreError::kWriteFailed);
    }
    ::close(fd);

    try {
        openDatabase();
        QStringList columns;
        bool hasAutoInc = false;
        for (const ColumnDef &c : schema.columns) {
            if (c.type == FieldType::AutoInc) {
                columns << quoteIdentifier(c.name) +
                               QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
                hasAutoInc = true;
                continue;
            }
            columns << quoteIdentifier(c.name) + u' ' + sqlType(c) +
                           (c.notNull ? QStringLiteral(" NOT NULL") : QString());
        }
        if (!hasAutoInc)
            columns.prepend(quoteIdentifier(QString::fromLatin1(kHiddenRowIdColumn)) +
                            QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT"));
        const QString table = quoteIdentifier(sqlTable);

        exec(QStringLiteral("BEGIN IMMEDIATE"), StoreError::kWriteFailed);
        exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId),
             StoreError::kWriteFailed);
        exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion),
             StoreError::kWriteFailed);
        exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(QStringLiteral(", "))),
             StoreError::kWriteFailed);
        for (const IndexDef &index : schema.indexes) {
            if (index.primary && index.keys.size() == 1) {
                const ColumnDef *key = schema.column(index.keys.front());
                if (key && key->type == FieldType::AutoInc)
                    continue; // the row id itself orders the table
            }
            QStringList keys;
            for (const QString &k : index.keys)
                keys << quoteIdentifier(k);
            const QString name = index.primary ? QStringLiteral("primary") : index.name;
            exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                     .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
                          quoteIdentifier(name), table, keys.join(QStringLiteral(", "))),
                 StoreError::kWriteFailed);
        }
        exec(QStringLiteral("COMMIT"), StoreError::kWriteFailed);
    } catch (...) {
        // Only the file made above is removed, never one that existed before.
        if (m_db) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
        ::unlink(native.constData());
        ::unlink(QByteArray(native + "-journal").constData());
        throw;
    }
    return true;
}

void StoreConnection::configure()
{
    const bool network = isNetworkFileSystem(QFileInfo(m_path).absolutePath());
    m_mapAllowed = !network;
    SqlQuery mode(*this, network ? QStringLiteral("PRAGMA journal_mode = DELETE")
                                 : QStringLiteral("PRAGMA journal_mode = WAL"));
    if (mode.next(StoreError::kOpenFailed))
        m_wal = mode.text(0).compare(u"wal", Qt::CaseInsensitive) == 0;
    exec(QStringLiteral("PRAGMA synchronous = FULL"), StoreError::kOpenFailed);
    exec(QStringLiteral("PRAGMA cell_size_check = ON"), StoreError::kOpenFailed);
    // Savepoints of posts inside a batch keep their undo pages in memory, not in a temp file.
    exec(QStringLiteral("PRAGMA temp_store = MEMORY"), StoreError::kOpenFailed);
    // Walks in client or job order read the table pages in random order: a larger page cache,
    // and a memory map while such a walk runs (beginMappedReads). The map is not on all the
    // time: it makes walks in file order no faster and counts every page read into the
    // program's resident memory.
    exec(QStringLiteral("PRAGMA cache_size = -16384"), StoreError::kOpenFailed);
}

// ---- description ----

const StoreConnection::Table *StoreConnection::table(const QString &sqlName)
{
    const QString key = sqlName.toLower();
    auto it = m_tables.find(key);
    if (it == m_tables.end()) {
        SqlQuery exists(*this, QStringLiteral("SELECT name FROM sqlite_schema WHERE type = "
                                              "'table' AND name = ?1 COLLATE NOCASE"));
        exists.bind(1, sqlName);
        if (!exists.next(StoreError::kOpenFailed))
            return nullptr;
        const QString name = exists.text(0);
        it = m_tables.insert(key, std::make_shared<Table>(describe(name)));
    }
    return it.value().get();
}

StoreConnection::Table StoreConnection::describe(const QString &sqlName)
{
    Table t;
    t.name = sqlName;
    const QString quoted = quoteIdentifier(sqlName);
    QString rowIdAlias;
    int primaryKeyColumns = 0;
    {
        SqlQuery info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(quoted));
        while (info.next(StoreError::kOpenFailed)) {
            Column c;
            c.name = info.text(1);
            c.declaredType = info.text(2);
            c.notNull = info.int64(3) != 0;
            if (info.int64(5) > 0) {
                ++primaryKeyColumns;
                if (c.declaredType.compare(u"INTEGER", Qt::CaseInsensitive) == 0)
                    rowIdAlias = c.name;
            }
            t.columns << c;
        }
    }
    if (primaryKeyColumns == 1 && !rowIdAlias.isEmpty())
        for (Column &c : t.columns)
            if (c.name == rowIdAlias)
                c.rowIdAlias = c.notNull = true;

    QList<Index> indexes;
    {
        SqlQuery list(*this, QStringLiteral("PRAGMA index_list(%1)").arg(quoted));
        while (list.next(StoreError::kOpenFailed)) {
            if (list.int64(4) != 0)
                continue; // partial indexes do not order the whole table
            Index idx;
            idx.name = list.text(1);
            idx.unique = list.int64(2) != 0;
            indexes << idx;
        }
    }
    for (Index &idx : indexes) {
        SqlQuery keys(*this,
                      QStringLiteral("PRAGMA index_info(%1)").arg(quoteIdentifier(idx.name)));
        bool usable = true;
        while (keys.next(StoreError::kOpenFailed)) {
            if (keys.isNull(2)) {
                usable = false; // an expression index
                continue;
            }
            const QString key = keys.text(2);
            idx.keys << key;
            const Column *c = t.column(key);
            idx.keyNotNull << (c && c->notNull);
        }
        if (!usable || idx.keys.isEmpty())
            continue;
        idx.primary = idx.name.compare(u"primary", Qt::CaseInsensitive) == 0;
        if (idx.primary)
            t.indexes.prepend(idx);
        else
            t.indexes << idx;
    }
    if (t.indexes.isEmpty() || !t.indexes.front().primary) {
        // No "primary" index: the row id orders the table (the auto-increment field's order).
        Index primary;
        primary.name = QStringLiteral("primary");
        primary.unique = true;
        primary.primary = true;
        if (!rowIdAlias.isEmpty() && rowIdAlias != QLatin1String(kHiddenRowIdColumn)) {
            primary.keys << rowIdAlias;
            primary.keyNotNull << true;
        }
        t.indexes.prepend(primary);
    }
    return t;
}

// ---- changes, transactions, statements ----

StoreConnection::Stamp StoreConnection::stamp()
{
    Stamp s;
    s.writes = m_writes;
    // The coarse clock (a few milliseconds' resolution) costs a fraction of the precise one,
    // and a walk asks at every record.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    if (m_batchDepth == 0 &&
        (m_foreignCheckedAtMs < 0 || nowMs - m_foreignCheckedAtMs >= kForeignCheckMs)) {
        // A file read alone has no change count of SQLite's; it must not change at all.
        checkUnchanged();
        SqlQuery q(*this, QStringLiteral("PRAGMA data_version"));
        if (q.next(StoreError::kOpenFailed))
            m_dataVersion = q.int64(0);
        m_foreignCheckedAtMs = nowMs;
    }
    s.dataVersion = m_dataVersion;
    return s;
}

void StoreConnection::addOpenRead(OpenRead *read)
{
    if (std::find(m_openReads.begin(), m_openReads.end(), read) == m_openReads.end())
        m_openReads.push_back(read);
}

void StoreConnection::removeOpenRead(OpenRead *read)
{
    m_openReads.erase(std::remove(m_openReads.begin(), m_openReads.end(), read), m_openReads.end());
}

void StoreConnection::endOpenReads()
{
    const std::vector<OpenRead *> reads = std::move(m_openReads);
    m_openReads.clear();
    for (OpenRead *read : reads)
        read->endRead();
}

namespace {
/// The most of a file SQLite maps (it stops at its own limit, and reads the rest as before).
constexpr qint64 kMapBytes = qint64(1) << 40;
} // namespace

bool StoreConnection::beginMappedReads()
{
    // Inside a write transaction the check must stay on for the pages the write reads.
    if (!m_mapAllowed || !m_db || !sqlite3_get_autocommit(m_db))
        return false;
    if (m_mappedReads == 0) {
        const QByteArray sql =
            QByteArrayLiteral("PRAGMA cell_size_check = OFF; PRAGMA mmap_size = ") +
            QByteArray::number(kMapBytes);
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_exec(m_db, "PRAGMA mmap_size = 0; PRAGMA cell_size_check = ON", nullptr,
                         nullptr, nullptr);
            return false;
        }
    }
    ++m_mappedReads;
    return true;
}

qint64 StoreConnection::pagesRead() const
{
    int current = 0, highest = 0;
    if (!m_db ||
        sqlite3_db_status(m_db, SQLITE_DBSTATUS_CACHE_MISS, &current, &highest, 0) != SQLITE_OK)
        return 0;
    return current;
}

void StoreConnection::endMappedReads() noexcept
{
    if (m_mappedReads <= 0 || --m_mappedReads > 0 || !m_db)
        return;
    // The map goes once no statement holds a page of it: the read that ends has let go of its
    // statement already.
    sqlite3_exec(m_db, "PRAGMA mmap_size = 0; PRAGMA cell_size_check = ON", nullptr, nullptr,
                 nullptr);
}

void StoreConnection::beginWrite(const WriteWait &wait)
{
    if (m_readOnly)
        failReadOnly();
    // A read still stepping would hold the snapshot it started on: the write lock could not be
    // had once another process has committed since, and the read would meet its own writes.
    endOpenReads();
    // SQLite's busy handler is not consulted when the connection already reads (it would risk
    // a deadlock), and it waits for its own timeout rather than the record-lock limits. So the
    // handler is off here and the wait is ours: one rule for every write, whatever was read.
    sqlite3_busy_timeout(m_db, 0);
    int rc = SQLITE_OK;
    for (int attempt = 0;; ++attempt) {
        SqlQuery begin(*this, QStringLiteral("BEGIN IMMEDIATE"));
        rc = begin.stepRaw();
        if (rc == SQLITE_DONE)
            break;
        if ((rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED)
            break;
        if (attempt >= wait.retries)
            break;
        ::usleep(static_cast<useconds_t>(std::max(0, wait.waitMs)) * 1000U);
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    if (rc == SQLITE_DONE)
        return;
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        throw StoreError(QStringLiteral("Record in data file ") + m_path +
                             QStringLiteral(" is in use by another user"),
                         StoreError::kRecordLocked);
    fail(rc, QStringLiteral("write to"), StoreError::kWriteFailed);
}

void StoreConnection::beginBatch(const WriteWait &wait)
{
    if (m_batchDepth == 0) {
        beginWrite(wait);
    } else {
        endOpenReads();
        exec(QStringLiteral("SAVEPOINT kv_batch_%1").arg(m_batchDepth), StoreError::kWriteFailed);
    }
    ++m_batchDepth;
}

void StoreConnection::commitBatch()
{
    if (m_batchDepth == 0)
        throw StoreError(QStringLiteral("No batch is open on data file %1").arg(m_path),
                         StoreError::kInvalidOperation);
    if (m_batchDepth == 1)
        exec(QStringLiteral("COMMIT"), StoreError::kWriteFailed);
    else
        exec(QStringLiteral("RELEASE kv_batch_%1").arg(m_batchDepth - 1), StoreError::kWriteFailed);
    --m_batchDepth;
}

void StoreConnection::rollbackBatch()
{
    if (m_batchDepth == 0)
        throw StoreError(QStringLiteral("No batch is open on data file %1").arg(m_path),
                         StoreError::kInvalidOperation);
    --m_batchDepth;
    noteWrite();
    if (m_batchDepth == 0) {
        exec(QStringLiteral("ROLLBACK"), StoreError::kWriteFailed);
    } else {
        exec(QStringLiteral("ROLLBACK TO kv_batch_%1").arg(m_batchDepth), StoreError::kWriteFailed);
        exec(QStringLiteral("RELEASE kv_batch_%1").arg(m_batchDepth), StoreError::kWriteFailed);
    }
}

void StoreConnection::exec(const QString &sql, int failCode)
{
    SqlQuery q(*this, sql);
    q.run(failCode);
}

QString StoreConnection::noRoomReason() const
{
    // SQLite reports a write that found no room as SQLITE_FULL or as a plain I/O error, and the
    // system's error number is often gone by then: look at the disk and the limits instead.
    struct statvfs fs = {};
    constexpr qint64 kAlmostFull = 1 << 20;
    if (::statvfs(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), &fs) == 0 &&
        qint64(fs.f_bavail) * qint64(fs.f_frsize) < kAlmostFull)
        return QStringLiteral("the disk is full");
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        constexpr qint64 kGrowth = 64 * 1024; // a few pages and the log's index
        for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
            struct stat st = {};
            const QByteArray file = QFile::encodeName(m_path) + suffix;
            if (::stat(file.constData(), &st) == 0 &&
                qint64(st.st_size) + kGrowth > qint64(limit.rlim_cur))
                return QStringLiteral("the file would grow beyond the size this process may write");
        }
        if (limit.rlim_cur < rlim_t(kGrowth))
            return QStringLiteral("the file would grow beyond the size this process may write");
    }
    return QString();
}

QString StoreConnection::failureDetail(int rc) const
{
    // A full disk, a quota or a file-size limit says so, and the user is not sent looking for a
    // damaged file.
    const int primary = rc & 0xff;
    const int sysErr = m_db ? sqlite3_system_errno(m_db) : 0;
    if (sysErr == ENOSPC)
        return QStringLiteral("the disk is full");
    if (sysErr == EDQUOT)
        return QStringLiteral("the disk quota is exceeded");
    if (sysErr == EFBIG)
        return QStringLiteral("the file would grow beyond the size this process may write");
    if (primary == SQLITE_FULL || primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN) {
        const QString reason = noRoomReason();
        if (!reason.isEmpty())
            return reason;
        if (primary == SQLITE_FULL)
            return QStringLiteral("the disk is full");
    }
    QString detail = m_db && sqlite3_extended_errcode(m_db) == rc
                         ? QString::fromUtf8(sqlite3_errmsg(m_db))
                         : QString::fromUtf8(sqlite3_errstr(rc));
    if (rc == SQLITE_READONLY_ROLLBACK)
        return QStringLiteral("an interrupted write left its journal %1-journal, which only a "
                              "writable open undoes; start Kestrova once over this folder with "
                              "write access")
            .arg(m_path);
    if (primary == SQLITE_IOERR && sysErr != 0)
        detail += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(sysErr)) + u')';
    return detail;
}

void StoreConnection::fail(int rc, const QString &action, int code) const
{
    // A file read alone that another program changed meanwhile may look damaged: say why.
    checkUnchanged();
    throw StoreError(
        QStringLiteral("Cannot %1 data file %2: %3").arg(action, m_path, failureDetail(rc)), code);
}

sqlite3_stmt *StoreConnection::takeStatement(const QString &sql, bool *cached)
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end() && !sqlite3_stmt_busy(it.value())) {
        *cached = true;
        return it.value();
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, text.constData(), int(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        const bool reads = sql.startsWith(u"SELECT") || sql.startsWith(u"PRAGMA");
        fail(rc, reads ? QStringLiteral("read") : QStringLiteral("write to"),
             reads ? StoreError::kOpenFailed : StoreError::kWriteFailed);
    }
    *cached = it == m_statements.end();
    if (*cached)
        m_statements.insert(sql, stmt);
    return stmt;
}

void StoreConnection::giveBack(sqlite3_stmt *stmt, bool cached)
{
    if (cached) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    } else {
        sqlite3_finalize(stmt);
    }
}

// ---- SqlQuery ----

SqlQuery::SqlQuery(StoreConnection &connection, const QString &sql)
    : m_c(connection), m_stmt(connection.takeStatement(sql, &m_cached))
{}

SqlQuery::~SqlQuery()
{
    m_c.giveBack(m_stmt, m_cached);
}

void SqlQuery::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, b.constData(), sqlite3_uint64(b.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, t.constData(), sqlite3_uint64(t.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK) {
        const bool reads = sqlite3_stmt_readonly(m_stmt) != 0;
        m_c.fail(rc, reads ? QStringLiteral("read") : QStringLiteral("write to"),
                 reads ? StoreError::kOpenFailed : StoreError::kWriteFailed);
    }
}

void SqlQuery::bindAll(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values.at(i));
}

int SqlQuery::stepRaw()
{
    return sqlite3_step(m_stmt);
}

bool SqlQuery::next(int failCode)
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // A statement that changes the file fails as a write whatever its caller expected.
    const bool writes = failCode == StoreError::kWriteFailed || !sqlite3_stmt_readonly(m_stmt);
    m_c.fail(rc, writes ? QStringLiteral("write to") : QStringLiteral("read"),
             writes ? StoreError::kWriteFailed : failCode);
}

void SqlQuery::run(int failCode)
{
    while (next(failCode)) {
    }
}

bool SqlQuery::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 SqlQuery::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double SqlQuery::real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString SqlQuery::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

QVariant SqlQuery::raw(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return QVariant();
    }
}

} // namespace kv
