// WindowLook: what every window of the program shares in how it looks to assistive technology
// and the user (its border and caption buttons are WindowBorder's): the hint of a control (shown as
// its tooltip and read as its accessible name), tool buttons with theme icons that Tab reaches, and
// the check that every control taking input has a name.
//
// Captions: a window's title is exactly its caption. The application sets no display name, so
// the platform appends nothing to it (see Application).
#pragma once

#include "ToolIcons.h"
#include "WindowBorder.h"

#include <QList>
#include <QString>
#include <Qt>

class QBoxLayout;
class QLabel;
class QPlainTextEdit;
class QSize;
class QToolButton;
class QWidget;

namespace kv::look {

/// The hint of a control: its tooltip, and its accessible name when it has no text of its own.
void setHint(QWidget *control, const QString &hint);

/// A tool button named `name` showing `icon`, with `hint` as tooltip and accessible name, and an
/// optional caption beside the icon. Tab reaches it and Space presses it; a mouse click does not
/// take the focus, so a cell editor of a grid keeps its text while a button acts on the record.
QToolButton *toolButton(QWidget *parent, const char *name, const QString &hint, ToolIcon icon,
                        const QString &caption = QString());

/// The memo of a task window (the time log's and the to-do list's), named "meTask": `size`, boxed,
/// wrapped at its width, in the colours of a tooltip, read as `accessibleName`.
QPlainTextEdit *taskMemo(QWidget *window, const QString &accessibleName, const QSize &size);
/// The caption under a task window's memo, "lCaption", in a font a fifth smaller.
QLabel *taskCaption(QWidget *window, const QString &text);
/// The sunken status line of a task window, "StatusBar1".
QLabel *taskStatusLine(QWidget *window);

/// The layout of the task windows (the time log's and the to-do list's): the memo, its caption
/// under it, a tool row with Accept and Reject at the left and Exit at the right, and the
/// status line at the bottom.
void layOutTaskWindow(QWidget *window, QWidget *memo, QWidget *caption, QToolButton *accept,
                      QToolButton *reject, QToolButton *exit, QWidget *statusLine);

/// What assistive technology reads as the name of `widget`.
QString accessibleName(QWidget *widget);

/// The controls of `window` that take the keyboard focus (visible or not) but have no
/// accessible name; empty when every one is named.
QList<QWidget *> unnamedControls(QWidget *window);

} // namespace kv::look
