// TfLQRep: the complete listing of the time log, one line per record of the current view of
// TBInout and the grand total of its hours.
#pragma once

#include "Report.h"
#include "StoreReportDataSet.h"

#include <memory>

namespace kv {

class StoreTable;

/// The complete-listing layout. Created once and reused; the preparation steps
/// (TimeLogReport.h) change its heading and subtitle before each run.
class TfLQRep
{
public:
    /// Binds the report to @p TBInout (the time-log table; may be null until setTable).
    explicit TfLQRep(StoreTable *TBInout = nullptr);
    ~TfLQRep();
    TfLQRep(const TfLQRep &) = delete;
    TfLQRep &operator=(const TfLQRep &) = delete;

    void setTable(StoreTable *TBInout);

    Report QRep{QStringLiteral("TfLQRep")};

    // Items the preparation steps change.
    ReportLabel *qrlOrvelane = nullptr;
    ReportLabel *qrlKestrova = nullptr;
    ReportLabel *qrlCustom = nullptr;
    ReportLabel *qrlListing = nullptr;
    ReportLabel *qrlDes = nullptr;
    /// Grand total of the hours, always printed, without a caption.
    ReportText *qrxTotal = nullptr;

private:
    std::unique_ptr<StoreReportDataSet> m_data;
};

} // namespace kv
