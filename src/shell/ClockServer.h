// ClockServer: the running program's clock for scripts and keyboard shortcuts. It listens on a
// local socket in the user's runtime folder (one per data folder) and answers one request per
// connection: a line of JSON {"cmd": "in"|"out"|"switch"|"status"|"show", ...} gets a line of JSON
// {"code": exit code, "text": the line to print}. Requests run on the main window as the window's
// own controls would run them; a message the window would show in a box becomes the reply's text.
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

class QLocalServer;

namespace kv {

class TFMain;

class ClockServer : public QObject
{
    Q_OBJECT
public:
    explicit ClockServer(TFMain &window, QObject *parent = nullptr);
    ~ClockServer() override;

    /// Listens on @p socketPath. A socket left by a program that died is taken over; false
    /// when another program answers on it (it runs already) or the socket cannot be made.
    bool listen(const QString &socketPath);

    /// Runs one request and returns its reply (also used by the socket).
    QJsonObject handle(const QJsonObject &request);

private:
    void onConnection();
    QJsonObject clockIn(const QJsonObject &request);
    QJsonObject clockOut(const QJsonObject &request);
    QJsonObject switchSet(const QJsonObject &request);
    QJsonObject status(bool json) const;

    TFMain &m_window;
    QLocalServer *m_server;
};

} // namespace kv
