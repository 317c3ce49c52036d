// The export library's vocabulary: the ten formats with their captions and extensions, the option
// sets, the cell kinds of the column model, the HTML colour templates and the texts the user sees.
#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace kv {

/// Formats, in the order the choice dialog lists them.
enum TExportType {
    xHTML,
    xMicrosoft_Word,
    xMicrosoft_Excel,
    xText,
    xRichText,
    xText_Comma_Delimited,
    xText_Tab_Delimited,
    xDIF,
    xSYLK,
    xClipboard,
};
inline constexpr int kExportTypeCount = 10;

/// Any subset of the ten formats.
class TExportTypeSet
{
public:
    constexpr TExportTypeSet() = default;
    constexpr TExportTypeSet(std::initializer_list<TExportType> types)
    {
        for (TExportType t : types)
            m_bits |= bit(t);
    }
    static constexpr TExportTypeSet all()
    {
        TExportTypeSet s;
        s.m_bits = (1u << kExportTypeCount) - 1;
        return s;
    }
    constexpr bool contains(TExportType t) const { return (m_bits & bit(t)) != 0; }
    constexpr void insert(TExportType t) { m_bits |= bit(t); }
    constexpr void remove(TExportType t) { m_bits &= ~bit(t); }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr bool operator==(const TExportTypeSet &) const = default;

private:
    static constexpr unsigned bit(TExportType t) { return 1u << static_cast<unsigned>(t); }
    unsigned m_bits = 0;
};

/// The caption the choice dialog lists and the save dialog names ("Rich Text").
QString exportTypeCaption(TExportType t);
/// File extension without the point ("rtf"); empty for the clipboard.
QString exportTypeExtension(TExportType t);
/// The format whose caption is `caption`; a caption that matches none gives xText.
TExportType exportTypeFromCaption(const QString &caption);

enum TExportOption : unsigned {
    DetailedMode = 1u << 0,
    ExportAllWhenNoneSelected = 1u << 1,
    ExportInvisibleCols = 1u << 2,
    NumberRows = 1u << 3,
    SelectedRowsOnly = 1u << 4,
    ShowColHeaders = 1u << 5,
    ShowClipboardMsg = 1u << 6,
    ShowProgress = 1u << 7,
    TimeStamp = 1u << 8,
    TimeDisplaySeconds = 1u << 9,
    Time24HourFormat = 1u << 10,
};
Q_DECLARE_FLAGS(TExportOptions, TExportOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TExportOptions)

inline constexpr TExportOptions kDefaultExportOptions =
    TExportOptions(NumberRows | ShowColHeaders | ShowClipboardMsg | ShowProgress | TimeStamp);

enum THTML_Option : unsigned {
    htShowGridLines = 1u << 0,
    htColHeadersBold = 1u << 1,
    htAutoLink = 1u << 2,
    htOddRowColoring = 1u << 3,
    htDisplayTitle = 1u << 4,
    htHorzRules = 1u << 5,
    htIgnoreLineBreaks = 1u << 6,
};
Q_DECLARE_FLAGS(THTML_Options, THTML_Option)
Q_DECLARE_OPERATORS_FOR_FLAGS(THTML_Options)

inline constexpr THTML_Options kDefaultHtmlOptions =
    THTML_Options(htColHeadersBold | htAutoLink | htOddRowColoring);

enum THTML_Template {
    htClassic,
    htSimple,
    htPlain,
    htMurky,
    htMS_Money,
    htColorful,
    htGray,
    htOlive,
    htBW,
};
/// The eleven semicolon-separated colour and font fields of a built-in template.
QString htmlTemplateText(THTML_Template t);

/// Cell kind of a column (one byte per column of the column model).
enum TCellKind : unsigned char {
    ckUnclassified = 0,
    ckText = 1,
    ckMemo = 2,
    ckFormattedMemo = 3,
    ckNumber = 4,
    ckCurrency = 5,
    ckBoolean = 6,
    ckDate = 7,
    ckTime = 8,
    ckDateTime = 9,
    ckDateTimeAsDate = 10,
    ckDateTimeAsTime = 11,
};

/// Per column: its cell kind.
struct TExportColumnInfo
{
    TCellKind kind = ckUnclassified;
};

/// Per value of a record: the text shown through the display format and the Boolean state.
struct TExportItemInfo
{
    bool HasDisplayText = false;
    QString DisplayText;
    /// Boolean fields: 0 = null, 1 = false, 2 = true; 0 for other fields.
    unsigned char BoolState = 0;
};

/// One value of a record as handed to the writers: its plain text and, for field values (not the
/// item number), its item info.
struct ExportValue
{
    QString text;
    bool hasInfo = false;
    TExportItemInfo info;
    /// Date, time and date-time fields that are not null: the date-time value itself, so that the
    /// spreadsheet formats need not read it back from a text with a two-digit year.
    bool hasSerial = false;
    double serial = 0;
    /// Set in place of `text` and the display text when the writer takes texts as UTF-8 bytes
    /// (TExportXComponent::Utf8Texts) and the value came so: text fields a data set holds as
    /// UTF-8, and the item number. `utf8` is then the plain text, which is also what a text
    /// field displays.
    bool isUtf8 = false;
    QByteArray utf8;

    /// A text of the writer's own (a column title), with no item info.
    static ExportValue plain(const QString &t)
    {
        ExportValue v;
        v.text = t;
        return v;
    }
};
using ExportRow = std::vector<ExportValue>;

/// An error of the export library that ends the current export (bad settings, an output file
/// that cannot be created, a write error inside a run).
class ExportError : public std::runtime_error
{
public:
    explicit ExportError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

/// Texts the user sees (resource texts; they go through tr() so a translation can come later).
namespace ExportText {
QString noData();             ///< "There is no Data to Export."
QString noColumns();          ///< noData() + the hint about visible columns
QString dataSetNotAssigned(); ///< "You must assign a TDataSet before ..."
QString dataSetNotActive();
QString exportFailed();     ///< "Export Failed."
QString textFileFailed();   ///< the long text-file failure message
QString clipboardSuccess(); ///< "Successfully Exported to Clipboard"
QString itemTitle();        ///< "Item"
QString createdPrefix();    ///< "Created:"
QString exportingCaption(); ///< "Exporting..."
QString progressCountFormat();
QString saveDialogTitle(const QString &caption);
QString saveDialogFilter(const QString &caption, const QString &extension);
QString viewerError(const QString &caption);
QString colWidthsError(const QString &entry);
QString templateError(int found);
QString tokenError(int n, const QString &text);
QString defaultPageFooter(); ///< "Page &P of &N"
QString worksheetRowsLeftOut(qint64 count);
} // namespace ExportText

} // namespace kv
