// ClockServer: the socket, the requests and the status line.
#include "ClockServer.h"

#include "DateTime.h"
#include "FormatSettings.h"
#include "LookupCombo.h"
#include "Main.h"
#include "Services.h"

#include <QApplication>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <cmath>

namespace kv {

namespace {

constexpr int kExitOk = 0, kExitRefused = 1, kExitUsage = 2;

QJsonObject reply(int code, const QString &text)
{
    return QJsonObject{{QStringLiteral("code"), code}, {QStringLiteral("text"), text}};
}

/// While it lives, message boxes become text: the first message is kept, a question is
/// answered No (nobody is at the window to answer it).
class CapturedMessages
{
public:
    CapturedMessages()
    {
        m_saved = Services::instance().takeMessages();
        auto *capture = new Capture(m_text);
        Services::instance().setMessages(std::unique_ptr<Messages>(capture));
    }
    ~CapturedMessages() { Services::instance().setMessages(std::move(m_saved)); }
    const QString &text() const { return m_text; }

private:
    class Capture : public Messages
    {
    public:
        explicit Capture(QString &text) : m_text(text) {}
        MsgAnswer show(MsgKind, const QString &text, MsgButtons buttons, int,
                       const QString &) override
        {
            if (m_text.isEmpty())
                m_text = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
        }

    private:
        QString &m_text;
    };
    std::unique_ptr<Messages> m_saved;
    QString m_text;
};

/// Puts @p name into the selector when its list holds it.
bool choose(LookupCombo *combo, const QString &name)
{
    if (combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        runAction([&] { combo->reload(); });
        if (combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            return false;
    }
    combo->setText(name);
    return true;
}

} // namespace

ClockServer::ClockServer(TFMain *window, QObject *parent)
    : QObject(parent), m_window(window), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &ClockServer::onConnection);
}

ClockServer::~ClockServer() = default;

bool ClockServer::listen(const QString &socketPath)
{
    // A socket someone answers on belongs to a program that runs; one nobody answers on was
    // left by a program that died and is taken over.
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    if (probe.waitForConnected(1000)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(socketPath);
    return m_server->listen(socketPath);
}

void ClockServer::onConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QJsonObject request = QJsonDocument::fromJson(socket->readLine()).object();
            const QJsonObject answer = handle(request);
            socket->write(QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

QJsonObject ClockServer::handle(const QJsonObject &request)
{
    const QString cmd = request.value(QStringLiteral("cmd")).toString();
    if (!m_window) {
        if (cmd == QStringLiteral("show"))
            return showWhileStarting();
        return reply(
            kExitRefused,
            QStringLiteral("Kestrova is still starting; try again when its window is open"));
    }
    if (cmd == QStringLiteral("in"))
        return clockIn(request);
    if (cmd == QStringLiteral("out"))
        return clockOut(request);
    if (cmd == QStringLiteral("switch"))
        return switchSet(request);
    if (cmd == QStringLiteral("status"))
        return status(request.value(QStringLiteral("json")).toBool());
    if (cmd == QStringLiteral("show")) {
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
        return reply(kExitOk, QString());
    }
    return reply(kExitUsage, QStringLiteral("unknown request \"%1\"").arg(cmd));
}

QJsonObject ClockServer::showWhileStarting()
{
    // The start-up waits for the answer to one of its questions: that is what to bring forward.
    if (QWidget *question = QApplication::activeModalWidget()) {
        question->show();
        question->raise();
        question->activateWindow();
    }
    return reply(kExitOk, QStringLiteral("starting"));
}

QJsonObject ClockServer::clockIn(const QJsonObject &request)
{
    PunchClock &clock = m_window->clock();
    if (clock.IsClockedIn)
        return reply(kExitRefused, QStringLiteral("already clocked in"));
    const QString client = request.value(QStringLiteral("client")).toString();
    const QString job = request.value(QStringLiteral("job")).toString();
    if (!client.isEmpty() && !choose(m_window->DBCCust, client))
        return reply(kExitUsage,
                     QStringLiteral("--client \"%1\" is not in the client list").arg(client));
    if (!job.isEmpty() && !choose(m_window->dblcJobDes, job))
        return reply(kExitUsage,
                     QStringLiteral("--job \"%1\" is not in the job-type list").arg(job));
    CapturedMessages messages;
    const bool ok = runAction([&] { clock.clockIn(PunchClock::InWay::Menu); });
    if (!ok || !clock.IsClockedIn)
        return reply(kExitRefused, messages.text());
    return status(false);
}

QJsonObject ClockServer::clockOut(const QJsonObject &request)
{
    PunchClock &clock = m_window->clock();
    if (!clock.IsClockedIn)
        return reply(kExitRefused, QStringLiteral("not clocked in"));
    clock.taskOverride = request.value(QStringLiteral("task")).toString();
    CapturedMessages messages;
    const bool ok = runAction([&] { clock.clockOut(); });
    clock.taskOverride.reset();
    if (!ok || clock.IsClockedIn)
        return reply(kExitRefused, messages.text());
    return reply(kExitOk, QStringLiteral("idle"));
}

QJsonObject ClockServer::switchSet(const QJsonObject &request)
{
    PunchClock &clock = m_window->clock();
    if (!clock.IsClockedIn)
        return reply(kExitRefused, QStringLiteral("not clocked in"));
    const QString client = request.value(QStringLiteral("client")).toString();
    const QString job = request.value(QStringLiteral("job")).toString();
    if (client.isEmpty() == job.isEmpty())
        return reply(kExitUsage, QStringLiteral("switch needs --client or --job"));
    CapturedMessages messages;
    bool ok = true;
    if (!client.isEmpty()) {
        if (!choose(m_window->DBCCust, client))
            return reply(kExitUsage,
                         QStringLiteral("--client \"%1\" is not in the client list").arg(client));
        ok = runAction([&] { m_window->DBCCustCloseUp(); });
    } else {
        if (!choose(m_window->dblcJobDes, job))
            return reply(kExitUsage,
                         QStringLiteral("--job \"%1\" is not in the job-type list").arg(job));
        ok = runAction([&] { m_window->dblcJobDesCloseUp(); });
    }
    if (!ok)
        return reply(kExitRefused, messages.text());
    return status(false);
}

QJsonObject ClockServer::status(bool json) const
{
    const PunchClock &clock = m_window->clock();
    if (!clock.IsClockedIn) {
        if (json)
            return reply(kExitOk, QStringLiteral("{\"clockedIn\":false}"));
        return reply(kExitOk, QStringLiteral("idle"));
    }
    const double now = Services::instance().clock().nowValue();
    // Whole minutes so far, counted on milliseconds like every other span.
    const qint64 minutes = std::max<qint64>(
        0, (dt::msOfDateTime(now) - dt::msOfDateTime(clock.InDateTime)) / dt::kMsPerMinute);
    const QString since = FormatSettings::instance().formatTime(dt::timePart(clock.InDateTime));
    const QString soFar =
        QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
    if (json) {
        const QJsonObject o{{QStringLiteral("clockedIn"), true},
                            {QStringLiteral("client"), clock.LogCustName},
                            {QStringLiteral("job"), clock.LogJobDes},
                            {QStringLiteral("since"), since},
                            {QStringLiteral("minutes"), minutes}};
        return reply(kExitOk, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    }
    return reply(kExitOk, QStringLiteral("clocked in since %1 for %2 (%3), %4 so far")
                              .arg(since, clock.LogCustName, clock.LogJobDes, soFar));
}

} // namespace kv
