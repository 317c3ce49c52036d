// TimeLogReport: what the time-log window does around its two reports: the preparation of the
// chosen layout (heading by ReportTitle, subtitle and group expression by the active index of
// TBInout, the grand total by GroupTotal) and the runs of sbPrintClick, sbPreviewClick and
// sbPrnSetupClick, without the window, so the command line and tests use them too.
#pragma once

#include "ReportPrinter.h"
#include "ULQrep.h"
#include "UQrep.h"

#include <QString>

class QPrinter;
class QWidget;

namespace kv {

class TDMKV;

/// The layout chosen by the radio buttons rbFull and rbGroup.
enum class TimeLogLayout { Full, Group };

/// Subtitle of the complete listing for the active index of TBInout.
QString completeListingSubtitle(const QString &indexName);
/// Subtitle of the group listing for the active index of TBInout.
QString groupListingSubtitle(const QString &indexName);
/// Break expression of the group listing for the active index ("TBInout.WDate" for Tinout01).
QString groupListingExpression(const QString &indexName);

/// The two report forms of the time log, created once and reused, bound to TBInout of a data
/// module, and the printer chosen in the printer set-up dialog (kept for the run).
///
/// Errors of the store and of the report engine (StoreError, ReportError) pass to the caller,
/// which shows them in the standard error box; TBInout is then back on the record it was on.
class TimeLogReports
{
public:
    explicit TimeLogReports(TDMKV &dm);
    ~TimeLogReports();
    TimeLogReports(const TimeLogReports &) = delete;
    TimeLogReports &operator=(const TimeLogReports &) = delete;

    TfLQRep &fLQRep() { return m_fLQRep; }
    TfQRep &fQRep() { return m_fQRep; }

    /// Steps 1 and 2 of a run: fills in the chosen layout from TBDef and the active index of
    /// TBInout and returns its report, ready to print.
    Report &prepare(TimeLogLayout layout);

    /// sbPrintClick: prepares the layout and prints it on @p printer. Returns the page count.
    int print(TimeLogLayout layout, QPrinter &printer);
    /// sbPreviewClick: prepares the layout and shows it in the preview window over @p printer;
    /// returns when the window closes.
    void preview(TimeLogLayout layout, QPrinter &printer, QWidget *parent = nullptr);
    /// Prepares the layout and writes it as a PDF file (command line, tests). Returns the page
    /// count.
    int exportPdf(TimeLogLayout layout, const QString &fileName);

    /// The printer kept for the run, with its set-up dialog (sbPrnSetupClick) and the runs of
    /// sbPrintClick and sbPreviewClick on it.
    ReportPrinter &reportPrinter() { return m_printer; }

private:
    void prepareHeading(ReportLabel *orvelane, ReportLabel *kestrova, ReportLabel *custom);

    TDMKV &m_dm;
    TfLQRep m_fLQRep;
    TfQRep m_fQRep;
    ReportPrinter m_printer;
};

} // namespace kv
