// Fixtures of the export tests.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"

#include "EC_Writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kv::test {

double dateValue(int y, int m, int d)
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
}

double timeValue(int h, int min)
{
    return (h * 60 + min) / 1440.0;
}

std::unique_ptr<MemoryDataSet> makeTimeLog(QObject *parent)
{
    auto def = [](const char *name, ExportFieldType type, const char *label, int width,
                  bool visible = true, const char *format = "") {
        return FieldDef{QLatin1String(name),   type, QString::fromUtf8(label), width, visible,
                        QLatin1String(format), false};
    };
    auto ds = std::make_unique<MemoryDataSet>(
        std::vector<FieldDef>{
            def("WDate", ExportFieldType::Date, "Date", 11),
            def("Client", ExportFieldType::String, "Client", 15),
            def("JobType", ExportFieldType::String, "Job Type", 14),
            def("Task", ExportFieldType::String, "Task Description", 17),
            def("TimeIn", ExportFieldType::Time, "In", 11),
            def("TimeOut", ExportFieldType::Time, "Out", 11),
            def("Hours", ExportFieldType::Float, "Hours", 7, true, "#0.0000"),
            def("Billable", ExportFieldType::Boolean, "$", 3),
            def("IsNote", ExportFieldType::Boolean, "Note", 4, false),
        },
        parent);
    const QVariant null;
    ds->addRow({dateValue(2026, 3, 2), QStringLiteral("Acme \"Quotes\"; Inc."),
                QStringLiteral("Consultancy"),
                QStringLiteral("Call with Zoë; see http://example.com/a?b=1&c=2\nnext line"),
                timeValue(9, 0), timeValue(10, 30), 1.5, true, false});
    ds->addRow({dateValue(2026, 3, 3), QStringLiteral("Müller & Søn"), QStringLiteral("Dev"),
                QStringLiteral("Mail jan.kowalski@example.pl about <b>ß</b>\tTAB"),
                timeValue(13, 15), timeValue(15, 0), 1.75, false, true});
    ds->addRow({dateValue(2026, 3, 4), QString(), QStringLiteral("Łódź <Support>"), QString(),
                timeValue(23, 0), timeValue(23, 30), 0.5, null, false});
    ds->addRow({dateValue(2026, 3, 5), QStringLiteral("Plain"), QStringLiteral("Review"),
                QStringLiteral("lone @ sign, a@nodot and mailto:boss@firm.com"), null, null, null,
                true, false});
    ds->addRow({dateValue(2026, 3, 6), QStringLiteral("Long client name beyond width"),
                QStringLiteral("Consultancy"),
                QStringLiteral("Ends with a URL https://kestrova.example/x?y=1\r\n"),
                timeValue(8, 5), timeValue(17, 55), 9.8333, false, false});
    return ds;
}

void applyTimeLogProfile(TExportTable &c)
{
    c.setOptions(NumberRows | ShowColHeaders | ShowClipboardMsg | TimeStamp);
    c.setHTML_Options(htAutoLink | htDisplayTitle);
    c.setTruncateSymbol(QStringLiteral("-"));
    c.setTitle(QStringLiteral("Kestrova Time Log"));
    c.setHeader(
        {QStringLiteral("Billing period: March 2026"), QStringLiteral("Prepared for\tAcme")});
    c.setFooter({QStringLiteral("%.0f records"), QStringLiteral("Thank you")});
}

void applyBareProfile(TExportTable &c)
{
    c.setOptions(TExportOptions());
    c.setTitle(QString());
    c.setHeader({});
    c.setFooter({});
}

RunResult runWriter(TExportTable &c, TExportType type, QIODevice *sink)
{
    RunResult r;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    c.setItemTotal(c.GetItemCount());
    std::unique_ptr<TCustomExport> w =
        CreateExportWriter(c, type, QString(), sink ? sink : &buffer);
    r.created = w->Create();
    if (r.created)
        r.ok = w->Run();
    w->Finish();
    r.bytes = type == xClipboard ? Services::instance().clipboard().text().toUtf8() : buffer.data();
    return r;
}

RunResult runWriterToFile(TExportTable &c, TExportType type, const QString &path)
{
    RunResult r;
    c.setItemTotal(c.GetItemCount());
    std::unique_ptr<TCustomExport> w = CreateExportWriter(c, type, path);
    r.created = w->Create();
    if (r.created)
        r.ok = w->Run();
    w->Finish();
    if (QFile f(path); QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly))
        r.bytes = f.readAll();
    return r;
}

::testing::AssertionResult matchesGolden(const QByteArray &actual, const QString &name)
{
    const QString path = QStringLiteral(KV_EXPORT_GOLDEN_DIR) + QLatin1Char('/') + name;
    if (qEnvironmentVariableIsSet("KV_UPDATE_GOLDEN")) {
        QDir().mkpath(QStringLiteral(KV_EXPORT_GOLDEN_DIR));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(actual) != actual.size())
            return ::testing::AssertionFailure() << "cannot write " << path.toStdString();
        return ::testing::AssertionSuccess();
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ::testing::AssertionFailure() << "missing golden file " << path.toStdString();
    const QByteArray expected = f.readAll();
    if (expected == actual)
        return ::testing::AssertionSuccess();
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return ::testing::AssertionFailure()
           << name.toStdString() << " differs at byte " << at << " (expected " << expected.size()
           << " bytes, got " << actual.size()
           << ")\n  expected: " << expected.mid(std::max<qsizetype>(0, at - 20), 60).toStdString()
           << "\n  actual:   " << actual.mid(std::max<qsizetype>(0, at - 20), 60).toStdString();
}

} // namespace kv::test
