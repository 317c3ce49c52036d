// WindowLook: window flags by border kind, hints, tool buttons and the accessible-name check.
#include "WindowLook.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

namespace kv::look {

void setHint(QWidget *control, const QString &hint)
{
    control->setToolTip(hint);
    // A tool button's caption ("All") is short for its hint ("Delete All"): the hint names it.
    const auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button || button->text().isEmpty() || qobject_cast<QToolButton *>(control))
        control->setAccessibleName(hint);
}

QToolButton *toolButton(QWidget *parent, const char *name, const QString &hint, ToolIcon icon,
                        const QString &caption)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(toolIcon(icon));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    if (!caption.isEmpty()) {
        b->setText(caption);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    setHint(b, hint);
    return b;
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name).trimmed() : QString();
}

QList<QWidget *> unnamedControls(QWidget *window)
{
    QList<QWidget *> unnamed;
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *w : children) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        // Editors that belong to a compound control (the line edit of a combo or spin box)
        // are named through their owner.
        if (w->parentWidget() && (w->parentWidget()->focusProxy() == w))
            continue;
        if (w->window() != window)
            continue;
        if (accessibleName(w).isEmpty())
            unnamed.append(w);
    }
    return unnamed;
}

QPlainTextEdit *taskMemo(QWidget *window, const QString &accessibleName, const QSize &size)
{
    auto *memo = new QPlainTextEdit(window);
    memo->setObjectName(QStringLiteral("meTask"));
    memo->setAccessibleName(accessibleName);
    memo->setFixedSize(size);
    memo->setFrameShape(QFrame::Box);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette tip = memo->palette();
    tip.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));
    memo->setPalette(tip);
    return memo;
}

QLabel *taskCaption(QWidget *window, const QString &text)
{
    auto *caption = new QLabel(text, window);
    caption->setObjectName(QStringLiteral("lCaption"));
    QFont small = caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    caption->setFont(small);
    return caption;
}

QLabel *taskStatusLine(QWidget *window)
{
    auto *status = new QLabel(window);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return status;
}

void layOutTaskWindow(QWidget *window, QWidget *memo, QWidget *caption, QToolButton *accept,
                      QToolButton *reject, QToolButton *exit, QWidget *statusLine)
{
    auto *tools = new QHBoxLayout;
    tools->addWidget(accept);
    tools->addWidget(reject);
    tools->addStretch();
    tools->addWidget(exit);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(5, 5, 5, 2);
    layout->setSpacing(2);
    layout->addWidget(memo);
    layout->addWidget(caption);
    layout->addLayout(tools);
    layout->addWidget(statusLine);
}

} // namespace kv::look
