// One conformance suite run per format (golden files, a full disk, the data set left as it was),
// then the details of each format that the golden files alone would not explain.
#include <gtest/gtest.h>

#include "EC_DocFormats.h"
#include "EC_SheetFormats.h"
#include "ExportTestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

using namespace kv;
using namespace kv::test;

namespace {

struct FormatCase
{
    const char *name;
    TExportType type;
    bool detailed;
    const char *extension;
};

std::ostream &operator<<(std::ostream &os, const FormatCase &c)
{
    return os << c.name;
}

const FormatCase kFormats[] = {
    {"csv", xText_Comma_Delimited, false, "csv"},
    {"tab", xText_Tab_Delimited, false, "tab.txt"},
    {"text", xText, false, "txt"},
    {"detailed", xText, true, "detailed.txt"},
    {"clipboard", xClipboard, false, "clip.txt"},
    {"detailed_clipboard", xClipboard, true, "clipdetailed.txt"},
    {"dif", xDIF, false, "dif"},
    {"sylk", xSYLK, false, "slk"},
    {"biff", xMicrosoft_Excel, false, "xls"},
    {"html", xHTML, false, "htm"},
    {"rtf", xRichText, false, "rtf"},
};

class ExportFormat : public ::testing::TestWithParam<FormatCase>
{
protected:
    void SetUp() override { component.setDataSet(data.get()); }
    void setDetailed()
    {
        if (GetParam().detailed)
            component.setOptions(component.Options() | DetailedMode);
    }
    QString golden(const char *profile) const
    {
        return QStringLiteral("%1.%2").arg(QLatin1String(profile),
                                           QLatin1String(GetParam().extension));
    }

    FakeServicesScope services;
    std::unique_ptr<MemoryDataSet> data = makeTimeLog();
    TExportTable component;
};

TEST_P(ExportFormat, TimeLogProfileMatchesGoldenFile)
{
    LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    applyTimeLogProfile(component);
    setDetailed();
    const RunResult r = runWriter(component, GetParam().type);
    ASSERT_TRUE(r.created);
    EXPECT_TRUE(r.ok) << services.messages->lastText().toStdString();
    EXPECT_TRUE(matchesGolden(r.bytes, golden("timelog")));
}

TEST_P(ExportFormat, BareProfileInDecimalCommaLocaleMatchesGoldenFile)
{
    LocaleScope locale(QLocale(QLocale::German, QLocale::Germany));
    applyBareProfile(component);
    setDetailed();
    const RunResult r = runWriter(component, GetParam().type);
    ASSERT_TRUE(r.created);
    EXPECT_TRUE(r.ok) << services.messages->lastText().toStdString();
    EXPECT_TRUE(matchesGolden(r.bytes, golden("bare-de")));
}

TEST_P(ExportFormat, FullDiskFailsTheRunWithTheFormatsMessage)
{
    if (GetParam().type == xClipboard)
        GTEST_SKIP() << "the clipboard writers have no output device";
    LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    applyTimeLogProfile(component);
    setDetailed();
    // Small enough that every format runs out of room before its last byte.
    FailingDevice full(120);
    const RunResult r = runWriter(component, GetParam().type, &full);
    ASSERT_TRUE(r.created);
    EXPECT_FALSE(r.ok);
    const QString expected = GetParam().type == xMicrosoft_Excel ? ExportText::exportFailed()
                                                                 : ExportText::textFileFailed();
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_EQ(services.messages->shown[0].kind, MsgKind::Error);
    EXPECT_EQ(services.messages->lastText(), expected);
}

TEST_P(ExportFormat, AFileGetsTheSinksBytesAndAFullDiskTheFormatsMessage)
{
    // Files are written as the run goes (text formats on a thread of their own): what reaches
    // the disk must be what a sink receives, and a failure of the disk must still fail the run.
    if (GetParam().type == xClipboard)
        GTEST_SKIP() << "the clipboard writers have no output file";
    LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    applyTimeLogProfile(component);
    setDetailed();
    QTemporaryDir dir;
    const RunResult file =
        runWriterToFile(component, GetParam().type, dir.filePath(QStringLiteral("out")));
    ASSERT_TRUE(file.created);
    EXPECT_TRUE(file.ok) << services.messages->lastText().toStdString();
    EXPECT_TRUE(matchesGolden(file.bytes, golden("timelog")));
    EXPECT_TRUE(services.messages->shown.empty());

    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    const RunResult full = runWriterToFile(component, GetParam().type, QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.created);
    EXPECT_FALSE(full.ok);
    const QString expected = GetParam().type == xMicrosoft_Excel ? ExportText::exportFailed()
                                                                 : ExportText::textFileFailed();
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_EQ(services.messages->lastText(), expected);
}

TEST_P(ExportFormat, LeavesTheDataSetOnItsRecordWithControlsFollowing)
{
    LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    applyTimeLogProfile(component);
    setDetailed();
    data->setPosition(2);
    ASSERT_TRUE(runWriter(component, GetParam().type).ok);
    EXPECT_EQ(data->position(), 2);
    EXPECT_EQ(data->disabledDepth, 0);
    EXPECT_EQ(data->openBookmarks, 0);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ExportFormat, ::testing::ValuesIn(kFormats),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- details per format ----

class FormatDetails : public ::testing::Test
{
protected:
    void SetUp() override
    {
        component.setDataSet(data.get());
        applyTimeLogProfile(component);
    }
    QList<QByteArray> lines(TExportType type)
    {
        return runWriter(component, type).bytes.split('\n');
    }

    LocaleScope locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FakeServicesScope services;
    std::unique_ptr<MemoryDataSet> data = makeTimeLog();
    TExportTable component;
};

TEST_F(FormatDetails, CsvQuotesTextAndLeavesNumbersInTheirDisplayForm)
{
    const QList<QByteArray> l = lines(xText_Comma_Delimited);
    EXPECT_EQ(l[0], "\"Item\",\"Date\",\"Client\",\"Job Type\",\"Task Description\",\"In\","
                    "\"Out\",\"Hours\",\"$\"\r");
    EXPECT_TRUE(l[1].startsWith("1,\"3/2/26\",\"Acme \"\"Quotes\"\"; Inc.\""));
    EXPECT_TRUE(l[1].endsWith(",1.5000,\"True\"\r"));
    // A line break inside a value is dropped; a null number is an empty unquoted field.
    EXPECT_TRUE(l[1].contains("c=2next line\""));
    EXPECT_TRUE(l[4].contains("\"\",\"\",,\"True\""));
}

TEST_F(FormatDetails, FixedWidthTextTruncatesAlignsAndUnderlines)
{
    const QList<QByteArray> l = lines(xText);
    EXPECT_EQ(l[0], "Kestrova Time Log\r");
    EXPECT_EQ(l[1], QByteArray(17, '-') + '\r');
    // The item number right-aligned in the width of "Item"; "True" cut to 'Tr-' in width 3;
    // the hours right-aligned in width 7.
    const QByteArray first = l[10];
    EXPECT_TRUE(first.startsWith("   1 3/2/26      Acme \"Quotes\";- ")) << first.toStdString();
    EXPECT_TRUE(first.endsWith(" 1.5000 Tr-\r")) << first.toStdString();
}

TEST_F(FormatDetails, FixedWidthTextWithoutColumnTitlesHasNoDashLines)
{
    component.setOptions(NumberRows);
    component.setTitle(QString());
    const QByteArray text = runWriter(component, xText).bytes;
    EXPECT_FALSE(text.contains("---")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("5 records\r\nThank you\r\n\r\n"));
}

TEST_F(FormatDetails, DetailedLabelsArePaddedToTheLongestTitle)
{
    component.setOptions(component.Options() | DetailedMode);
    const QByteArray text = runWriter(component, xText).bytes;
    EXPECT_TRUE(text.contains("\r\nItem            : 1\r\n"));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nTask Description: Call with Zoë").toUtf8()));
}

TEST_F(FormatDetails, DetailedClipboardWithOneDataColumnPutsALineBeforeTheFooter)
{
    component.setOptions(DetailedMode);
    component.setTitle(QString());
    component.setHeader({});
    for (int i = 1; i < data->fieldCount(); ++i)
        data->memoryField(i)->setVisible(false);
    const QByteArray one = runWriter(component, xClipboard).bytes;
    data->memoryField(1)->setVisible(true);
    const QByteArray two = runWriter(component, xClipboard).bytes;
    EXPECT_TRUE(one.endsWith("\r\n\r\n\r\n5 records\r\nThank you\r\n"));
    EXPECT_TRUE(two.endsWith("\r\n\r\n5 records\r\nThank you\r\n"));
    EXPECT_FALSE(two.endsWith("\r\n\r\n\r\n5 records\r\nThank you\r\n"));
}

TEST_F(FormatDetails, ClipboardExportEndsWithTheSuccessMessage)
{
    runWriter(component, xClipboard);
    EXPECT_EQ(services.messages->lastText(), QStringLiteral("Successfully Exported to Clipboard"));
    EXPECT_TRUE(services.clipboard->text().startsWith(QStringLiteral("Kestrova Time Log\r\n")));
}

TEST_F(FormatDetails, DifCountsTuplesInItsEighthLineAndUsesDotDecimals)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    const QList<QByteArray> l = lines(xDIF);
    EXPECT_EQ(l[4], "0,9\r");
    EXPECT_EQ(l[7], "0,6\r"); // five records and the column titles
    EXPECT_TRUE(runWriter(component, xDIF).bytes.contains("0,1.5000\r\nV\r\n"));
}

TEST_F(FormatDetails, SylkTimeFormatCodesFollowTheOptions)
{
    EXPECT_EQ(lines(xSYLK)[2], "P;Ph:mm\\ AM/PM\r");
    component.setOptions(component.Options() | Time24HourFormat);
    EXPECT_EQ(lines(xSYLK)[2], "P;Ph:mm\r");
    component.setOptions(component.Options() | TimeDisplaySeconds);
    EXPECT_EQ(lines(xSYLK)[2], "P;Ph:mm:ss\r");
}

TEST_F(FormatDetails, SylkDoublesSemicolonsAndSkipsEmptyNumbers)
{
    const QByteArray text = runWriter(component, xSYLK).bytes;
    EXPECT_TRUE(text.contains("C;X1;Y1;K\"Item\"\r\n"));
    EXPECT_TRUE(text.contains("C;X3;Y2;K\"Acme \"Quotes\";; Inc.\"\r\n"));
    EXPECT_TRUE(text.contains("F;P0;FG0G;X2;Y2\r\nC;X2;Y2;K46083\r\n"));
    EXPECT_TRUE(text.contains("F;P1;FG0G;X6;Y2\r\nC;X6;Y2;K0.375\r\n"));
    EXPECT_FALSE(text.contains("X8;Y5;")); // record 4 has no hours
}

// ---- BIFF, read back record by record ----

struct BiffRecord
{
    quint16 type;
    QByteArray data;
    quint16 word(int at) const { return qFromLittleEndian<quint16>(data.constData() + at); }
};

QList<BiffRecord> biffRecords(const QByteArray &file)
{
    QList<BiffRecord> r;
    for (qsizetype p = 0; p + 4 <= file.size();) {
        const quint16 type = qFromLittleEndian<quint16>(file.constData() + p);
        const quint16 len = qFromLittleEndian<quint16>(file.constData() + p + 2);
        r.append({type, file.mid(p + 4, len)});
        p += 4 + len;
    }
    return r;
}

QList<BiffRecord> cellsAt(const QList<BiffRecord> &records, int row)
{
    QList<BiffRecord> r;
    for (const BiffRecord &b : records) {
        if ((b.type == 0x0003 || b.type == 0x0004 || b.type == 0x0005) && b.word(0) == row)
            r.append(b);
    }
    return r;
}

TEST_F(FormatDetails, BiffIsFlavourTwoWithTheTrueExtentAndSixteenBitPrintFlags)
{
    const QList<BiffRecord> rec = biffRecords(runWriter(component, xMicrosoft_Excel).bytes);
    ASSERT_GE(rec.size(), 3);
    EXPECT_EQ(rec[0].type, 0x0009);
    EXPECT_EQ(rec[0].data, QByteArray("\x00\x00\x10\x00", 4));
    EXPECT_EQ(rec[1].type, 0x0000);
    ASSERT_EQ(rec[1].data.size(), 8);
    // Title 0, stamp 1, header 3-4, titles 6, records 7-11, footer 13-14.
    EXPECT_EQ(rec[1].word(2), 15);
    EXPECT_EQ(rec[1].word(6), 9);
    for (quint16 type : {0x002A, 0x002B}) {
        auto it = std::find_if(rec.begin(), rec.end(),
                               [&](const BiffRecord &b) { return b.type == type; });
        ASSERT_NE(it, rec.end());
        EXPECT_EQ(it->data.size(), 2);
    }
    EXPECT_EQ(rec.last().type, 0x000A);
}

TEST_F(FormatDetails, BiffCellsCarryTheFormatOfTheirXf)
{
    const QList<BiffRecord> rec = biffRecords(runWriter(component, xMicrosoft_Excel).bytes);
    const QList<BiffRecord> first = cellsAt(rec, 7);
    ASSERT_EQ(first.size(), 9);
    EXPECT_EQ(first[1].type, 0x0003); // the date as a number with XF 2, format 1
    EXPECT_EQ(static_cast<quint8>(first[1].data[4]), 0x42);
    EXPECT_EQ(static_cast<quint8>(first[1].data[5]), 1);
    double serial = 0;
    std::memcpy(&serial, first[1].data.constData() + 7, 8);
    EXPECT_DOUBLE_EQ(serial, dateValue(2026, 3, 2));
    EXPECT_EQ(static_cast<quint8>(first[5].data[5]), 2); // time: format 2
    EXPECT_EQ(first[8].type, 0x0005);                    // True as a Boolean cell
    EXPECT_EQ(first[8].data.mid(7), QByteArray("\x01\x00", 2));
    // Record 3 has a null Boolean: no cell in that column.
    const QList<BiffRecord> third = cellsAt(rec, 9);
    EXPECT_TRUE(std::none_of(third.begin(), third.end(),
                             [](const BiffRecord &b) { return b.word(2) == 8; }));
}

TEST_F(FormatDetails, BiffHeaderOnlyLeavesARowBeforeTheColumnTitles)
{
    component.setTitle(QString());
    component.setOptions(component.Options() & ~TimeStamp);
    const QList<BiffRecord> rec = biffRecords(runWriter(component, xMicrosoft_Excel).bytes);
    EXPECT_EQ(cellsAt(rec, 0).size(), 1);
    EXPECT_EQ(cellsAt(rec, 1).size(), 1);
    EXPECT_TRUE(cellsAt(rec, 2).isEmpty());
    EXPECT_EQ(cellsAt(rec, 3).size(), 9);
    EXPECT_EQ(static_cast<quint8>(cellsAt(rec, 3)[0].data[4]), 0x48); // column-title XF 8
}

TEST_F(FormatDetails, BiffCutsLongTextsAndColumnWidths)
{
    const QString longText(300, u'x');
    component.XL_Options().PageHeader = longText;
    component.setCaptions({QString(), longText});
    const QList<BiffRecord> rec = biffRecords(runWriter(component, xMicrosoft_Excel).bytes);
    auto header =
        std::find_if(rec.begin(), rec.end(), [](const BiffRecord &b) { return b.type == 0x0014; });
    ASSERT_NE(header, rec.end());
    EXPECT_EQ(header->data.size(), 256);
    QList<BiffRecord> widths;
    std::copy_if(rec.begin(), rec.end(), std::back_inserter(widths),
                 [](const BiffRecord &b) { return b.type == 0x0024; });
    ASSERT_EQ(widths.size(), 9);
    EXPECT_EQ(widths[2].word(2), 255 * 256);
    EXPECT_EQ(widths[0].word(2), (4 + 2) * 256);
}

// ---- HTML ----

TEST_F(FormatDetails, HtmlEscapesMarkupOfValuesTitleAndHeader)
{
    component.setTitle(QStringLiteral("<script>alert(1)</script>"));
    component.setHeader({QStringLiteral("a & b")});
    const QByteArray page = runWriter(component, xHTML).bytes;
    EXPECT_FALSE(page.contains("<script>"));
    EXPECT_TRUE(page.contains("<title>&lt;script&gt;alert(1)&lt;/script&gt;</title>"));
    EXPECT_TRUE(page.contains("a &amp; b<br>"));
    EXPECT_TRUE(page.contains("<td>Acme &quot;Quotes&quot;; Inc.</td>"));
    EXPECT_TRUE(page.contains("about &lt;b&gt;&#223;&lt;/b&gt;"));
    EXPECT_TRUE(page.contains("M&#252;ller &amp; S&#248;n"));
}

TEST_F(FormatDetails, HtmlTextSeesMarkupLinksAndControlsWhereverTheyStand)
{
    // At every place of the eight-character runs and beyond: a character to escape or to
    // drop is never handed back as it is, nor is an address, and plain text always is.
    QBuffer sink;
    auto writer = CreateExportWriter(component, xHTML, QString(), &sink);
    const auto &html = static_cast<const THTMLExport &>(*writer);
    const QString base(24, u'a');
    for (int at = 0; at < 20; ++at) {
        EXPECT_EQ(html.HtmlText(base, true), base);
        for (const char *c : {"&", "<", ">", "\"", "\x01", "\t", "\n"}) {
            QString t = base;
            t.replace(at, 1, QString::fromLatin1(c));
            EXPECT_NE(html.HtmlText(t, true), t) << at << " " << int(c[0]);
        }
        // A colon or an '@' that starts no link leaves the text as it is; a link is made.
        for (const char *c : {":", "@"}) {
            QString t = base;
            t.replace(at, 1, QString::fromLatin1(c));
            EXPECT_EQ(html.HtmlText(t, true), t) << at << " " << c;
        }
        QString mail = base;
        mail.replace(at, 4, QStringLiteral(" a@b.cd "));
        EXPECT_TRUE(html.HtmlText(mail, true).contains(QStringLiteral("href=\"mailto:a@b.cd\"")))
            << at;
        EXPECT_EQ(html.HtmlText(mail, false), mail) << at;
    }
}

TEST(HtmlAutoLink, LinksAddressesAndLeavesOtherText)
{
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("see http://a.example/x, then")),
              QStringLiteral("see <a href=\"http://a.example/x,\">http://a.example/x,</a> then"));
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("mail jo@firm.com now")),
              QStringLiteral("mail <a href=\"mailto:jo@firm.com\">jo@firm.com</a> now"));
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("MailTo:jo@firm.com")),
              QStringLiteral("<a href=\"MailTo:jo@firm.com\">jo@firm.com</a>"));
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("a lone @ and a@nodot and @x.y")),
              QStringLiteral("a lone @ and a@nodot and @x.y"));
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("no links here")),
              QStringLiteral("no links here"));
    // A colon alone (a time of day) is no marker; one after a scheme, in any case, still is.
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("9:30 AM: call at 10:00")),
              QStringLiteral("9:30 AM: call at 10:00"));
    EXPECT_EQ(THTMLExport::AutoLink(QStringLiteral("FTP://files")),
              QStringLiteral("<a href=\"FTP://files\">FTP://files</a>"));
}

TEST_F(FormatDetails, HtmlLinksStopBeforeTheMarkupForBreaksAndTabs)
{
    data->addRow({dateValue(2026, 3, 7), QStringLiteral("x"), QStringLiteral("y"),
                  QStringLiteral("http://a.example/end\n\thttps://b.example/q?a=1&b=\"2\""),
                  timeValue(9, 0), timeValue(9, 30), 0.5, true, false});
    const QByteArray page = runWriter(component, xHTML).bytes;
    EXPECT_TRUE(page.contains(
        "<a href=\"http://a.example/end\">http://a.example/end</a><br>\r\n"
        "&nbsp;&nbsp;&nbsp;<a href=\"https://b.example/q?a=1&amp;b=&quot;2&quot;\">"));
}

TEST_F(FormatDetails, HtmlColoursOddAndEvenRecords)
{
    component.setHTML_Options(htOddRowColoring);
    const QByteArray page = runWriter(component, xHTML).bytes;
    const qsizetype odd = page.indexOf("<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    const qsizetype even = page.indexOf("<tr valign=\"top\" bgcolor=\"#FFFFFF\">");
    ASSERT_GE(odd, 0);
    EXPECT_GT(even, odd);
}

TEST_F(FormatDetails, HtmlIgnoreLineBreaksDropsTabsAndKeepsPlainBreaks)
{
    component.setHTML_Options(htIgnoreLineBreaks);
    const QByteArray page = runWriter(component, xHTML).bytes;
    EXPECT_TRUE(page.contains("c=2\r\nnext line</td>"));
    EXPECT_TRUE(page.contains("&lt;/b&gt;TAB</td>"));
}

// ---- RTF ----

TEST(RtfText, EscapesBackslashesBracesAndBreaks)
{
    EXPECT_EQ(TRichTextExport::RtfText(QStringLiteral("a\\b{c}\td\ne")),
              QStringLiteral("a\\\\b\\{c\\}\\tab d\\par\r\ne"));
}

TEST_F(FormatDetails, RtfWritesCodePageCharactersAsHexAndOthersAsUnicode)
{
    const QByteArray doc = runWriter(component, xRichText).bytes;
    EXPECT_TRUE(doc.contains("Zo\\'eb;"));
    EXPECT_TRUE(doc.contains("\\u321?\\'f3d\\u378?")); // Łódź
    EXPECT_TRUE(doc.contains("\\'dc") == false);       // Müller is lower-case ü
    EXPECT_TRUE(doc.contains("M\\'fcller"));
}

TEST_F(FormatDetails, RtfCellEdgesFollowTheColumnWidths)
{
    const QByteArray doc = runWriter(component, xRichText).bytes;
    for (int edge : {540, 1800, 3420, 4950, 6750, 8010, 9270, 10170, 10710})
        EXPECT_TRUE(doc.contains(QByteArray("\\cellx").append(QByteArray::number(edge)))) << edge;
}

TEST_F(FormatDetails, RtfSingleRecordUsesTheFirstRowDefinitionOnly)
{
    component.setOptions(component.Options() | SelectedRowsOnly);
    const QByteArray doc = runWriter(component, xRichText).bytes;
    EXPECT_TRUE(doc.contains("{\\i\\f1\\fs16\\row}"));
    EXPECT_FALSE(doc.contains("\\clbrdrb\r\n") && doc.contains("\\clvertalt\\clbrdrb"));
}

} // namespace
