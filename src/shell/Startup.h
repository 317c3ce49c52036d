// Start-up and shutdown of the program: the data module first, then the windows in their fixed
// order, the first-run configuration record, the conversion check, the move of the earlier time
// log, the main window's configured state, the start-up clock-in and the quick-start window.
#pragma once

#include <QString>
#include <functional>

namespace kv {

class TDMKV;
class TFMain;

class Startup
{
public:
    /// Windows that later parts of the program add; a step with no window does nothing.
    std::function<void()> createWindows; ///< windows 3 to 18, in their order
    /// The conversion window, modal, destroyed after; false when the conversion failed, so that
    /// DataConverted stays set and the next start offers it again.
    std::function<bool()> runConversion;
    std::function<void(bool)> showQuickStart; ///< the quick-start window, given TutorialShow

    /// Runs steps 2 to 12. Throws StoreError (or another exception) when a step fails; the caller
    /// ends the process. Afterwards DMKV and FMain are set.
    void run();

    /// Step 5: the conversion check, when DataConverted is true. Clears DataConverted unless the
    /// conversion failed.
    void CheckConvert();
};

} // namespace kv
