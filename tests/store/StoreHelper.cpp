// store_helper: a second process for the store's two-process tests.
//   store_helper lock <folder>       open the time log, edit its first record, print
//                                    "locked <rowid>", then hold the lock until killed
//   store_helper post-loop <folder>  post new time records forever, printing each row id
//                                    once its post has returned
//   store_helper open <folder>       open the time log; print "ok" or "error <code> <message>"
//   store_helper write <folder>      open the time log, begin a write transaction (a batch),
//                                    print "writing", then hold it until killed
//   store_helper read <folder>       open the time log for reading only and print "read <n>"
//                                    (its number of records) or "error <code> <message>"
//   store_helper post-and-die <folder>  post one time record and end at once, without closing:
//                                    the committed record stays in the write-ahead log
#include "TestTables.h"

#include "HelperOutput.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

using namespace kv;

using kv::test::say;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: store_helper lock|write|post-loop|open|read|post-and-die <folder>\n",
                   stderr);
        return 2;
    }
    const QString command = args.at(1);
    const QString folder = args.at(2);
    try {
        auto table = test::makeTimeLog(folder, QStringLiteral("Helper"));
        if (command == u"read") {
            table->setReadOnly(true);
            table->open();
            int n = 0;
            for (table->first(); !table->eof(); table->next())
                ++n;
            table->checkFileUnchanged();
            say(QStringLiteral("read %1").arg(n));
            return 0;
        }
        if (command == u"open") {
            table->setCreateIfMissing(false);
            table->open();
            say(QStringLiteral("ok"));
            return 0;
        }
        table->open();
        if (command == u"lock") {
            table->first();
            table->edit();
            say(QStringLiteral("locked %1").arg(table->currentRowId()));
            for (;;)
                ::pause();
        }
        if (command == u"post-and-die") {
            test::addTime(*table, 46000, QStringLiteral("Late"), QStringLiteral("Job"), 9.0, 10.0);
            say(QStringLiteral("posted"));
            ::_exit(0);
        }
        if (command == u"write") {
            table->beginBatch();
            say(QStringLiteral("writing"));
            for (;;)
                ::pause();
        }
        if (command == u"post-loop") {
            for (int i = 0;; ++i) {
                test::addTime(*table, 40000 + i, QStringLiteral("Client %1").arg(i % 7),
                              QStringLiteral("Job"), 9.0, 10.5);
                say(QString::number(table->currentRowId()));
            }
        }
    } catch (const StoreError &e) {
        say(QStringLiteral("error %1 %2").arg(e.code()).arg(e.message()));
        return 0;
    }
    return 2;
}
