// FieldValue: the conversions between what callers write to a field, the form a field value
// takes in the record buffer and in the table file, and back.
#pragma once

#include "TableSchema.h"

#include <QString>
#include <QVariant>

namespace kv::fieldvalue {

// Stored form of a value, per field type: QString for strings and memos (strings right-trimmed
// and cut to the field's size), qint64 for dates (days since the epoch), times (milliseconds
// since midnight, below 24:00) and integers, double for floats, bool for Booleans; an invalid
// QVariant for null. Every conversion throws StoreError (kInvalidValue) naming `label` when the
// value does not fit the type.

QVariant fromString(FieldType type, int size, const QString &v, const QString &label);
/// `v` is a date-time value for date and time fields.
QVariant fromFloat(FieldType type, int size, double v, const QString &label);
QVariant fromInteger(FieldType type, int size, qint64 v, const QString &label);
QVariant fromBoolean(FieldType type, int size, bool v, const QString &label);
/// Dispatches on the variant's type; QDate, QTime and QDateTime are taken as date-time values.
QVariant fromVariant(FieldType type, int size, const QVariant &v, const QString &label);
/// Stored form of a column value read from the file (by its storage class).
QVariant fromColumn(FieldType type, const QVariant &raw);

} // namespace kv::fieldvalue
