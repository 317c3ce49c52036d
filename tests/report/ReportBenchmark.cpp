// Time to render a complete time-log listing to PDF. A measurement run by hand (it is not a
// test): build the target bench_report and run it; the figure to reach is 10k records in 3 s.
#include "ListingLayout.h"
#include "MemoryDataSet.h"
#include "Report.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void fill(kv::MemoryDataSet &data, int records)
{
    const QString clients[] = {QStringLiteral("Acme Industries"), QStringLiteral("Bolt & Sons"),
                               QStringLiteral("Core Logistics")};
    for (int i = 0; i < records; ++i) {
        // Every seventh task is long enough to wrap over two or three lines.
        const QString task = i % 7 == 0 ? QStringLiteral("Review of the quarterly figures with the "
                                                         "client and notes for the next meeting")
                                        : QStringLiteral("Support call %1").arg(i);
        data.appendRow({QStringLiteral("1/%1/24").arg(1 + i % 28), clients[i % 3],
                        QStringLiteral("Consulting"), task, i % 2 == 0, QStringLiteral("9:00 AM"),
                        QStringLiteral("10:30 AM"), 1.5});
    }
}

void BM_ListingToPdf(benchmark::State &state)
{
    kv::MemoryDataSet data(QStringLiteral("TBInout"), kv::test::kFields);
    fill(data, static_cast<int>(state.range(0)));
    kv::Report report(QStringLiteral("TfLQRep"));
    kv::test::declareListing(report);
    report.setDataSet(&data);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("listing.pdf"));
    for (auto _ : state)
        benchmark::DoNotOptimize(report.exportPdf(pdf));
    state.counters["pages"] = report.pageCount();
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(pdf).size()) / 1024.0;
}
BENCHMARK(BM_ListingToPdf)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
