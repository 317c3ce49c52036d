// HelpContext: F1 on a window opens its help topic through the Help service.
#pragma once

class QWidget;

namespace kv {

/// F1 anywhere in `window` (outside its message boxes, which carry their own) opens the help
/// topic of `context`. The window keeps the number in its "helpContext" property.
void installHelpContext(QWidget *window, int context);

} // namespace kv
