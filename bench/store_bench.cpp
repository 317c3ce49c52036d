// Table store and data module speed on generated time logs of 25k, 100k and 1M records:
// one post with all rules, iterating in each index order, find by key, the total of hours.
#include "DateTime.h"
#include "KVDM.h"
#include "TimeLogGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace kv;

namespace {

/// One open data module per generated log size, shared by the benchmarks that only read.
TDMKV &moduleFor(int records)
{
    static std::map<int, std::unique_ptr<TDMKV>> modules;
    auto &slot = modules[records];
    if (!slot) {
        const QString folder = bench::generateLog(records).folder;
        slot = std::make_unique<TDMKV>([folder] { return folder; });
    }
    return *slot;
}

const char *const kOrders[] = {"Tinout01", "Tinout02", "Tinout03"};

void BM_IterateLog(benchmark::State &state)
{
    TDMKV &dm = moduleFor(static_cast<int>(state.range(0)));
    StoreTable &t = *dm.TBInout;
    t.setIndexName(QString::fromLatin1(kOrders[state.range(1)]));
    t.disableControls();
    qint64 visited = 0;
    for (auto _ : state) {
        double sum = 0;
        for (t.first(); !t.eof(); t.next()) {
            sum += dm.TBInoutHours->asFloat();
            ++visited;
        }
        benchmark::DoNotOptimize(sum);
    }
    t.enableControls();
    t.setIndexName(QStringLiteral("Tinout01"));
    state.SetItemsProcessed(visited);
    state.SetLabel(kOrders[state.range(1)]);
}
BENCHMARK(BM_IterateLog)
    ->ArgsProduct({{25000, 100000, 1000000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_TotalHours(benchmark::State &state)
{
    TDMKV &dm = moduleFor(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(dm.TBInout->sumOfField(QStringLiteral("Hours")));
}
BENCHMARK(BM_TotalHours)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TotalHoursClientFilter(benchmark::State &state)
{
    TDMKV &dm = moduleFor(static_cast<int>(state.range(0)));
    const QString client = bench::clientName(17);
    Field *name = dm.TBInoutCustName;
    dm.TBInout->setFilter(
        [name, client](const StoreTable &) { return name->asString() == client; });
    dm.TBInout->setFiltered(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(dm.TBInout->sumOfField(QStringLiteral("Hours")));
    dm.TBInout->setFiltered(false);
}
BENCHMARK(BM_TotalHoursClientFilter)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

/// The same client filter handed to the store as a filter term (as the filter dialog and the
/// command line do): the total and the count, each one SQL statement through the client index.
void BM_TotalHoursClientTerm(benchmark::State &state)
{
    TDMKV &dm = moduleFor(static_cast<int>(state.range(0)));
    FilterTerm term;
    term.fieldName = QStringLiteral("CustName");
    term.match = FilterTerm::Match::Whole;
    term.caseSensitive = state.range(1) != 0;
    term.anyOf = {{FilterTerm::Operand{false, bench::clientName(17), 0}}};
    dm.TBInout->setFilter(StoreTable::Predicate(), {term});
    dm.TBInout->setFiltered(true);
    qint64 count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dm.TBInout->sumOfField(QStringLiteral("Hours")));
        count = dm.TBInout->countView();
    }
    dm.TBInout->setFiltered(false);
    dm.TBInout->setFilter(StoreTable::Predicate());
    state.SetLabel(std::to_string(count) +
                   (state.range(1) ? " records, case" : " records, any case"));
}
BENCHMARK(BM_TotalHoursClientTerm)
    ->ArgsProduct({{25000, 100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_FindKeyTinout01(benchmark::State &state)
{
    TDMKV &dm = moduleFor(static_cast<int>(state.range(0)));
    StoreTable &t = *dm.TBInout;
    t.setIndexName(QStringLiteral("Tinout01"));
    // Keys of records spread over the log.
    std::vector<QVariantList> keys;
    int i = 0;
    for (t.first(); !t.eof() && keys.size() < 64; t.next(), ++i)
        if (i % 97 == 0)
            keys.push_back({dm.TBInoutWDate->asDateTime(), dm.TBInoutCustName->asString(),
                            dm.TBInoutJobDes->asString(), dm.TBInoutTimeIn->asDateTime(),
                            dm.TBInoutTimeOut->asDateTime()});
    size_t k = 0;
    for (auto _ : state) {
        if (!t.findKey(keys[k++ % keys.size()]))
            state.SkipWithError("key not found");
    }
}
BENCHMARK(BM_FindKeyTinout01)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_FindKeyTinout02(benchmark::State &state)
{
    TDMKV &dm = moduleFor(static_cast<int>(state.range(0)));
    StoreTable &t = *dm.TBInout;
    t.setIndexName(QStringLiteral("Tinout02"));
    int k = 0;
    for (auto _ : state) {
        if (!t.findKey({bench::clientName(k++ % 200)}))
            state.SkipWithError("client not found");
    }
    t.setIndexName(QStringLiteral("Tinout01"));
}
BENCHMARK(BM_FindKeyTinout02)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

/// A working copy of a generated log, so that posting does not change the shared one.
QString workingCopy(int records)
{
    static QTemporaryDir dir;
    const QString source = bench::generateLog(records).folder;
    const QString target = dir.path() + QStringLiteral("/%1").arg(records);
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    for (const QString &f : QDir(source).entryList(QDir::Files))
        QFile::copy(source + QLatin1Char('/') + f, target + QLatin1Char('/') + f);
    return target;
}

void BM_PostTimeRecord(benchmark::State &state)
{
    const QString folder = workingCopy(static_cast<int>(state.range(0)));
    TDMKV dm([folder] { return folder; });
    const double day = dt::fromDate(QDate(2030, 1, 1));
    int n = 0;
    for (auto _ : state) {
        dm.TBInout->insert();
        dm.TBInoutWDate->setAsDateTime(day + n / 600);
        dm.TBInoutCustName->setAsString(bench::clientName(n % 200));
        dm.TBInoutJobDes->setAsString(QStringLiteral("Job type 3"));
        dm.TBInoutTimeIn->setAsDateTime((n % 600) / 1440.0);
        dm.TBInoutTimeOut->setAsDateTime((n % 600 + 30) / 1440.0);
        dm.TBInoutTaskDes->setAsString(QStringLiteral("Benchmark post"));
        dm.TBInoutBillable->setAsBoolean(true);
        dm.TBInout->post();
        ++n;
    }
}
BENCHMARK(BM_PostTimeRecord)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_PostLoopInOneBatch(benchmark::State &state)
{
    const QString folder = workingCopy(25000);
    TDMKV dm([folder] { return folder; });
    int base = 0;
    for (auto _ : state) {
        dm.TBInout->beginBatch();
        for (int i = 0; i < 10000; ++i) {
            const int n = base + i;
            dm.TBInout->insert();
            dm.TBInoutWDate->setAsDateTime(dt::fromDate(QDate(2031, 1, 1)) + n / 600);
            dm.TBInoutCustName->setAsString(bench::clientName(n % 200));
            dm.TBInoutJobDes->setAsString(QStringLiteral("Job type 4"));
            dm.TBInoutTimeIn->setAsDateTime((n % 600) / 1440.0);
            dm.TBInoutTimeOut->setAsDateTime((n % 600 + 30) / 1440.0);
            dm.TBInout->post();
        }
        dm.TBInout->commitBatch();
        base += 10000;
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_PostLoopInOneBatch)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
