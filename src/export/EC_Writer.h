// Writers: one export run over an output sink. TCustomExport holds the record loop (Run), the
// progress window and the text routines the formats share; TCustomShellViewExport adds the file
// to write (target or temporary name) and the opening of the result; TCustomTextExport writes
// lines ending in CR LF to a QIODevice in the character set of its format.
#pragma once

#include "BackgroundFile.h"
#include "EC_Main.h"
#include "ExportLocale.h"

#include <QFile>
#include <QIODevice>
#include <cstring>
#include <memory>

namespace kv {

/// The progress shown while a writer runs (TProgressForm on the desktop).
class ExportProgress
{
public:
    virtual ~ExportProgress() = default;
    virtual void showProgress() = 0;
    virtual void hideProgress() = 0;
    virtual void closeProgress() = 0;
    /// False when the user cancelled.
    virtual bool UpdateProgress(int n) = 0;
};

class TCustomExport
{
public:
    /// `sink`, when given, receives the output instead of the file named by `target`; the writer
    /// does not own it.
    TCustomExport(TExportXComponent &component, TExportType type, const QString &target,
                  QIODevice *sink = nullptr);
    virtual ~TCustomExport();
    TCustomExport(const TCustomExport &) = delete;
    TCustomExport &operator=(const TCustomExport &) = delete;

    /// Writer creation: the readiness check once more, the progress window, the output. Returns
    /// false when the check fails; throws ExportError when the output cannot be created.
    bool Create();
    /// The record loop; false on failure or cancel (the failure has been shown to the user).
    bool Run();
    /// Finishing: closes the output and opens the viewer or fills the clipboard. Called once.
    virtual void Finish();

    bool Succeeded() const { return m_succeeded; }
    int RecordNo() const { return m_recordNo; }
    const QStringList &FormattedFooter() const { return m_component.FormattedFooter(); }

    // Routines shared by the formats.
    QString CreatedLine() const;
    static QString CellText(const ExportRow &values, int i);
    int CellKind(int i, const QString &s) const;
    bool IsNumericText(QStringView s) const;
    QString NumericText(const QString &s, const ExportValue &value) const;
    int ColumnWidth(int i) const;
    QString FitToWidth(const QString &s, int width, bool alignNumbers) const;
    /// Appends FitToWidth(s, width, alignNumbers) to `out`, without a text of its own in
    /// between unless `s` holds control characters.
    void AppendFitted(QString &out, QStringView s, int width, bool alignNumbers) const;
    /// `s` with the first locale decimal separator replaced by ".".
    QString DotDecimal(const QString &s) const;
    const ExportLocale &locale() const { return m_locale; }

    // Number format codes of the spreadsheet formats, from the locale and the options.
    QString DateFormatCode() const;
    QString TimeFormatCode() const;
    QString DateTimeFormatCode() const;
    QString CurrencyFormatCode() const;
    /// Dates and times read back from their text in the locale's order; throw ExportError for a
    /// text that is no date or time.
    double ParseDateText(const QString &s) const;
    double ParseTimeText(const QString &s) const;
    double ParseDateTimeText(const QString &s) const;
    /// The serial number a date, time or date-time cell (kinds 7 to 11) holds: the field's value
    /// where the data set gave it, at the precision its text shows; else the text read back.
    double CellSerial(int kind, const ExportValue &v, const QString &text) const;
    /// A number read from a text with the locale's decimal separator; throws ExportError.
    double ReadNumber(const QString &s) const;

protected:
    /// Whether the writer takes text fields as UTF-8 bytes (ExportValue::isUtf8) where the data
    /// set has them so.
    virtual bool TakesUtf8Texts() const { return false; }
    /// Whether the writer reads a row's texts only within WriteRecord and keeps no copy of one
    /// (a measure such as a length is fine), so that the data set may lend them rather than
    /// share them (ExportField::fillValue).
    virtual bool TakesBorrowedTexts() const { return false; }
    /// Whether the writer uses the longest text of each column (m_textLengths), which
    /// WriteRecord then keeps.
    virtual bool MeasuresTexts() const { return false; }
    virtual void OpenOutput() {}
    virtual void WriteHeader(const QStringList &titles);
    virtual void WriteRecord(const ExportRow &values, int recordNo);
    virtual void WriteFooter();
    virtual void ReportFailure(const QString &error);
    virtual QString failureMessage() const { return ExportText::exportFailed(); }
    /// Called inside the run's error trap after the footer: makes sure every byte reached the
    /// output, so that a full disk fails the run instead of passing unnoticed.
    virtual void commitOutput() {}

    TExportXComponent &component() const { return m_component; }
    TExportOptions options() const { return m_component.Options(); }
    bool has(TExportOption o) const { return m_component.Options().testFlag(o); }
    int columnCount() const { return m_titles.size(); }
    const QStringList &titles() const { return m_titles; }
    ExportProgress *progress() const { return m_progress.get(); }
    void closeProgressNow();
    void freeProgress() { m_progress.reset(); }
    /// The footer lines joined, each ending in CR LF.
    QString formattedFooterText() const { return LinesText(m_component.FormattedFooter()); }
    QString headerText() const { return LinesText(m_component.Header()); }

    // Blocks of the fixed-width and detailed layouts, shared by the file and clipboard writers.
    QString TextHeaderBlock(const QStringList &titles);
    QString TextRecordLine(const ExportRow &values) const;
    /// Appends the values in UTF-8 with `separator` between them and CR LF after them: numbers
    /// as their numeric text, other values stripped of control characters and, when `quote` is
    /// not 0, enclosed in it with each one inside written twice (CSV; tab-delimited has none).
    void AppendDelimitedLine(QByteArray &out, const ExportRow &values, QByteArrayView separator,
                             char quote) const;
    /// Appends TextRecordLine(values) to `out`.
    void AppendTextRecordLine(QString &out, const ExportRow &values) const;
    QString TextFooterBlock() const;
    /// Title, dashes, time stamp and header of the detailed layout, each part only when present.
    QString DetailedHeaderBlock() const;
    /// Appends the label lines of one record of the detailed layout, and the empty line after
    /// them, to `out`.
    void AppendDetailedRecordBlock(QString &out, const ExportRow &values);
    int m_headerLineLength = 0;
    int m_captionWidth = 0;

    TExportType m_type;
    QString m_target;
    bool m_toFile = false;
    QString m_extension;
    QIODevice *m_sink = nullptr;
    std::vector<int> m_textLengths;
    std::vector<int> m_widths; ///< ColumnWidth of each column, fixed for the run
    bool m_created = false;
    bool m_succeeded = false;
    bool m_finished = false;

private:
    TExportXComponent &m_component;
    ExportLocale m_locale;
    int m_recordNo = 0;
    QStringList m_titles;
    /// The detailed layout's "<caption>: " of each column (empty for a blank title), the same
    /// for every record of a run; made for m_captionWidth `m_labelsWidth`.
    std::vector<QString> m_detailedLabels;
    int m_labelsWidth = -1;
    std::unique_ptr<ExportProgress> m_progress;
};

/// A writer that produces a file, which view mode opens with the desktop's program for it.
class TCustomShellViewExport : public TCustomExport
{
public:
    using TCustomExport::TCustomExport;
    const QString &FileName() const { return m_fileName; }
    void Finish() override;

protected:
    void OpenOutput() override;
    /// Closes the output; throws ExportError when buffered bytes cannot be written.
    virtual void closeOutput() {}
    void openViewer();

    /// Opens the sink, or the file m_fileName for writing; the device is then m_out. Throws
    /// ExportError naming the file when it cannot be created. A writer that only appends may
    /// have the file written on a thread of its own (`background`, BackgroundFileWriter).
    void openStream(bool background = false);
    /// Flushes and closes a file opened by openStream (a sink stays open); throws ExportError
    /// with failureMessage() when buffered bytes cannot be written.
    void closeStream();

    QString m_fileName;
    QString m_viewerError;
    std::unique_ptr<QFile> m_file;
    /// The file when openStream wrote it in the background (m_file is then empty).
    std::unique_ptr<BackgroundFileWriter> m_background;
    QIODevice *m_out = nullptr;
};

/// A writer of text lines, each ending in CR LF, to a file or sink.
class TCustomTextExport : public TCustomShellViewExport
{
public:
    using TCustomShellViewExport::TCustomShellViewExport;

protected:
    void OpenOutput() override;
    void closeOutput() override;
    void commitOutput() override { flushOutput(); }
    /// Every line is made from the record's values as it is written.
    bool TakesBorrowedTexts() const override { return true; }
    QString failureMessage() const override { return ExportText::textFileFailed(); }
    /// Appends the bytes of a text in the format's character set to `out` (UTF-8 unless the
    /// format says otherwise).
    virtual void appendEncoded(QStringView s, QByteArray &out) const;

    void writeText(const QString &s);
    /// Writes `s` and CR LF. The bytes go through one buffer kept for the length of the export,
    /// so a line costs no allocation once the buffer has grown to the longest line.
    void writeLine(QStringView s);
    void writeLine(const QString &s) { writeLine(QStringView(s)); }
    void writeBytes(const QByteArray &b);
    /// Writes buffered bytes; throws ExportError on failure.
    void flushOutput();
    QIODevice *out() const { return m_out; }

private:
    QByteArray m_lineBytes;
};

/// Appends `n` bytes at `s` to `out`: a resize and a copy, cheaper than QByteArray::append,
/// which goes through the general insert. For the writers' many short pieces of a line.
inline void appendBytes(QByteArray &out, const char *s, qsizetype n)
{
    const qsizetype at = out.size();
    out.resize(at + n);
    std::memcpy(out.data() + at, s, static_cast<size_t>(n));
}
/// appendBytes of a string literal.
template <size_t N> inline void appendBytes(QByteArray &out, const char (&s)[N])
{
    appendBytes(out, s, static_cast<qsizetype>(N - 1));
}

/// Appends `s` to `out` in UTF-8; plain ASCII (nearly every character of a time log) is copied
/// without a conversion call or an allocation beyond the growth of `out`.
void appendUtf8(QByteArray &out, QStringView s);
/// Appends the leading run of ASCII characters of `s` to `out`; returns its length.
qsizetype appendAscii(QByteArray &out, QStringView s);

/// The writer of a format: CSV, tab, text (detailed with DetailedMode), clipboard (detailed with
/// DetailedMode), DIF, SYLK, BIFF, HTML, RTF (also for the Word type).
std::unique_ptr<TCustomExport> CreateExportWriter(TExportXComponent &component, TExportType type,
                                                  const QString &target, QIODevice *sink = nullptr);

/// Code page 1252 with "?" for a character outside it.
QByteArray toCp1252(const QString &s);
/// Appends `s` to `out` in code page 1252, as toCp1252 does, without a buffer of its own.
void appendCp1252(QByteArray &out, QStringView s);
/// Formats `format` with one floating-point argument in the manner of the footer format strings
/// ("%.0f records"); throws ExportError for a format that is not valid for one number.
QString FormatFooter(const QString &format, double value, const ExportLocale &locale);

} // namespace kv
