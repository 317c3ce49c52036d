// Kestrova: start-up, message loop, shutdown.
#include "Main.h"
#include "Application.h"
#include "ClockServer.h"
#include "CommandLine.h"
#include "ImportCommand.h"
#include "KVDM.h"
#include "Services.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "Startup.h"
#include "TodoReport.h"
#include "UAbout.h"
#include "UCliEditpas.h"
#include "UConvert.h"
#include "UCust.h"
#include "UInOut.h"
#include "UJob.h"
#include "ULogTask.h"
#include "UQuickStart.h"
#include "USelDef.h"
#include "UTodo.h"
#include "UfEmptyJob.h"
#include "ufEmptyClient.h"

#include <QDir>
#include <exception>
#include <memory>

namespace {

/// How long a later start waits for the running program to answer: it answers at once, unless
/// it is between taking its lock and listening on its socket.
constexpr int kShowWaitMs = 10'000;

} // namespace

int main(int argc, char **argv)
{
    // `kestrova import-v1 --from FOLDER` copies the data of version 1.1 without a window.
    if (argc > 1 && kv::isImportCommand(QString::fromLocal8Bit(argv[1])))
        return kv::importCommandMain(argc, argv);
    // `kestrova export ...`, `report ...` and `add ...` serve scripts without a window; so do
    // --help and --version, and an argument nobody knows gets the usage.
    if (argc > 1 && kv::startsCommandLine(QString::fromLocal8Bit(argv[1]))) {
        kv::setTodoListWriter(&kv::writeTodoListPdf);
        return kv::commandLineMain(argc, argv);
    }

    // 1. The application with its title and help file.
    kv::Application app(argc, argv);

    // One Kestrova per user and data folder, claimed before anything of the start-up can ask a
    // question: a later start, even one while this one still waits for an answer at start-up,
    // finds the lock taken and asks this one to come forward over its socket.
    const QString dataFolder = kv::TFMain::RegDataPath();
    const QString socketPath = kv::settings::clockSocketPath(dataFolder);
    kv::InstanceLock instance(kv::settings::instanceLockPath(dataFolder));
    bool first = true;
    try {
        first = instance.tryLock();
    } catch (const std::exception &e) {
        // Without a lock (no runtime folder, say) the program still runs, as it would alone.
        qWarning("%s", e.what());
    }
    if (!first) {
        if (kv::showRunningInstance(socketPath, kShowWaitMs))
            return 0;
        kv::failStartup(QCoreApplication::translate(
                            "main", "Kestrova is already running over the data folder %1, but it "
                                    "does not answer. If it no longer responds, end it and start "
                                    "Kestrova again.")
                            .arg(QDir::toNativeSeparators(dataFolder)));
    }
    // `kestrova clock` and later starts reach the program through its socket from now on.
    auto clockServer = std::make_unique<kv::ClockServer>();
    if (!clockServer->listen(socketPath))
        qWarning("Kestrova cannot listen on %s", qPrintable(socketPath));

    kv::Startup startup;
    // 3. The windows after the main window, in their order; the main window's menu and selectors
    // lead to them.
    startup.createWindows = [] {
        using namespace kv;
        CreateTimeLogWindows(); // FInOut with its report layouts and task window
        FSelDef = new TFSelDef;
        AboutBox = new TAboutBox;
        FCust = new TFCust;
        FJobType = new TFJobType;
        frmdbCliEdit = new TfrmdbCliEdit;
        CreateTodoWindows(); // fTodo, fToDoTask, fQuickTodo, fqrToDoList
        fEmptyClient = new TfEmptyClient;
        fJobEmpty = new TfJobEmpty;
        FMain->showTimeLog = &ShowTimeLog;
        FInOut->showClientEditor = [] { frmdbCliEdit->showForViewing(); };
        FMain->showConfiguration = [] { FSelDef->exec(); };
        FMain->showAbout = [] { AboutBox->exec(); };
        FMain->showEmptyClientPrompt = [] { fEmptyClient->exec(); };
        FMain->showEmptyJobPrompt = [] { fJobEmpty->exec(); };
        FMain->showTodoList = &ShowTodoList;
        FMain->showQuickAdd = &ShowQuickTodo;
    };
    // 5. The conversion window, created for the showing and destroyed after.
    startup.runConversion = [] { return kv::TfConvert::run(); };
    // 12. The quick-start window, created for the showing and destroyed after.
    startup.showQuickStart = [](bool tutorialShow) { kv::TfQuickStart::run(tutorialShow); };
    try {
        startup.run();
    } catch (const std::exception &e) {
        kv::failStartup(QString::fromUtf8(e.what()));
    }

    clockServer->setWindow(kv::FMain);

    // 13. The message loop runs until the main window closes. In tray mode the window is hidden
    // while other windows come and go, so the last of them closing must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(kv::FMain, &kv::TFMain::closed, &app, &QCoreApplication::quit);
    if (kv::FMain->showAtStart())
        kv::FMain->show();
    const int rc = app.exec();
    clockServer.reset();
    // The windows go before the data module: some unhook their record rules from it.
    delete kv::fJobEmpty;
    delete kv::fEmptyClient;
    kv::DestroyTodoWindows();
    delete kv::frmdbCliEdit;
    delete kv::FJobType;
    delete kv::FCust;
    delete kv::AboutBox;
    delete kv::FSelDef;
    delete kv::FInOut;
    delete kv::fLogTask;
    delete kv::FMain;
    delete kv::DMKV;
    return rc;
}
