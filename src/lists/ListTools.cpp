// ListTools: the record buttons' theme icons, tool buttons and their strip.
#include "ListTools.h"

#include "WindowLook.h"

#include <QBoxLayout>
#include <QFrame>
#include <QIcon>
#include <QToolButton>

namespace kv::listtools {

QIcon glyph(Glyph g)
{
    switch (g) {
    case Glyph::First:
        return toolIcon(ToolIcon::First);
    case Glyph::Prior:
        return toolIcon(ToolIcon::Prior);
    case Glyph::Next:
        return toolIcon(ToolIcon::Next);
    case Glyph::Last:
        return toolIcon(ToolIcon::Last);
    case Glyph::Add:
        return toolIcon(ToolIcon::New);
    case Glyph::Edit:
        return toolIcon(ToolIcon::Edit);
    case Glyph::Delete:
        return toolIcon(ToolIcon::Delete);
    case Glyph::Post:
        return toolIcon(ToolIcon::Accept);
    case Glyph::Cancel:
        return toolIcon(ToolIcon::Reject);
    case Glyph::Close:
        return toolIcon(ToolIcon::Exit);
    case Glyph::View:
        return toolIcon(ToolIcon::View);
    case Glyph::Email:
        return toolIcon(ToolIcon::Email);
    }
    return QIcon();
}

QToolButton *button(QWidget *parent, QBoxLayout *row, const char *name, const QString &hint,
                    Glyph g)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(glyph(g));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setFixedSize(23, 22);
    // Tab reaches it, Space presses it; a click leaves the focus where it was.
    b->setFocusPolicy(Qt::TabFocus);
    look::setHint(b, hint);
    row->addWidget(b);
    return b;
}

void gap(QBoxLayout *row)
{
    row->addSpacing(8);
}

QFrame *strip(QWidget *parent, QBoxLayout **row)
{
    auto *f = new QFrame(parent);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    auto *h = new QHBoxLayout(f);
    h->setContentsMargins(2, 1, 2, 1);
    h->setSpacing(0);
    *row = h;
    return f;
}

} // namespace kv::listtools
