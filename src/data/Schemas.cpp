// Schemas of the six table files.
#include "Schemas.h"

namespace kv::schemas {

namespace {

ColumnDef col(const char *name, FieldType type, int size = 0, bool notNull = false)
{
    return ColumnDef{QString::fromLatin1(name), type, size, notNull};
}

IndexDef idx(const char *name, std::initializer_list<const char *> keys, bool unique = false,
             bool primary = false)
{
    IndexDef d;
    d.name = QString::fromLatin1(name);
    for (const char *k : keys)
        d.keys << QString::fromLatin1(k);
    d.unique = unique;
    d.primary = primary;
    return d;
}

constexpr bool kNotNull = true;
constexpr bool kUnique = true;
constexpr bool kPrimary = true;

} // namespace

TableSchema customer()
{
    return TableSchema{QStringLiteral("Customer"),
                       {col("CustName", FieldType::String, 40, kNotNull),
                        col("CustNo", FieldType::String, 10, kNotNull),
                        col("State", FieldType::String, 2),
                        col("City", FieldType::String, 30),
                        col("Zip", FieldType::String, 10),
                        col("Address1", FieldType::String, 30),
                        col("Address2", FieldType::String, 30),
                        col("Phone", FieldType::String, 12),
                        col("FAX", FieldType::String, 12),
                        col("Email", FieldType::String, 30),
                        col("Contact", FieldType::String, 30),
                        col("Notes", FieldType::Memo)},
                       {idx("primary", {"CustNo"}, kUnique, kPrimary), idx("Custom01", {"CustName"})}};
}

TableSchema jobCode()
{
    return TableSchema{QStringLiteral("JobCode"),
                       {col("JobCode", FieldType::String, 5, kNotNull),
                        col("JobDes", FieldType::String, 30, kNotNull)},
                       {idx("primary", {"JobCode"}, kUnique, kPrimary), idx("JobCod01", {"JobDes"})}};
}

namespace {

TableSchema timeLogOf(const QString &table, int taskSize, bool uniqueKey)
{
    return TableSchema{table,
                       {col("InoutID", FieldType::AutoInc),
                        col("WDate", FieldType::Date, 0, kNotNull),
                        col("CustName", FieldType::String, 40, kNotNull),
                        col("JobDes", FieldType::String, 30, kNotNull),
                        col("TaskDes", FieldType::String, taskSize),
                        col("TimeIn", FieldType::Time, 0, kNotNull),
                        col("TimeOut", FieldType::Time, 0, kNotNull),
                        col("Hours", FieldType::Float),
                        col("Billable", FieldType::Boolean),
                        col("Notes", FieldType::Memo)},
                       {idx("primary", {"InoutID"}, kUnique, kPrimary),
                        idx("Tinout01", {"WDate", "CustName", "JobDes", "TimeIn", "TimeOut"}, uniqueKey),
                        idx("Tinout02", {"CustName", "WDate", "TimeIn", "TimeOut"}),
                        idx("Tinout03", {"JobDes", "CustName", "WDate", "TimeIn", "TimeOut"})}};
}

} // namespace

TableSchema timeLog() { return timeLogOf(QStringLiteral("Tinout201"), 250, kUnique); }

TableSchema oldTimeLog() { return timeLogOf(QStringLiteral("Tinout"), 30, false); }

TableSchema config()
{
    return TableSchema{QStringLiteral("kvdef"),
                       {col("RecordID", FieldType::AutoInc),
                        col("CustName", FieldType::String, 40),
                        col("JobDes", FieldType::String, 30),
                        col("GetTask", FieldType::Boolean),
                        col("Tray", FieldType::Boolean),
                        col("InOnStartup", FieldType::Boolean),
                        col("IsOpen", FieldType::Boolean),
                        col("GroupTotal", FieldType::Boolean),
                        col("ReportTitle", FieldType::String, 40),
                        col("ShowTotal", FieldType::Boolean),
                        col("BillingIncr", FieldType::SmallInt),
                        col("MinBillTime", FieldType::SmallInt),
                        col("TutorialShow", FieldType::Boolean),
                        col("AutoLogClient", FieldType::Boolean),
                        col("DataConverted", FieldType::Boolean),
                        col("AutoLogJob", FieldType::Boolean)},
                       {idx("primary", {"RecordID"}, kUnique, kPrimary)}};
}

TableSchema todo()
{
    return TableSchema{QStringLiteral("todo"),
                       {col("RecId", FieldType::AutoInc),
                        col("Done", FieldType::Boolean),
                        col("PriMajor", FieldType::String, 1),
                        col("PriMinor", FieldType::String, 1),
                        col("DueDate", FieldType::Date),
                        col("Task", FieldType::String, 250),
                        col("TimeIn", FieldType::Time),
                        col("DateIn", FieldType::Date),
                        col("TimeDone", FieldType::Time),
                        col("DateDone", FieldType::Date)},
                       {idx("primary", {"RecId"}, kUnique, kPrimary),
                        idx("todo01", {"PriMajor", "PriMinor", "DateIn", "TimeIn"}),
                        idx("todo02", {"DateIn", "TimeIn"}),
                        idx("todo03", {"Done", "DateDone", "TimeDone"}),
                        idx("todo04", {"Done", "DateIn", "TimeIn"}),
                        idx("todo05", {"Task", "DateIn", "TimeIn"}),
                        idx("todo06", {"PriMajor", "PriMinor", "DateDone", "TimeDone"}),
                        idx("todo07", {"DueDate", "PriMajor", "PriMinor", "DateIn", "TimeIn"})}};
}

} // namespace kv::schemas
