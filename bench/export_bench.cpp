// Time-log export speed on generated logs, in file mode without the progress window: each
// format over 100k records (BIFF over 65k, what one worksheet holds), CSV once more with the
// window's progress window, and the command line exporting 1M records to CSV as a separate
// process, with its peak memory.
#include "CommandLine.h"
#include "FakeServices.h"
#include "KVDM.h"
#include "TimeLogExport.h"
#include "TimeLogGenerator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using namespace kv;

namespace {

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

struct Format
{
    const char *name;
    TExportType type;
    bool detailed;
    int records;
};

const Format kFormats[] = {
    {"csv", xText_Comma_Delimited, false, 100000},
    {"tab", xText_Tab_Delimited, false, 100000},
    {"text", xText, false, 100000},
    {"detailed", xText, true, 100000},
    {"html", xHTML, false, 100000},
    {"rtf", xRichText, false, 100000},
    {"dif", xDIF, false, 100000},
    {"sylk", xSYLK, false, 100000},
    {"xls", xMicrosoft_Excel, false, 65000},
};

void BM_ExportFormat(benchmark::State &state)
{
    const Format &f = kFormats[state.range(0)];
    TDMKV &dm = moduleFor(f.records);
    FakeServicesScope services;
    TimeLogExport exporter(dm);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("log.out"));
    for (auto _ : state) {
        if (!exporter.exportToFile(f.type, f.detailed, file))
            state.SkipWithError("the export failed");
    }
    state.SetLabel(f.name);
    state.SetItemsProcessed(state.iterations() * f.records);
    state.counters["records"] = f.records;
    state.counters["file_MB"] = static_cast<double>(QFileInfo(file).size()) / 1e6;
}
BENCHMARK(BM_ExportFormat)
    ->DenseRange(0, std::size(kFormats) - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

/// The window's export of 100k records to CSV: the progress window shows the running count.
void BM_ExportWithProgressWindow(benchmark::State &state)
{
    TDMKV &dm = moduleFor(100000);
    FakeServicesScope services;
    TimeLogExport exporter(dm);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("log.csv"));
    for (auto _ : state) {
        if (!exporter.exportToFile(xText_Comma_Delimited, false, file, true))
            state.SkipWithError("the export failed");
    }
    state.SetLabel("csv, progress window");
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_ExportWithProgressWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

#ifdef KV_KESTROVA_BIN
/// What a run of the program cost.
struct ChildCost
{
    int status = -1;
    double seconds = 0;    ///< wall-clock time
    double cpuSeconds = 0; ///< user + system time
    long peakKb = 0;       ///< peak resident memory, file pages mapped by the store included
    long peakAnonKb = 0;   ///< peak of the memory the process itself allocated
};

long anonKb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toLong();
    return 0;
}

/// Runs the program with @p args and the environment @p env, sampling its memory meanwhile.
ChildCost runChild(const QStringList &args, const QStringList &env)
{
    std::vector<QByteArray> argBytes, envBytes;
    for (const QString &a : args)
        argBytes.push_back(a.toLocal8Bit());
    for (const QString &e : env)
        envBytes.push_back(e.toLocal8Bit());
    std::vector<char *> argv, envp;
    for (QByteArray &a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (QByteArray &e : envBytes)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    ChildCost cost;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return cost;
    int status = 0;
    rusage usage{};
    constexpr useconds_t kSampleUs = 20000;
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        cost.peakAnonKb = std::max(cost.peakAnonKb, anonKb(pid));
        usleep(kSampleUs);
    }
    cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    cost.peakKb = usage.ru_maxrss;
    cost.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return cost;
}

void BM_CommandLineCsv(benchmark::State &state)
{
    const int records = static_cast<int>(state.range(0));
    QString installDir = bench::generateLog(records).folder;
    installDir.chop(QStringLiteral("/Data").size());
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("config/Kestrova")));
    QFile conf(dir.filePath(QStringLiteral("config/Kestrova/Kestrova.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write("[Kestrovav20]\nInstallDir1=" + installDir.toUtf8() + "\n");
    conf.close();

    QStringList env;
    for (char **e = environ; *e; ++e) {
        const QString entry = QString::fromLocal8Bit(*e);
        if (!entry.startsWith(QStringLiteral("XDG_CONFIG_")))
            env << entry;
    }
    env << QStringLiteral("XDG_CONFIG_HOME=") + dir.filePath(QStringLiteral("config"))
        << QStringLiteral("XDG_CONFIG_DIRS=") + dir.filePath(QStringLiteral("config"));
    const QString csv = dir.filePath(QStringLiteral("log.csv"));
    const QStringList args{QStringLiteral(KV_KESTROVA_BIN), QStringLiteral("export"),
                           QStringLiteral("--format"),      QStringLiteral("csv"),
                           QStringLiteral("--output"),      csv};
    long peakKb = 0, peakAnonKb = 0;
    double cpu = 0;
    for (auto _ : state) {
        const ChildCost cost = runChild(args, env);
        if (cost.status != 0)
            state.SkipWithError("kestrova export failed");
        state.SetIterationTime(cost.seconds);
        peakKb = std::max(peakKb, cost.peakKb);
        peakAnonKb = std::max(peakAnonKb, cost.peakAnonKb);
        cpu += cost.cpuSeconds;
    }
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["peak_anon_MB"] = static_cast<double>(peakAnonKb) / 1024.0;
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(QFileInfo(csv).size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_CommandLineCsv)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
#endif

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
