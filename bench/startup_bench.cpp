// Start-up to an idle message loop with a 1M-record time log: the data module opens every
// table, the start-up steps run and the event loop processes its first round.
#include "KVDM.h"
#include "Main.h"
#include "Startup.h"
#include "TimeLogGenerator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <benchmark/benchmark.h>

using namespace kv;

namespace {

void BM_StartupToIdleLoop(benchmark::State &state)
{
    const QString folder = bench::generateLog(static_cast<int>(state.range(0))).folder;
    // Point the installation folder at the generated log (test-mode config folder).
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Kestrova");
    QDir().mkpath(configDir);
    QFile conf(configDir + QStringLiteral("/Kestrova.conf"));
    conf.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QString installDir = folder;
    installDir.chop(QStringLiteral("/Data").size());
    conf.write("[Kestrovav20]\nInstallDir1=" + installDir.toUtf8() + "\n");
    conf.close();

    for (auto _ : state) {
        Startup startup;
        startup.run();
        if (FMain->showAtStart())
            FMain->show();
        QApplication::processEvents();
        state.PauseTiming();
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        state.ResumeTiming();
    }
    QFile::remove(conf.fileName());
}
BENCHMARK(BM_StartupToIdleLoop)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
