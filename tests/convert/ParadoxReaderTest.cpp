// The version-1.1 readers: values of every field type the tables use, nulls, code page 1252,
// memos inside the record and in the memo file, letter case, and damaged files: truncated,
// mutated, wrong types, a missing or broken memo file, the inputs the fuzzers found.
#include "Cp1252.h"
#include "DateTime.h"
#include "FuzzReadAll.h"
#include "LegacyEngine.h"
#include "LegacyError.h"
#include "LegacyWriter.h"
#include "MemoFile.h"
#include "ParadoxTable.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>
#include <random>

using namespace kv;
using namespace kv::test;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

/// Runs `read` and returns the LegacyError's message; fails the test when nothing is thrown.
template <typename Read> QString errorOf(Read read)
{
    try {
        read();
    } catch (const LegacyError &e) {
        return e.message();
    }
    ADD_FAILURE() << "no LegacyError";
    return QString();
}

const std::vector<LegacyField> kAllTypes = {
    {QStringLiteral("Name"), LegacyType::Alpha, 20}, {QStringLiteral("Day"), LegacyType::Date},
    {QStringLiteral("At"), LegacyType::Time},        {QStringLiteral("Flag"), LegacyType::Logical},
    {QStringLiteral("Small"), LegacyType::Short},    {QStringLiteral("Amount"), LegacyType::Number},
    {QStringLiteral("Memo"), LegacyType::Memo, 20},  {QStringLiteral("Id"), LegacyType::AutoInc},
};

class ParadoxReaderTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void writeSample()
    {
        writeParadoxTable(path(QStringLiteral("Sample.DB")), kAllTypes,
                          {{QStringLiteral("Crème brûlée €"), QDate(1999, 12, 31),
                            QTime(23, 59, 58), true, -123, -2.75, QStringLiteral("kurz")},
                           {QStringLiteral("Größe"), QDate(1, 1, 1), QTime(0, 0), false, 32000, 0.1,
                            QString(QStringLiteral("Ü") + QString(300, u'ß'))},
                           {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                            QString(5000, u'é')}});
    }

    QTemporaryDir m_dir;
};

TEST_F(ParadoxReaderTest, ReadsEveryFieldTypeWithNullsCodePage1252AndMemos)
{
    writeSample();
    ASSERT_TRUE(QFile::exists(path(QStringLiteral("Sample.MB"))));
    ParadoxTable t;
    t.open(path(QStringLiteral("Sample.DB")));
    t.first();
    ASSERT_FALSE(t.eof());
    EXPECT_EQ(t.asString(QStringLiteral("Name")), QStringLiteral("Crème brûlée €"));
    EXPECT_EQ(dt::toDate(t.asDateTime(QStringLiteral("Day"))), QDate(1999, 12, 31));
    EXPECT_EQ(t.asDateTime(QStringLiteral("At")), dt::fromTime(QTime(23, 59, 58)));
    EXPECT_TRUE(t.asBoolean(QStringLiteral("Flag")));
    EXPECT_EQ(t.asInteger(QStringLiteral("Small")), -123);
    EXPECT_DOUBLE_EQ(t.asFloat(QStringLiteral("Amount")), -2.75);
    EXPECT_EQ(t.asString(QStringLiteral("Memo")), QStringLiteral("kurz"));
    EXPECT_EQ(t.asInteger(QStringLiteral("Id")), 0); // pxlib leaves auto-increments empty

    t.next();
    ASSERT_FALSE(t.eof());
    EXPECT_EQ(t.asString(QStringLiteral("Name")), QStringLiteral("Größe"));
    EXPECT_EQ(dt::toDate(t.asDateTime(QStringLiteral("Day"))), QDate(1, 1, 1));
    EXPECT_FALSE(t.asBoolean(QStringLiteral("Flag")));
    EXPECT_EQ(t.asInteger(QStringLiteral("Small")), 32000);
    EXPECT_DOUBLE_EQ(t.asFloat(QStringLiteral("Amount")), 0.1);
    EXPECT_EQ(t.asString(QStringLiteral("Memo")), QStringLiteral("Ü") + QString(300, u'ß'));
    EXPECT_EQ(t.asString(QStringLiteral("Day")), QStringLiteral("0001-01-01"));

    // Empty fields read as empty, false and 0; a memo of 5000 bytes has a block of its own.
    t.next();
    ASSERT_FALSE(t.eof());
    EXPECT_EQ(t.asString(QStringLiteral("Name")), QString());
    EXPECT_EQ(t.asDateTime(QStringLiteral("Day")), 0.0);
    EXPECT_FALSE(t.asBoolean(QStringLiteral("Flag")));
    EXPECT_EQ(t.asInteger(QStringLiteral("Small")), 0);
    EXPECT_EQ(t.asFloat(QStringLiteral("Amount")), 0.0);
    EXPECT_EQ(t.asString(QStringLiteral("Memo")), QString(5000, u'é'));

    t.next();
    EXPECT_TRUE(t.eof());
    t.next();
    EXPECT_TRUE(t.eof());
    t.first(); // back to the start
    EXPECT_EQ(t.asString(QStringLiteral("name")), QStringLiteral("Crème brûlée €"));
}

TEST_F(ParadoxReaderTest, CodePage1252DecodesItsOwnRangeAndEncodesBack)
{
    const QString text = QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ éüß");
    EXPECT_EQ(cp1252::decode(cp1252::encode(text)), text);
    EXPECT_EQ(cp1252::encode(QStringLiteral("€")), QByteArray("\x80"));
    EXPECT_EQ(cp1252::encode(QStringLiteral("漢")), QByteArray("?"));
}

TEST_F(ParadoxReaderTest, WrongTypesAndMissingFieldsNameTheFileAndTheField)
{
    writeSample();
    ParadoxTable t;
    t.open(path(QStringLiteral("Sample.DB")));
    t.first();
    const QString wrong = errorOf([&] { (void)t.asBoolean(QStringLiteral("Name")); });
    EXPECT_TRUE(wrong.startsWith(QStringLiteral("Sample.DB: "))) << wrong.toStdString();
    EXPECT_TRUE(wrong.contains(QStringLiteral("Name"))) << wrong.toStdString();
    EXPECT_FALSE(errorOf([&] { (void)t.asDateTime(QStringLiteral("Small")); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { (void)t.asInteger(QStringLiteral("Amount")); }).isEmpty());
    const QString missing = errorOf([&] { (void)t.asString(QStringLiteral("CustNo")); });
    EXPECT_EQ(missing, QStringLiteral("Sample.DB: has no field CustNo"));
    // Integers read as floats.
    EXPECT_DOUBLE_EQ(t.asFloat(QStringLiteral("Small")), -123.0);
}

TEST_F(ParadoxReaderTest, MemoFileIsFoundInAnyLetterCaseAndItsAbsenceNamesIt)
{
    writeSample();
    ASSERT_TRUE(
        QFile::rename(path(QStringLiteral("Sample.MB")), path(QStringLiteral("sample.mb"))));
    {
        ParadoxTable t;
        t.open(path(QStringLiteral("Sample.DB")));
        t.first();
        t.next();
        EXPECT_EQ(t.asString(QStringLiteral("Memo")).size(), 301);
    }
    QFile::remove(path(QStringLiteral("sample.mb")));
    ParadoxTable t;
    t.open(path(QStringLiteral("Sample.DB")));
    t.first();
    EXPECT_EQ(t.asString(QStringLiteral("Memo")), QStringLiteral("kurz")); // inside the record
    t.next();
    const QString message = errorOf([&] { (void)t.asString(QStringLiteral("Memo")); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Sample.MB: is missing")))
        << message.toStdString();
}

TEST_F(ParadoxReaderTest, TruncatedMemoFileAndForeignBlocksNameTheMemoFile)
{
    writeSample();
    const QByteArray memo = readFile(path(QStringLiteral("Sample.MB")));
    ASSERT_GT(memo.size(), 3 * MemoFile::kBlockSize);
    const QByteArray table = readFile(path(QStringLiteral("Sample.DB")));
    auto memoOfRecord = [&](const QByteArray &memoBytes, int record) {
        ParadoxTable t;
        t.openBytes(QStringLiteral("Sample.DB"), table, memoBytes);
        t.first();
        for (int i = 0; i < record; ++i)
            t.next();
        return t.asString(QStringLiteral("Memo"));
    };
    EXPECT_EQ(memoOfRecord(memo, 2), QString(5000, u'é'));
    // The long memo of record 3 lies in the last block: cut it off.
    const QString cut = errorOf([&] { memoOfRecord(memo.left(memo.size() - 100), 2); });
    EXPECT_TRUE(cut.startsWith(QStringLiteral("Sample.MB: the memo Memo of record 3")))
        << cut.toStdString();
    // A block of another kind where a memo was expected.
    QByteArray foreign = memo;
    for (qsizetype at = MemoFile::kBlockSize; at < foreign.size(); at += MemoFile::kBlockSize)
        foreign[at] = '\x07';
    EXPECT_FALSE(errorOf([&] { memoOfRecord(foreign, 1); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { memoOfRecord(foreign, 2); }).isEmpty());
    // Not a memo file at all.
    const QString notMemo = errorOf([&] { memoOfRecord(QByteArray("\x05garbage"), 1); });
    EXPECT_EQ(notMemo, QStringLiteral("Sample.MB: is not a memo file"));
}

TEST_F(ParadoxReaderTest, EveryTruncationOfATableIsReportedOrReadNeverACrash)
{
    writeSample();
    const QByteArray table = readFile(path(QStringLiteral("Sample.DB")));
    const QByteArray memo = readFile(path(QStringLiteral("Sample.MB")));
    ASSERT_EQ(fuzz::readAll(table, memo), 3);
    for (qsizetype size = 0; size < table.size(); size += 97) {
        ParadoxTable t;
        try {
            t.openBytes(QStringLiteral("Sample.DB"), table.left(size), memo);
            for (t.first(); !t.eof(); t.next())
                (void)t.asString(QStringLiteral("Memo"));
            ADD_FAILURE() << "a table cut to " << size << " bytes was read whole";
        } catch (const LegacyError &e) {
            EXPECT_EQ(e.file(), QStringLiteral("Sample.DB"));
        }
    }
    // Through the file system, the message names the file.
    writeFile(path(QStringLiteral("Cut.DB")), table.left(table.size() / 2));
    ParadoxTable t;
    const QString message = errorOf([&] { t.open(path(QStringLiteral("Cut.DB"))); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cut.DB: "))) << message.toStdString();
}

TEST_F(ParadoxReaderTest, MutatedTablesAndMemoFilesOnlyEverRaiseTheReadersError)
{
    // A bounded mutation loop alongside the fuzz targets: random bytes overwritten in the
    // table's header, its records and the memo file.
    writeSample();
    const QByteArray table = readFile(path(QStringLiteral("Sample.DB")));
    const QByteArray memo = readFile(path(QStringLiteral("Sample.MB")));
    std::mt19937 random(20261209);
    constexpr int kRounds = 400;
    for (int round = 0; round < kRounds; ++round) {
        QByteArray t = table, m = memo;
        QByteArray &target = round % 2 ? m : t;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            // Most of the header lies in the first 0x100 bytes; hit it often.
            const auto span =
                round % 4 == 0 ? std::min<qsizetype>(0x100, target.size()) : target.size();
            target[static_cast<qsizetype>(random() % span)] = static_cast<char>(random());
        }
        EXPECT_NO_THROW(fuzz::readAll(t, m)) << "round " << round;
    }
}

TEST_F(ParadoxReaderTest, InputsTheFuzzersFoundAreRefusedWithoutACrashOrAHang)
{
    // Each once made the reader free memory twice or follow a chain of blocks for ever.
    int inputs = 0;
    QDirIterator it(QStringLiteral(KV_CONVERT_TEST_DATA), {QStringLiteral("fuzz-*")}, QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        const QByteArray bytes = readFile(file);
        if (file.contains(QStringLiteral("-memo-"))) {
            ASSERT_GE(bytes.size(), 4);
            const quint32 n = static_cast<unsigned char>(bytes[0]) |
                              static_cast<unsigned char>(bytes[1]) << 8 |
                              static_cast<unsigned char>(bytes[2]) << 16 |
                              static_cast<quint32>(static_cast<unsigned char>(bytes[3])) << 24;
            ASSERT_LE(n, bytes.size() - 4);
            EXPECT_EQ(fuzz::readAll(bytes.mid(4, n), bytes.mid(4 + n)), 0) << file.toStdString();
        } else {
            EXPECT_EQ(fuzz::readAll(bytes, std::nullopt), 0) << file.toStdString();
        }
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

TEST_F(ParadoxReaderTest, EngineFindsTheAliasInAnyLetterCaseAndTablesInAnyLetterCase)
{
    writeSample();
    ASSERT_TRUE(
        QFile::rename(path(QStringLiteral("Sample.DB")), path(QStringLiteral("SAMPLE.db"))));
    const LegacyEngine engine({{QStringLiteral("ORVELANE"), m_dir.path()},
                               {QStringLiteral("Other"), QStringLiteral("/nowhere")}});
    EXPECT_EQ(engine.aliasNames().size(), 2);
    const auto db = engine.findAlias(QStringLiteral("Orvelane"));
    ASSERT_TRUE(db.has_value());
    EXPECT_EQ(db->folder(), m_dir.path());
    EXPECT_FALSE(engine.findAlias(QStringLiteral("Orvelan")).has_value());
    EXPECT_TRUE(db->tableExists(QStringLiteral("Sample.DB")));
    EXPECT_FALSE(db->tableExists(QStringLiteral("Customer.DB")));
    auto t = db->openTable(QStringLiteral("Sample.DB"));
    t->first();
    EXPECT_EQ(t->asString(QStringLiteral("Name")), QStringLiteral("Crème brûlée €"));
    const QString missing = errorOf([&] { db->openTable(QStringLiteral("Customer.DB")); });
    EXPECT_TRUE(missing.startsWith(QStringLiteral("Customer.DB: does not exist")))
        << missing.toStdString();

    const QString gone =
        errorOf([&] { engine.findAlias(QStringLiteral("other"))->checkReadable(); });
    EXPECT_EQ(gone, QStringLiteral("/nowhere: the folder does not exist"));
}

} // namespace
