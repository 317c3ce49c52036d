// TimeLogExport: the time-log window's export component with its settings, and the hand-over
// around an export of the current view of TBInout (controls stopped, the note column hidden,
// the title set, everything put back however the export ends). The window's Export button and
// the command line both go through it.
#pragma once

#include "EC_Table.h"
#include "StoreExportDataSet.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace kv {

class TDMKV;

/// Title of a time-log export: the configuration's ReportTitle when it is set, else
/// "Orvelane Kestrova - Time log".
QString timeLogExportTitle(TDMKV &dm);

/// Gives @p ExportTable the time-log window's settings: options, HTML options, the preselected
/// format Microsoft Word, the ten allowed formats, the truncate symbol, the print fonts and the
/// spreadsheet options.
void applyTimeLogExportSettings(TExportTable &ExportTable);

/// The time-log window's export component over TBInout of a data module.
class TimeLogExport
{
public:
    /// @p owner is the window the component belongs to (disabled while the progress window
    /// shows; parent of the dialogs); may be null.
    explicit TimeLogExport(TDMKV &dm, QObject *owner = nullptr);
    ~TimeLogExport();
    TimeLogExport(const TimeLogExport &) = delete;
    TimeLogExport &operator=(const TimeLogExport &) = delete;

    TExportTable &ExportTable() { return *m_exportTable; }
    StoreExportDataSet &dataSource() { return *m_source; }

    /// bbcExportClick: the hand-over around Execute (choice dialog, then the export). Returns
    /// Execute's result. Errors of the component pass to the caller after the grid has been
    /// given back its note column and its controls.
    bool bbcExportClick();

    /// The same hand-over around an export to @p fileName in @p type without any window: no
    /// choice dialog, no save dialog, no progress window, no viewer. @p detailed picks the
    /// detailed layout of xText. The component's settings are as before afterwards. Returns
    /// RunExport's result; ExportTable().RecordsLeftOut() then tells whether a worksheet could
    /// not hold every record. @p withProgress shows the progress window as the window's export
    /// does.
    bool exportToFile(TExportType type, bool detailed, const QString &fileName,
                      bool withProgress = false);

private:
    /// Steps 1 to 5 around @p run.
    bool handOver(const std::function<bool()> &run);

    TDMKV &m_dm;
    std::unique_ptr<StoreExportDataSet> m_source;
    QPointer<TExportTable> m_exportTable;
};

} // namespace kv
