// The record loop of a writer and the routines the formats share.
#include "EC_Writer.h"

#include "EC_View.h"
#include "Services.h"
#include "XProgress.h"

#include <QApplication>
#include <QLocale>
#include <QThread>
#include <QUrl>
#include <QWidget>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

TCustomExport::TCustomExport(TExportXComponent &component, TExportType type, const QString &target,
                             QIODevice *sink)
    : m_type(type), m_target(target), m_sink(sink), m_component(component),
      m_locale(ExportLocale::current())
{}

TCustomExport::~TCustomExport() = default;

bool TCustomExport::Create()
{
    if (!m_component.CheckReady())
        return false;
    m_extension = exportTypeExtension(m_type);
    m_toFile = IsNotBlank(m_target);
    m_recordNo = 0;
    if (has(ShowProgress) && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        m_progress = NewProgressForm(ExportText::exportingCaption(), QString(),
                                     ExportText::progressCountFormat(), m_component.ItemTotal());
    }
    OpenOutput();
    m_created = true;
    return true;
}

namespace {

/// Disables the owner window and shows the busy cursor for the life of a run.
class RunScope
{
public:
    RunScope(QWidget *owner, bool disableOwner)
        : m_owner(disableOwner ? owner : nullptr),
          m_gui(qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_gui)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_owner)
            m_owner->setEnabled(false);
    }
    ~RunScope()
    {
        if (m_owner)
            m_owner->setEnabled(true);
        if (m_gui)
            QApplication::restoreOverrideCursor();
    }
    RunScope(const RunScope &) = delete;
    RunScope &operator=(const RunScope &) = delete;

private:
    QWidget *m_owner;
    bool m_gui;
};

/// Calls EndExport however the loop ended.
class EndExportScope
{
public:
    explicit EndExportScope(TExportXComponent &c) : m_c(c) { m_c.BeginExport(); }
    ~EndExportScope() { m_c.EndExport(); }
    EndExportScope(const EndExportScope &) = delete;
    EndExportScope &operator=(const EndExportScope &) = delete;

private:
    TExportXComponent &m_c;
};

} // namespace

bool TCustomExport::Run()
{
    QCoreApplication::processEvents();
    if (!m_component.CheckReady()) {
        m_succeeded = false;
        return false;
    }
    QStringList names;
    m_component.FillColumnNames(names);
    bool result = false;
    {
        RunScope busy(m_component.ownerWindow(), has(ShowProgress));
        EndExportScope scope(m_component);
        try {
            ExportRow row;
            m_component.setUtf8Texts(TakesUtf8Texts());
            m_component.setBorrowedTexts(TakesBorrowedTexts());
            WriteHeader(m_component.ColumnNames());
            m_component.ResetCounters();
            bool cancelled = false;
            while (m_component.HasMoreItems()) {
                m_component.NextItem(row);
                WriteRecord(row, m_component.ItemsExported());
                if (m_progress && !m_progress->UpdateProgress(m_component.ItemsExported())) {
                    cancelled = true;
                    break;
                }
            }
            if (!cancelled) {
                WriteFooter();
                commitOutput();
                result = true;
            }
        } catch (const ExportError &e) {
            ReportFailure(e.message());
            closeProgressNow();
        } catch (const std::exception &e) {
            // Not the output's failure but the data's (a damaged table, a read refused): the
            // format's "try another file name" would send the user the wrong way.
            Services::instance().messages().error(QString::fromUtf8(e.what()));
            closeProgressNow();
        }
    }
    m_succeeded = result;
    return result;
}

void TCustomExport::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    freeProgress();
}

void TCustomExport::closeProgressNow()
{
    if (m_progress)
        m_progress->closeProgress();
}

void TCustomExport::WriteHeader(const QStringList &titles)
{
    if (m_progress)
        m_progress->showProgress();
    m_titles = titles;
    m_textLengths.assign(titles.size(), 0);
    m_widths.assign(titles.size(), 0);
    for (int i = 0; i < titles.size(); ++i) {
        m_textLengths[i] = static_cast<int>(titles[i].size());
        m_widths[i] = ColumnWidth(i);
    }
}

void TCustomExport::WriteRecord(const ExportRow &values, int recordNo)
{
    m_recordNo = recordNo;
    if (!MeasuresTexts())
        return;
    const size_t n = std::min(values.size(), m_textLengths.size());
    for (size_t i = 0; i < n; ++i) {
        const ExportValue &v = values[i];
        const int len = static_cast<int>(v.isUtf8 ? Utf16Length(v.utf8) : v.text.size());
        if (len > m_textLengths[i])
            m_textLengths[i] = len;
    }
}

void TCustomExport::WriteFooter()
{
    if (m_component.OnWriteFooter)
        m_component.OnWriteFooter(&m_component, m_component.ItemsExported());
    QStringList &formatted = m_component.FormattedFooter();
    formatted.clear();
    const QString text =
        FormatFooter(LinesText(m_component.Footer()), m_component.ItemsExported(), m_locale);
    if (!text.isEmpty()) {
        formatted = text.split(QStringLiteral("\r\n"));
        if (text.endsWith(QStringLiteral("\r\n")))
            formatted.removeLast();
    }
}

void TCustomExport::ReportFailure(const QString & /*error*/)
{
    // The user sees the format's own failure text; the cause (for example a full disk) is
    // what that text asks them to check.
    Services::instance().messages().error(failureMessage());
}

QString TCustomExport::CreatedLine() const
{
    const QDateTime now = Services::instance().clock().now();
    const QLocale l;
    const QString stamp = l.toString(now.date(), m_locale.shortDateFormat) + QLatin1Char(' ') +
                          QLocale::c().toString(now.time(), m_locale.longTimeFormat);
    const QString prefix = ExportText::createdPrefix();
    return IsNotBlank(prefix) ? prefix + QLatin1Char(' ') + stamp : stamp;
}

QString TCustomExport::CellText(const ExportRow &values, int i)
{
    const ExportValue &v = values[static_cast<size_t>(i)];
    if (v.isUtf8)
        return QString::fromUtf8(v.utf8);
    return v.hasInfo && v.info.HasDisplayText ? v.info.DisplayText : v.text;
}

int TCustomExport::CellKind(int i, const QString &s) const
{
    if (m_recordNo == 0 && has(ShowColHeaders))
        return ckText;
    const std::vector<int> &kinds = m_component.ColumnKinds();
    const int k = i >= 0 && static_cast<size_t>(i) < kinds.size() ? kinds[i] : -1;
    if (k > 0)
        return k;
    return (i == 0 && has(NumberRows)) || IsNumericText(s) ? ckNumber : ckUnclassified;
}

bool TCustomExport::IsNumericText(QStringView s) const
{
    const QString &dec = m_locale.decimalSeparator;
    const bool dotIsDecimal = dec == QLatin1String(".");
    if (!dotIsDecimal && s.contains(u'.'))
        return false;
    const qsizetype decPos = dotIsDecimal ? -1 : s.indexOf(dec);
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto at = [&](qsizetype k) -> QChar {
        if (k == decPos)
            return u'.';
        return s[k];
    };
    while (i < n && at(i) == u' ')
        ++i;
    if (i < n && (at(i) == u'+' || at(i) == u'-'))
        ++i;
    int digits = 0;
    while (i < n && at(i).isDigit() && at(i).unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && at(i) == u'.') {
        ++i;
        while (i < n && at(i).isDigit() && at(i).unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (at(i) == u'e' || at(i) == u'E')) {
        ++i;
        if (i < n && (at(i) == u'+' || at(i) == u'-'))
            ++i;
        int expDigits = 0;
        while (i < n && at(i).isDigit() && at(i).unicode() < 128) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == n;
}

QString TCustomExport::NumericText(const QString &s, const ExportValue &value) const
{
    if (!value.hasInfo)
        return s;
    // Looked at through a view: a display text with nothing to trim or remove (every one of a
    // time log's hours) is handed back as it is, without a copy.
    const QString &display = value.info.DisplayText;
    QStringView d = QStringView(display).trimmed();
    QString removed;
    if (!m_locale.thousandSeparator.isEmpty() && d.contains(m_locale.thousandSeparator)) {
        removed = d.toString();
        removed.remove(m_locale.thousandSeparator);
        d = removed;
    }
    if (d.isEmpty())
        return s;
    const QString &dec = m_locale.decimalSeparator;
    const QChar first = d[0];
    if (!(first == u'-' || (first.isDigit() && first.unicode() < 128) || d.startsWith(dec)))
        return s;
    for (qsizetype i = 1; i < d.size(); ++i) {
        const QChar c = d[i];
        if (!((c.isDigit() && c.unicode() < 128) || QStringView(&c, 1) == dec))
            return s;
    }
    if (d.size() == display.size())
        return display;
    return removed.isEmpty() ? d.toString() : removed;
}

int TCustomExport::ColumnWidth(int i) const
{
    const bool numberRows = has(NumberRows);
    if (numberRows && i == 0) {
        int w = static_cast<int>(ExportText::itemTitle().size());
        const int total = m_component.ItemTotal();
        if (total > 0)
            w = std::max(w, static_cast<int>(QString::number(total).size()));
        return w;
    }
    const int j = numberRows ? i - 1 : i;
    const int fixed = m_component.FixedColumnWidth(j);
    return fixed > 0 ? fixed : m_component.GetColumnWidth(j);
}

QString TCustomExport::FitToWidth(const QString &s, int width, bool alignNumbers) const
{
    QString r;
    AppendFitted(r, s, width, alignNumbers);
    return r;
}

void TCustomExport::AppendFitted(QString &out, QStringView s, int width, bool alignNumbers) const
{
    width = std::max(width, 0);
    QString stripped;
    QStringView t = s;
    if (FirstControlChar(s) < s.size()) {
        stripped = StripControlChars(s.toString());
        t = stripped;
    }
    const QString &symbol = m_component.TruncateSymbol();
    const qsizetype n = t.size();
    if (alignNumbers && n < width && IsNumericText(t)) {
        // Right-aligned: spaces first.
        out.resize(out.size() + (width - n), u' ');
        out += t;
    } else if (n > width && symbol.size() < width) {
        out += t.left(width - symbol.size());
        out += symbol;
    } else if (n >= width) {
        out += t.left(width);
    } else {
        out += t;
        out.resize(out.size() + (width - n), u' ');
    }
}

QString TCustomExport::DotDecimal(const QString &s) const
{
    const QString &dec = m_locale.decimalSeparator;
    if (dec == QLatin1String("."))
        return s;
    QString r = s;
    const qsizetype p = r.indexOf(dec);
    if (p >= 0)
        r.replace(p, dec.size(), QStringLiteral("."));
    return r;
}

// ---- TCustomShellViewExport ----

void TCustomShellViewExport::OpenOutput()
{
    QString caption;
    for (int i = 0; i < kExportTypeCount; ++i) {
        if (exportTypeExtension(static_cast<TExportType>(i)) == m_extension) {
            caption = exportTypeCaption(static_cast<TExportType>(i));
            break;
        }
    }
    m_viewerError = ExportText::viewerError(caption);
    if (m_toFile)
        m_fileName = m_target;
    else if (!m_sink)
        m_fileName = TempFileName(m_extension);
}

void TCustomShellViewExport::Finish()
{
    if (m_finished)
        return;
    try {
        closeOutput();
    } catch (const ExportError &) {
        // A run that wrote everything has already flushed; what is left is reported by the run.
    }
    if (m_created && !m_toFile && !m_sink && m_succeeded)
        openViewer();
    TCustomExport::Finish();
}

void TCustomShellViewExport::openViewer()
{
    const bool started = Services::instance().shell().open(QUrl::fromLocalFile(m_fileName));
    if (!started)
        Services::instance().messages().error(m_viewerError);
    freeProgress();
    if (!started)
        return;
    // Step aside for the viewer when it did not take the foreground itself; the component
    // restores the program when the user comes back to it.
    if (component().viewerSettleMs > 0)
        QThread::msleep(static_cast<unsigned long>(component().viewerSettleMs));
    QWidget *active = QApplication::activeWindow();
    QWidget *owner = component().ownerWindow();
    if (active && (!owner || active == owner->window())) {
        active->showMinimized();
        component().setMinimizedForViewer(true);
    }
}

void TCustomShellViewExport::openStream(bool background)
{
    if (m_sink) {
        if (!m_sink->isOpen() && !m_sink->open(QIODevice::WriteOnly))
            throw ExportError(m_sink->errorString());
        m_out = m_sink;
        return;
    }
    m_file = std::make_unique<QFile>(m_fileName);
    // Written in the background, the file needs no buffer of its own: the writer gathers chunks.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate |
                                     (background ? QIODevice::Unbuffered : QIODevice::NotOpen);
    if (!m_file->open(mode)) {
        const QString error = m_file->errorString();
        m_file.reset();
        throw ExportError(QStringLiteral("%1: %2").arg(m_fileName, error));
    }
    m_out = m_file.get();
    if (background) {
        m_background = std::make_unique<BackgroundFileWriter>(std::move(m_file));
        m_out = m_background.get();
    }
}

void TCustomShellViewExport::closeStream()
{
    if (m_background) {
        const bool written = m_background->finish();
        m_background.reset();
        m_out = nullptr;
        if (!written)
            throw ExportError(failureMessage());
        return;
    }
    if (!m_file)
        return;
    const bool flushed = m_file->flush();
    m_file->close();
    m_file.reset();
    m_out = nullptr;
    if (!flushed)
        throw ExportError(failureMessage());
}

// ---- TCustomTextExport ----

void TCustomTextExport::OpenOutput()
{
    TCustomShellViewExport::OpenOutput();
    // Text is only ever appended: the file is written while the next records are formatted.
    openStream(true);
}

void TCustomTextExport::closeOutput()
{
    closeStream();
}

void TCustomTextExport::writeBytes(const QByteArray &b)
{
    if (!m_out || m_out->write(b) != b.size())
        throw ExportError(m_out ? m_out->errorString() : failureMessage());
}

void TCustomTextExport::appendEncoded(QStringView s, QByteArray &out) const
{
    appendUtf8(out, s);
}

void TCustomTextExport::writeText(const QString &s)
{
    m_lineBytes.resize(0);
    appendEncoded(s, m_lineBytes);
    writeBytes(m_lineBytes);
}

void TCustomTextExport::writeLine(QStringView s)
{
    m_lineBytes.resize(0);
    appendEncoded(s, m_lineBytes);
    m_lineBytes.append("\r\n", 2);
    writeBytes(m_lineBytes);
}

qsizetype appendAscii(QByteArray &out, QStringView s)
{
    const qsizetype n = s.size();
    const char16_t *p = s.utf16();
    const qsizetype start = out.size();
    out.resize(start + n);
    char *d = out.data() + start;
    qsizetype ascii = 0;
#if defined(__SSE2__)
    // Eight characters at a time while none is above 0x7F.
    while (ascii + 8 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + ascii));
        const __m128i above = _mm_subs_epu16(v, _mm_set1_epi16(0x7F));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(above, _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(d + ascii), _mm_packus_epi16(v, v));
        ascii += 8;
    }
#endif
    for (; ascii < n && p[ascii] < 0x80; ++ascii)
        d[ascii] = static_cast<char>(p[ascii]);
    out.resize(start + ascii);
    return ascii;
}

void appendUtf8(QByteArray &out, QStringView s)
{
    const qsizetype ascii = appendAscii(out, s);
    if (ascii < s.size())
        out += s.sliced(ascii).toUtf8();
}

void TCustomTextExport::flushOutput()
{
    if (m_file && !m_file->flush())
        throw ExportError(m_file->errorString());
    if (m_background && !m_background->flush())
        throw ExportError(m_background->errorString());
}

// ---- character sets and the footer format ----

QByteArray toCp1252(const QString &s)
{
    QByteArray r;
    appendCp1252(r, s);
    return r;
}

void appendCp1252(QByteArray &r, QStringView s)
{
    // Code page 1252 is Latin-1 except for 0x80-0x9F, which hold these characters.
    static const char16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    // The leading ASCII, nearly every text whole, goes eight characters at a time.
    const qsizetype ascii = appendAscii(r, s);
    if (ascii == s.size())
        return;
    s = s.sliced(ascii);
    const qsizetype start = r.size();
    r.resize(start + s.size()); // one byte per UTF-16 unit at most
    char *d = r.data() + start;
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            d[n++] = static_cast<char>(c);
            continue;
        }
        char out = '?';
        for (int k = 0; k < 32; ++k) {
            if (kHigh[k] == c && c != 0) {
                out = static_cast<char>(0x80 + k);
                break;
            }
        }
        d[n++] = out;
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i; // one "?" per character, not per UTF-16 unit
    }
    r.resize(start + n);
}

namespace {

QString withDecimal(QString s, const ExportLocale &l)
{
    const qsizetype p = s.indexOf(u'.');
    if (p >= 0)
        s.replace(p, 1, l.decimalSeparator);
    return s;
}

QString groupThousands(const QString &fixed, const ExportLocale &l)
{
    // fixed: optional '-', digits, optional '.' and decimals (C notation).
    const bool negative = fixed.startsWith(u'-');
    QString body = negative ? fixed.mid(1) : fixed;
    const qsizetype dot = body.indexOf(u'.');
    QString whole = dot >= 0 ? body.left(dot) : body;
    const QString decimals = dot >= 0 ? body.mid(dot + 1) : QString();
    for (qsizetype k = whole.size() - 3; k > 0; k -= 3)
        whole.insert(k, l.thousandSeparator);
    QString r = (negative ? QStringLiteral("-") : QString()) + whole;
    if (dot >= 0)
        r += l.decimalSeparator + decimals;
    return r;
}

QString scientific(double v, int precision, const ExportLocale &l)
{
    // d.dddE+ddd with `precision` significant digits and at least three exponent digits.
    QString s = QString::number(v, 'E', std::max(precision, 1) - 1);
    const qsizetype e = s.indexOf(u'E');
    QString mantissa = s.left(e);
    QString exp = s.mid(e + 1);
    const QChar sign = exp[0] == u'-' ? u'-' : u'+';
    if (exp[0] == u'-' || exp[0] == u'+')
        exp.remove(0, 1);
    while (exp.size() < 3)
        exp.prepend(u'0');
    return withDecimal(mantissa, l) + QLatin1Char('E') + sign + exp;
}

} // namespace

QString FormatFooter(const QString &format, double value, const ExportLocale &locale)
{
    auto invalid = [&format]() {
        return ExportError(
            QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
    };
    QString r;
    bool argumentUsed = false;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            r += c;
            continue;
        }
        if (++i >= n)
            throw invalid();
        if (format[i] == u'%') {
            r += u'%';
            continue;
        }
        auto readNumber = [&](int &out) {
            bool any = false;
            out = 0;
            while (i < n && format[i].isDigit()) {
                out = out * 10 + format[i].digitValue();
                ++i;
                any = true;
            }
            return any;
        };
        int number = 0;
        const qsizetype start = i;
        bool explicitIndex = false;
        if (readNumber(number) && i < n && format[i] == u':') {
            if (number != 0)
                throw invalid();
            explicitIndex = true;
            ++i;
        } else {
            i = start;
        }
        bool leftAlign = false;
        if (i < n && format[i] == u'-') {
            leftAlign = true;
            ++i;
        }
        int width = 0;
        readNumber(width);
        int precision = -1;
        if (i < n && format[i] == u'.') {
            ++i;
            if (!readNumber(precision))
                precision = 0;
        }
        if (i >= n)
            throw invalid();
        if (argumentUsed && !explicitIndex)
            throw invalid();
        argumentUsed = true;
        QString piece;
        switch (format[i].toLower().unicode()) {
        case u'f':
            piece = withDecimal(QString::number(value, 'f', precision < 0 ? 2 : precision), locale);
            break;
        case u'n':
            piece =
                groupThousands(QString::number(value, 'f', precision < 0 ? 2 : precision), locale);
            break;
        case u'g':
            piece =
                withDecimal(QString::number(value, 'g', precision <= 0 ? 15 : precision), locale);
            break;
        case u'e':
            piece = scientific(value, precision < 0 ? 15 : precision, locale);
            break;
        case u'm': {
            const QString amount =
                groupThousands(QString::number(std::fabs(value), 'f',
                                               precision < 0 ? locale.currencyDecimals : precision),
                               locale);
            const QString &sym = locale.currencySymbol;
            switch (locale.positiveCurrencyFormat) {
            case 1:
                piece = amount + sym;
                break;
            case 2:
                piece = sym + QLatin1Char(' ') + amount;
                break;
            case 3:
                piece = amount + QLatin1Char(' ') + sym;
                break;
            default:
                piece = sym + amount;
                break;
            }
            if (value < 0)
                piece.prepend(u'-');
            break;
        }
        default:
            throw invalid();
        }
        if (piece.size() < width)
            piece = leftAlign ? piece.leftJustified(width) : piece.rightJustified(width);
        r += piece;
    }
    return r;
}

} // namespace kv
