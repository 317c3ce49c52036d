// The import of version-1.1 data: `kestrova import-v1` over a 100k-record version-1.1 time log
// (every tenth record with a note in the memo file) plus its clients and job types, into a fresh
// data folder each time; in process, and as the program itself in a separate process.
#include "ImportCommand.h"
#include "LegacyWriter.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTime>
#include <benchmark/benchmark.h>
#include <memory>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kRecords = 100'000;
constexpr int kClients = 200;
constexpr int kJobs = 20;

/// The version-1.1 folder, written once per run of the benchmark program.
const QString &legacyFolder()
{
    static std::unique_ptr<QTemporaryDir> dir;
    static QString folder;
    if (dir)
        return folder;
    dir = std::make_unique<QTemporaryDir>();
    folder = dir->path();
    std::vector<LegacyRecord> clients, jobs, log;
    for (int i = 0; i < kClients; ++i)
        clients.push_back({QStringLiteral("C%1").arg(i), QStringLiteral("Client %1 Müller").arg(i)});
    for (int i = 0; i < kJobs; ++i)
        jobs.push_back({QStringLiteral("J%1").arg(i), QStringLiteral("Job type %1").arg(i)});
    const QDate start(1995, 1, 2);
    const QString note = QStringLiteral("Besprechung über den Entwurf; ") + QString(80, u'n');
    log.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        // Six records a day, 8:00 to 14:00, each with its own client and job.
        const QTime in(8 + i % 6, (i * 7) % 60);
        log.push_back({QVariant(), start.addDays(i / 6), in, in.addSecs(50 * 60),
                       QStringLiteral("Client %1 Müller").arg(i % kClients),
                       QStringLiteral("Job type %1").arg(i % kJobs), QStringLiteral("Task %1").arg(i),
                       0.8333, i % 3 != 0, i % 10 == 0 ? note : QString()});
    }
    writeParadoxTable(folder + QStringLiteral("/Customer.DB"), customerFields(), clients);
    writeParadoxTable(folder + QStringLiteral("/JobCode.DB"), jobCodeFields(), jobs);
    writeParadoxTable(folder + QStringLiteral("/Tinout.DB"), tinoutFields(), log);
    return folder;
}

void BM_ImportV1_100k(benchmark::State &state)
{
    const QString from = legacyFolder();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir data;
        QString out, err;
        QTextStream o(&out), e(&err);
        state.ResumeTiming();
        const int rc = runImportCommand({QStringLiteral("import-v1"), QStringLiteral("--from"), from},
                                        o, e, [&] { return data.path(); });
        if (rc != kImportOk || !out.contains(QStringLiteral("Time log: 100000 added")))
            state.SkipWithError(qPrintable(QStringLiteral("import-v1 failed: ") + err + out));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ImportV1_100k)->Unit(benchmark::kSecond)->Iterations(1);

#ifdef KV_KESTROVA_BIN
void BM_ImportV1_100k_Program(benchmark::State &state)
{
    const QString from = legacyFolder();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir home;
        QDir().mkpath(home.filePath(QStringLiteral("config/Kestrova")));
        QFile conf(home.filePath(QStringLiteral("config/Kestrova/Kestrova.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            state.SkipWithError("cannot write the configuration");
        conf.write("[Kestrovav20]\nInstallDir1=" + home.path().toUtf8() + "\n");
        conf.close();
        QDir().mkpath(home.filePath(QStringLiteral("Data")));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home.filePath(QStringLiteral("none")));
        p.setProcessEnvironment(env);
        state.ResumeTiming();
        p.start(QStringLiteral(KV_KESTROVA_BIN), {QStringLiteral("import-v1"), QStringLiteral("--from"), from});
        p.waitForFinished(-1);
        if (p.exitCode() != 0)
            state.SkipWithError(qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ImportV1_100k_Program)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
#endif

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
