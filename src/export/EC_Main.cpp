// The export component's settings, Execute, RunExport and the shared unit routines.
#include "EC_Main.h"

#include "EC_Choice.h"
#include "EC_View.h"
#include "EC_Writer.h"
#include "Services.h"
#include "Settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

QStringList withoutTrailingBlankLines(QStringList lines)
{
    while (!lines.isEmpty() && !IsNotBlank(lines.last()))
        lines.removeLast();
    return lines;
}

/// Raises OnExportFailed at most once per export.
class FailureEvent
{
public:
    explicit FailureEvent(TExportXComponent &c) : m_c(c) {}
    void raise()
    {
        if (m_raised)
            return;
        m_raised = true;
        if (m_c.OnExportFailed)
            m_c.OnExportFailed(&m_c);
    }

private:
    TExportXComponent &m_c;
    bool m_raised = false;
};

} // namespace

TExportXComponent::TExportXComponent(QObject *owner) : QObject(owner)
{
    m_lastChosenType = m_exportType;
    // Restore the program when the user comes back to it after a viewer minimised it.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this,
                &TExportXComponent::onApplicationStateChanged);
    }
}

TExportXComponent::~TExportXComponent() = default;

void TExportXComponent::onApplicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive || !m_minimizedForViewer)
        return;
    m_minimizedForViewer = false;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isMinimized())
            w->showNormal();
    }
}

void TExportXComponent::setTitle(const QString &t)
{
    m_title = StripControlChars(t);
}

void TExportXComponent::setHeader(const QStringList &lines)
{
    m_header = withoutTrailingBlankLines(lines);
}

void TExportXComponent::setFooter(const QStringList &lines)
{
    m_footer = withoutTrailingBlankLines(lines);
}

void TExportXComponent::setCaptions(const QStringList &c)
{
    m_captions = withoutTrailingBlankLines(c);
}

void TExportXComponent::setHTML_CustomTemplate(const QString &t)
{
    if (!IsNotBlank(t)) {
        m_htmlCustomTemplate.clear();
        return;
    }
    const int semicolons = static_cast<int>(t.count(u';'));
    if (semicolons != 10)
        throw ExportError(ExportText::templateError(semicolons));
    m_htmlCustomTemplate = t;
}

QWidget *TExportXComponent::ownerWindow() const
{
    return qobject_cast<QWidget *>(parent());
}

bool TExportXComponent::CheckReady()
{
    return true;
}

void TExportXComponent::BeginExport()
{
    m_selectionCount = GetItemCount();
}

void TExportXComponent::EndExport()
{
    m_columnKinds.clear();
}

void TExportXComponent::NextItem(ExportRow &row)
{
    const bool numbered = m_options.testFlag(NumberRows);
    if (numbered) {
        if (row.empty())
            row.resize(1);
        setItemNumber(row[0], m_itemsExported + 1);
    }
    FillRow(row, numbered ? 1 : 0);
    ++m_itemsExported;
}

void TExportXComponent::setItemNumber(ExportValue &v, int n) const
{
    v.hasInfo = false;
    v.info.HasDisplayText = false;
    v.info.BoolState = 0;
    v.hasSerial = false;
    v.isUtf8 = m_utf8Texts;
    if (!m_utf8Texts) {
        v.text = QString::number(n);
        return;
    }
    char digits[16];
    char *end = digits + sizeof digits;
    char *p = end;
    unsigned u = n < 0 ? 0u - unsigned(n) : unsigned(n);
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (n < 0)
        *--p = '-';
    v.utf8.resize(end - p);
    std::memcpy(v.utf8.data(), p, size_t(end - p));
}

void TExportXComponent::setColumns(const QStringList &names, const std::vector<int> &kinds)
{
    m_columnNames = names;
    m_columnKinds = kinds;
}

bool TExportXComponent::Execute()
{
    FailureEvent failed(*this);
    bool result = false;
    bool ranExport = false; // RunExport raises OnExportFailed itself
    try {
        if (CheckReady()) {
            TExportChoiceForm dialog(ownerWindow());
            QStringList captions;
            for (int i = 0; i < kExportTypeCount; ++i) {
                if (m_allowedTypes.contains(static_cast<TExportType>(i)))
                    captions << exportTypeCaption(static_cast<TExportType>(i));
            }
            dialog.setup(m_lastChosenType, GetItemCount(), captions);
            if (dialog.exec() == QDialog::Accepted) {
                m_viewOnly = dialog.ViewChecked();
                m_exportFile.clear();
                m_lastChosenType = m_exportType = dialog.SelectedType();
                ranExport = true;
                result = RunExport();
            }
        }
    } catch (...) {
        if (!ranExport)
            failed.raise();
        throw;
    }
    if (!result && !ranExport)
        failed.raise();
    return result;
}

bool TExportXComponent::RunExport()
{
    FailureEvent failed(*this);
    bool result = false;
    m_recordsLeftOut = 0;
    try {
        if (CheckReady()) {
            QCoreApplication::processEvents();
            bool view = false;
            if (m_exportType == xClipboard) {
                view = true;
            } else if (m_viewOnly && CanView(m_exportType)) {
                view = true;
            } else if (m_viewOnly) {
                // Viewing was asked for but no program shows this format: ask for a file instead.
                m_exportFile.clear();
            }
            bool cancelled = false;
            if (!view && m_exportFile.trimmed().isEmpty()) {
                const QString caption = exportTypeCaption(m_exportType);
                const QString ext = exportTypeExtension(m_exportType);
                QString name = Services::instance().fileDialogs().getSaveFileName(
                    ownerWindow(), ExportText::saveDialogTitle(caption),
                    settings::saveDialogFolder(), ExportText::saveDialogFilter(caption, ext));
                if (name.isEmpty()) {
                    cancelled = true;
                } else {
                    if (QFileInfo(name).suffix().isEmpty())
                        name += QLatin1Char('.') + ext;
                    m_exportFile = name;
                    settings::rememberSaveFolder(name);
                }
            }
            if (!cancelled) {
                const QString target = view ? QString() : m_exportFile;
                m_itemTotal = GetItemCount();
                std::unique_ptr<TCustomExport> writer =
                    CreateExportWriter(*this, m_exportType, target);
                if (writer->Create()) {
                    if (OnBeginExport)
                        OnBeginExport(this);
                    result = writer->Run();
                    writer->Finish();
                }
                writer.reset();
                if (m_recordsLeftOut > 0)
                    Services::instance().messages().warning(
                        ExportText::worksheetRowsLeftOut(m_recordsLeftOut));
                if (result && OnExportFinished)
                    OnExportFinished(this);
            }
        }
    } catch (...) {
        m_exportFile.clear();
        failed.raise();
        throw;
    }
    m_exportFile.clear();
    if (!result)
        failed.raise();
    return result;
}

qsizetype FirstControlChar(QStringView s)
{
    const char16_t *p = s.utf16();
    const qsizetype n = s.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    // Eight characters at a time: c - 31 (saturating at 0) is 0 exactly for codes 0 to 31.
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        const int control = _mm_movemask_epi8(
            _mm_cmpeq_epi16(_mm_subs_epu16(v, _mm_set1_epi16(31)), _mm_setzero_si128()));
        if (control != 0)
            return i + __builtin_ctz(static_cast<unsigned>(control)) / 2;
    }
#endif
    while (i < n && p[i] >= 32)
        ++i;
    return i;
}

QString StripControlChars(const QString &s)
{
    const qsizetype n = s.size();
    qsizetype i = FirstControlChar(s);
    const QChar *d = s.constData();
    if (i == n)
        return s;
    QString r;
    r.reserve(n);
    r.append(d, i);
    for (; i < n; ++i) {
        if (d[i].unicode() >= 32)
            r.append(d[i]);
    }
    return r;
}

void AppendStripped(QString &out, QStringView s, QChar doubled)
{
    const char16_t *p = s.utf16();
    const qsizetype n = s.size();
    const char16_t twice = doubled.unicode();
    qsizetype run = 0; // start of the run of characters copied as they are
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c >= 32 && (c != twice || twice == 0))
            continue;
        out.append(QStringView(p + run, i - run));
        if (c >= 32)
            out.append(QChar(c)).append(QChar(c));
        run = i + 1;
    }
    out.append(QStringView(p + run, n - run));
}

void AppendStrippedUtf8(QByteArray &out, QStringView s, char doubled, bool enclose)
{
    const char16_t *p = s.utf16();
    const qsizetype n = s.size();
    // Room for the worst ASCII case, every character a doubled quote, so the loop need not
    // check; the buffer keeps its capacity from line to line.
    const qsizetype start = out.size();
    out.resize(start + 2 * n + 2);
    char *d = out.data() + start;
    if (enclose)
        *d++ = doubled;
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Eight characters at a time while they are printable ASCII other than `doubled`:
        // c - 32 (wrapping) above 95 is a control character or a non-ASCII one.
        const __m128i quote =
            _mm_set1_epi16(static_cast<short>(static_cast<unsigned char>(doubled)));
        while (i + 8 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i outside =
                _mm_subs_epu16(_mm_sub_epi16(v, _mm_set1_epi16(32)), _mm_set1_epi16(95));
            const __m128i special = _mm_or_si128(outside, _mm_cmpeq_epi16(v, quote));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(special, _mm_setzero_si128())) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i *>(d), _mm_packus_epi16(v, v));
            d += 8;
            i += 8;
        }
        if (i >= n)
            break;
#endif
        const char16_t c = p[i++];
        if (c >= 0x80) {
            // The rest holds other letters: stripped as text, then converted as a whole, so
            // that a surrogate pair split by a control character still joins up.
            out.resize(d - out.data());
            QString rest;
            AppendStripped(rest, s.sliced(i - 1), doubled ? QChar(char16_t(doubled)) : QChar());
            out += rest.toUtf8();
            if (enclose)
                out += doubled;
            return;
        }
        if (c < 32)
            continue;
        *d++ = static_cast<char>(c);
        if (doubled && c == char16_t(doubled))
            *d++ = doubled;
    }
    if (enclose)
        *d++ = doubled;
    out.resize(d - out.data());
}

void AppendStrippedUtf8(QByteArray &out, QByteArrayView s, char doubled, bool enclose)
{
    // A byte-order mark in front is not part of the text (QString::fromUtf8 drops it).
    if (s.startsWith("\xef\xbb\xbf"))
        s = s.sliced(3);
    const char *p = s.data();
    const qsizetype n = s.size();
    const qsizetype start = out.size();
    out.resize(start + 2 * n + 2);
    char *d = out.data() + start;
    if (enclose)
        *d++ = doubled;
    bool checked = false; // the non-ASCII rest was found to be valid UTF-8
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Sixteen bytes at a time while they are printable ASCII other than `doubled`: as
        // signed bytes, control characters and the bytes of other letters are below 32.
        const __m128i quote = _mm_set1_epi8(doubled);
        while (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i special =
                _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(32)), _mm_cmpeq_epi8(v, quote));
            if (_mm_movemask_epi8(special) != 0)
                break;
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d), v);
            d += 16;
            i += 16;
        }
        if (i >= n)
            break;
#endif
        const auto c = static_cast<unsigned char>(p[i++]);
        if (c >= 0x80) {
            // Valid UTF-8 is copied as it is: no byte of a letter beyond ASCII is a control
            // character or the quote. Anything else is decoded as the text would be, with its
            // replacement characters; what came before was ASCII, so the rest decodes alone.
            if (!checked && !QByteArrayView(p + i - 1, n - i + 1).isValidUtf8()) {
                out.resize(d - out.data());
                AppendStrippedUtf8(out, QString::fromUtf8(p + i - 1, n - i + 1), doubled);
                if (enclose)
                    out += doubled;
                return;
            }
            checked = true;
            *d++ = static_cast<char>(c);
            continue;
        }
        if (c < 32)
            continue;
        *d++ = static_cast<char>(c);
        if (doubled && c == static_cast<unsigned char>(doubled))
            *d++ = doubled;
    }
    if (enclose)
        *d++ = doubled;
    out.resize(d - out.data());
}

bool IsAscii(QByteArrayView s)
{
    const char *p = s.data();
    const qsizetype n = s.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i))) != 0)
            return false;
    }
#endif
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    }
    return true;
}

qsizetype Utf16Length(QByteArrayView utf8)
{
    if (utf8.startsWith("\xef\xbb\xbf"))
        utf8 = utf8.sliced(3);
    // Every byte but a continuation byte starts a character; one beyond the first plane (a
    // four-byte lead) takes two code units.
    const char *p = utf8.data();
    const qsizetype size = utf8.size();
    qsizetype n = size;
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        // As signed bytes: continuation bytes are -128..-65, four-byte leads -16..-9.
        const int continuation = _mm_movemask_epi8(_mm_cmplt_epi8(v, _mm_set1_epi8(-64)));
        const int lead4 = _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-17)),
                                                          _mm_cmplt_epi8(v, _mm_setzero_si128())));
        n += __builtin_popcount(static_cast<unsigned>(lead4)) -
             __builtin_popcount(static_cast<unsigned>(continuation));
    }
#endif
    for (; i < size; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        n -= (c & 0xC0) == 0x80;
        n += c >= 0xF0;
    }
    return n;
}

QString ExpandBreaks(const QString &s, const QString &tabText, const QString &breakText)
{
    QString r;
    r.reserve(s.size());
    for (QChar c : s) {
        if (c == u'\t')
            r += tabText;
        else if (c == u'\n')
            r += breakText;
        else if (c.unicode() >= 32)
            r += c;
    }
    return r;
}

QString DashLine(int n)
{
    return n > 0 ? QString(n, u'-') : QString();
}

QString InsertBefore(const QString &s, QChar c, QChar prefix)
{
    if (!s.contains(c))
        return s;
    QString r;
    r.reserve(s.size() + 8);
    for (QChar x : s) {
        if (x == c)
            r += prefix;
        r += x;
    }
    return r;
}

QString LinesText(const QStringList &lines)
{
    QString r;
    for (const QString &l : lines)
        r += l + QStringLiteral("\r\n");
    return r;
}

bool IsNotBlank(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() > 32)
            return true;
    }
    return false;
}

} // namespace kv
