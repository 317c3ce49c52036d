// HTML and RTF documents.
#include "EC_DocFormats.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

/// Whether a cell's text is one HtmlText hands back as it is: no control character, nothing
/// to escape, and neither the ':' nor the '@' every link holds. Eight characters at a time.
bool plainCell(QStringView s)
{
    const char16_t *p = s.utf16();
    const qsizetype n = s.size();
    qsizetype i = 0;
    const auto special = [](char16_t c) {
        return c < 32 || c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u':' || c == u'@';
    };
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        // Unsigned: 32 - c saturates to 0 for every c from 32 up.
        __m128i hit = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_set1_epi16(32), v), _mm_setzero_si128());
        hit = _mm_andnot_si128(hit, _mm_set1_epi16(-1)); // c < 32
        for (const char16_t c : {u'&', u'<', u'>', u'"', u':', u'@'})
            hit = _mm_or_si128(hit, _mm_cmpeq_epi16(v, _mm_set1_epi16(static_cast<short>(c))));
        if (_mm_movemask_epi8(hit) != 0)
            return false;
    }
#endif
    for (; i < n; ++i) {
        if (special(p[i]))
            return false;
    }
    return true;
}

QString htmlEscape(const QString &s)
{
    // Most texts have nothing to escape: they are handed back without a copy.
    const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"'; };
    if (std::none_of(s.begin(), s.end(), special))
        return s;
    // Otherwise the runs between the special characters go over whole.
    QString r;
    r.reserve(s.size() + 16);
    const QChar *p = s.constData();
    const qsizetype n = s.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        QStringView entity;
        switch (p[i].unicode()) {
        case u'&':
            entity = u"&amp;";
            break;
        case u'<':
            entity = u"&lt;";
            break;
        case u'>':
            entity = u"&gt;";
            break;
        case u'"':
            entity = u"&quot;";
            break;
        default:
            continue;
        }
        r.append(p + run, i - run);
        r.append(entity);
        run = i + 1;
    }
    r.append(p + run, n - run);
    return r;
}

/// Whether `text` may hold one of AutoLink's markers: every marker but '@' holds "://" or is
/// "mailto:". A time of day has a ':' and no link; this tells so without a lower-case copy.
bool mayHoldLink(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'@')
            return true;
        if (c != u':')
            continue;
        if (i + 2 < n && text[i + 1] == u'/' && text[i + 2] == u'/')
            return true;
        if (i >= 6 && text.sliced(i - 6, 6).compare(u"mailto", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

/// Where a link or an e-mail word ends: a blank (the no-break space included) or a control
/// character.
bool endsLink(QChar c)
{
    return c.unicode() < 33 || c.isSpace();
}

} // namespace

QString GetToken(const QString &text, int n)
{
    const QStringList fields = text.split(u';');
    if (n <= 0 || n > fields.size())
        throw ExportError(ExportText::tokenError(n, text));
    return fields[n - 1];
}

// ---- HTML ----

QString THTMLExport::AutoLink(const QString &text)
{
    static const QString kMarkers[] = {QStringLiteral("http://"), QStringLiteral("https://"),
                                       QStringLiteral("ftp://"),  QStringLiteral("news://"),
                                       QStringLiteral("nntp://"), QStringLiteral("mailto:"),
                                       QStringLiteral("@")};
    if (!mayHoldLink(text))
        return text;
    QString out;
    QString s = text;
    for (;;) {
        const QString lower = s.toLower();
        qsizetype p = -1;
        for (const QString &m : kMarkers) {
            const qsizetype at = lower.indexOf(m);
            if (at >= 0 && (p < 0 || at < p))
                p = at;
        }
        if (p < 0)
            break;
        qsizetype e = p;
        while (e < s.size() && !endsLink(s[e]))
            ++e;
        QString link;
        if (s[p] == u'@') {
            qsizetype b = p - 1;
            while (b >= 0 && !endsLink(s[b]))
                --b;
            const QString word = s.mid(b + 1, e - b - 1);
            const QString domain = word.mid(word.indexOf(u'@') + 1);
            if (word.startsWith(u'@') || domain.indexOf(u'.') < 1) {
                out += s.left(p + 1);
                s.remove(0, p + 1);
                continue;
            }
            link = QStringLiteral("mailto:") + word;
            p = b + 1;
        } else {
            link = s.mid(p, e - p);
        }
        QString shown = link;
        const qsizetype mailto = shown.indexOf(QLatin1String("mailto:"), 0, Qt::CaseInsensitive);
        if (mailto >= 0)
            shown.remove(0, mailto + 7);
        out += s.left(p) + QStringLiteral("<a href=\"%1\">%2</a>").arg(link, shown);
        s.remove(0, e);
    }
    return out + s;
}

QString THTMLExport::HtmlText(const QString &s, bool link) const
{
    if (plainCell(s))
        return s;
    const bool ignoreBreaks = component().HTML_Options().testFlag(htIgnoreLineBreaks);
    const bool autoLink = link && component().HTML_Options().testFlag(htAutoLink);
    // Most texts hold nothing to escape and no control character: one look tells.
    const bool plain = std::none_of(s.begin(), s.end(), [](QChar c) {
        return c.unicode() < 32 || c == u'&' || c == u'<' || c == u'>' || c == u'"';
    });
    if (plain)
        return autoLink ? AutoLink(s) : s;
    const QString escaped = htmlEscape(s);
    const bool controls =
        std::any_of(escaped.begin(), escaped.end(), [](QChar c) { return c.unicode() < 32; });
    if (!controls)
        return autoLink ? AutoLink(escaped) : escaped;
    QString out;
    out.reserve(escaped.size());
    QString segment;
    auto flush = [&]() {
        out += autoLink ? AutoLink(segment) : segment;
        segment.clear();
    };
    for (QChar c : escaped) {
        if (c.unicode() >= 32) {
            segment += c;
            continue;
        }
        flush();
        if (c == u'\t' && !ignoreBreaks)
            out += QStringLiteral("&nbsp;&nbsp;&nbsp;");
        else if (c == u'\n')
            out += ignoreBreaks ? kCrLf : QStringLiteral("<br>\r\n");
    }
    flush();
    return out;
}

QString THTMLExport::NbspIfEmpty(const QString &s)
{
    // Nothing to trim (nearly every cell): the text itself, without a trimmed copy.
    if (!s.isEmpty() && !s.front().isSpace() && !s.back().isSpace())
        return s;
    const QString t = s.trimmed();
    return t.isEmpty() ? QStringLiteral("&nbsp;") : t;
}

void THTMLExport::appendEncoded(QStringView s, QByteArray &r) const
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        i += appendAscii(r, s.sliced(i));
        if (i >= s.size())
            break;
        const char16_t c = s[i].unicode();
        char32_t code = c;
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(s[i], s[i + 1]);
            ++i;
        }
        r.append("&#").append(QByteArray::number(static_cast<quint32>(code))).append(';');
    }
}

void THTMLExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    m_template = IsNotBlank(component().HTML_CustomTemplate())
                     ? component().HTML_CustomTemplate()
                     : htmlTemplateText(component().HTML_Template());
    const THTML_Options o = component().HTML_Options();
    const QString title = HtmlText(component().Title(), false);
    writeLine(
        QStringLiteral("<html><head><title>%1</title></head>\r\n<body bgcolor=\"%2\" "
                       "link=\"%3\" vlink=\"%4\" text=\"%5\" alink=\"%6\">\r\n<font "
                       "color=\"%7\" face=\"%8\">")
            .arg(title, token(1), token(2), token(3), token(10), token(4), token(5), token(6)));
    if (o.testFlag(htDisplayTitle))
        writeLine(QStringLiteral("<h1>%1</h1>").arg(title));
    if (has(TimeStamp))
        writeLine(htmlEscape(CreatedLine()) + QStringLiteral("<br><br>"));
    const QString header = headerText();
    if (IsNotBlank(header)) {
        QString h = HtmlText(header, true);
        if (!o.testFlag(htIgnoreLineBreaks))
            h += o.testFlag(htHorzRules) ? QStringLiteral("<hr>") : QStringLiteral("<br>");
        writeLine(h);
    }
    writeLine(QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\" border=\"%1\" "
                             "bgcolor=\"%2\">")
                  .arg(o.testFlag(htShowGridLines) ? 1 : 0)
                  .arg(token(9)));
    if (has(ShowColHeaders)) {
        const bool bold = o.testFlag(htColHeadersBold);
        const QString open = bold ? QStringLiteral("<b>") : QString();
        const QString close = bold ? QStringLiteral("</b>") : QString();
        const QString fontColor = token(8);
        writeLine(QStringLiteral("<tr valign=\"top\" bgcolor=\"%1\">").arg(token(7)));
        for (const QString &t : titles) {
            writeLine(QStringLiteral("<td>") + open + QStringLiteral("<font color=\"") + fontColor +
                      QStringLiteral("\">") + NbspIfEmpty(HtmlText(t, false)) +
                      QStringLiteral("</font>") + close + QStringLiteral("</td>"));
        }
        writeLine(QStringLiteral("</tr>"));
    }
}

void THTMLExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    // The row is built in a buffer kept from record to record and written at once.
    if (m_rowOpen[0].isEmpty()) {
        const bool colored = component().HTML_Options().testFlag(htOddRowColoring);
        for (int odd = 0; odd < 2; ++odd)
            m_rowOpen[odd] = colored ? QStringLiteral("<tr valign=\"top\" bgcolor=\"%1\">\r\n")
                                           .arg(token(odd == 1 ? 11 : 9))
                                     : QStringLiteral("<tr valign=\"top\">\r\n");
    }
    m_row.resize(0);
    m_row += m_rowOpen[recordNo % 2 == 1 ? 1 : 0];
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        m_row += QStringLiteral("<td>");
        m_row += NbspIfEmpty(HtmlText(CellText(values, i), true));
        m_row += QStringLiteral("</td>\r\n");
    }
    m_row += QStringLiteral("</tr>");
    writeLine(m_row);
}

void THTMLExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    writeText(QStringLiteral("</table>"));
    const QString footer = formattedFooterText();
    if (IsNotBlank(LinesText(component().Footer()))) {
        const THTML_Options o = component().HTML_Options();
        QString f = HtmlText(footer, true);
        if (!o.testFlag(htIgnoreLineBreaks))
            f.prepend(o.testFlag(htHorzRules) ? QStringLiteral("<hr>") : QStringLiteral("<br>"));
        writeLine(f);
    }
    writeText(QStringLiteral("</font></body></html>"));
}

// ---- RTF ----

QString TRichTextExport::RtfText(const QString &s)
{
    const auto special = [](QChar c) {
        return c.unicode() < 32 || c == u'\\' || c == u'{' || c == u'}';
    };
    if (std::none_of(s.begin(), s.end(), special))
        return s; // most texts: nothing to escape or expand, no copy
    QString r = InsertBefore(s, u'\\', u'\\');
    r = InsertBefore(r, u'{', u'\\');
    r = InsertBefore(r, u'}', u'\\');
    return ExpandBreaks(r, QStringLiteral("\\tab "), QStringLiteral("\\par\r\n"));
}

void TRichTextExport::appendEncoded(QStringView s, QByteArray &r) const
{
    static const char kHex[] = "0123456789abcdef";
    for (qsizetype i = 0; i < s.size(); ++i) {
        const qsizetype ascii = appendAscii(r, s.sliced(i));
        i += ascii;
        if (i >= s.size())
            break;
        const QChar ch = s[i];
        const char16_t c = ch.unicode();
        const QByteArray cp = toCp1252(QString(ch));
        if (cp != "?") {
            const auto b = static_cast<unsigned char>(cp[0]);
            r.append("\\'").append(kHex[b >> 4]).append(kHex[b & 0xF]);
        } else {
            // RTF's \u takes a signed 16-bit number; "?" is the fallback for old readers (\uc1).
            r.append("\\u").append(QByteArray::number(static_cast<qint16>(c))).append('?');
        }
    }
}

void TRichTextExport::RowDef(const QString &cellFormat, const QString &first, const QString &middle,
                             const QString &last)
{
    constexpr int kTwipsPerChar = 90;
    constexpr int kItemColumnChars = 6;
    constexpr int kCellPadding = 3;
    const int n = columnCount();
    int x = 0;
    QString block;
    for (int i = 0; i < n; ++i) {
        const int w = i == 0 && has(NumberRows) ? kItemColumnChars : m_widths[i] + kCellPadding;
        x += w * kTwipsPerChar;
        QString line;
        if (n == 1)
            line = first + cellFormat + last;
        else if (i == 0)
            line = first + cellFormat;
        else if (i == n - 1)
            line = cellFormat + last;
        else
            line = middle;
        block += line.replace(QStringLiteral("%d"), QString::number(x)) + kCrLf;
    }
    writeText(block);
}

void TRichTextExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    const TRTF_Options &m = component().Word_RTF_Options();
    static const char *const kPrologue[] = {
        "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\froman"
        "\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}{\\f1\\fswiss"
        "\\fcharset0\\fprq2{\\*\\panose 020b0604020202020204}Arial;}}{\\colortbl;\\red0\\green0"
        "\\blue0;",
        "\\red0\\green0\\blue255;\\red0\\green255\\blue255;\\red0\\green255\\blue0;\\red255"
        "\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red255\\green255"
        "\\blue255;\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;"
        "\\red128\\green0\\blue128;",
        "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;\\red192"
        "\\green192\\blue192;}{\\stylesheet{\\nowidctlpar\\widctlpar\\adjustright\\fs20\\cgrid"
        "\\snext0 Normal;}{\\s1\\keepn\\nowidctlpar\\widctlpar\\outlinelevel0\\adjustright\\b\\f1"
        "\\fs28\\cgrid",
        "\\sbasedon0\\snext0 heading 1;}{\\*\\cs10\\additive Default Paragraph Font;}}{\\info"
        "{\\nofcharsws0}{\\vern71}}\\widowctrl\\ftnbj\\aenddoc\\hyphcaps0\\formshade\\viewkind4"
        "\\viewscale109\\viewzk2\\pgbrdrhead\\pgbrdrfoot\\fet0\\sectd\\linex0\\endnhere"
        "\\sectdefaultcl ",
        "\\margl%1\\margr%2\\margt%3\\margb%4",
        "{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang",
        "{\\pntxta .}}{\\*\\pnseclvl2\\pnucltr\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}{\\*"
        "\\pnseclvl3\\pndec\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}{\\*\\pnseclvl4\\pnlcltr"
        "\\pnstart1\\pnindent720\\pnhang{\\pntxta )}}{\\*\\pnseclvl5\\pndec\\pnstart1"
        "\\pnindent720\\pnhang{\\pntxtb (}",
        "{\\pntxta )}}{\\*\\pnseclvl6\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}"
        "{\\pntxta )}}{\\*\\pnseclvl7\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta"
        " )}}{\\*\\pnseclvl8\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}{\\*"
        "\\pnseclvl9",
        "\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}\\pard"};
    QStringList prologue;
    for (const char *line : kPrologue)
        prologue << QString::fromLatin1(line);
    prologue[4] =
        prologue[4].arg(m.LeftMargin).arg(m.RightMargin).arg(m.TopMargin).arg(m.BottomMargin);
    writeLine(prologue.join(kCrLf));
    if (IsNotBlank(component().Title())) {
        writeLine(QStringLiteral("\\plain\\s1\\keepn\\nowidctlpar\\widctlpar\\outlinelevel0"
                                 "\\adjustright\\b\\f1\\fs28\\cgrid {") +
                  RtfText(component().Title()) + QStringLiteral("}\\fs16\\par\\par"));
    }
    writeLine(QStringLiteral("\\pard\\plain\\nowidctlpar\\widctlpar\\adjustright\\fs20\\cgrid "
                             "{\\f1\\fs16"));
    if (has(TimeStamp))
        writeLine(CreatedLine() + QStringLiteral("\\par\\par"));
    const QString header = headerText();
    if (IsNotBlank(header))
        writeLine(RtfText(header) + QStringLiteral("\\par"));
    if (has(ShowColHeaders)) {
        RowDef(QStringLiteral("\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs\\brdrw15\\brdrcf1"
                              "\\cltxlrtb\\cellx%d"),
               QStringLiteral("}\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1"
                              "\\trbrdrb\\brdrs\\brdrw30\\brdrcf1\\clvertalt\\clbrdrt"),
               QStringLiteral("\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs\\brdrw15\\brdrcf1"
                              "\\cltxlrtb\\cellx%d\\clvertalt\\clbrdrt"),
               QStringLiteral("\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\b\\f1\\fs16"));
        QString cells;
        for (const QString &t : titles)
            cells += RtfText(t) + QStringLiteral("\\cell ") + kCrLf;
        writeText(cells);
    }
}

void TRichTextExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    if (recordNo == 1) {
        RowDef(QStringLiteral("\\clvertalt\\cltxlrtb\\cellx%d"),
               QStringLiteral("}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\i\\f1\\fs16"
                              "\\row}\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30"
                              "\\brdrcf1\\trbrdrb\\brdrs\\brdrw30\\brdrcf1"),
               QStringLiteral("\\clvertalt\\cltxlrtb\\cellx%d"),
               QStringLiteral("\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\f1\\fs16"));
    } else if (component().HasMoreItems()) {
        writeLine(QStringLiteral("}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16"
                                 "\\row}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright"
                                 "{\\f1\\fs16"));
    } else {
        RowDef(QStringLiteral("\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx%d"),
               QStringLiteral("}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16"
                              "\\row}\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30"
                              "\\brdrcf1\\trbrdrb\\brdrs\\brdrw30\\brdrcf1\\clvertalt\\clbrdrb"),
               QStringLiteral("\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx%d\\clvertalt\\clbrdrb"),
               QStringLiteral("\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16"));
    }
    m_cells.resize(0);
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        m_cells += RtfText(CellText(values, i));
        m_cells += QStringLiteral("\\cell \r\n");
    }
    for (int i = static_cast<int>(values.size()); i < columnCount(); ++i)
        m_cells += QStringLiteral("\\cell \r\n");
    writeText(m_cells);
}

void TRichTextExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    writeLine(QStringLiteral("}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\\row}"
                             "\\pard\\nowidctlpar\\widctlpar\\adjustright{\\f1\\fs16\\par ") +
              RtfText(formattedFooterText()) + QStringLiteral("}}"));
}

} // namespace kv
