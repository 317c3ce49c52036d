// ListTools: what the record windows of the client and job-type lists share: their tool buttons
// with theme icons and hints, and the lowered strip that holds them.
#pragma once

#include <QString>

class QBoxLayout;
class QFrame;
class QIcon;
class QToolButton;
class QWidget;

namespace kv::listtools {

enum class Glyph { First, Prior, Next, Last, Add, Edit, Delete, Post, Cancel, Close, View, Email };

/// The picture of a record button.
QIcon glyph(Glyph g);

/// A tool button named `name` with hint `hint`, showing `g`, added to `row`.
QToolButton *button(QWidget *parent, QBoxLayout *row, const char *name, const QString &hint,
                    Glyph g);

/// The gap between button groups.
void gap(QBoxLayout *row);

/// A lowered strip with a horizontal row for buttons; `row` receives the row.
QFrame *strip(QWidget *parent, QBoxLayout **row);

} // namespace kv::listtools
