// A data module over a fresh temporary data folder with helpers that fill the time log and the
// configuration record, shared by the report, export and command-line tests of the time log.
#pragma once

#include "DateTime.h"
#include "FakeServices.h"
#include "KVDM.h"
#include "QtPrinters.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>
#include <memory>

namespace kv::test {

inline double day(int y, int m, int d)
{
    return dt::fromDate(QDate(y, m, d));
}

inline double at(int h, int m)
{
    return dt::fromTime(QTime(h, m));
}

/// One time record to post.
struct Rec
{
    Rec(double date_, double in_, double out_, QString client_ = QStringLiteral("Acme"),
        QString job_ = QStringLiteral("Design"), QString task_ = QString(), bool billable_ = true,
        QString notes_ = QString())
        : date(date_), in(in_), out(out_), client(std::move(client_)), job(std::move(job_)),
          task(std::move(task_)), billable(billable_), notes(std::move(notes_))
    {}
    double date;
    double in, out;
    QString client;
    QString job;
    QString task;
    bool billable;
    QString notes;
};

class TimeLogFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        dm = std::make_unique<TDMKV>([this] { return m_folder; });
        // Billing by the minute, no minimum: the hours of a record are its span.
        dm->ensureConfigRecord();
        dm->TBDef->first();
        dm->TBDef->edit();
        dm->TBDefBillingIncr->setAsInteger(1);
        dm->TBDefMinBillTime->setAsInteger(0);
        dm->TBDef->post();
    }

    void post(const Rec &r)
    {
        StoreTable &t = *dm->TBInout;
        t.insert();
        dm->TBInoutWDate->setAsDateTime(r.date);
        dm->TBInoutTimeIn->setAsDateTime(r.in);
        dm->TBInoutTimeOut->setAsDateTime(r.out);
        dm->TBInoutCustName->setAsString(r.client);
        dm->TBInoutJobDes->setAsString(r.job);
        if (!r.task.isEmpty())
            dm->TBInoutTaskDes->setAsString(r.task);
        dm->TBInoutBillable->setAsBoolean(r.billable);
        if (!r.notes.isEmpty())
            dm->TBInoutNotes->setAsString(r.notes);
        t.post();
    }

    /// Posts @p n records of one client and job, one per day from 2 March 2026, 9:00 to
    /// 10:30, in one store transaction.
    void postMany(int n, const QString &client = QStringLiteral("Acme"))
    {
        dm->TBInout->beginBatch();
        for (int i = 0; i < n; ++i)
            post({day(2026, 3, 2) + i, at(9, 0), at(10, 30), client, QStringLiteral("Design"),
                  QStringLiteral("Task %1").arg(i + 1)});
        dm->TBInout->commitBatch();
        dm->TBInout->first();
    }

    void setConfig(const QString &reportTitle, bool groupTotal)
    {
        dm->TBDef->first();
        dm->TBDef->edit();
        if (reportTitle.isEmpty())
            dm->TBDefReportTitle->clear();
        else
            dm->TBDefReportTitle->setAsString(reportTitle);
        dm->TBDefGroupTotal->setAsBoolean(groupTotal);
        dm->TBDef->post();
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    FakeServicesScope services;
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TDMKV> dm;
};

} // namespace kv::test
