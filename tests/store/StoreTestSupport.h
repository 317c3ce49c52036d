// Fixture and helpers of the store tests: a fresh data folder per test, pinned formats, and a
// check that an operation throws StoreError with a given code.
#pragma once

#include "FormatSettings.h"
#include "StoreError.h"
#include "TestTables.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv::test {

class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_savedFormats = FormatSettings::instance();
        FormatSettings &fs = FormatSettings::instance();
        fs.resetFromLocale();
        fs.shortDateFormat = QStringLiteral("M/d/yy");
        fs.decimalSeparator = u'.';
        fs.thousandSeparator = u',';
    }
    void TearDown() override { FormatSettings::instance() = m_savedFormats; }

    QString folder() const { return m_dir.path(); }
    QString pathOf(const QString &file) const { return m_dir.filePath(file); }

    QTemporaryDir m_dir;
    FormatSettings m_savedFormats;
};

/// Runs `f`, which must throw StoreError; returns the error (a failure is recorded otherwise).
template <typename F> StoreError storeError(F &&f)
{
    try {
        f();
    } catch (const StoreError &e) {
        return e;
    }
    ADD_FAILURE() << "expected a StoreError";
    return StoreError(QStringLiteral("(none thrown)"), -1);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QString str(const QString &s)
{
    return s;
}

} // namespace kv::test

// GoogleTest prints QStrings readably.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
