// Start-up: steps 2 to 12, in order.
#include "Startup.h"

#include "KVDM.h"
#include "Main.h"
#include "Settings.h"

#include <QDir>

namespace kv {

void Startup::run()
{
    // The per-user default data folder is ours to create; a configured folder must exist.
    if (settings::usesDefaultDataFolder())
        QDir().mkpath(settings::defaultDataFolder());

    // 2. The data module; its tables open at once, each asking for the data folder.
    DMKV = new TDMKV(&TFMain::RegDataPath);
    // A rename that a crash cut between the list and the time log is finished first, so that
    // no window ever shows the two files disagreeing.
    DMKV->finishPendingRenames();

    // 3. The windows, main window first.
    FMain = new TFMain;
    if (createWindows)
        createWindows();

    // 4. First run: the configuration record, every field empty.
    DMKV->ensureConfigRecord();
    DMKV->TBDef->first();

    // 5. Conversion check.
    if (DMKV->TBDefDataConverted->asBoolean())
        CheckConvert();

    // 6. The earlier time log moves into the current one.
    DMKV->migrateOldTimeLog();

    // 7 to 9. Default selections, tray mode, auto-log indicators.
    FMain->applyConfiguration();
    // A set the last run left running (a crash while clocked in) is offered for posting.
    FMain->askLeftOverSet();

    // 10. Start-up clock-in.
    if (DMKV->TBDefInOnStartup->asBoolean())
        FMain->InOnStart();

    // 11. TutorialShow without a value becomes true.
    if (DMKV->TBDefTutorialShow->isNull()) {
        DMKV->TBDef->edit();
        DMKV->TBDefTutorialShow->setAsBoolean(true);
        DMKV->TBDef->post();
    }

    // 12. The quick-start window.
    if (DMKV->TBDefTutorialShow->asBoolean() && showQuickStart)
        showQuickStart(DMKV->TBDefTutorialShow->asBoolean());
}

void Startup::CheckConvert()
{
    if (settings::legacyEngineInstalled() && runConversion && !runConversion())
        return;           // the conversion stopped with an error: it is offered again next time
    DMKV->TBDef->first(); // the conversion refreshed the table
    DMKV->TBDef->edit();
    DMKV->TBDefDataConverted->setAsBoolean(false);
    DMKV->TBDef->post();
}

} // namespace kv
