// ClockServer: the running program's clock for scripts and keyboard shortcuts. It listens on a
// local socket in the user's runtime folder (one per data folder) and answers one request per
// connection: a line of JSON {"cmd": "in"|"out"|"switch"|"status"|"show", ...} gets a line of JSON
// {"code": exit code, "text": the line to print}. Requests run on the main window as the window's
// own controls would run them; a message the window would show in a box becomes the reply's text.
// The server listens from the very beginning of the start-up, before the main window exists:
// until it has one, "show" brings the start-up's open question forward and the clock requests
// are refused with a reply that says the program is still starting.
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
    /// A server for @p window; with none, the server of a program that is still starting.
    explicit ClockServer(TFMain *window = nullptr, QObject *parent = nullptr);
    ~ClockServer() override;

    /// The main window, once the start-up has made it.
    void setWindow(TFMain *window) { m_window = window; }

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

    QJsonObject showWhileStarting();

    TFMain *m_window;
    QLocalServer *m_server;
};

} // namespace kv
