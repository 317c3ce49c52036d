// Comma-delimited, tab-delimited, fixed-width, detailed and clipboard text.
#include "EC_TextFormats.h"

#include "Services.h"

namespace kv {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

// ---- blocks shared by the fixed-width and detailed writers ----

QString TCustomExport::TextHeaderBlock(const QStringList &titles)
{
    QString r;
    const QString &title = m_component.Title();
    if (IsNotBlank(title))
        r += title + kCrLf + DashLine(static_cast<int>(title.size())) + kCrLf + kCrLf;
    if (has(TimeStamp))
        r += CreatedLine() + kCrLf + kCrLf;
    const QString header = headerText();
    if (IsNotBlank(header))
        r += ExpandBreaks(header, QStringLiteral("\t"), kCrLf) + kCrLf;
    m_headerLineLength = 0;
    if (has(ShowColHeaders)) {
        QString line;
        for (int i = 0; i < titles.size(); ++i) {
            if (i > 0)
                line += QLatin1Char(' ');
            line += FitToWidth(titles[i], m_widths[i], true);
        }
        r += line + kCrLf;
        m_headerLineLength = static_cast<int>(line.size());
        r += DashLine(m_headerLineLength) + kCrLf;
    }
    return r;
}

QString TCustomExport::TextRecordLine(const ExportRow &values) const
{
    QString line;
    AppendTextRecordLine(line, values);
    return line;
}

void TCustomExport::AppendTextRecordLine(QString &out, const ExportRow &values) const
{
    const int n = static_cast<int>(std::min(values.size(), m_widths.size()));
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            out += QLatin1Char(' ');
        const ExportValue &v = values[static_cast<size_t>(i)];
        if (v.isUtf8)
            AppendFitted(out, CellText(values, i), m_widths[i], true);
        else
            AppendFitted(out, v.hasInfo && v.info.HasDisplayText ? v.info.DisplayText : v.text,
                         m_widths[i], true);
    }
    out += kCrLf;
}

QString TCustomExport::TextFooterBlock() const
{
    const QString footer = formattedFooterText();
    if (!IsNotBlank(footer))
        return QString();
    QString r;
    if (has(ShowColHeaders))
        r += DashLine(m_headerLineLength) + kCrLf + kCrLf;
    return r + ExpandBreaks(footer, QStringLiteral("\t"), kCrLf) + kCrLf;
}

QString TCustomExport::DetailedHeaderBlock() const
{
    QString r;
    const QString &title = m_component.Title();
    if (IsNotBlank(title))
        r += title + kCrLf + DashLine(static_cast<int>(title.size())) + kCrLf + kCrLf;
    if (has(TimeStamp))
        r += CreatedLine() + kCrLf + kCrLf;
    const QString header = headerText();
    if (IsNotBlank(header))
        r += header + kCrLf + kCrLf;
    return r;
}

void TCustomExport::AppendDetailedRecordBlock(QString &out, const ExportRow &values)
{
    if (m_labelsWidth != m_captionWidth || m_detailedLabels.size() != size_t(m_titles.size())) {
        m_detailedLabels.clear();
        for (const QString &t : m_titles)
            m_detailedLabels.push_back(IsNotBlank(t) ? FitToWidth(t, m_captionWidth, false) + u": "
                                                     : QString());
        m_labelsWidth = m_captionWidth;
    }
    const bool labels = has(ShowColHeaders);
    const int n = static_cast<int>(std::min<size_t>(values.size(), m_titles.size()));
    for (int i = 0; i < n; ++i) {
        if (labels)
            out += m_detailedLabels[static_cast<size_t>(i)];
        AppendStripped(out, values[static_cast<size_t>(i)].text);
        out += kCrLf;
    }
    out += kCrLf;
}

// ---- CSV ----

void TCustomExport::AppendDelimitedLine(QByteArray &out, const ExportRow &values,
                                        QByteArrayView separator, char quote) const
{
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        if (i > 0)
            appendBytes(out, separator.data(), separator.size());
        const ExportValue &v = values[static_cast<size_t>(i)];
        const int k = CellKind(i, v.text);
        if (v.isUtf8) {
            // A text field's bytes, or the item number (a number's text as it is).
            if (k == ckNumber || k == ckCurrency)
                appendBytes(out, v.utf8.constData(), v.utf8.size());
            else
                AppendStrippedUtf8(out, QByteArrayView(v.utf8), quote, quote != '\0');
        } else if (k == ckNumber || k == ckCurrency) {
            appendUtf8(out, NumericText(v.text, v));
        } else {
            AppendStrippedUtf8(out, v.text, quote, quote != '\0');
        }
    }
    appendBytes(out, "\r\n");
}

void TCSVExport::BuildLine(const ExportRow &values)
{
    m_bytes.resize(0);
    AppendDelimitedLine(m_bytes, values, QByteArrayView(m_separator), '"');
}

void TCSVExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    m_separator = locale().listSeparator.toUtf8();
    if (!has(ShowColHeaders))
        return;
    ExportRow row;
    for (const QString &t : titles)
        row.push_back(ExportValue::plain(t));
    BuildLine(row);
    writeBytes(m_bytes);
}

void TCSVExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    BuildLine(values);
    writeBytes(m_bytes);
}

// ---- tab-delimited ----

void TTabExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    if (!has(ShowColHeaders))
        return;
    QString line;
    for (const QString &t : titles)
        line += t + QLatin1Char('\t');
    writeLine(line);
}

void TTabExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    // The CSV line's bytes with tabs between the values and no quotes.
    m_bytes.resize(0);
    AppendDelimitedLine(m_bytes, values, "\t", '\0');
    writeBytes(m_bytes);
}

// ---- fixed-width text ----

void TTextExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    writeText(TextHeaderBlock(titles));
}

void TTextExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    m_line.resize(0);
    AppendTextRecordLine(m_line, values);
    writeText(m_line);
}

void TTextExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    const QString block = TextFooterBlock();
    if (!block.isEmpty())
        writeText(block);
}

// ---- detailed text ----

namespace {
int longest(const QStringList &titles)
{
    int w = 0;
    for (const QString &t : titles)
        w = std::max(w, static_cast<int>(t.size()));
    return w;
}
} // namespace

void TDetailedTextExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    m_captionWidth = longest(titles);
    writeText(DetailedHeaderBlock());
}

void TDetailedTextExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    m_block.resize(0);
    AppendDetailedRecordBlock(m_block, values);
    writeText(m_block);
}

void TDetailedTextExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    const QString footer = formattedFooterText();
    if (IsNotBlank(footer))
        writeLine(footer);
}

// ---- clipboard ----

void TClipboardExport::WriteHeader(const QStringList &titles)
{
    TCustomExport::WriteHeader(titles);
    m_clipText = TextHeaderBlock(titles);
}

void TClipboardExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomExport::WriteRecord(values, recordNo);
    AppendTextRecordLine(m_clipText, values);
}

void TClipboardExport::WriteFooter()
{
    TCustomExport::WriteFooter();
    m_clipText += TextFooterBlock();
}

void TClipboardExport::Finish()
{
    if (m_finished)
        return;
    if (m_created) {
        Services::instance().clipboard().setText(m_clipText);
        if (m_succeeded && has(ShowClipboardMsg)) {
            if (progress())
                progress()->hideProgress();
            Services::instance().messages().information(ExportText::clipboardSuccess());
        }
    }
    TCustomExport::Finish();
}

void TDetailedClipboardExport::WriteHeader(const QStringList &titles)
{
    TCustomExport::WriteHeader(titles);
    m_captionWidth = longest(titles);
    m_clipText = DetailedHeaderBlock();
}

void TDetailedClipboardExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomExport::WriteRecord(values, recordNo);
    AppendDetailedRecordBlock(m_clipText, values);
}

void TDetailedClipboardExport::WriteFooter()
{
    TCustomExport::WriteFooter();
    const QString footer = formattedFooterText();
    if (!IsNotBlank(footer))
        return;
    const int dataColumns = columnCount() - (has(NumberRows) ? 1 : 0);
    if (dataColumns == 1)
        m_clipText += kCrLf;
    m_clipText += footer;
}

} // namespace kv
