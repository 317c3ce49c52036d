// Shared fixtures of the export tests: the small time log that the golden files are made from,
// the two settings profiles, a failing output device, running one writer into a buffer, and the
// golden-file comparison (KV_UPDATE_GOLDEN=1 rewrites the files instead).
#pragma once

#include "EC_Table.h"
#include "FakeServices.h"
#include "MemoryDataSet.h"

#include <QBuffer>
#include <QLocale>
#include <memory>

namespace kv::test {

/// The time-log columns: Date, Client, Job Type, Task Description, In, Out, Hours, $, and the
/// hidden note flag.
std::unique_ptr<MemoryDataSet> makeTimeLog(QObject *parent = nullptr);

/// Time values as the system's date-time value.
double dateValue(int y, int m, int d);
double timeValue(int h, int min);

/// Settings of the time-log window plus a title, a two-line header and a footer with a format
/// specifier.
void applyTimeLogProfile(TExportTable &c);
/// Bare settings: no item numbers, no column titles, no time stamp, no title, header or footer.
void applyBareProfile(TExportTable &c);

/// Sets the default locale for the life of the object and puts the previous one back.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &l) : m_old(QLocale()) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(m_old); }

private:
    QLocale m_old;
};

/// A random-access device that accepts `limit` bytes and then fails every write, like a full disk.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return false; }
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        if (static_cast<qint64>(written.size()) + len > m_limit) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        written.append(data, len);
        return len;
    }

private:
    qint64 m_limit;
};

struct RunResult
{
    bool created = false;
    bool ok = false;
    QByteArray bytes;
};

/// Runs one writer of `type` over the component into a buffer (or, for the clipboard, the fake
/// clipboard, returned as UTF-8).
RunResult runWriter(TExportTable &c, TExportType type, QIODevice *sink = nullptr);
/// Runs one writer of `type` over the component into the file `path`; `bytes` is what the file
/// then holds.
RunResult runWriterToFile(TExportTable &c, TExportType type, const QString &path);

/// Compares with tests/data/export/<name>; with KV_UPDATE_GOLDEN=1 writes the file instead.
::testing::AssertionResult matchesGolden(const QByteArray &actual, const QString &name);

} // namespace kv::test
