// Tests of reading only: a read-only table reads what was committed, in a folder nobody may write
// too, creates no file of any kind, refuses every write, and never reads a file without the
// committed changes its write-ahead log holds.
#include "StoreConnection.h"
#include "StoreTestSupport.h"

#include <QDir>
#include <QProcess>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
using namespace kv::test;

namespace {

class StoreReadOnlyTest : public StoreTest
{
protected:
    /// Every name in @p folder, hidden ones included.
    static QStringList listing(const QString &folder)
    {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    /// A time log of @p records records in @p folder, closed again (its log merged and gone),
    /// without its lock file, so a reader that made one would be seen.
    static void makeLog(const QString &folder, int records)
    {
        {
            auto t = makeTimeLog(folder);
            t->open();
            for (int i = 0; i < records; ++i)
                addTime(*t, 45000 + i, QStringLiteral("Acme"), QStringLiteral("Dev"), 9, 10);
        }
        QFile::remove(QDir(folder).filePath(QStringLiteral("Tinout201.DAT.lck")));
    }

    static int count(StoreTable &t)
    {
        int n = 0;
        for (t.first(); !t.eof(); t.next())
            ++n;
        return n;
    }

    /// Runs store_helper @p command over @p folder, by default as "nobody" when we are root (root
    /// may write anywhere); returns its one line of output.
    static QString helper(const QString &command, const QString &folder, bool asOthers = true)
    {
        QProcess p;
        if (asOthers && ::geteuid() == 0)
            p.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(3);
            });
        p.start(QStringLiteral(KV_STORE_HELPER), {command, folder});
        if (!p.waitForFinished(10000))
            return QStringLiteral("(timed out)");
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    static void setMode(const QString &path, mode_t mode)
    {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
    }
};

TEST_F(StoreReadOnlyTest, ReadsWhatWasCommittedCreatesNothingAndRefusesEveryWrite)
{
    makeLog(folder(), 3);
    const QStringList before = listing(folder());
    ASSERT_EQ(before, QStringList{QStringLiteral("Tinout201.DAT")});

    auto t = makeTimeLog(folder(), QStringLiteral("Reader"));
    t->setReadOnly(true); // wins over create-if-missing
    t->open();
    EXPECT_EQ(count(*t), 3);
    t->first();
    const auto refused = [&](auto &&write) {
        const StoreError e = storeError(write);
        EXPECT_EQ(e.code(), StoreError::kInvalidOperation) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("open for reading only")))
            << e.message().toStdString();
    };
    refused([&] { t->insert(); });
    refused([&] { t->edit(); });
    refused([&] { t->deleteRecord(); });
    refused([&] { t->beginBatch(); });
    EXPECT_EQ(t->state(), StoreTable::State::Browse);
    EXPECT_EQ(listing(folder()), before); // no lock file, no log, no index
    t->checkFileUnchanged();
    t->close();
    EXPECT_EQ(listing(folder()), before);

    // A missing file is an error, and stays missing.
    auto missing = makeTimeLog(pathOf(QStringLiteral("none")));
    QDir().mkpath(pathOf(QStringLiteral("none")));
    missing->setReadOnly(true);
    const StoreError e = storeError([&] { missing->open(); });
    EXPECT_EQ(e.code(), StoreError::kOpenFailed);
    EXPECT_TRUE(e.message().contains(QStringLiteral("does not exist")))
        << e.message().toStdString();
    EXPECT_TRUE(listing(pathOf(QStringLiteral("none"))).isEmpty());
}

TEST_F(StoreReadOnlyTest, AReaderOfAFileWithoutItsLogNoticesAWriterThatChangedIt)
{
    makeLog(folder(), 2);
    auto reader = makeTimeLog(folder(), QStringLiteral("Reader"));
    reader->setReadOnly(true);
    reader->open();
    EXPECT_EQ(count(*reader), 2);
    {
        // Another writer posts and closes: its log is merged into the file.
        auto writer = makeTimeLog(folder(), QStringLiteral("Writer"));
        writer->open();
        addTime(*writer, 46000, QStringLiteral("Late"), QStringLiteral("Dev"), 9, 10);
    }
    const StoreError e = storeError([&] { reader->checkFileUnchanged(); });
    EXPECT_EQ(e.code(), StoreError::kOpenFailed);
    EXPECT_TRUE(e.message().contains(QStringLiteral("was changed by another program while it was "
                                                    "being read")))
        << e.message().toStdString();
    reader->close();

    // A new reader reads the file as it is now.
    reader->open();
    EXPECT_EQ(count(*reader), 3);
    reader->checkFileUnchanged();
}

TEST_F(StoreReadOnlyTest, AReadOnlyFolderIsReadWithTheCommittedChangesOfItsLogOrNotAtAll)
{
    setMode(folder(), 0755); // the helper may run as another user
    const QString locked = pathOf(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString file = QDir(locked).filePath(QStringLiteral("Tinout201.DAT"));
    makeLog(locked, 2);
    const auto lockUp = [&] {
        for (const QString &name : listing(locked))
            setMode(QDir(locked).filePath(name), 0444);
        setMode(locked, 0555);
    };
    const auto openUp = [&] { setMode(locked, 0755); };

    // The file alone.
    lockUp();
    const QStringList before = listing(locked);
    EXPECT_EQ(helper(QStringLiteral("read"), locked), QStringLiteral("read 2"));
    EXPECT_EQ(listing(locked), before);

    // A writer died with a committed record in the log: it is read, from the log.
    openUp();
    setMode(file, 0644);
    ASSERT_EQ(helper(QStringLiteral("post-and-die"), locked, false), QStringLiteral("posted"));
    ASSERT_GT(QFileInfo(file + QStringLiteral("-wal")).size(), 0);
    ASSERT_TRUE(QFileInfo::exists(file + QStringLiteral("-shm")));
    lockUp();
    const QStringList withLog = listing(locked);
    EXPECT_EQ(helper(QStringLiteral("read"), locked), QStringLiteral("read 3"));
    EXPECT_EQ(listing(locked), withLog);

    // Without the log's index the log cannot be read here: an error, never the file without it.
    openUp();
    ASSERT_TRUE(QFile::remove(file + QStringLiteral("-shm")));
    lockUp();
    const QString out = helper(QStringLiteral("read"), locked);
    EXPECT_TRUE(out.startsWith(QStringLiteral("error %1 ").arg(StoreError::kOpenFailed)))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("holds changes that are not in the file yet")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(file + QStringLiteral("-wal"))) << out.toStdString();
    openUp();

    // A writable open brings the log into the file; reading alone works again.
    {
        auto t = makeTimeLog(locked);
        t->open();
        EXPECT_EQ(count(*t), 3);
    }
    lockUp();
    EXPECT_EQ(helper(QStringLiteral("read"), locked), QStringLiteral("read 3"));
    openUp();
}

} // namespace
