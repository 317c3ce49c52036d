// WindowBorder: the border kinds of the program's windows and the window flags that give each
// exactly its caption buttons, whatever the window manager would add by default.
#pragma once

#include <Qt>

class QWidget;

namespace kv::look {

/// The border kinds the windows use, each with the caption buttons it shows.
enum class Border {
    /// Fixed frame, title and the close box only (no minimise, no maximise).
    FixedCloseBox,
    /// Fixed frame with the system menu and the close box (no minimise, no maximise).
    FixedSystemMenu,
    /// Thin tool-window frame with the close box.
    Tool,
    /// Thin tool-window frame with no caption buttons at all.
    ToolNoButtons,
};

/// The window flags of a dialog with `border`.
Qt::WindowFlags windowFlags(Border border);
/// Gives `window` the flags of `border` (call before it is first shown).
void setBorder(QWidget *window, Border border);

} // namespace kv::look
