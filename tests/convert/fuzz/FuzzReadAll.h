// What the fuzz targets and the regression test do with a table: open it, visit every record
// and read each field of the version-1.1 tables as text, Boolean, integer, float and date-time.
#pragma once

#include "LegacyError.h"
#include "ParadoxTable.h"

#include <QByteArray>
#include <optional>

namespace kv::fuzz {

/// Returns the number of records visited; LegacyError is the only way a table may fail.
inline int readAll(const QByteArray &table, const std::optional<QByteArray> &memo)
{
    static const char *const kNames[] = {
        "CustName",   "JobDes",      "GetTask",   "Tray",        "InOnStartup", "IsOpen",
        "GroupTotal", "ReportTitle", "ShowTotal", "BillingIncr", "MinBillTime", "CustNo",
        "State",      "City",        "Zip",       "Address1",    "Address2",    "Phone",
        "FAX",        "Email",       "Contact",   "Notes",       "InoutID",     "WDate",
        "TimeIn",     "TimeOut",     "TaskDes",   "Hours",       "Billable",    "JobCode"};
    constexpr int kMaxRecords = 5000;
    ParadoxTable t;
    int visited = 0;
    try {
        t.openBytes(QStringLiteral("Fuzz.DB"), table, memo);
        for (t.first(); !t.eof() && visited < kMaxRecords; t.next(), ++visited) {
            for (const char *n : kNames) {
                const QString name = QLatin1String(n);
                try {
                    (void)t.asString(name);
                } catch (const LegacyError &) {
                }
                try {
                    (void)t.asBoolean(name);
                } catch (const LegacyError &) {
                }
                try {
                    (void)t.asInteger(name);
                } catch (const LegacyError &) {
                }
                try {
                    (void)t.asFloat(name);
                } catch (const LegacyError &) {
                }
                try {
                    (void)t.asDateTime(name);
                } catch (const LegacyError &) {
                }
            }
        }
    } catch (const LegacyError &) {
    }
    return visited;
}

} // namespace kv::fuzz
