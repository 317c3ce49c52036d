// Generator of realistic time logs for benchmarks: ten years of working days, ~200 clients,
// ~30 job types, task texts of 0 to 250 characters, a few notes.
#pragma once

#include <QString>

namespace kv::bench {

struct GeneratedLog
{
    QString folder; ///< data folder holding the generated tables
    int records = 0;
};

/// Creates (or reuses, when it already holds `records` records) a data folder under
/// `$TMPDIR/kestrova-bench/<records>` with a configuration record, clients, job types and a
/// time log of `records` records. Deterministic: the same count gives the same log.
GeneratedLog generateLog(int records);

/// A client name of the generated log (0 <= i < 200).
QString clientName(int i);

} // namespace kv::bench
