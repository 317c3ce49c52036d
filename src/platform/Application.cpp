// Application: title, and the last safety net for exceptions escaping an event handler.
#include "Application.h"

#include "Services.h"

namespace kv {

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    nameApplication();
}

void Application::nameApplication()
{
    // No display name: the platform would append it to every window title, and each window's
    // title is exactly its own caption.
    QCoreApplication::setApplicationName(QStringLiteral("Kestrova"));
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrova"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showStandardError(QString::fromUtf8(e.what()));
    } catch (...) {
        showStandardError(tr("An unexpected error occurred."));
    }
    return false;
}

} // namespace kv
