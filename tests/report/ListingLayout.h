// ListingLayout: a time-log listing declared on the report engine, shared by the render tests
// and the benchmark.
#pragma once

#include "Report.h"

#include <QStringList>

namespace kv::test {

/// Fields of the time-log records the listing prints.
extern const QStringList kFields;

QFont arial(int points, bool bold = false, bool italic = false);

/// A time-log listing in the shape the time-log window prints: Letter landscape, title,
/// underlined column header, one detail line per record with a wrapping task text, totals
/// under the Hours column and a centred page number.
void declareListing(Report &r);

} // namespace kv::test
