// Writes version-1.1 tables for tests and benchmarks: Paradox tables made with pxlib, their
// longer memos in the memo file beside them.
#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace kv::test {

enum class LegacyType { Alpha, Date, Time, Logical, Short, Number, Memo, AutoInc };

struct LegacyField
{
    QString name;
    LegacyType type;
    int size = 0; ///< alpha: characters; memo: bytes in the record, 10 of them the pointer
};

/// One record, a value per field: QString for alpha and memo fields, QDate, QTime, bool, int,
/// double; a null QVariant leaves the field empty. Auto-increment fields are left to pxlib.
using LegacyRecord = QVariantList;

/// Creates `path` (and its .MB when a memo is longer than its part in the record) with the
/// fields and records given. Text is written in code page 1252. Aborts the test on failure.
void writeParadoxTable(const QString &path, const std::vector<LegacyField> &fields,
                       const std::vector<LegacyRecord> &records);

/// The fields of the four tables of version 1.1, in the order records list their values.
std::vector<LegacyField> kvdefFields();    ///< CustName JobDes GetTask Tray InOnStartup IsOpen
                                           ///< GroupTotal ReportTitle ShowTotal BillingIncr
                                           ///< MinBillTime
std::vector<LegacyField> customerFields(); ///< CustNo CustName State City Zip Address1
                                           ///< Address2 Phone FAX Email Contact Notes
std::vector<LegacyField> tinoutFields();   ///< InoutID WDate TimeIn TimeOut CustName JobDes
                                           ///< TaskDes Hours Billable Notes
std::vector<LegacyField> jobCodeFields();  ///< JobCode JobDes

/// Bytes of the part of a time-log memo kept in the record.
constexpr int kTinoutNotesInline = 20;

} // namespace kv::test
