// The shared text routines, the column model's rules and the settings' assignment rules.
#include <gtest/gtest.h>

#include "EC_DocFormats.h"
#include "ExportTestSupport.h"

#include <algorithm>

using namespace kv;
using namespace kv::test;

namespace {

class Routines : public ::testing::Test
{
protected:
    void SetUp() override
    {
        component.setDataSet(data.get());
        component.setItemTotal(-1);
        writer = CreateExportWriter(component, xText, QString(), &sink);
    }
    LocaleScope locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FakeServicesScope services;
    std::unique_ptr<MemoryDataSet> data = makeTimeLog();
    TExportTable component;
    QBuffer sink;
    std::unique_ptr<TCustomExport> writer;
};

TEST(TextRoutines, StripExpandDashAndInsert)
{
    EXPECT_EQ(StripControlChars(QStringLiteral("a\tb\r\nc\x01")), QStringLiteral("abc"));
    EXPECT_EQ(ExpandBreaks(QStringLiteral("a\tb\r\nc\x02"), QStringLiteral("<t>"),
                           QStringLiteral("<br>")),
              QStringLiteral("a<t>b<br>c"));
    EXPECT_EQ(DashLine(28), QString(28, u'-'));
    EXPECT_EQ(DashLine(0), QString());
    EXPECT_EQ(InsertBefore(QStringLiteral("say \"hi\""), u'"', u'"'),
              QStringLiteral("say \"\"hi\"\""));
}

/// The one-pass appends of the record writers against the routines they stand in for, over
/// texts with control characters, quotes at both ends, non-Latin letters and a surrogate pair,
/// appended after text already in the buffer.
TEST(TextRoutines, OnePassAppendsMatchStripInsertAndUtf8)
{
    const QStringList texts{QString(),
                            QStringLiteral("plain"),
                            QStringLiteral("\"quoted\" \"\""),
                            QStringLiteral("tab\there\r\nline\x01\x1f end"),
                            QStringLiteral("\x02\"\x03"),
                            QStringLiteral("Müller & Søn – café ☕ \U0001F600 \"x\""),
                            QStringLiteral("日本語の\"作業\"")};
    for (const QString &t : texts) {
        QString quoted = QStringLiteral("lead,");
        AppendStripped(quoted, t, u'"');
        EXPECT_EQ(quoted, QStringLiteral("lead,") + InsertBefore(StripControlChars(t), u'"', u'"'))
            << qPrintable(t);
        QString stripped = QStringLiteral("x");
        AppendStripped(stripped, t);
        EXPECT_EQ(stripped, QStringLiteral("x") + StripControlChars(t)) << qPrintable(t);
        QByteArray bytes("head ");
        appendUtf8(bytes, t);
        EXPECT_EQ(bytes, QByteArray("head ") + t.toUtf8()) << qPrintable(t);
        for (const char q : {'"', '\0'}) {
            QString text = QStringLiteral("lead,");
            AppendStripped(text, t, q ? QChar(u'"') : QChar());
            QByteArray utf8("lead,");
            AppendStrippedUtf8(utf8, t, q);
            EXPECT_EQ(utf8, text.toUtf8()) << qPrintable(t);
        }
        QString quoted2 = QStringLiteral("\"");
        AppendStripped(quoted2, t, u'"');
        quoted2 += u'"';
        QByteArray enclosed(",");
        AppendStrippedUtf8(enclosed, t, '"', true);
        EXPECT_EQ(enclosed, "," + quoted2.toUtf8()) << qPrintable(t);
    }
    // Long texts, with the character that stops the fast copy at every place of a run of
    // eight and beyond.
    for (const char16_t stop : {u'"', u'\x01', u'\u00fc', u'\u7f00', u'\x7f', u' '}) {
        for (int at = 0; at < 20; ++at) {
            QString t = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
            t[at] = QChar(stop);
            QString text;
            AppendStripped(text, t, u'"');
            QByteArray utf8;
            AppendStrippedUtf8(utf8, t, '"');
            EXPECT_EQ(utf8, text.toUtf8()) << at;
            QByteArray plain("x");
            appendUtf8(plain, t);
            EXPECT_EQ(plain, "x" + t.toUtf8()) << at;
        }
    }
    // A text of nothing but quotes doubles in length; a surrogate pair split by a control
    // character joins up again.
    QByteArray quotes;
    AppendStrippedUtf8(quotes, QString(300, u'"'), '"');
    EXPECT_EQ(quotes, QByteArray(600, '"'));
    const QString split = QStringLiteral("a") + QChar(0xD83D) + QChar(0x01) + QChar(0xDE00);
    QByteArray joined;
    AppendStrippedUtf8(joined, split, '"');
    EXPECT_EQ(joined, QStringLiteral("a\U0001F600").toUtf8());
}

TEST(Stripping, FromUtf8BytesGivesWhatTheDecodedTextGives)
{
    // The bytes a store hands over are stripped as the text they decode to would be: valid
    // UTF-8 copied through, anything else as its replacement characters.
    std::vector<QByteArray> texts = {
        QByteArray(),
        "plain",
        "a \"quoted\" \x01\x1f text\r\n",
        QStringLiteral("Müller & Søn – café ☕ \U0001F600 \"x\"").toUtf8(),
        "\xef\xbb\xbf"
        "BOM first",
        "\xef\xbb\xbf\xef\xbb\xbf"
        "two BOMs",
        "BOM \xef\xbb\xbf"
        "inside",
        "lone \x80 continuation",
        "cut \xe2\x82",
        "overlong \xc0\xaf and \xe0\x80\xaf",
        "surrogate \xed\xa0\x80 half",
        "beyond \xf4\x90\x80\x80 U+10FFFF",
        "noncharacter \xef\xbf\xbe",
        QByteArray("nul \0 inside \"", 17),
        QByteArray(300, '"'),
        QStringLiteral("x\U0001F600\u00e4\u20ac").repeated(9).toUtf8(),
    };
    // A stop byte at every place of the sixteen-byte runs and beyond.
    for (const char *stop : {"\"", "\x01", "\xc3\xbc", "\x7f", "\xff"}) {
        for (int at = 0; at < 36; ++at) {
            QByteArray t = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOP";
            t.replace(at, 1, stop);
            texts.push_back(t);
        }
    }
    for (const QByteArray &t : texts) {
        const QString decoded = QString::fromUtf8(t);
        for (const char q : {'"', ';', '\0'}) {
            for (const bool enclose : {false, true}) {
                if (enclose && q == '\0')
                    continue;
                QByteArray expected("lead,"), got("lead,");
                AppendStrippedUtf8(expected, decoded, q, enclose);
                AppendStrippedUtf8(got, QByteArrayView(t), q, enclose);
                EXPECT_EQ(got, expected) << t.toHex().constData() << " " << int(q);
            }
        }
        EXPECT_EQ(IsAscii(t),
                  std::all_of(t.begin(), t.end(),
                              [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            << t.toHex().constData();
        if (QByteArrayView(t).isValidUtf8()) {
            EXPECT_EQ(Utf16Length(t), decoded.size()) << t.toHex().constData();
        }
    }
}

TEST_F(Routines, CreatedLineShowsTheTimeOfDayAsEveryOtherTimeIsShown)
{
    services.clock->set(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(writer->CreatedLine(), QStringLiteral("Created: 1/2/24 3:04 AM"));
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    QBuffer deSink;
    auto de = CreateExportWriter(component, xText, QString(), &deSink);
    EXPECT_EQ(de->CreatedLine(), QStringLiteral("Created: 02.01.24 3:04 AM"));
}

TEST_F(Routines, FitToWidthTruncatesPadsAndAlignsNumbers)
{
    EXPECT_EQ(writer->FitToWidth(QStringLiteral("Consultancy"), 5, false), QStringLiteral("Cons-"));
    component.setTruncateSymbol(QStringLiteral("  ..... "));
    EXPECT_EQ(writer->FitToWidth(QStringLiteral("Consultancy"), 5, false), QStringLiteral("Consu"));
    EXPECT_EQ(writer->FitToWidth(QStringLiteral("1.5000"), 7, true), QStringLiteral(" 1.5000"));
    EXPECT_EQ(writer->FitToWidth(QStringLiteral("1.5000"), 7, false), QStringLiteral("1.5000 "));
    EXPECT_EQ(writer->FitToWidth(QStringLiteral("abc"), 5, true), QStringLiteral("abc  "));
    EXPECT_EQ(writer->FitToWidth(QStringLiteral("a\tb"), 0, true), QString());
}

TEST_F(Routines, AppendFittedWritesWhatStrippingPaddingAndCuttingWouldGive)
{
    // The reference takes the steps one by one: strip, then align a number, cut with the
    // symbol, or cut and pad.
    const auto reference = [&](const QString &s, int width, bool align) -> QString {
        QString t;
        for (QChar c : s)
            if (c.unicode() >= 32)
                t += c;
        const QString symbol = component.TruncateSymbol();
        if (align && t.size() < width && writer->IsNumericText(t))
            return QString(width - t.size(), u' ') + t;
        if (t.size() > width && symbol.size() < width)
            return t.left(width - symbol.size()) + symbol;
        return t.size() >= width ? t.left(width) : t + QString(width - t.size(), u' ');
    };
    const QStringList texts{QString(),
                            QStringLiteral("1.5"),
                            QStringLiteral("-12.25"),
                            QStringLiteral("1\t5"),
                            QStringLiteral("Consultancy"),
                            QStringLiteral("Ab\x01"
                                           "cdefghijk\x1f"),
                            QStringLiteral("M\u00fcller \U0001F600 caf\u00e9"),
                            QStringLiteral("\r\n\r\n"),
                            QString(40, u'x') + u'\t'};
    int compared = 0;
    for (const QString &symbol : {QStringLiteral("-"), QString(), QStringLiteral("..")}) {
        component.setTruncateSymbol(symbol);
        for (const QString &t : texts)
            for (int width = 0; width <= 14; ++width)
                for (const bool align : {false, true}) {
                    QString out = QStringLiteral("lead|");
                    writer->AppendFitted(out, t, width, align);
                    ASSERT_EQ(out, QStringLiteral("lead|") + reference(t, width, align))
                        << qPrintable(t) << " width " << width << " align " << align;
                    ++compared;
                }
    }
    EXPECT_EQ(compared, 3 * 9 * 15 * 2);
}

TEST(TextRoutines, FirstControlCharIsFoundAtEveryPlace)
{
    for (int n = 0; n <= 40; ++n) {
        const QString plain(n, QChar(u'\u00e9'));
        EXPECT_EQ(FirstControlChar(plain), n);
        for (int at = 0; at < n; ++at)
            for (const char16_t c : {u'\x00', u'\t', u'\x1f'}) {
                QString t = plain;
                t[at] = QChar(c);
                if (at + 1 < n)
                    t[at + 1] = QChar(u'\x01'); // a second one later changes nothing
                ASSERT_EQ(FirstControlChar(t), at) << n << " " << at;
            }
    }
    // Neither the space nor characters whose low byte is a control code count.
    EXPECT_EQ(FirstControlChar(QStringLiteral(" \u0101\u0909\uffff\u201f ")), 6);
}

TEST_F(Routines, ItemColumnIsAsWideAsItsTitleOrItsLargestNumber)
{
    EXPECT_EQ(writer->ColumnWidth(0), 4);
    component.setItemTotal(123456);
    EXPECT_EQ(writer->ColumnWidth(0), 6);
    EXPECT_EQ(writer->ColumnWidth(2), 15); // Client's display width
    component.setColWidths({QString(), QStringLiteral(" 20 ")});
    EXPECT_EQ(writer->ColumnWidth(1), 11); // blank entry: the display width
    EXPECT_EQ(writer->ColumnWidth(2), 20);
}

TEST_F(Routines, NumericTextPrefersACleanDisplayText)
{
    auto value = [](const char *display) {
        ExportValue v;
        v.hasInfo = true;
        v.info.HasDisplayText = true;
        v.info.DisplayText = QString::fromUtf8(display);
        return v;
    };
    EXPECT_EQ(writer->NumericText(QStringLiteral("1.5"), value("1.5000")),
              QStringLiteral("1.5000"));
    EXPECT_EQ(writer->NumericText(QStringLiteral("1234.5"), value("1,234.50")),
              QStringLiteral("1234.50"));
    EXPECT_EQ(writer->NumericText(QStringLiteral("1234.5"), value("$1,234.50")),
              QStringLiteral("1234.5"));
    EXPECT_EQ(writer->NumericText(QStringLiteral("7"), ExportValue{}), QStringLiteral("7"));
}

TEST_F(Routines, IsNumericTextFollowsTheDecimalSeparator)
{
    for (const char *yes : {"1", " -1.5", "+.5", "2e10", "1.5E-3", "7."})
        EXPECT_TRUE(writer->IsNumericText(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", "abc", "1.2.3", "1e", "1,5", "1 ", "٣"})
        EXPECT_FALSE(writer->IsNumericText(QString::fromUtf8(no))) << no;

    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    auto w = CreateExportWriter(component, xText, QString(), &sink);
    EXPECT_TRUE(w->IsNumericText(QStringLiteral("1,5")));
    EXPECT_FALSE(w->IsNumericText(QStringLiteral("1.5")));
    EXPECT_EQ(w->DotDecimal(QStringLiteral("1,5")), QStringLiteral("1.5"));
}

TEST(FooterFormat, FormatsOneNumberAndRefusesOtherSpecifiers)
{
    ExportLocale l;
    l.decimalSeparator = QStringLiteral(",");
    l.thousandSeparator = QStringLiteral(".");
    EXPECT_EQ(FormatFooter(QStringLiteral("%.0f records"), 12, l), QStringLiteral("12 records"));
    EXPECT_EQ(FormatFooter(QStringLiteral("%f / %%"), 1.5, l), QStringLiteral("1,50 / %"));
    EXPECT_EQ(FormatFooter(QStringLiteral("%n"), 12345.5, l), QStringLiteral("12.345,50"));
    EXPECT_EQ(FormatFooter(QStringLiteral("no specifier"), 3, l), QStringLiteral("no specifier"));
    EXPECT_THROW(FormatFooter(QStringLiteral("100% done"), 3, l), ExportError);
    EXPECT_THROW(FormatFooter(QStringLiteral("%d records"), 3, l), ExportError);
    EXPECT_THROW(FormatFooter(QStringLiteral("%f and %f"), 3, l), ExportError);
}

TEST(CellKinds, DateTimeFieldsByDisplayFormat)
{
    EXPECT_EQ(TExportDataSet::DateTimeCellKind(QString()), ckDateTime);
    EXPECT_EQ(TExportDataSet::DateTimeCellKind(QStringLiteral("c")), ckDateTime);
    EXPECT_EQ(TExportDataSet::DateTimeCellKind(QStringLiteral(" DD/MM/YYYY ")), ckDateTimeAsDate);
    EXPECT_EQ(TExportDataSet::DateTimeCellKind(QStringLiteral("h:nn am/pm")), ckDateTimeAsTime);
    EXPECT_EQ(TExportDataSet::DateTimeCellKind(QStringLiteral("hh:nn AMPM")), ckDateTimeAsTime);
    EXPECT_EQ(TExportDataSet::DateTimeCellKind(QStringLiteral("d/m/y h:nn")), ckDateTime);
}

TEST_F(Routines, TimeLogColumnsAndTheirCellKinds)
{
    component.setOptions(NumberRows | ShowColHeaders);
    QStringList names;
    component.FillColumnNames(names);
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("Item"), QStringLiteral("Date"), QStringLiteral("Client"),
                           QStringLiteral("Job Type"), QStringLiteral("Task Description"),
                           QStringLiteral("In"), QStringLiteral("Out"), QStringLiteral("Hours"),
                           QStringLiteral("$")}));
    EXPECT_EQ(component.ColumnKinds(), (std::vector<int>{-1, 7, 1, 1, 1, 8, 8, 4, 6}));
    // The hidden note column comes in with ExportInvisibleCols; Captions rename by field index.
    component.setOptions(ExportInvisibleCols);
    component.setCaptions({QStringLiteral("Day"), QString(), QStringLiteral("Work")});
    component.FillColumnNames(names);
    EXPECT_EQ(names.size(), 9);
    EXPECT_EQ(names[0], QStringLiteral("Day"));
    EXPECT_EQ(names[1], QString()); // a blank caption still names the field
    EXPECT_EQ(names[2], QStringLiteral("Work"));
    EXPECT_EQ(names[3], QStringLiteral("Task Description"));
    EXPECT_EQ(names[8], QStringLiteral("Note"));
}

TEST(Settings, AssignmentRules)
{
    TExportTable c;
    c.setTitle(QStringLiteral("A\tTitle\r\n"));
    EXPECT_EQ(c.Title(), QStringLiteral("ATitle"));
    c.setHeader({QStringLiteral("one"), QStringLiteral(" "), QString()});
    EXPECT_EQ(c.Header(), QStringList{QStringLiteral("one")});
    c.setTruncateSymbol(QStringLiteral("  ~ "));
    EXPECT_EQ(c.TruncateSymbol(), QStringLiteral("~"));
    c.setOptions(NumberRows | ExportAllWhenNoneSelected);
    EXPECT_EQ(c.Options(), TExportOptions(NumberRows));
    EXPECT_EQ(c.ExportType(), xMicrosoft_Excel);
    EXPECT_EQ(c.XL_Options().PageFooter, QStringLiteral("Page &P of &N"));
}

TEST(Settings, ColWidthsMustBePositiveWholeNumbers)
{
    TExportTable c;
    c.setColWidths({QStringLiteral(" 5"), QString(), QStringLiteral("7 "), QStringLiteral(" ")});
    EXPECT_EQ(c.ColWidths(), (QStringList{QStringLiteral("5"), QString(), QStringLiteral("7")}));
    try {
        c.setColWidths({QStringLiteral("0")});
        FAIL() << "0 was accepted";
    } catch (const ExportError &e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("ColWidths Property Error\n\n\"0\" is an Invalid Column "
                                 "Width. It must be a Positive Integer Number greater "
                                 "than Zero."));
    }
    EXPECT_THROW(c.setColWidths({QStringLiteral("x")}), ExportError);
    EXPECT_EQ(c.ColWidths().size(), 3);
}

TEST(Settings, CustomTemplateNeedsTenSemicolons)
{
    TExportTable c;
    try {
        c.setHTML_CustomTemplate(QStringLiteral("a;b;c;d;e;f;g;h;i;j"));
        FAIL() << "nine semicolons were accepted";
    } catch (const ExportError &e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Invalid Template! Please correct it.\n\nYou should have "
                                 "\"10\" semicolons but instead you have \"9\""));
    }
    c.setHTML_CustomTemplate(QStringLiteral("1;2;3;4;5;6;7;8;9;10;11"));
    EXPECT_EQ(GetToken(c.HTML_CustomTemplate(), 11), QStringLiteral("11"));
    EXPECT_THROW(GetToken(c.HTML_CustomTemplate(), 12), ExportError);
    EXPECT_THROW(GetToken(c.HTML_CustomTemplate(), 0), ExportError);
    c.setHTML_CustomTemplate(QStringLiteral("  "));
    EXPECT_TRUE(c.HTML_CustomTemplate().isEmpty());
}

TEST(CharacterSets, CodePage1252WithQuestionMarks)
{
    EXPECT_EQ(toCp1252(QStringLiteral("é€Ł😀")), QByteArray("\xE9\x80??"));
    // After a run of plain ASCII of any length, at the eight-character steps and between them.
    for (int n = 0; n < 20; ++n) {
        const QString lead(n, u'a');
        EXPECT_EQ(toCp1252(lead + QStringLiteral("é€Ł😀z")),
                  QByteArray(n, 'a') + QByteArray("\xE9\x80??z"))
            << n;
        EXPECT_EQ(toCp1252(lead), QByteArray(n, 'a')) << n;
    }
}

} // namespace
