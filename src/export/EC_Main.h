// TExportXComponent: the export component's published settings, events, column model and the two
// entry points Execute (choice dialog, then export) and RunExport (export without the dialog).
// The data-set binding lives in TExportDataSet and TExportTable; the writers in EC_Writer.h.
#pragma once

#include "EC_Types.h"

#include <QFont>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QWidget;

namespace kv {

class TCustomExport;

struct TXL_Options
{
    bool PrintGridlines = false;
    bool PrintHeadings = false;
    QString PageHeader;
    QString PageFooter = ExportText::defaultPageFooter();
};

struct TRTF_Options
{
    quint16 LeftMargin = 1250;
    quint16 RightMargin = 1250;
    quint16 TopMargin = 1000;
    quint16 BottomMargin = 1000;
};

/// Fonts kept with the component so stored settings load; no format uses them.
struct TPrint_Options
{
    QFont DefaultFont{QStringLiteral("Courier New"), 8};
    QFont DetailedTitle = makeFont(QStringLiteral("Arial"), 16, true, false, true);
    QFont DetailedHeader = makeFont(QStringLiteral("Arial"), 12, false, true, false);
    QFont DetailedFooter = makeFont(QStringLiteral("Arial"), 12, false, true, false);
    QFont DetailedFont{QStringLiteral("Courier New"), 9};

    static QFont makeFont(const QString &family, int points, bool bold, bool italic, bool underline)
    {
        QFont f(family, points);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        return f;
    }
};

/**
 * The export component. Errors of the settings (an invalid ColWidths entry, an invalid HTML
 * template) throw ExportError on assignment; Execute and RunExport return false for a failed,
 * refused or cancelled export after telling the user, and let ExportError through for the
 * readiness errors and for an output file that cannot be created.
 */
class TExportXComponent : public QObject
{
public:
    using NotifyEvent = std::function<void(TExportXComponent *sender)>;
    using TWriteFooterEvent = std::function<void(TExportXComponent *sender, int NumItemsExported)>;

    explicit TExportXComponent(QObject *owner = nullptr);
    ~TExportXComponent() override;

    // Published properties.
    TExportOptions Options() const { return m_options; }
    void setOptions(TExportOptions o) { m_options = o & ~m_optionsMask; }
    THTML_Options HTML_Options() const { return m_htmlOptions; }
    void setHTML_Options(THTML_Options o) { m_htmlOptions = o; }
    const QString &ExportFile() const { return m_exportFile; }
    void setExportFile(const QString &f) { m_exportFile = f; }
    const QString &Title() const { return m_title; }
    void setTitle(const QString &t); ///< characters below 32 are removed
    const QStringList &Header() const { return m_header; }
    void setHeader(const QStringList &lines); ///< trailing blank lines are removed
    const QStringList &Footer() const { return m_footer; }
    void setFooter(const QStringList &lines); ///< trailing blank lines are removed
    bool ViewOnly() const { return m_viewOnly; }
    void setViewOnly(bool v) { m_viewOnly = v; }
    TExportType ExportType() const { return m_exportType; }
    void setExportType(TExportType t) { m_exportType = t; }
    TExportTypeSet AllowedTypes() const { return m_allowedTypes; }
    void setAllowedTypes(TExportTypeSet s) { m_allowedTypes = s; }
    const QStringList &Captions() const { return m_captions; }
    void setCaptions(const QStringList &c); ///< trailing blank lines are removed
    const QString &HTML_CustomTemplate() const { return m_htmlCustomTemplate; }
    /// Blank clears it; a text without exactly ten semicolons throws ExportError.
    void setHTML_CustomTemplate(const QString &t);
    THTML_Template HTML_Template() const { return m_htmlTemplate; }
    void setHTML_Template(THTML_Template t) { m_htmlTemplate = t; }
    const QString &TruncateSymbol() const { return m_truncateSymbol; }
    void setTruncateSymbol(const QString &s) { m_truncateSymbol = s.trimmed(); }
    TPrint_Options &Print_Options() { return m_printOptions; }
    TXL_Options &XL_Options() { return m_xlOptions; }
    const TXL_Options &XL_Options() const { return m_xlOptions; }
    TRTF_Options &Word_RTF_Options() { return m_rtfOptions; }
    const TRTF_Options &Word_RTF_Options() const { return m_rtfOptions; }

    NotifyEvent OnBeginExport;
    NotifyEvent OnExportFinished;
    NotifyEvent OnExportFailed;
    NotifyEvent OnPrintFailed; ///< kept for stored settings; never raised
    TWriteFooterEvent OnWriteFooter;

    // Operations.
    /// Choice dialog, then the export. False on failure or cancel.
    bool Execute();
    /// Export with ExportType, ViewOnly and ExportFile, without the dialog.
    bool RunExport();
    /// The readiness checks: throws for a missing or inactive data set, warns and returns false
    /// for an empty data set or when no exported column has a title.
    virtual bool CheckReady();
    /// With SelectedRowsOnly 1; else the data set's record count when reliable, else -1.
    virtual int GetItemCount() = 0;

    // The record loop's steps (driven by a writer's Run).
    virtual int GetColumnWidth(int column) = 0;
    /// The fixed width the settings give exported column j (not counting the item number);
    /// 0 when none is set.
    virtual int FixedColumnWidth(int /*j*/) const { return 0; }
    virtual void BeginExport();
    virtual void EndExport();
    virtual QString GetColumnCaption(int fieldIndex) = 0;
    virtual bool IsCurrentSelected() { return true; }
    virtual void FillColumnNames(QStringList &names) = 0;
    virtual void ResetCounters() { m_itemsExported = 0; }
    virtual void SkipItem() {}
    /// The next record's values into `row`: the item number first when rows are numbered, then
    /// FillRow's. The values of the last call are overwritten in place, so that their buffers
    /// serve record after record.
    virtual void NextItem(ExportRow &row);
    /// Puts the current record's values into row[first] on, making the row that long.
    virtual void FillRow(ExportRow &row, size_t first) = 0;
    /// Whether the running writer takes texts as UTF-8 bytes (ExportValue::isUtf8); a writer's
    /// Run sets it before the first record.
    bool Utf8Texts() const { return m_utf8Texts; }
    void setUtf8Texts(bool on) { m_utf8Texts = on; }
    /// Whether the running writer reads a row's texts only while it writes that row, so that
    /// they may point into the data set's storage (ExportField::fillValue); set with
    /// Utf8Texts.
    bool BorrowedTexts() const { return m_borrowedTexts; }
    void setBorrowedTexts(bool on) { m_borrowedTexts = on; }
    virtual bool HasMoreItems() = 0;

    // Component state.
    const QStringList &ColumnNames() const { return m_columnNames; }
    /// Cell kind per exported column; -1 for the item-number column, which has no column info.
    const std::vector<int> &ColumnKinds() const { return m_columnKinds; }
    QStringList &FormattedFooter() { return m_formattedFooter; }
    int ItemsExported() const { return m_itemsExported; }
    int ItemTotal() const { return m_itemTotal; }
    /// RunExport sets it from GetItemCount before it creates the writer.
    void setItemTotal(int n) { m_itemTotal = n; }
    int SelectionCount() const { return m_selectionCount; }
    TExportType LastChosenType() const { return m_lastChosenType; }
    void setLastChosenType(TExportType t) { m_lastChosenType = t; }
    bool MinimizedForViewer() const { return m_minimizedForViewer; }
    void setMinimizedForViewer(bool m) { m_minimizedForViewer = m; }
    /// Records of the last export that a worksheet could not hold (0 when all fitted).
    qint64 RecordsLeftOut() const { return m_recordsLeftOut; }
    void setRecordsLeftOut(qint64 n) { m_recordsLeftOut = n; }
    /// The owner window, when the component belongs to one (disabled during a run).
    QWidget *ownerWindow() const;

    /// Milliseconds to wait after a viewer was started before looking at the foreground window.
    int viewerSettleMs = 250;

protected:
    /// Writes ColumnNames and the column kinds together.
    void setColumns(const QStringList &names, const std::vector<int> &kinds);
    void setColumnKinds(std::vector<int> kinds) { m_columnKinds = std::move(kinds); }
    QStringList &columnNamesRef() { return m_columnNames; }
    std::vector<int> &columnKindsRef() { return m_columnKinds; }
    void setItemsExported(int n) { m_itemsExported = n; }
    /// Makes `v` the item number `n`, as UTF-8 bytes when Utf8Texts is on.
    void setItemNumber(ExportValue &v, int n) const;
    void setSelectionCount(int n) { m_selectionCount = n; }
    void setOptionsMask(TExportOptions m)
    {
        m_optionsMask = m;
        m_options &= ~m;
    }

private:
    friend class TCustomExport;
    void onApplicationStateChanged(Qt::ApplicationState state);

    TExportOptions m_options = kDefaultExportOptions;
    TExportOptions m_optionsMask;
    THTML_Options m_htmlOptions = kDefaultHtmlOptions;
    QString m_exportFile;
    QString m_title;
    QStringList m_header;
    QStringList m_footer;
    bool m_viewOnly = true;
    TExportType m_exportType = xMicrosoft_Excel;
    TExportTypeSet m_allowedTypes = TExportTypeSet::all();
    QStringList m_captions;
    QString m_htmlCustomTemplate;
    THTML_Template m_htmlTemplate = htSimple;
    QString m_truncateSymbol = QStringLiteral("-");
    TPrint_Options m_printOptions;
    TXL_Options m_xlOptions;
    TRTF_Options m_rtfOptions;

    QStringList m_columnNames;
    std::vector<int> m_columnKinds;
    QStringList m_formattedFooter;
    int m_itemsExported = 0;
    int m_itemTotal = -1;
    int m_selectionCount = 0;
    TExportType m_lastChosenType = xMicrosoft_Excel;
    bool m_minimizedForViewer = false;
    qint64 m_recordsLeftOut = 0;
    bool m_utf8Texts = false;
    bool m_borrowedTexts = false;
};

/// Removes every character below code 32.
QString StripControlChars(const QString &s);
/// Index of the first character below code 32 in `s`; s.size() when there is none.
qsizetype FirstControlChar(QStringView s);
/// Appends `s` to `out` without its characters below code 32 and, when `doubled` is not null,
/// with every `doubled` written twice (the quote of a quoted field): StripControlChars and
/// InsertBefore in one pass and without a copy.
void AppendStripped(QString &out, QStringView s, QChar doubled = QChar());
/// AppendStripped straight into UTF-8 bytes: what AppendStripped and then a UTF-8 conversion
/// give, in one pass over the ASCII text a time log is made of. With `enclose`, the text is
/// put between two `doubled` characters (a quoted field).
void AppendStrippedUtf8(QByteArray &out, QStringView s, char doubled = 0, bool enclose = false);
/// The same from a text in UTF-8: gives what the text decoded from `s` (QString::fromUtf8) gives:
/// bytes that are not valid UTF-8 become replacement characters, a byte-order mark in front goes.
void AppendStrippedUtf8(QByteArray &out, QByteArrayView s, char doubled = 0, bool enclose = false);
/// Whether every byte of `s` is ASCII (below 0x80).
bool IsAscii(QByteArrayView s);
/// The length in UTF-16 code units of the valid UTF-8 text `utf8` (as QString::fromUtf8 decodes
/// it, without a byte-order mark in front).
qsizetype Utf16Length(QByteArrayView utf8);
/// Every TAB replaced by `tabText`, every LF by `breakText`, every other character below 32
/// dropped.
QString ExpandBreaks(const QString &s, const QString &tabText, const QString &breakText);
/// n hyphens.
QString DashLine(int n);
/// `s` with `prefix` put before every occurrence of `c`.
QString InsertBefore(const QString &s, QChar c, QChar prefix);
/// The lines of a string list, each ending in CR LF.
QString LinesText(const QStringList &lines);
/// True when the text has characters other than blanks and control characters.
bool IsNotBlank(const QString &s);

} // namespace kv
