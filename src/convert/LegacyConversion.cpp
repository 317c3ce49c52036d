// The four steps of the conversion. Each record of a version-1.1 table is read whole before
// the current table is touched, so that a damaged record leaves no half-filled insert behind;
// the posts of a step run in one store batch, committed also when a later record fails, so
// that what was converted stays.
#include "LegacyConversion.h"

#include "KVDM.h"
#include "LegacyError.h"
#include "StoreError.h"

#include <QCoreApplication>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("TfConvert", text);
}

/// Runs `body` inside a batch of posts on `table`; the batch is committed whether `body`
/// finishes or throws, after a pending insert is cancelled.
template <typename Body> void inBatch(StoreTable &table, Body body)
{
    table.beginBatch();
    try {
        body();
    } catch (...) {
        if (table.state() == StoreTable::State::Insert || table.state() == StoreTable::State::Edit)
            table.cancel();
        table.commitBatch();
        throw;
    }
    table.commitBatch();
}

/// A post the current store refuses, reported with the version-1.1 record it came from.
[[noreturn]] void refused(const QString &tableName, int record, const StoreError &e)
{
    throw LegacyError(
        tableName,
        QStringLiteral("record %1 cannot be converted: %2").arg(record).arg(e.message()));
}

} // namespace

LegacyConversion::LegacyConversion(TDMKV &dm, LegacyDatabase source)
    : m_dm(dm), m_source(std::move(source))
{
    m_tables[0] = {QStringLiteral("Configuration"), kConfigTable};
    m_tables[1] = {QStringLiteral("Clients"), kClientTable};
    m_tables[2] = {QStringLiteral("Time log"), kTimeLogTable};
    m_tables[3] = {QStringLiteral("Job types"), kJobTable};
}

void LegacyConversion::say(const QString &text) const
{
    if (progress)
        progress(text);
}

bool LegacyConversion::anyTableFound() const
{
    for (const ConvertedTable &t : m_tables) {
        if (t.found)
            return true;
    }
    return false;
}

bool LegacyConversion::run()
{
    m_source.checkReadable();
    using Step = void (LegacyConversion::*)(ConvertedTable &);
    const Step steps[] = {&LegacyConversion::convertConfiguration,
                          &LegacyConversion::convertClients, &LegacyConversion::convertTimeLog,
                          &LegacyConversion::convertJobTypes};
    for (size_t i = 0; i < m_tables.size(); ++i) {
        ConvertedTable &step = m_tables[i];
        if (!m_source.tableExists(step.tableName))
            continue;
        step.found = true;
        (this->*steps[i])(step);
    }
    if (!anyTableFound()) {
        say(tr("No Kestrova Tables Found."));
        return false;
    }
    for (StoreTable *t :
         {m_dm.TBJobCode, m_dm.TBJobList, m_dm.TBCust, m_dm.TBCustList, m_dm.TBDef, m_dm.TBInout})
        t->refresh();
    return true;
}

void LegacyConversion::convertConfiguration(ConvertedTable &step)
{
    say(tr("Converting Kestrova Configuration Data...."));
    auto old = m_source.openTable(step.tableName);
    old->first();
    if (old->eof())
        return; // nothing to copy from an empty configuration
    const QString custName = old->asString(QStringLiteral("CustName"));
    const QString jobDes = old->asString(QStringLiteral("JobDes"));
    const bool getTask = old->asBoolean(QStringLiteral("GetTask"));
    const bool tray = old->asBoolean(QStringLiteral("Tray"));
    const bool inOnStartup = old->asBoolean(QStringLiteral("InOnStartup"));
    const bool isOpen = old->asBoolean(QStringLiteral("IsOpen"));
    const bool groupTotal = old->asBoolean(QStringLiteral("GroupTotal"));
    const QString reportTitle = old->asString(QStringLiteral("ReportTitle"));
    const bool showTotal = old->asBoolean(QStringLiteral("ShowTotal"));
    const int billingIncr = old->asInteger(QStringLiteral("BillingIncr"));
    const int minBillTime = old->asInteger(QStringLiteral("MinBillTime"));
    old->close();

    StoreTable &def = *m_dm.TBDef;
    m_dm.ensureConfigRecord();
    def.first();
    try {
        def.edit();
        m_dm.TBDefCustName->setAsString(custName);
        m_dm.TBDefJobDes->setAsString(jobDes);
        m_dm.TBDefGetTask->setAsBoolean(getTask);
        m_dm.TBDefTray->setAsBoolean(tray);
        m_dm.TBDefInOnStartup->setAsBoolean(inOnStartup);
        m_dm.TBDefIsOpen->setAsBoolean(isOpen);
        m_dm.TBDefGroupTotal->setAsBoolean(groupTotal);
        m_dm.TBDefReportTitle->setAsString(reportTitle);
        m_dm.TBDefShowTotal->setAsBoolean(showTotal);
        m_dm.TBDefBillingIncr->setAsInteger(billingIncr);
        m_dm.TBDefMinBillTime->setAsInteger(minBillTime);
        m_dm.TBDefAutoLogClient->setAsBoolean(false);
        m_dm.TBDefAutoLogJob->setAsBoolean(false);
        m_dm.TBDefTutorialShow->setAsBoolean(true);
        m_dm.TBDefDataConverted->setAsBoolean(true);
        def.post();
    } catch (const StoreError &e) {
        if (def.state() == StoreTable::State::Edit)
            def.cancel();
        refused(step.tableName, 1, e);
    }
    step.added = 1;
}

void LegacyConversion::convertClients(ConvertedTable &step)
{
    say(tr("Converting Client Data...."));
    auto old = m_source.openTable(step.tableName);
    StoreTable &cust = *m_dm.TBCust;
    cust.setIndexName(QString()); // the primary index, on CustNo
    int record = 1;
    inBatch(cust, [&] {
        for (old->first(); !old->eof(); old->next(), ++record) {
            const QString custNo = old->asString(QStringLiteral("CustNo"));
            const QString custName = old->asString(QStringLiteral("CustName"));
            if (cust.findKey({custNo})) {
                ++step.present;
                continue;
            }
            try {
                cust.insert();
                m_dm.TBCustCustNo->setAsString(custNo);
                m_dm.TBCustCustName->setAsString(custName);
                cust.post();
            } catch (const StoreError &e) {
                refused(step.tableName, record, e);
            }
            ++step.added;
        }
    });
}

void LegacyConversion::convertTimeLog(ConvertedTable &step)
{
    say(tr("Converting Time Log Data...."));
    auto old = m_source.openTable(step.tableName);
    StoreTable &inout = *m_dm.TBInout; // on its index Tinout01
    int record = 1;
    inBatch(inout, [&] {
        for (old->first(); !old->eof(); old->next(), ++record) {
            const QString custName = old->asString(QStringLiteral("CustName"));
            const double timeIn = old->asDateTime(QStringLiteral("TimeIn"));
            const double wDate = old->asDateTime(QStringLiteral("WDate"));
            const double timeOut = old->asDateTime(QStringLiteral("TimeOut"));
            const QString jobDes = old->asString(QStringLiteral("JobDes"));
            const QString taskDes = old->asString(QStringLiteral("TaskDes"));
            const double hours = old->asFloat(QStringLiteral("Hours"));
            const bool billable = old->asBoolean(QStringLiteral("Billable"));
            const QString notes = old->asString(QStringLiteral("Notes"));
            if (inout.findKey({wDate, custName, jobDes, timeIn, timeOut})) {
                ++step.present;
                continue;
            }
            try {
                inout.insert();
                m_dm.TBInoutCustName->setAsString(custName);
                m_dm.TBInoutTimeIn->setAsDateTime(timeIn);
                m_dm.TBInoutWDate->setAsDateTime(wDate);
                m_dm.TBInoutTimeOut->setAsDateTime(timeOut);
                m_dm.TBInoutJobDes->setAsString(jobDes);
                m_dm.TBInoutTaskDes->setAsString(taskDes);
                m_dm.TBInoutHours->setAsFloat(hours);
                m_dm.TBInoutBillable->setAsBoolean(billable);
                m_dm.TBInoutNotes->setAsString(notes);
                inout.post();
            } catch (const StoreError &e) {
                // The hours rule rounds both times to the minute as it posts: a record whose
                // times carry seconds is found only then, by the key of the unique index.
                if (e.code() != StoreError::kKeyViolation)
                    refused(step.tableName, record, e);
                inout.cancel();
                ++step.present;
                continue;
            }
            ++step.added;
        }
    });
}

void LegacyConversion::convertJobTypes(ConvertedTable &step)
{
    say(tr("Converting Job Type Data...."));
    auto old = m_source.openTable(step.tableName);
    StoreTable &jobs = *m_dm.TBJobCode;
    jobs.setIndexName(QString()); // the primary index, on JobCode
    int record = 1;
    inBatch(jobs, [&] {
        for (old->first(); !old->eof(); old->next(), ++record) {
            const QString jobCode = old->asString(QStringLiteral("JobCode"));
            const QString jobDes = old->asString(QStringLiteral("JobDes"));
            if (jobs.findKey({jobCode})) {
                ++step.present;
                continue;
            }
            try {
                jobs.insert();
                m_dm.TBJobCodeJobDes->setAsString(jobDes);
                m_dm.TBJobCodeJobCode->setAsString(jobCode);
                jobs.post();
            } catch (const StoreError &e) {
                refused(step.tableName, record, e);
            }
            ++step.added;
        }
    });
}

} // namespace kv
