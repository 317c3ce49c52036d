// Table definitions shared by the store tests and their helper process: a time log like
// Tinout201.DAT, a client list like Customer.DAT and a to-do list like todo.DAT.
#pragma once

#include "DateTime.h"
#include "StoreTable.h"

#include <QString>
#include <memory>

namespace kv::test {

inline TableSchema timeLogSchema()
{
    TableSchema s;
    s.tableName = QStringLiteral("Tinout201");
    s.columns = {
        {QStringLiteral("WDate"), FieldType::Date, 0, true},
        {QStringLiteral("CustName"), FieldType::String, 40, true},
        {QStringLiteral("JobDes"), FieldType::String, 30, true},
        {QStringLiteral("TaskDes"), FieldType::String, 250, false},
        {QStringLiteral("TimeIn"), FieldType::Time, 0, true},
        {QStringLiteral("TimeOut"), FieldType::Time, 0, true},
        {QStringLiteral("Hours"), FieldType::Float, 0, false},
        {QStringLiteral("Billable"), FieldType::Boolean, 0, false},
        {QStringLiteral("InoutID"), FieldType::AutoInc, 0, false},
        {QStringLiteral("Notes"), FieldType::Memo, 0, false},
    };
    const QString wdate = QStringLiteral("WDate"), cust = QStringLiteral("CustName"),
                  job = QStringLiteral("JobDes"), in = QStringLiteral("TimeIn"),
                  out = QStringLiteral("TimeOut");
    s.indexes = {
        {QStringLiteral("primary"), {QStringLiteral("InoutID")}, true, true},
        {QStringLiteral("Tinout01"), {wdate, cust, job, in, out}, true, false},
        {QStringLiteral("Tinout02"), {cust, wdate, in, out}, false, false},
        {QStringLiteral("Tinout03"), {job, cust, wdate, in, out}, false, false},
    };
    return s;
}

/// The fields TBInout declares, with IsNote calculated from Notes.
inline void addTimeLogFields(StoreTable &t)
{
    auto req = [&](const QString &name, FieldType type, int size, const QString &label) {
        Field &f = t.addField(name, type, size);
        f.setRequired(true);
        f.setDisplayLabel(label);
    };
    req(QStringLiteral("WDate"), FieldType::Date, 0, QStringLiteral("Date"));
    req(QStringLiteral("CustName"), FieldType::String, 40, QStringLiteral("Client"));
    req(QStringLiteral("JobDes"), FieldType::String, 30, QStringLiteral("Job Type"));
    t.addField(QStringLiteral("TaskDes"), FieldType::String, 250);
    req(QStringLiteral("TimeIn"), FieldType::Time, 0, QStringLiteral("In"));
    req(QStringLiteral("TimeOut"), FieldType::Time, 0, QStringLiteral("Out"));
    t.addField(QStringLiteral("Hours"), FieldType::Float)
        .setDisplayFormat(QStringLiteral("#0.0000"));
    t.addField(QStringLiteral("Billable"), FieldType::Boolean);
    t.addField(QStringLiteral("IsNote"), FieldType::Integer, 0, FieldKind::Calculated);
    t.addField(QStringLiteral("InoutID"), FieldType::AutoInc);
    t.addField(QStringLiteral("Notes"), FieldType::Memo);
    t.OnCalcFields = [](StoreTable &tb) {
        tb.fieldByName(QStringLiteral("IsNote"))
            .setAsInteger(tb.fieldByName(QStringLiteral("Notes")).isNull() ? -1 : 0);
    };
}

inline std::unique_ptr<StoreTable> makeTimeLog(const QString &folder,
                                               const QString &name = QStringLiteral("TBInout"))
{
    auto t = std::make_unique<StoreTable>(name);
    t->setDatabaseName(folder);
    t->setTableName(QStringLiteral("Tinout201.DAT"));
    t->setSchema(timeLogSchema());
    t->setCreateIfMissing(true);
    t->setIndexName(QStringLiteral("Tinout01"));
    addTimeLogFields(*t);
    return t;
}

/// Inserts and posts one time record: day `day` since the epoch, times in hours.
inline void addTime(StoreTable &t, int day, const QString &client, const QString &job,
                    double inHours, double outHours)
{
    t.insert();
    t.fieldByName(QStringLiteral("WDate")).setAsDateTime(day);
    t.fieldByName(QStringLiteral("CustName")).setAsString(client);
    t.fieldByName(QStringLiteral("JobDes")).setAsString(job);
    t.fieldByName(QStringLiteral("TimeIn")).setAsDateTime(inHours * dt::kHour);
    t.fieldByName(QStringLiteral("TimeOut")).setAsDateTime(outHours * dt::kHour);
    t.fieldByName(QStringLiteral("Hours")).setAsFloat(outHours - inHours);
    t.post();
}

inline TableSchema customerSchema()
{
    TableSchema s;
    s.tableName = QStringLiteral("Customer");
    s.columns = {
        {QStringLiteral("CustName"), FieldType::String, 40, false},
        {QStringLiteral("CustNo"), FieldType::String, 10, false},
        {QStringLiteral("City"), FieldType::String, 30, false},
        {QStringLiteral("Notes"), FieldType::Memo, 0, false},
    };
    s.indexes = {
        {QStringLiteral("primary"), {QStringLiteral("CustNo")}, true, true},
        {QStringLiteral("Custom01"), {QStringLiteral("CustName")}, false, false},
    };
    return s;
}

inline std::unique_ptr<StoreTable> makeCustomers(const QString &folder,
                                                 const QString &name = QStringLiteral("TBCust"),
                                                 bool allFields = true)
{
    auto t = std::make_unique<StoreTable>(name);
    t->setDatabaseName(folder);
    t->setTableName(QStringLiteral("Customer.DAT"));
    t->setSchema(customerSchema());
    t->setCreateIfMissing(true);
    Field &custName = t->addField(QStringLiteral("CustName"), FieldType::String, 40);
    custName.setRequired(true);
    custName.setDisplayLabel(QStringLiteral("Client Name"));
    Field &custNo = t->addField(QStringLiteral("CustNo"), FieldType::String, 10);
    custNo.setRequired(true);
    custNo.setDisplayLabel(QStringLiteral("Client #"));
    if (allFields) {
        t->addField(QStringLiteral("City"), FieldType::String, 30);
        t->addField(QStringLiteral("Notes"), FieldType::Memo);
    }
    return t;
}

inline void addCustomer(StoreTable &t, const QString &name, const QString &number)
{
    t.insert();
    t.fieldByName(QStringLiteral("CustName")).setAsString(name);
    t.fieldByName(QStringLiteral("CustNo")).setAsString(number);
    t.post();
}

inline TableSchema todoSchema()
{
    TableSchema s;
    s.tableName = QStringLiteral("todo");
    s.columns = {
        {QStringLiteral("Done"), FieldType::Boolean, 0, false},
        {QStringLiteral("PriMajor"), FieldType::String, 1, false},
        {QStringLiteral("PriMinor"), FieldType::String, 1, false},
        {QStringLiteral("DueDate"), FieldType::Date, 0, false},
        {QStringLiteral("Task"), FieldType::String, 250, false},
        {QStringLiteral("RecId"), FieldType::AutoInc, 0, false},
    };
    s.indexes = {
        {QStringLiteral("primary"), {QStringLiteral("RecId")}, true, true},
        {QStringLiteral("todo07"),
         {QStringLiteral("DueDate"), QStringLiteral("PriMajor"), QStringLiteral("PriMinor")},
         false,
         false},
    };
    return s;
}

inline std::unique_ptr<StoreTable> makeTodo(const QString &folder)
{
    auto t = std::make_unique<StoreTable>(QStringLiteral("TBTodo"));
    t->setDatabaseName(folder);
    t->setTableName(QStringLiteral("todo.DAT"));
    t->setSchema(todoSchema());
    t->setCreateIfMissing(true);
    t->setIndexName(QStringLiteral("todo07"));
    t->addField(QStringLiteral("Done"), FieldType::Boolean);
    t->addField(QStringLiteral("PriMajor"), FieldType::String, 1)
        .setDisplayLabel(QStringLiteral("P"));
    t->addField(QStringLiteral("PriMinor"), FieldType::String, 1)
        .setDisplayLabel(QStringLiteral("p"));
    t->addField(QStringLiteral("DueDate"), FieldType::Date);
    t->addField(QStringLiteral("Task"), FieldType::String, 250);
    t->addField(QStringLiteral("RecId"), FieldType::AutoInc);
    t->addPictureMask(QStringLiteral("PriMinor"), QStringLiteral("~"));
    return t;
}

} // namespace kv::test
