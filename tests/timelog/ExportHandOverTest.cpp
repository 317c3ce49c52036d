// The time-log export: the component's settings, the columns and title of what it writes, and
// the hand-over putting the grid's note column and controls back however the export ends.
#include "ReportExportFixture.h"

#include "EC_Types.h"
#include "FormatSettings.h"
#include "StoreExportDataSet.h"
#include "TimeLogExport.h"

#include <QFile>

using namespace kv;
using namespace kv::test;

namespace {

class TimeLogExportTest : public TimeLogFixture
{
protected:
    void postLog()
    {
        post({day(2026, 3, 2), at(9, 0), at(10, 30), QStringLiteral("Acme"),
              QStringLiteral("Design"), QStringLiteral("Kickoff"), true, QStringLiteral("a note")});
        post({day(2026, 3, 3), at(13, 0), at(15, 15), QStringLiteral("Bolt"),
              QStringLiteral("Support"), QStringLiteral("Call"), false});
        post({day(2026, 3, 4), at(8, 0), at(9, 0), QStringLiteral("Acme"),
              QStringLiteral("Support"), QStringLiteral("Fix"), true});
        dm->TBInout->first();
    }

    QStringList csvLines(const QString &file)
    {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    /// The grid's view of the table is as before an export.
    void expectRestored(qint64 row)
    {
        EXPECT_TRUE(dm->TBInoutIsNote->isVisible());
        EXPECT_FALSE(dm->TBInout->controlsDisabled());
        EXPECT_EQ(dm->TBInout->currentRowId(), row);
    }
};

TEST_F(TimeLogExportTest, ComponentCarriesTheTimeLogWindowsSettings)
{
    TimeLogExport ex(*dm);
    TExportTable &t = ex.ExportTable();
    EXPECT_EQ(t.Options(), TExportOptions(NumberRows | ShowColHeaders | ShowClipboardMsg |
                                          ShowProgress | TimeStamp));
    EXPECT_EQ(t.HTML_Options(), THTML_Options(htAutoLink | htDisplayTitle));
    EXPECT_EQ(t.ExportType(), xMicrosoft_Word);
    EXPECT_EQ(t.LastChosenType(), xMicrosoft_Word);
    EXPECT_EQ(t.AllowedTypes(), TExportTypeSet::all());
    EXPECT_EQ(t.TruncateSymbol(), QStringLiteral("-"));
    EXPECT_FALSE(t.XL_Options().PrintGridlines);
    EXPECT_FALSE(t.XL_Options().PrintHeadings);
    EXPECT_EQ(t.XL_Options().PageFooter, QStringLiteral("Page &P of &N"));
    EXPECT_EQ(t.Print_Options().DetailedTitle.pointSize(), 16);
    EXPECT_TRUE(t.Print_Options().DetailedTitle.underline());
    EXPECT_EQ(t.DataSet(), &ex.dataSource());
}

TEST_F(TimeLogExportTest, ExportWritesTheVisibleFieldsWithoutTheNoteColumnUnderTheDefaultTitle)
{
    postLog();
    dm->TBInout->next();
    const qint64 row = dm->TBInout->currentRowId();
    TimeLogExport ex(*dm);
    const QString file = path(QStringLiteral("log.csv"));
    ASSERT_TRUE(ex.exportToFile(xText_Comma_Delimited, false, file));
    const QStringList lines = csvLines(file);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0],
              QStringLiteral("\"Item\",\"Date\",\"Client\",\"Job Type\",\"Task Description\","
                             "\"In\",\"Out\",\"Hours\",\"$\""));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1,")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\"Acme\",\"Design\",\"Kickoff\",\"9:00 AM\","
                                                 "\"10:30 AM\",1.5000,\"True\"")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(",2.2500,\"False\""))) << lines[2].toStdString();
    expectRestored(row);
    // Only the run was in file mode: the window's settings are untouched.
    EXPECT_EQ(ex.ExportTable().ExportType(), xMicrosoft_Word);
    EXPECT_TRUE(ex.ExportTable().Options().testFlag(ShowProgress));
    EXPECT_TRUE(ex.ExportTable().ViewOnly());
    EXPECT_TRUE(ex.ExportTable().ExportFile().isEmpty());

    // Formats with a title carry the default one, underlined in the text layout.
    const QString text = path(QStringLiteral("log.txt"));
    ASSERT_TRUE(ex.exportToFile(xText, false, text));
    const QStringList t = csvLines(text);
    ASSERT_GE(t.size(), 2);
    EXPECT_EQ(t[0], QStringLiteral("Orvelane Kestrova - Time log"));
    EXPECT_EQ(t[1], QString(28, u'-'));
}

TEST_F(TimeLogExportTest, ACustomReportTitleBecomesTheDocumentTitle)
{
    postLog();
    setConfig(QStringLiteral("Smith & Co \"hours\""), false);
    TimeLogExport ex(*dm);
    const QString file = path(QStringLiteral("log.htm"));
    ASSERT_TRUE(ex.exportToFile(xHTML, false, file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("Smith &amp; Co &quot;hours&quot;")));
    EXPECT_FALSE(html.contains(QStringLiteral("Orvelane Kestrova - Time log")));
}

TEST_F(TimeLogExportTest, FilteredViewExportsOnlyItsRecordsInTheCurrentOrder)
{
    postLog();
    post({day(2026, 3, 1), at(7, 0), at(7, 30), QStringLiteral("Acme"), QStringLiteral("Audit")});
    dm->TBInout->setIndexName(QStringLiteral("Tinout03"));
    Field *cust = dm->TBInoutCustName;
    dm->TBInout->setFilter(
        [cust](const StoreTable &) { return cust->asString() == QStringLiteral("Acme"); });
    dm->TBInout->setFiltered(true);
    dm->TBInout->last();
    const qint64 row = dm->TBInout->currentRowId();

    TimeLogExport ex(*dm);
    const QString file = path(QStringLiteral("acme.csv"));
    ASSERT_TRUE(ex.exportToFile(xText_Comma_Delimited, false, file));
    const QStringList lines = csvLines(file);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\"Audit\"")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("\"Design\"")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("\"Support\",\"Fix\"")));
    expectRestored(row);
    EXPECT_TRUE(dm->TBInout->isFiltered());
    EXPECT_EQ(dm->TBInout->indexName(), QStringLiteral("Tinout03"));
}

TEST_F(TimeLogExportTest, EachFieldFillsItsValueAsItsSeparateAnswersGiveIt)
{
    // The data source answers the writers in one go per field; what it hands over must be what
    // the field's separate answers (text, display text, state, date-time value) would give,
    // for repeated values (kept texts) as for new ones, and for empty fields.
    postLog();
    post({day(2026, 3, 4), at(10, 0), at(11, 0), QStringLiteral("Acme"), QStringLiteral("Support"),
          QString(), false});
    StoreExportDataSet source(*dm->TBInout);
    source.getBookmark();
    int compared = 0, bytes = 0;
    // A writer that reads texts in place is lent them; its row is kept from record to record.
    std::vector<ExportValue> lent(static_cast<size_t>(source.fieldCount()));
    // The third pass walks with the controls off, as an export does: the store then hands
    // values over before it decodes them.
    for (int pass = 0; pass < 3; ++pass) {
        if (pass == 2)
            source.disableControls();
        for (source.first(); !source.isEof(); source.next()) {
            for (int i = 0; i < source.fieldCount(); ++i) {
                const ExportField *f = source.field(i);
                const ExportFieldType type = f->dataType();
                const bool boolean = type == ExportFieldType::Boolean;
                const bool dateTime =
                    type == ExportFieldType::Date || type == ExportFieldType::Time;
                QByteArray utf8;
                const bool asBytes = f->fillUtf8(utf8);
                ExportValue fast, separate;
                f->fillValue(fast, true, boolean, dateTime, false);
                f->ExportField::fillValue(separate, true, boolean, dateTime, false);
                ExportValue &borrowed = lent[static_cast<size_t>(i)];
                f->fillValue(borrowed, true, boolean, dateTime, true);
                EXPECT_EQ(borrowed.text, separate.text) << f->fieldName().toStdString();
                EXPECT_EQ(borrowed.text.isNull(), separate.text.isNull());
                EXPECT_EQ(borrowed.info.DisplayText, separate.info.DisplayText);
                const std::string what = f->fieldName().toStdString();
                if (asBytes) {
                    ++bytes;
                    EXPECT_EQ(QString::fromUtf8(utf8), separate.text) << what;
                }
                EXPECT_EQ(fast.text, separate.text) << what;
                EXPECT_EQ(fast.info.DisplayText, separate.info.DisplayText) << what;
                EXPECT_EQ(fast.info.HasDisplayText, separate.info.HasDisplayText) << what;
                EXPECT_EQ(fast.info.BoolState, separate.info.BoolState) << what;
                EXPECT_EQ(fast.hasSerial, separate.hasSerial) << what;
                EXPECT_DOUBLE_EQ(fast.serial, separate.serial) << what;
                ++compared;
            }
        }
    }
    source.enableControls();
    EXPECT_GT(compared, 4 * 3 * 8);
    EXPECT_GE(bytes, 4 * 3); // client, job type and task of every record
}

TEST_F(TimeLogExportTest, TextsTheStoreHandsOverAsBytesAreWrittenAsEachFormatWritesText)
{
    // CSV, tab, SYLK and DIF take the store's text fields as UTF-8 bytes: quotes, semicolons
    // and control characters must come out as each format writes them, and other letters in
    // the format's own character set.
    post({day(2026, 3, 2), at(9, 0), at(10, 0), QStringLiteral("Müller"), QStringLiteral("Plain"),
          QStringLiteral("a;b \"c\"\x01"
                         "d"),
          true});
    post({day(2026, 3, 3), at(9, 0), at(10, 0), QStringLiteral("Bolt"), QStringLiteral("Plain"),
          QStringLiteral("x"), true});
    dm->TBInout->first();
    TimeLogExport ex(*dm);
    auto bytesOf = [&](TExportType type, const char *name) {
        const QString file = path(QString::fromLatin1(name));
        EXPECT_TRUE(ex.exportToFile(type, false, file)) << name;
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray csv = bytesOf(xText_Comma_Delimited, "t.csv");
    EXPECT_TRUE(csv.contains(",\"M\xc3\xbcller\",\"Plain\",\"a;b \"\"c\"\"d\","))
        << csv.constData();
    const QByteArray tab = bytesOf(xText_Tab_Delimited, "t.txt");
    EXPECT_TRUE(tab.contains("\tM\xc3\xbcller\tPlain\ta;b \"c\"d\t")) << tab.constData();
    EXPECT_TRUE(tab.contains("\r\n2\t")) << tab.constData(); // the second record's item number
    const QByteArray sylk = bytesOf(xSYLK, "t.slk");
    EXPECT_TRUE(sylk.contains(";K\"M\xc3\xbcller\"\r\n")) << sylk.constData();
    EXPECT_TRUE(sylk.contains(";K\"a;;b \"c\"d\"\r\n")) << sylk.constData();
    const QByteArray dif = bytesOf(xDIF, "t.dif");
    EXPECT_TRUE(dif.contains("1,0\r\n\"M\xfcller\"\r\n")) << dif.constData();
    EXPECT_TRUE(dif.contains("1,0\r\n\"a;b \"\"c\"\"d\"\r\n")) << dif.constData();
    EXPECT_TRUE(dif.contains("0,2\r\nV\r\n")); // the item number of the second record
}

TEST_F(TimeLogExportTest, AFileThatCannotBeCreatedFailsWithTheNoteColumnAndControlsBack)
{
    postLog();
    const qint64 row = dm->TBInout->currentRowId();
    TimeLogExport ex(*dm);
    EXPECT_THROW(ex.exportToFile(xText_Comma_Delimited, false,
                                 path(QStringLiteral("no/such/folder/log.csv"))),
                 ExportError);
    expectRestored(row);
    EXPECT_TRUE(ex.ExportTable().ExportFile().isEmpty());
}

TEST_F(TimeLogExportTest, AnEmptyLogIsRefusedWithoutADialog)
{
    TimeLogExport ex(*dm);
    EXPECT_FALSE(ex.bbcExportClick());
    EXPECT_EQ(services.messages->texts(),
              QStringList{QStringLiteral("There is no Data to Export.")});
    EXPECT_TRUE(dm->TBInoutIsNote->isVisible());
    EXPECT_FALSE(dm->TBInout->controlsDisabled());

    EXPECT_FALSE(ex.exportToFile(xText_Comma_Delimited, false, path(QStringLiteral("e.csv"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("e.csv"))));
}

TEST_F(TimeLogExportTest, ExportTypesOfTheFileHandOver)
{
    postLog();
    TimeLogExport ex(*dm);
    // The detailed layout writes one line per field; the plain text one line per record.
    ASSERT_TRUE(ex.exportToFile(xText, true, path(QStringLiteral("detailed.txt"))));
    ASSERT_TRUE(ex.exportToFile(xText, false, path(QStringLiteral("plain.txt"))));
    const QStringList detailed = csvLines(path(QStringLiteral("detailed.txt")));
    const QStringList plain = csvLines(path(QStringLiteral("plain.txt")));
    EXPECT_TRUE(detailed.filter(QStringLiteral("Task Description")).size() == 3)
        << detailed.join(u'\n').toStdString();
    EXPECT_EQ(plain.filter(QStringLiteral("Task Description")).size(), 1);
    EXPECT_FALSE(ex.ExportTable().Options().testFlag(DetailedMode));
}

TEST_F(TimeLogExportTest, EachExportFollowsTheFormatsOfItsTime)
{
    postLog();
    TimeLogExport ex(*dm);
    FormatSettings &formats = FormatSettings::instance();
    const FormatSettings saved = formats;
    formats.shortDateFormat = QStringLiteral("M/d/yyyy");
    ASSERT_TRUE(ex.exportToFile(xText_Comma_Delimited, false, path(QStringLiteral("us.csv"))));
    // The user switches to a German locale between two exports.
    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    formats.resetFromLocale();
    const bool ok = ex.exportToFile(xText_Tab_Delimited, false, path(QStringLiteral("de.txt")));
    QLocale::setDefault(locale);
    formats = saved;
    ASSERT_TRUE(ok);
    EXPECT_TRUE(
        csvLines(path(QStringLiteral("us.csv"))).value(1).contains(QStringLiteral("\"3/2/2026\"")));
    const QString de = csvLines(path(QStringLiteral("de.txt"))).value(1);
    EXPECT_TRUE(de.contains(QStringLiteral("\t02.03.26\t"))) << de.toStdString();
    EXPECT_TRUE(de.contains(QStringLiteral("\t1,5000\t"))) << de.toStdString();
}

TEST_F(TimeLogExportTest, TheOwnerWindowMayFreeTheComponentFirst)
{
    auto owner = std::make_unique<QObject>();
    TimeLogExport ex(*dm, owner.get());
    EXPECT_EQ(ex.ExportTable().parent(), owner.get());
    owner.reset(); // the window goes first; the export object must not free it again
}

} // namespace
