// The rename cascade on a generated time log of 100k records: one client carries 10k of them and
// is renamed, each record edited and posted through TBInout with its rules, as the client editor's
// UpdateClientName does it (the job-type cascade runs the same loop on Tinout03).
#include "KVDM.h"
#include "RenameCascade.h"
#include "StoreBatch.h"
#include "TimeLogGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace kv;

namespace {

constexpr int kLogRecords = 100000;
constexpr int kRenamed = 10000;

QString workingCopy(int records)
{
    static QTemporaryDir dir;
    const QString source = bench::generateLog(records).folder;
    const QString target = dir.path() + QStringLiteral("/cascade-%1").arg(records);
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    for (const QString &f : QDir(source).entryList(QDir::Files))
        QFile::copy(source + QLatin1Char('/') + f, target + QLatin1Char('/') + f);
    return target;
}

/// Gives `count` records, spread over the whole log, the client name `name`. Records whose key
/// would clash under the new name are skipped.
int assignClient(TDMKV &dm, const QString &name, int count)
{
    StoreTable &t = *dm.TBInout;
    StoreBatch batch(t);
    int assigned = 0;
    int seen = 0;
    const int every = kLogRecords / count;
    // In key order of the record ids, which a changed name does not move.
    t.setIndexName(QString());
    t.disableControls();
    for (t.first(); !t.eof() && assigned < count; t.next()) {
        if (seen++ % every != 0)
            continue;
        t.edit();
        dm.TBInoutCustName->setAsString(name);
        try {
            t.post();
            ++assigned;
        } catch (const StoreError &) {
            t.cancel();
        }
    }
    t.enableControls();
    batch.commit();
    t.setIndexName(QStringLiteral("Tinout01"));
    return assigned;
}

void BM_RenameClient(benchmark::State &state)
{
    const QString folder = workingCopy(kLogRecords);
    TDMKV dm([folder] { return folder; });
    const QString names[2] = {QStringLiteral("Bench Client A"), QStringLiteral("Bench Client B")};
    const int carried = assignClient(dm, names[0], kRenamed);
    int from = 0;
    int renamed = 0;
    for (auto _ : state) {
        renamed = renameInTimeLog(*dm.TBInout, *dm.TBInoutCustName, QStringLiteral("Tinout02"),
                                  names[from], names[1 - from]);
        from = 1 - from;
    }
    if (renamed != carried || carried < kRenamed * 9 / 10)
        state.SkipWithError("the cascade missed records");
    state.SetItemsProcessed(state.iterations() * renamed);
    state.SetLabel(QStringLiteral("%1 of %2 records").arg(renamed).arg(kLogRecords).toStdString());
}
BENCHMARK(BM_RenameClient)->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
