// ClockCommand: argument checks, the request and the reply's exit code and line.
#include "ClockCommand.h"

#include "CommandLine.h"

#include <QJsonDocument>
#include <QLocalSocket>
#include <QTextStream>

namespace kv {

QString clockCommandUsage()
{
    return QStringLiteral("  kestrova clock in [--client NAME --job NAME] | out [--task TEXT] |\n"
                          "                 switch --client NAME | --job NAME | status [--json]\n");
}

QJsonObject sendClockRequest(const QString &socketPath, const QJsonObject &request, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return {};
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return {};
    }
    return QJsonDocument::fromJson(socket.readLine()).object();
}

int runClockCommand(const QStringList &args, const QString &socketPath, QTextStream &out,
                    QTextStream &err)
{
    auto usage = [&](const QString &text) {
        err << QStringLiteral("kestrova: ") << text << QStringLiteral("\nUsage:\n")
            << clockCommandUsage();
        err.flush();
        return int(kExitUsage);
    };
    if (args.isEmpty())
        return usage(QStringLiteral("clock needs in, out, switch or status"));
    const QString cmd = args.first();
    QStringList allowed;
    if (cmd == QStringLiteral("in") || cmd == QStringLiteral("switch"))
        allowed = {QStringLiteral("client"), QStringLiteral("job")};
    else if (cmd == QStringLiteral("out"))
        allowed = {QStringLiteral("task")};
    else if (cmd != QStringLiteral("status"))
        return usage(QStringLiteral("unknown clock command \"%1\"").arg(cmd));

    QJsonObject request{{QStringLiteral("cmd"), cmd}};
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (cmd == QStringLiteral("status") && arg == QStringLiteral("--json")) {
            request[QStringLiteral("json")] = true;
            continue;
        }
        const QString name = arg.startsWith(QStringLiteral("--")) ? arg.mid(2) : QString();
        if (!allowed.contains(name))
            return usage(QStringLiteral("unknown option \"%1\" for clock %2").arg(arg, cmd));
        if (i + 1 >= args.size() || args[i + 1].isEmpty())
            return usage(QStringLiteral("--%1 needs a value").arg(name));
        if (request.contains(name))
            return usage(QStringLiteral("--%1 is given twice").arg(name));
        request[name] = args[++i];
    }
    if (cmd == QStringLiteral("in") &&
        request.contains(QStringLiteral("client")) != request.contains(QStringLiteral("job")))
        return usage(QStringLiteral("clock in takes --client and --job together"));
    if (cmd == QStringLiteral("switch") &&
        request.contains(QStringLiteral("client")) == request.contains(QStringLiteral("job")))
        return usage(QStringLiteral("clock switch takes --client or --job"));

    const QJsonObject answer = sendClockRequest(socketPath, request);
    if (answer.isEmpty()) {
        err << QStringLiteral("Kestrova is not running\n");
        err.flush();
        return kExitNotRunning;
    }
    const int code = answer.value(QStringLiteral("code")).toInt(kExitFailed);
    const QString text = answer.value(QStringLiteral("text")).toString();
    if (code == kExitOk) {
        out << text << u'\n';
        out.flush();
    } else {
        err << QStringLiteral("kestrova: ") << text << u'\n';
        err.flush();
    }
    return code;
}

} // namespace kv
