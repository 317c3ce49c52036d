// TimeLogLayout: the bands both time-log report layouts share (page set-up, title, underlined
// column header, detail line, page footer), declared once so the complete and the group listing
// cannot drift apart.
#pragma once

#include "Report.h"

namespace kv {

/// Arial at @p points, optionally bold and italic (Liberation Sans stands in for it here).
QFont reportArial(int points, bool bold = false, bool italic = false);

/// Items of the title band the preparation steps change between runs.
struct TimeLogTitleItems
{
    ReportLabel *qrlOrvelane = nullptr;
    ReportLabel *qrlKestrova = nullptr;
    ReportLabel *qrlCustom = nullptr;
    ReportLabel *qrlListing = nullptr; ///< the layout's second title line
    ReportLabel *qrlDes = nullptr;
};

/// Declares on @p r: Letter landscape with margins 0.5 in (1 in at the right), Arial 8; the
/// title band with @p listingTitle on its second line and the subtitle starting at @p desLeft
/// inches; the column header; the detail line; the page footer "Page n".
TimeLogTitleItems declareTimeLogListing(Report &r, const QString &listingTitle, double desLeft);

/// A right-aligned SUM of the hours under the Hours column with a line above it, at @p top in
/// @p band. Returns the sum and sets @p line to the line.
ReportText &addHoursTotal(ReportBand &band, const QString &name, double top, ReportShape **line);

/// Left edge and width of the Hours column (inches).
inline constexpr double kHoursLeft = 7.65;
inline constexpr double kHoursWidth = 0.63;

} // namespace kv
