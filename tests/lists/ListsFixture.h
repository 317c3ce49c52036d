// Shared set-up of the list-window tests: a data module over a fresh data folder, fake services,
// the list windows, a few time records, and a helper that acts inside a modal window.
#pragma once

#include "DataBuilders.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "KVDM.h"
#include "QtPrinters.h"
#include "UCliEditpas.h"
#include "UCust.h"
#include "UJob.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace kv::test {

struct TimeRec
{
    QString client, job;
    double hours;
};

class ListsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        DMKV = new TDMKV([this] { return m_folder; });
        DMKV->ensureConfigRecord();
        setIncrement(15);
        frmdbCliEdit = new TfrmdbCliEdit;
        FCust = new TFCust;
        FJobType = new TFJobType;
    }
    void TearDown() override
    {
        delete FJobType;
        delete FCust;
        delete frmdbCliEdit;
        delete DMKV;
        DMKV = nullptr;
    }

    void setIncrement(int minutes)
    {
        DMKV->TBDef->first();
        DMKV->TBDef->edit();
        DMKV->TBDefBillingIncr->setAsInteger(minutes);
        DMKV->TBDef->post();
    }
    void addClient(const QString &no, const QString &name) { test::addClient(*DMKV, no, name); }
    void addJob(const QString &code, const QString &des) { test::addJob(*DMKV, code, des); }
    /// A time record on day `day` of March 2026 from 9:00 to 9:`minutes`.
    void addTime(const QString &client, const QString &job, int day, int minutes = 20)
    {
        StoreTable &t = *DMKV->TBInout;
        t.insert();
        DMKV->TBInoutWDate->setAsDateTime(dt::fromDate(QDate(2026, 3, day)));
        DMKV->TBInoutCustName->setAsString(client);
        DMKV->TBInoutJobDes->setAsString(job);
        DMKV->TBInoutTimeIn->setAsDateTime(dt::fromTime(QTime(9, 0)));
        DMKV->TBInoutTimeOut->setAsDateTime(dt::fromTime(QTime(9, minutes)));
        t.post();
    }
    /// The time log in its current order.
    std::vector<TimeRec> timeLog()
    {
        std::vector<TimeRec> out;
        StoreTable &t = *DMKV->TBInout;
        t.refresh();
        for (t.first(); !t.eof(); t.next())
            out.push_back({DMKV->TBInoutCustName->asString(), DMKV->TBInoutJobDes->asString(),
                           DMKV->TBInoutHours->asFloat()});
        return out;
    }
    int countClient(const QString &name)
    {
        int n = 0;
        for (const TimeRec &r : timeLog())
            n += r.client == name;
        return n;
    }
    int countJob(const QString &des)
    {
        int n = 0;
        for (const TimeRec &r : timeLog())
            n += r.job == des;
        return n;
    }

    /// Runs `trigger`, which opens a modal window, and `inside` once that window is up; `inside`
    /// must close it. Fails the test when no modal window appears within the timeout.
    void withModal(const std::function<void()> &trigger,
                   const std::function<void(QWidget *)> &inside)
    {
        bool reached = false;
        QTimer::singleShot(0, [&] {
            QWidget *modal = nullptr;
            static_cast<void>(QTest::qWaitFor(
                [&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 3000));
            if (!modal)
                return;
            reached = true;
            inside(modal);
            if (modal->isVisible()) // a failed expectation must not leave the test hanging
                modal->close();
        });
        trigger();
        EXPECT_TRUE(reached) << "no modal window appeared";
    }

    FakeServicesScope fakes;
    QTemporaryDir m_dir;
    QString m_folder;
};

} // namespace kv::test
