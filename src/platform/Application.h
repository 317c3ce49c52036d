// Application: the QApplication of the program. Its notify() is the last safety net that keeps
// an exception from crossing Qt's event loop; handlers catch their own through runAction().
#pragma once

#include <QApplication>

namespace kv {

class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    /// Names the application, its maker and version; sets no display name.
    static void nameApplication();
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace kv
