// data_helper: a second process for the data module's crash tests.
//   data_helper rename-client <folder> <old> <new>
//       renames the client <old> to <new> through the data module, as the client editor does,
//       prints "posted" once the client's post has committed, then stops before the rename
//       reaches the time log, until killed
#include "KVDM.h"

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
    if (args.size() < 5 || args.at(1) != u"rename-client") {
        std::fputs("usage: data_helper rename-client <folder> <old> <new>\n", stderr);
        return 2;
    }
    const QString folder = args.at(2);
    const QString oldName = args.at(3);
    const QString newName = args.at(4);
    try {
        TDMKV dm([folder] { return folder; });
        dm.custRenameFromHook = [oldName] { return oldName; };
        dm.custAfterPostHook = [] {
            say(QStringLiteral("posted"));
            for (;;)
                ::pause();
        };
        for (dm.TBCust->first(); !dm.TBCust->eof(); dm.TBCust->next()) {
            if (dm.TBCustCustName->asString() != oldName)
                continue;
            dm.TBCust->edit();
            dm.TBCustCustName->setAsString(newName);
            dm.TBCust->post();
            return 0;
        }
        say(QStringLiteral("no client ") + oldName);
    } catch (const StoreError &e) {
        say(QStringLiteral("error ") + e.message());
    }
    return 1;
}
