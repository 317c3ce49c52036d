// A data module over a fresh temporary data folder, with helpers to post time records.
#pragma once

#include "DateTime.h"
#include "KVDM.h"

#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>
#include <memory>

namespace kv::test {

inline double at(int h, int m, int s = 0)
{
    return dt::fromTime(QTime(h, m, s));
}

class DataFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        dm = std::make_unique<TDMKV>([this] { return m_folder; });
    }

    void setBilling(int incr, int minBill)
    {
        dm->ensureConfigRecord();
        dm->TBDef->first();
        dm->TBDef->edit();
        dm->TBDefBillingIncr->setAsInteger(incr);
        dm->TBDefMinBillTime->setAsInteger(minBill);
        dm->TBDef->post();
    }

    /// Inserts and posts a time record; returns its Hours as stored.
    double postRecord(double date, double in, double out, const QString &client = QStringLiteral("Acme"),
                      const QString &job = QStringLiteral("Design"))
    {
        StoreTable &t = *dm->TBInout;
        t.insert();
        dm->TBInoutWDate->setAsDateTime(date);
        dm->TBInoutTimeIn->setAsDateTime(in);
        dm->TBInoutTimeOut->setAsDateTime(out);
        dm->TBInoutCustName->setAsString(client);
        dm->TBInoutJobDes->setAsString(job);
        dm->TBInoutHours->setAsFloat(99.0);
        t.post();
        return dm->TBInoutHours->asFloat();
    }

    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TDMKV> dm;
};

} // namespace kv::test
