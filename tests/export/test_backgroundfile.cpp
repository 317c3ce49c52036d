// The output file written on a thread of its own: order, completeness at flush, and failures
// that happen after the write that caused them.
#include <gtest/gtest.h>

#include "BackgroundFile.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace kv;

namespace {

std::unique_ptr<QFile> openedFile(const QString &path)
{
    auto f = std::make_unique<QFile>(path);
    EXPECT_TRUE(f->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        << path.toStdString();
    return f;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(BackgroundFile, WritesOfEverySizeReachTheFileInOrderAndCompleteAtEachFlush)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out"));
    // Chunks of 7 bytes: writes shorter than a chunk, as long, and many times longer.
    BackgroundFileWriter w(openedFile(path), 7);
    ASSERT_TRUE(w.isOpen());
    QByteArray expected;
    int flushes = 0;
    for (int n = 0; n < 40; ++n) {
        QByteArray piece(n, '\0');
        for (int i = 0; i < n; ++i)
            piece[i] = char('a' + (n + i) % 26);
        ASSERT_EQ(w.write(piece), n);
        expected += piece;
        if (n % 9 == 0) {
            ASSERT_TRUE(w.flush());
            EXPECT_EQ(contents(path), expected) << "after " << n;
            ++flushes;
        }
    }
    EXPECT_TRUE(w.finish());
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(contents(path), expected);
    EXPECT_EQ(flushes, 5);
    // A closed writer refuses further bytes and answers as it finished.
    EXPECT_EQ(w.write("x", 1), -1);
    EXPECT_TRUE(w.finish());
}

TEST(BackgroundFile, DestroyedWithoutFinishStillWritesEverything)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out"));
    QByteArray expected;
    {
        BackgroundFileWriter w(openedFile(path), 64);
        for (int i = 0; i < 1000; ++i) {
            const QByteArray line = QByteArray::number(i) + "\r\n";
            ASSERT_EQ(w.write(line), line.size());
            expected += line;
        }
    }
    EXPECT_EQ(contents(path), expected);
}

TEST(BackgroundFile, AFullDiskFailsTheLaterWritesAndEveryFlush)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    // The first chunk fails on the writing thread; the write that handed it over has already
    // returned, so the failure must reach the caller by a later write or flush.
    BackgroundFileWriter w(openedFile(QStringLiteral("/dev/full")), 16);
    const QByteArray piece(16, 'x');
    EXPECT_EQ(w.write(piece), 16);
    bool refused = false;
    for (int i = 0; i < 100 && !refused; ++i)
        refused = w.write(piece) == -1;
    EXPECT_TRUE(refused);
    EXPECT_FALSE(w.errorString().isEmpty());
    EXPECT_FALSE(w.flush());
    EXPECT_FALSE(w.flush());
    EXPECT_FALSE(w.finish());
    EXPECT_FALSE(w.finish());
}

TEST(BackgroundFile, AFailureInTheLastChunkIsReportedByFinish)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    BackgroundFileWriter w(openedFile(QStringLiteral("/dev/full")), 1 << 20);
    EXPECT_EQ(w.write("short", 5), 5);
    EXPECT_FALSE(w.finish());
    EXPECT_FALSE(w.errorString().isEmpty());
}
