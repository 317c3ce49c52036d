// A Kestrova that runs on a fake clock and is killed: the real start-up over the configured data
// folder, a clock-in with the In/Out button at argv[1] (ISO date-time), then heartbeats forever,
// each after a random step of the fake clock (seeded by argv[2]). Every heartbeat is announced on
// stdout as "beat <last-seen value>" after it was written.
#include "FakeServices.h"
#include "KVDM.h"
#include "Main.h"
#include "Startup.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <cstdio>

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    kv::FakeServicesScope fakes;
    fakes.clock->set(QDateTime::fromString(QString::fromLatin1(argv[1]), Qt::ISODate));
    kv::Startup startup;
    startup.run();
    kv::FMain->bbOutClick();
    if (!kv::FMain->IsClockedIn)
        return 1;
    std::printf("in %.17g\n", kv::FMain->clock().InDateTime);
    std::fflush(stdout);
    QRandomGenerator random(static_cast<quint32>(QByteArray(argv[2]).toUInt()));
    for (;;) {
        fakes.clock->advanceSecs(random.bounded(20, 600));
        kv::FMain->runningSet().heartbeat();
        std::printf("beat %.17g\n", kv::Services::instance().clock().nowValue());
        std::fflush(stdout);
        QThread::usleep(random.bounded(0, 3000));
    }
}
