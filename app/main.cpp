// Kestrova: start-up, message loop, shutdown.
#include "Main.h"
#include "Application.h"
#include "CommandLine.h"
#include "KVDM.h"
#include "Services.h"
#include "Startup.h"

#include <exception>

int main(int argc, char **argv)
{
    // `kestrova export ...` and `kestrova report ...` write the time log for scripts, without
    // a window.
    if (argc > 1 && kv::isCommandLineCommand(QString::fromLocal8Bit(argv[1])))
        return kv::commandLineMain(argc, argv);

    // 1. The application with its title and help file.
    kv::Application app(argc, argv);

    kv::Startup startup;
    try {
        startup.run();
    } catch (const std::exception &e) {
        kv::failStartup(QString::fromUtf8(e.what()));
    }

    // 13. The message loop runs until the main window closes. In tray mode the window is hidden
    // while other windows come and go, so the last of them closing must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(kv::FMain, &kv::TFMain::closed, &app, &QCoreApplication::quit);
    if (kv::FMain->showAtStart())
        kv::FMain->show();
    const int rc = app.exec();
    delete kv::FMain;
    delete kv::DMKV;
    return rc;
}
