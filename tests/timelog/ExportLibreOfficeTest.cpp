// Every file `kestrova export` writes opens in LibreOffice with the expected cells: each file is
// converted by a headless soffice and the result is read back. Skipped where LibreOffice is not
// installed.
#include "CsvReadBack.h"
#include "ReportExportFixture.h"

#include "CommandLine.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kConvertTimeoutMs = 120000;

/// One soffice run: the files it converts to CSV and the filter it reads them with.
struct Conversion
{
    QStringList formats;
    QString inFilter; ///< empty: LibreOffice picks the filter by the file
};

const QString kToCsv = QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76");

using kv::test::parseCsv;

const QStringList *rowWith(const QList<QStringList> &rows, const QString &cell)
{
    for (const QStringList &r : rows)
        if (r.contains(cell))
            return &r;
    return nullptr;
}

QString extensionOf(const QString &format)
{
    static const QMap<QString, QString> ext = {{QStringLiteral("csv"), QStringLiteral("csv")},
                                               {QStringLiteral("tab"), QStringLiteral("txt")},
                                               {QStringLiteral("text"), QStringLiteral("txt")},
                                               {QStringLiteral("detailed"), QStringLiteral("txt")},
                                               {QStringLiteral("dif"), QStringLiteral("dif")},
                                               {QStringLiteral("sylk"), QStringLiteral("slk")},
                                               {QStringLiteral("xls"), QStringLiteral("xls")},
                                               {QStringLiteral("html"), QStringLiteral("htm")},
                                               {QStringLiteral("rtf"), QStringLiteral("rtf")},
                                               {QStringLiteral("doc"), QStringLiteral("doc")}};
    return ext.value(format);
}

using ExportLibreOffice = TimeLogFixture;

TEST_F(ExportLibreOffice, EveryFileTheCommandLineWritesOpensWithItsCells)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-calc to run "
                        "this check";

    post({day(2026, 3, 2), at(9, 0), at(10, 30), QStringLiteral("Müller & Søn"),
          QStringLiteral("Design"), QStringLiteral("Kickoff; \"draft\""), true});
    post({day(2026, 3, 3), at(13, 0), at(15, 15), QStringLiteral("Bolt"), QStringLiteral("Support"),
          QStringLiteral("Call"), false});

    const QList<Conversion> conversions = {
        {{QStringLiteral("csv")}, QStringLiteral("Text - txt - csv (StarCalc):44,34,76")},
        {{QStringLiteral("tab")}, QStringLiteral("Text - txt - csv (StarCalc):9,34,76")},
        {{QStringLiteral("dif"), QStringLiteral("sylk"), QStringLiteral("xls")}, QString()},
        {{QStringLiteral("html")}, QStringLiteral("calc_HTML_WebQuery")},
        {{QStringLiteral("rtf"), QStringLiteral("doc")},
         QStringLiteral("Rich Text Format (StarCalc)")},
        // Fixed-width and detailed text hold no separator: each line is read as one cell.
        {{QStringLiteral("text"), QStringLiteral("detailed")},
         QStringLiteral("Text - txt - csv (StarCalc):9,34,76")},
    };

    QTemporaryDir profile;
    for (const Conversion &c : conversions) {
        QStringList inputs;
        for (const QString &format : c.formats) {
            const QString file = path(QStringLiteral("log-%1.%2").arg(format, extensionOf(format)));
            QString out, err;
            QTextStream o(&out), e(&err);
            const QString folder = m_folder;
            ASSERT_EQ(runCommandLine({QStringLiteral("export"), QStringLiteral("--format"), format,
                                      QStringLiteral("--output"), file},
                                     o, e, [folder] { return folder; }),
                      kExitOk)
                << format.toStdString() << ": " << err.toStdString();
            inputs << file;
        }
        QStringList args{QStringLiteral("--headless"),
                         QStringLiteral("-env:UserInstallation=file://") + profile.path()};
        if (!c.inFilter.isEmpty())
            args << QStringLiteral("--infilter=") + c.inFilter;
        args << QStringLiteral("--convert-to") << kToCsv << QStringLiteral("--outdir")
             << path(QStringLiteral("out")) << inputs;
        QProcess p;
        p.start(soffice, args);
        ASSERT_TRUE(p.waitForFinished(kConvertTimeoutMs)) << "soffice did not finish";

        for (const QString &format : c.formats) {
            const QString name = QStringLiteral("out/log-%1.csv").arg(format);
            QFile result(path(name));
            ASSERT_TRUE(result.open(QIODevice::ReadOnly))
                << format.toStdString() << ": " << p.readAllStandardError().toStdString();
            const QString text = QString::fromUtf8(result.readAll());
            if (format == QStringLiteral("text") || format == QStringLiteral("detailed")) {
                EXPECT_TRUE(text.contains(QStringLiteral("Müller & Søn"))) << text.toStdString();
                // The fixed-width text shows the hours' display form, the detailed text the value.
                EXPECT_TRUE(text.contains(format == QStringLiteral("text")
                                              ? QStringLiteral("1.5000")
                                              : QStringLiteral(": 1.5")))
                    << text.toStdString();
                continue;
            }
            const QList<QStringList> rows = parseCsv(text);
            const QStringList *titles = rowWith(rows, QStringLiteral("Task Description"));
            ASSERT_NE(titles, nullptr) << format.toStdString() << "\n" << text.toStdString();
            EXPECT_EQ(titles->indexOf(QStringLiteral("Item")), 0) << format.toStdString();
            EXPECT_EQ(titles->indexOf(QStringLiteral("$")), 8) << format.toStdString();
            EXPECT_FALSE(titles->contains(QStringLiteral(" "))) << "the note column was exported";

            const QStringList *first = rowWith(rows, QStringLiteral("Müller & Søn"));
            ASSERT_NE(first, nullptr) << format.toStdString() << "\n" << text.toStdString();
            ASSERT_GE(first->size(), 9);
            EXPECT_EQ((*first)[0], QStringLiteral("1")) << format.toStdString();
            EXPECT_EQ((*first)[3], QStringLiteral("Design")) << format.toStdString();
            EXPECT_EQ((*first)[4], QStringLiteral("Kickoff; \"draft\"")) << format.toStdString();
            EXPECT_DOUBLE_EQ((*first)[7].toDouble(), 1.5) << format.toStdString();
            const QStringList *second = rowWith(rows, QStringLiteral("Bolt"));
            ASSERT_NE(second, nullptr) << format.toStdString();
            EXPECT_DOUBLE_EQ((*second)[7].toDouble(), 2.25) << format.toStdString();
            // CSV, tab-delimited text, DIF and SYLK carry no title.
            if (QStringList{QStringLiteral("xls"), QStringLiteral("html"), QStringLiteral("rtf"),
                            QStringLiteral("doc")}
                    .contains(format)) {
                EXPECT_NE(rowWith(rows, QStringLiteral("Orvelane Kestrova - Time log")), nullptr)
                    << format.toStdString() << ": the title is missing";
            }
        }
    }
}

} // namespace
