// Every file format opens in LibreOffice with the expected cells: each file is converted to CSV
// by a headless soffice and the CSV is checked. Skipped where LibreOffice is not installed.
#include <gtest/gtest.h>

#include "CsvReadBack.h"
#include "ExportTestSupport.h"

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

std::ostream &operator<<(std::ostream &os, const Reader &r)
{
    return os << r.name;
}

const Reader kReaders[] = {
    {"csv", xText_Comma_Delimited, "log.csv", "Text - txt - csv (StarCalc):44,34,76", true},
    {"tab", xText_Tab_Delimited, "log.txt", "Text - txt - csv (StarCalc):9,34,76", true},
    {"dif", xDIF, "log.dif", "", false},
    {"sylk", xSYLK, "log.slk", "", true},
    {"biff", xMicrosoft_Excel, "log.xls", "", false},
    {"html", xHTML, "log.htm", "calc_HTML_WebQuery", true},
    {"rtf", xRichText, "log.rtf", "Rich Text Format (StarCalc)", true},
};

constexpr int kConvertTimeoutMs = 90000;

class LibreOfficeReads : public ::testing::TestWithParam<Reader>
{
};

using kv::test::parseCsv;

const QStringList *rowWith(const QList<QStringList> &rows, const QString &cell)
{
    for (const QStringList &r : rows) {
        if (r.contains(cell))
            return &r;
    }
    return nullptr;
}

TEST_P(LibreOfficeReads, TheExportedCells)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-calc to run "
                        "this check";
    const Reader &reader = GetParam();
    LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    FakeServicesScope services;
    auto data = makeTimeLog();
    TExportTable component;
    component.setDataSet(data.get());
    applyTimeLogProfile(component);
    QTemporaryDir dir, profile;
    component.setViewOnly(false);
    component.setExportType(reader.type);
    component.setExportFile(dir.filePath(QLatin1String(reader.file)));
    ASSERT_TRUE(component.RunExport());

    QStringList args{QStringLiteral("--headless"),
                     QStringLiteral("-env:UserInstallation=file://") + profile.path()};
    if (*reader.inFilter)
        args << QStringLiteral("--infilter=") + QLatin1String(reader.inFilter);
    args << QStringLiteral("--convert-to")
         << QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76") << QStringLiteral("--outdir")
         << dir.filePath(QStringLiteral("out")) << dir.filePath(QLatin1String(reader.file));
    QProcess p;
    p.start(soffice, args);
    ASSERT_TRUE(p.waitForFinished(kConvertTimeoutMs)) << "soffice did not finish";
    QFile csv(dir.filePath(QStringLiteral("out/log.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << p.readAllStandardError().toStdString();
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(csv.readAll()));

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

INSTANTIATE_TEST_SUITE_P(Formats, LibreOfficeReads, ::testing::ValuesIn(kReaders),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
