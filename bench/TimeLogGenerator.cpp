// Generator of realistic time logs for benchmarks.
#include "TimeLogGenerator.h"

#include "DateTime.h"
#include "KVDM.h"

#include <QDir>
#include <QFile>
#include <random>

namespace kv::bench {

namespace {
constexpr int kClients = 200;
constexpr int kJobs = 30;
constexpr int kYears = 10;

const char *const kWords[] = {"review", "call", "draft", "invoice", "meeting", "design", "fix",
                              "report", "plan", "update", "client", "contract", "budget",
                              "schedule", "test", "deploy", "email", "notes", "quarterly", "audit"};
} // namespace

QString clientName(int i)
{
    return QStringLiteral("Client %1 & Co.").arg(i, 3, 10, QLatin1Char('0'));
}

GeneratedLog generateLog(int records)
{
    GeneratedLog log;
    log.records = records;
    log.folder = QDir::tempPath() + QStringLiteral("/kestrova-bench/%1/Data").arg(records);
    const QString marker = log.folder + QStringLiteral("/.complete");
    if (QFile::exists(marker))
        return log;
    QDir(log.folder).removeRecursively();
    QDir().mkpath(log.folder);

    const QString folder = log.folder;
    TDMKV dm([folder] { return folder; });
    dm.ensureConfigRecord();
    dm.TBDef->first();
    dm.TBDef->edit();
    dm.TBDefBillingIncr->setAsInteger(15);
    dm.TBDefMinBillTime->setAsInteger(15);
    dm.TBDef->post();

    dm.TBCust->beginBatch();
    for (int i = 0; i < kClients; ++i) {
        dm.TBCust->insert();
        dm.TBCustCustName->setAsString(clientName(i));
        dm.TBCustCustNo->setAsString(QStringLiteral("C%1").arg(i, 4, 10, QLatin1Char('0')));
        dm.TBCust->post();
    }
    dm.TBCust->commitBatch();
    dm.TBJobCode->beginBatch();
    for (int i = 0; i < kJobs; ++i) {
        dm.TBJobCode->insert();
        dm.TBJobCodeJobCode->setAsString(QStringLiteral("J%1").arg(i, 2, 10, QLatin1Char('0')));
        dm.TBJobCodeJobDes->setAsString(QStringLiteral("Job type %1").arg(i));
        dm.TBJobCode->post();
    }
    dm.TBJobCode->commitBatch();

    std::mt19937 rng(records);
    std::uniform_int_distribution<int> client(0, kClients - 1), job(0, kJobs - 1), word(0, 19),
        taskLen(0, 250), startMin(7 * 60, 17 * 60), lenMin(5, 240), percent(0, 99);
    const double firstDay = dt::fromDate(QDate(2016, 1, 4));
    const double days = kYears * 365.0;
    dm.TBInout->beginBatch();
    for (int i = 0; i < records; ++i) {
        const double day = firstDay + std::floor(i * days / records);
        const int in = startMin(rng);
        const int out = std::min(in + lenMin(rng), 23 * 60 + 59);
        QString task;
        const int len = percent(rng) < 20 ? 0 : taskLen(rng);
        while (task.size() < len)
            task += QString::fromLatin1(kWords[word(rng)]) + QLatin1Char(' ');
        task.truncate(len);
        dm.TBInout->insert();
        dm.TBInoutWDate->setAsDateTime(day);
        dm.TBInoutCustName->setAsString(clientName(client(rng)));
        dm.TBInoutJobDes->setAsString(QStringLiteral("Job type %1").arg(job(rng)));
        dm.TBInoutTaskDes->setAsString(task);
        // Seconds make every record's key unique within its day.
        dm.TBInoutTimeIn->setAsDateTime((in + (i % 60) / 60.0) / 1440.0);
        dm.TBInoutTimeOut->setAsDateTime(out / 1440.0);
        dm.TBInoutBillable->setAsBoolean(percent(rng) < 80);
        if (percent(rng) < 5)
            dm.TBInoutNotes->setAsString(QStringLiteral("Follow up with %1").arg(clientName(client(rng))));
        try {
            dm.TBInout->post();
        } catch (const StoreError &e) {
            if (e.code() != StoreError::kKeyViolation)
                throw;
            dm.TBInout->cancel(); // a rare identical key: skip it
            --log.records;
        }
        if (i % 10000 == 9999) {
            dm.TBInout->commitBatch();
            dm.TBInout->beginBatch();
        }
    }
    dm.TBInout->commitBatch();
    QFile f(marker);
    f.open(QIODevice::WriteOnly);
    return log;
}

} // namespace kv::bench
