// ToolIcons: the pictures of the record windows' toolbar buttons, one per action, from the
// Adwaita icon theme compiled into the program (icons/README.md names their source and licence).
#pragma once

#include <QIcon>

namespace kv {

enum class ToolIcon {
    First,
    Prior,
    Next,
    Last,
    New,
    Edit,
    Copy,
    Delete,
    DeleteAll,
    Task,
    Accept,
    Reject,
    Export,
    Filter,
    ClearFilter,
    PrinterSetup,
    PrintPreview,
    Print,
    Exit,
    Email,
    View,
    Search,
    Sort,
};

/// The picture of `icon` in the colour of its kind (navigation navy, Accept green, Reject and
/// deletes red, the rest dark grey) with a disabled state that reads as unavailable: the shape
/// in light grey at reduced opacity, whatever the style would make of it.
QIcon toolIcon(ToolIcon icon);

/// The theme's file name of `icon` (without folder and extension), for the README and tests.
QString toolIconName(ToolIcon icon);

} // namespace kv
