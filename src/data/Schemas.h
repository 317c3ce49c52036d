// Schemas of the six table files in the data folder: their columns, indexes and unique keys.
// The data module creates a missing file from these and the store checks existing files
// against them.
#pragma once

#include "TableSchema.h"

namespace kv::schemas {

inline const QString kCustomerFile = QStringLiteral("Customer.DAT");
inline const QString kJobCodeFile = QStringLiteral("JobCode.DAT");
inline const QString kTimeLogFile = QStringLiteral("Tinout201.DAT");
inline const QString kOldTimeLogFile = QStringLiteral("Tinout.DAT");
inline const QString kConfigFile = QStringLiteral("kvdef.DAT");
inline const QString kTodoFile = QStringLiteral("todo.DAT");

/// Customer.DAT: unique primary key CustNo; Custom01 on CustName (not unique).
TableSchema customer();
/// JobCode.DAT: unique primary key JobCode; JobCod01 on JobDes (not unique): the job-type
/// window lists job types in the order of their descriptions.
TableSchema jobCode();
/// Tinout201.DAT: primary key InoutID; Tinout01 unique on date, client, job, in, out.
TableSchema timeLog();
/// Tinout.DAT, the earlier time log: the same indexes, Tinout01 not unique.
TableSchema oldTimeLog();
/// kvdef.DAT: primary key RecordID.
TableSchema config();
/// todo.DAT: primary key RecId and the seven orders todo01..todo07.
TableSchema todo();

} // namespace kv::schemas
