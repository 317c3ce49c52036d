// WindowBorder: window flags by border kind.
#include "WindowBorder.h"

#include <QWidget>

namespace kv::look {

Qt::WindowFlags windowFlags(Border border)
{
    // CustomizeWindowHint makes the window manager show only the buttons named here.
    const Qt::WindowFlags custom = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    switch (border) {
    case Border::FixedCloseBox:
        return Qt::Dialog | custom | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    case Border::FixedSystemMenu:
        return Qt::Dialog | custom | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
               Qt::MSWindowsFixedSizeDialogHint;
    case Border::Tool:
        return Qt::Tool | custom | Qt::WindowCloseButtonHint;
    case Border::ToolNoButtons:
        return Qt::Tool | custom;
    }
    return Qt::Dialog;
}

void setBorder(QWidget *window, Border border)
{
    window->setWindowFlags(windowFlags(border));
}

} // namespace kv::look
