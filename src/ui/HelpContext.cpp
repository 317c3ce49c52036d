// HelpContext: the F1 key of a window.
#include "HelpContext.h"

#include "Services.h"

#include <QShortcut>
#include <QWidget>

namespace kv {

void installHelpContext(QWidget *window, int context)
{
    window->setProperty("helpContext", context);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, window, [context] {
        runAction([&] { Services::instance().help().showContext(context); });
    });
}

} // namespace kv
