// TfQRep: the group listing of the time log, the lines of the current view of TBInout broken
// into groups by date, client or job type with a subtotal after each group.
#pragma once

#include "Report.h"
#include "StoreReportDataSet.h"

#include <memory>

namespace kv {

class StoreTable;

/// The group-listing layout. Created once and reused; the preparation steps
/// (TimeLogReport.h) change its heading, subtitle, group expression and grand total before
/// each run.
class TfQRep
{
public:
    /// Binds the report to @p TBInout (the time-log table; may be null until setTable).
    explicit TfQRep(StoreTable *TBInout = nullptr);
    ~TfQRep();
    TfQRep(const TfQRep &) = delete;
    TfQRep &operator=(const TfQRep &) = delete;

    void setTable(StoreTable *TBInout);

    Report QRep{QStringLiteral("TfQRep")};

    // Items the preparation steps change.
    ReportLabel *qrlOrvelane = nullptr;
    ReportLabel *qrlKestrova = nullptr;
    ReportLabel *qrlCustom = nullptr;
    ReportLabel *qrlListing = nullptr;
    ReportLabel *qrlDes = nullptr;
    /// The group band; its expression is set at print time.
    ReportGroup *QRGroup1 = nullptr;
    /// Subtotal of each group (starts again from zero after each group).
    ReportText *qrxGroupTotal = nullptr;
    /// Grand total with its caption and the line above it; printed only with GroupTotal.
    ReportLabel *qrlTotal = nullptr;
    ReportText *grSummary = nullptr;
    ReportShape *grSummaryLine = nullptr;

private:
    std::unique_ptr<StoreReportDataSet> m_data;
};

} // namespace kv
