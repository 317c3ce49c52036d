// Kestrova: start-up, message loop, shutdown.
#include "Application.h"
#include "KVDM.h"
#include "Main.h"
#include "Services.h"
#include "Startup.h"

#include <exception>

int main(int argc, char **argv)
{
    // 1. The application with its title and help file.
    kv::Application app(argc, argv);

    kv::Startup startup;
    try {
        startup.run();
    } catch (const std::exception &e) {
        kv::failStartup(QString::fromUtf8(e.what()));
    }

    // 13. The message loop runs until the main window closes.
    if (kv::FMain->showAtStart())
        kv::FMain->show();
    const int rc = app.exec();
    delete kv::FMain;
    delete kv::DMKV;
    return rc;
}
