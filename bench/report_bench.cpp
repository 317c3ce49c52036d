// Time-log report speed: the complete listing of a generated log rendered to PDF through the
// real layout and the store, with the process's peak memory after each size (it should not
// grow with the number of pages beyond what the PDF needs).
#include "KVDM.h"
#include "TimeLogGenerator.h"
#include "TimeLogReport.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace kv;

namespace {

double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ListingToPdf(benchmark::State &state)
{
    const int records = static_cast<int>(state.range(0));
    const QString folder = bench::generateLog(records).folder;
    TDMKV dm([folder] { return folder; });
    TimeLogReports reports(dm);
    const TimeLogLayout layout = state.range(1) == 0 ? TimeLogLayout::Full : TimeLogLayout::Group;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("listing.pdf"));
    int pages = 0;
    const double before = peakMb();
    for (auto _ : state)
        pages = reports.exportPdf(layout, pdf);
    state.SetLabel(layout == TimeLogLayout::Full ? "complete listing" : "group listing");
    state.counters["pages"] = pages;
    state.counters["pdf_MB"] = static_cast<double>(QFileInfo(pdf).size()) / 1e6;
    state.counters["peak_MB"] = peakMb();
    state.counters["peak_growth_MB"] = peakMb() - before;
    state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_ListingToPdf)
    ->ArgsProduct({{10000, 25000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
