// Application: title, and the last safety net for exceptions escaping an event handler.
#include "Application.h"

#include "AppInfo.h"
#include "Services.h"

namespace kv {

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Kestrova"));
    setApplicationDisplayName(app::title());
    setOrganizationName(QStringLiteral("Kestrova"));
    setApplicationVersion(QStringLiteral("2.0"));
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
