// Every file format opens in LibreOffice with the expected cells: each file is converted to CSV
// by a headless soffice and the CSV is checked. Skipped where LibreOffice is not installed.
// LibreOffice takes seconds to start, so the files are converted with one soffice run per input
// filter rather than one per format.
#include <gtest/gtest.h>

#include "CsvReadBack.h"
#include "ExportTestSupport.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace kv;
using namespace kv::test;

namespace {

struct Reader
{
    const char *name;
    TExportType type;
    const char *file;
    const char *inFilter; ///< empty: LibreOffice picks the filter by the file
    bool keepsAllLetters; ///< false for the code-page-1252 formats
};

const Reader kReaders[] = {
    {"csv", xText_Comma_Delimited, "log-csv.csv", "Text - txt - csv (StarCalc):44,34,76", true},
    {"tab", xText_Tab_Delimited, "log-tab.txt", "Text - txt - csv (StarCalc):9,34,76", true},
    {"dif", xDIF, "log-dif.dif", "", false},
    {"sylk", xSYLK, "log-sylk.slk", "", true},
    {"biff", xMicrosoft_Excel, "log-biff.xls", "", false},
    {"html", xHTML, "log-html.htm", "calc_HTML_WebQuery", true},
    {"rtf", xRichText, "log-rtf.rtf", "Rich Text Format (StarCalc)", true},
};

constexpr int kConvertTimeoutMs = 90000;

/// The CSV text LibreOffice made of each format's file (by reader name), or why there is none.
struct Converted
{
    QMap<QString, QString> csv;
    QMap<QString, QString> failure;
};

Converted convertAll(const QString &soffice)
{
    Converted result;
    LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    FakeServicesScope services;
    auto data = makeTimeLog();
    QTemporaryDir dir, profile;
    QMap<QString, QStringList> byFilter; // input filter -> files
    for (const Reader &reader : kReaders) {
        TExportTable component;
        component.setDataSet(data.get());
        applyTimeLogProfile(component);
        component.setViewOnly(false);
        component.setExportType(reader.type);
        const QString file = dir.filePath(QLatin1String(reader.file));
        component.setExportFile(file);
        if (!component.RunExport()) {
            result.failure[QLatin1String(reader.name)] = QStringLiteral("the export failed");
            continue;
        }
        byFilter[QLatin1String(reader.inFilter)] << file;
    }
    QString errors;
    for (auto it = byFilter.cbegin(); it != byFilter.cend(); ++it) {
        QStringList args{QStringLiteral("--headless"),
                         QStringLiteral("-env:UserInstallation=file://") + profile.path()};
        if (!it.key().isEmpty())
            args << QStringLiteral("--infilter=") + it.key();
        args << QStringLiteral("--convert-to")
             << QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76")
             << QStringLiteral("--outdir") << dir.filePath(QStringLiteral("out")) << it.value();
        QProcess p;
        p.start(soffice, args);
        if (!p.waitForFinished(kConvertTimeoutMs))
            errors += QStringLiteral("soffice did not finish; ");
        errors += QString::fromLocal8Bit(p.readAllStandardError());
    }
    for (const Reader &reader : kReaders) {
        const QString name = QLatin1String(reader.name);
        if (result.failure.contains(name))
            continue;
        QFile csv(dir.filePath(QStringLiteral("out/log-%1.csv").arg(name)));
        if (csv.open(QIODevice::ReadOnly))
            result.csv[name] = QString::fromUtf8(csv.readAll());
        else
            result.failure[name] = QStringLiteral("no CSV from soffice: ") + errors;
    }
    return result;
}

using kv::test::parseCsv;

const QStringList *rowWith(const QList<QStringList> &rows, const QString &cell)
{
    for (const QStringList &r : rows) {
        if (r.contains(cell))
            return &r;
    }
    return nullptr;
}

/// The cells LibreOffice read from one format's file.
void checkCells(const Reader &reader, const QString &csvText)
{
    const QList<QStringList> rows = parseCsv(csvText);

    const QStringList *titles = rowWith(rows, QStringLiteral("Task Description"));
    ASSERT_NE(titles, nullptr);
    EXPECT_EQ(titles->indexOf(QStringLiteral("Item")), 0);
    EXPECT_EQ(titles->indexOf(QStringLiteral("$")), 8);

    const QStringList *second = rowWith(rows, QStringLiteral("Müller & Søn"));
    ASSERT_NE(second, nullptr) << "non-ASCII letters lost";
    ASSERT_GE(second->size(), 9);
    EXPECT_EQ((*second)[0], QStringLiteral("2"));
    EXPECT_EQ((*second)[3], QStringLiteral("Dev"));
    EXPECT_DOUBLE_EQ((*second)[7].toDouble(), 1.75);
    EXPECT_TRUE((*second)[4].contains(QStringLiteral("<b>ß</b>")));

    EXPECT_NE(rowWith(rows, QStringLiteral("Acme \"Quotes\"; Inc.")), nullptr);
    const QString lodz = reader.keepsAllLetters ? QStringLiteral("Łódź <Support>")
                                                : QStringLiteral("?ód? <Support>");
    EXPECT_NE(rowWith(rows, lodz), nullptr);
    const QStringList *last = rowWith(rows, QStringLiteral("Long client name beyond width"));
    ASSERT_NE(last, nullptr);
    EXPECT_DOUBLE_EQ((*last)[7].toDouble(), 9.8333);
}

} // namespace

// One test, so that one process starts LibreOffice for every format (CTest runs each test in
// a process of its own).
TEST(LibreOfficeReads, TheExportedCellsOfEveryFormat)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-calc to run "
                        "this check";
    const Converted converted = convertAll(soffice);
    for (const Reader &reader : kReaders) {
        SCOPED_TRACE(reader.name);
        const QString name = QLatin1String(reader.name);
        ASSERT_TRUE(converted.csv.contains(name)) << converted.failure.value(name).toStdString();
        checkCells(reader, converted.csv.value(name));
    }
}
