// The time-log export: the component's settings and the hand-over around an export.
#include "TimeLogExport.h"

#include "KVDM.h"

namespace kv {

QString timeLogExportTitle(TDMKV &dm)
{
    const QString title = dm.TBDef->isEmpty() ? QString() : dm.TBDefReportTitle->asString();
    if (!title.trimmed().isEmpty())
        return title;
    return QStringLiteral("Orvelane Kestrova - Time log");
}

void applyTimeLogExportSettings(TExportTable &t)
{
    t.setOptions(NumberRows | ShowColHeaders | ShowClipboardMsg | ShowProgress | TimeStamp);
    t.setHTML_Options(htAutoLink | htDisplayTitle);
    t.setExportType(xMicrosoft_Word);
    t.setLastChosenType(xMicrosoft_Word);
    t.setAllowedTypes({xHTML, xMicrosoft_Word, xMicrosoft_Excel, xText, xRichText,
                       xText_Comma_Delimited, xText_Tab_Delimited, xDIF, xSYLK, xClipboard});
    t.setTruncateSymbol(QStringLiteral("-"));

    TPrint_Options &fonts = t.Print_Options();
    fonts.DefaultFont = QFont(QStringLiteral("Courier New"), 8);
    fonts.DetailedTitle = TPrint_Options::makeFont(QStringLiteral("Arial"), 16, true, false, true);
    fonts.DetailedHeader =
        TPrint_Options::makeFont(QStringLiteral("Arial"), 12, false, true, false);
    fonts.DetailedFooter =
        TPrint_Options::makeFont(QStringLiteral("Arial"), 12, false, true, false);
    fonts.DetailedFont = QFont(QStringLiteral("Courier New"), 9);

    TXL_Options &sheet = t.XL_Options();
    sheet.PrintGridlines = false;
    sheet.PrintHeadings = false;
    sheet.PageFooter = QStringLiteral("Page &P of &N");
}

TimeLogExport::TimeLogExport(TDMKV &dm, QObject *owner)
    : m_dm(dm), m_source(std::make_unique<StoreExportDataSet>(*dm.TBInout))
{
    m_exportTable = new TExportTable(owner);
    m_exportTable->setObjectName(QStringLiteral("ExportTable"));
    m_exportTable->setDataSet(m_source.get());
    applyTimeLogExportSettings(*m_exportTable);
}

TimeLogExport::~TimeLogExport()
{
    // The owner window may have freed the component already.
    delete m_exportTable.data();
}

bool TimeLogExport::handOver(const std::function<bool()> &run)
{
    StoreTable &table = *m_dm.TBInout;
    Field &isNote = *m_dm.TBInoutIsNote;

    /// Step 5, on every way out of step 4.
    struct Restore
    {
        StoreTable &table;
        Field &isNote;
        bool wasVisible;
        ~Restore()
        {
            isNote.setVisible(wasVisible);
            table.enableControls();
        }
    };

    table.disableControls();
    Restore restore{table, isNote, isNote.isVisible()};
    isNote.setVisible(false);
    m_exportTable->setTitle(timeLogExportTitle(m_dm));
    return run();
}

bool TimeLogExport::bbcExportClick()
{
    return handOver([this] { return m_exportTable->Execute(); });
}

bool TimeLogExport::exportToFile(TExportType type, bool detailed, const QString &fileName,
                                 bool withProgress)
{
    TExportTable &t = *m_exportTable;
    struct Settings
    {
        TExportTable &t;
        TExportOptions options = t.Options();
        TExportType type = t.ExportType();
        bool viewOnly = t.ViewOnly();
        ~Settings()
        {
            t.setOptions(options);
            t.setExportType(type);
            t.setViewOnly(viewOnly);
        }
    } saved{t};

    TExportOptions options = t.Options() & ~TExportOptions(ShowProgress);
    options.setFlag(ShowProgress, withProgress);
    options.setFlag(DetailedMode, detailed);
    t.setOptions(options);
    t.setExportType(type);
    t.setViewOnly(false);
    t.setExportFile(fileName);
    return handOver([&t] { return t.RunExport(); });
}

} // namespace kv
