// Captions, extensions, templates and user-visible texts of the export library.
#include "EC_Types.h"

#include <QCoreApplication>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("kv::Export", text);
}

struct TypeRow
{
    const char *caption;
    const char *extension;
};

// In the order of TExportType.
constexpr TypeRow kTypes[kExportTypeCount] = {
    {QT_TRANSLATE_NOOP("kv::Export", "HTML"), "htm"},
    {QT_TRANSLATE_NOOP("kv::Export", "Microsoft Word"), "doc"},
    {QT_TRANSLATE_NOOP("kv::Export", "Microsoft Excel"), "xls"},
    {QT_TRANSLATE_NOOP("kv::Export", "Text"), "txt"},
    {QT_TRANSLATE_NOOP("kv::Export", "Rich Text"), "rtf"},
    {QT_TRANSLATE_NOOP("kv::Export", "Comma-Delimited Text (CSV)"), "csv"},
    {QT_TRANSLATE_NOOP("kv::Export", "Tab-Delimited Text"), "txt"},
    {QT_TRANSLATE_NOOP("kv::Export", "Data Interchange Format (DIF)"), "dif"},
    {QT_TRANSLATE_NOOP("kv::Export", "SYLK Format"), "slk"},
    {QT_TRANSLATE_NOOP("kv::Export", "Clipboard"), ""},
};

constexpr const char *kTemplates[] = {
    "#333399;#69EF7D;#FF00FF;#00FF00;#FFFFFF;Arial,Helvetica;#FF0000;#FFFFFF;#006BCE;#FFFFFF;#"
    "007AEC",
    "#FFFFFF;blue;purple;red;#004080;Arial,Helvetica;#336699;#FFFFFF;#FFFFFF;#000000;#FFFFCF",
    "#FFFFFF;blue;purple;red;#000000;;#068FE6;#FFFFFF;#FFFFFF;#000000;#FFFCD9",
    "#317676;#FFE760;#CCCC39;#FFFF00;#FFFFFF;Arial,Helvetica;#3A9393;#FFFFFF;#004040;#FFE760;#"
    "000000",
    "#FFFFFF;blue;purple;red;#000080;Arial,Helvetica;#CEC6B5;#000000;#DEE7DE;#000000;#FFFBF0",
    "#339966;#0066CC;#923FC1;red;#FFFFFF;Geneva,Arial,Helvetica;#CC0033;#FFFFFF;#FFFFFF;#000000;"
    "#FAF100",
    "#FFFFFF;blue;purple;red;#000000;Arial,Helvetica;#808080;#FFFFFF;#FFFFFF;#000000;#EEEEEE",
    "#FFFFFF;blue;purple;red;#000000;Verdana,Arial,Helvetica;#CFC890;#000000;#FFFFFF;#5F605F;"
    "#FFFFCF",
    "#FFFFFF;blue;purple;red;#000000;Arial,Helvetica;#000000;#FFFFFF;#FFFFFF;#000000;#F3F3F3",
};

} // namespace

QString exportTypeCaption(TExportType t)
{
    return tr(kTypes[t].caption);
}

QString exportTypeExtension(TExportType t)
{
    return QString::fromLatin1(kTypes[t].extension);
}

TExportType exportTypeFromCaption(const QString &caption)
{
    for (int i = 0; i < kExportTypeCount; ++i) {
        if (exportTypeCaption(static_cast<TExportType>(i)) == caption)
            return static_cast<TExportType>(i);
    }
    return xText;
}

QString htmlTemplateText(THTML_Template t)
{
    return QString::fromLatin1(kTemplates[t]);
}

namespace ExportText {

QString noData()
{
    return tr("There is no Data to Export.");
}
QString noColumns()
{
    return noData() + tr("\n\nPlease ensure your columns are visible and have data.");
}
QString dataSetNotAssigned()
{
    return tr("You must assign a %1 before attempting to Export/Print.")
        .arg(QStringLiteral("TDataSet"));
}
QString dataSetNotActive()
{
    return tr("Assigned DataSet not Active. Please set the Active property to True before "
              "attempting to Export/Print.");
}
QString exportFailed()
{
    return tr("Export Failed.");
}
QString textFileFailed()
{
    return tr("Export failed. Try again with a different file name. Please ensure that there is "
              "enough room on the destination drive and that the target drive is not "
              "write-protected.\n\nNetwork users: Please ensure that the network drive/folder you "
              "are trying to write to is connected and accessible.");
}
QString clipboardSuccess()
{
    return tr("Successfully Exported to Clipboard");
}
QString itemTitle()
{
    return tr("Item");
}
QString createdPrefix()
{
    return tr("Created:");
}
QString exportingCaption()
{
    return tr("Exporting...");
}
QString progressCountFormat()
{
    return tr("%d Items Exported in %.2f Seconds.");
}
QString saveDialogTitle(const QString &caption)
{
    return tr("Export to %1 File").arg(caption);
}
QString saveDialogFilter(const QString &caption, const QString &extension)
{
    // The desktop's file dialog takes filters separated by ";;" with the patterns in parentheses.
    return tr("%1 files (*.%2);;All Files (*)").arg(caption, extension);
}
QString viewerError(const QString &caption)
{
    return tr("Error occured while trying to view data exported to the %1 format.\n\nIf this "
              "problem persists, you may want to consider re-installing the %1 Viewer Application.")
        .arg(caption);
}
QString colWidthsError(const QString &entry)
{
    return tr("ColWidths Property Error\n\n\"%1\" is an Invalid Column Width. It must be a "
              "Positive "
              "Integer Number greater than Zero.")
        .arg(entry);
}
QString templateError(int found)
{
    return tr("Invalid Template! Please correct it.\n\nYou should have \"%1\" semicolons but "
              "instead you have \"%2\"")
        .arg(10)
        .arg(found);
}
QString tokenError(int n, const QString &text)
{
    return tr("There is no Token \"%1\" in the String \"%2\"").arg(n).arg(text);
}
QString defaultPageFooter()
{
    return tr("Page &P of &N");
}
QString worksheetRowsLeftOut(qint64 count)
{
    return tr("The worksheet holds at most 65,536 rows, so %1 records were left out of it.\n\n"
              "Export to the CSV or a text format to keep all records.")
        .arg(count);
}

} // namespace ExportText

} // namespace kv
