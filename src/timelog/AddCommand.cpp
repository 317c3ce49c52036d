// AddCommand: argument checks, the look-up of the client and job type, and the post.
#include "AddCommand.h"

#include "CommandLine.h"
#include "DateTime.h"
#include "KVDM.h"
#include "Schemas.h"
#include "StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>

namespace kv {

namespace {

const QStringList kOptions = {QStringLiteral("date"),    QStringLiteral("in"),
                              QStringLiteral("out"),     QStringLiteral("client"),
                              QStringLiteral("job"),     QStringLiteral("task"),
                              QStringLiteral("billable")};
const QStringList kRequired = {QStringLiteral("date"), QStringLiteral("in"), QStringLiteral("out"),
                               QStringLiteral("client"), QStringLiteral("job")};

struct AddError
{
    int code;
    QString text;
};

AddError usage(const QString &text)
{
    return {kExitUsage, text};
}

/// "HH:MM" on a 24-hour clock as a count of minutes of the day.
int minutesOf(const QString &option, const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    const int h = m.hasMatch() ? m.captured(1).toInt() : -1;
    const int min = m.hasMatch() ? m.captured(2).toInt() : -1;
    if (h < 0 || h > 23 || min < 0 || min > 59)
        throw usage(QStringLiteral("--%1 needs a time of day written as HH:MM (00:00 to 23:59), "
                                   "not \"%2\"")
                        .arg(option, text));
    return h * 60 + min;
}

QDate dateOf(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate d = QDate::fromString(text, Qt::ISODate);
    if (!pattern.match(text).hasMatch() || !d.isValid() || d.year() < 1)
        throw usage(QStringLiteral("--date needs a calendar date written as YYYY-MM-DD from "
                                   "0001-01-01 on, not \"%1\"")
                        .arg(text));
    return d;
}

QMap<QString, QString> parseOptions(const QStringList &args)
{
    QString problem;
    const std::optional<QMap<QString, QString>> read =
        readCommandOptions(args, 0, kOptions, QStringLiteral("add"), problem);
    if (!read)
        throw usage(problem);
    const QMap<QString, QString> &values = *read;
    for (const QString &name : kRequired) {
        if (!values.contains(name) || values.value(name).trimmed().isEmpty())
            throw usage(QStringLiteral("--%1 is missing").arg(name));
    }
    return values;
}

/// True when @p table holds a record whose @p field is exactly @p name.
bool listHolds(StoreTable &table, Field &field, const QString &name)
{
    for (table.first(); !table.eof(); table.next()) {
        if (field.asString() == name)
            return true;
    }
    return false;
}

/// Hours as a plain decimal number, without trailing zeros ("1.25", "0.5", "2").
QString hoursText(double hours)
{
    QString text = QString::number(std::round(hours * 10000) / 10000, 'f', 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

void post(const QMap<QString, QString> &v, const QString &folder, QTextStream &out)
{
    const QDate date = dateOf(v.value(QStringLiteral("date")));
    const int in = minutesOf(QStringLiteral("in"), v.value(QStringLiteral("in")));
    const int outMinutes = minutesOf(QStringLiteral("out"), v.value(QStringLiteral("out")));
    if (outMinutes < in)
        throw usage(QStringLiteral("--out %1 is earlier than --in %2; a span past midnight is "
                                   "two records, one for each day")
                        .arg(v.value(QStringLiteral("out")), v.value(QStringLiteral("in"))));
    bool billable = true;
    if (v.contains(QStringLiteral("billable"))) {
        const QString b = v.value(QStringLiteral("billable"));
        if (b != QStringLiteral("yes") && b != QStringLiteral("no"))
            throw usage(QStringLiteral("--billable is yes or no, not \"%1\"").arg(b));
        billable = b == QStringLiteral("yes");
    }
    const QString task = v.value(QStringLiteral("task"));

    if (!QFileInfo::exists(QDir(folder).filePath(schemas::kTimeLogFile)))
        throw AddError{
            kExitFailed,
            QStringLiteral("there is no time log in %1").arg(QDir::toNativeSeparators(folder))};
    TDMKV dm([folder] { return folder; });
    const QString client = v.value(QStringLiteral("client"));
    const QString job = v.value(QStringLiteral("job"));
    if (!listHolds(*dm.TBCust, *dm.TBCustCustName, client))
        throw usage(QStringLiteral("--client \"%1\" is not in the client list").arg(client));
    if (!listHolds(*dm.TBJobCode, *dm.TBJobCodeJobDes, job))
        throw usage(QStringLiteral("--job \"%1\" is not in the job-type list").arg(job));
    if (task.size() > dm.TBInoutTaskDes->size())
        throw usage(QStringLiteral("--task is %1 characters long; a task description holds at "
                                   "most %2")
                        .arg(task.size())
                        .arg(dm.TBInoutTaskDes->size()));

    dm.TBDef->first(); // the billing rules of the configuration record
    StoreTable &t = *dm.TBInout;
    t.insert();
    try {
        dm.TBInoutWDate->setAsDateTime(dt::fromDate(date));
        dm.TBInoutTimeIn->setAsDateTime(dt::fromMinutes(in));
        dm.TBInoutTimeOut->setAsDateTime(dt::fromMinutes(outMinutes));
        dm.TBInoutCustName->setAsString(client);
        dm.TBInoutJobDes->setAsString(job);
        if (!task.isEmpty())
            dm.TBInoutTaskDes->setAsString(task);
        dm.TBInoutBillable->setAsBoolean(billable);
        t.post();
    } catch (const std::exception &e) {
        if (t.state() == StoreTable::State::Insert)
            t.cancel();
        throw AddError{kExitFailed, QString::fromUtf8(e.what())};
    }
    const double hours = dm.TBInoutHours->asFloat();
    dm.flushDeferred();
    out << hoursText(hours) << u'\n';
}

} // namespace

QString addCommandUsage()
{
    return QStringLiteral(
        "  kestrova add --date YYYY-MM-DD --in HH:MM --out HH:MM --client NAME --job NAME\n"
        "               [--task TEXT] [--billable yes|no]\n");
}

int runAddCommand(const QStringList &args, const QString &folder, QTextStream &out,
                  QTextStream &err)
{
    try {
        post(parseOptions(args), folder, out);
        out.flush();
        return kExitOk;
    } catch (const AddError &e) {
        err << QStringLiteral("kestrova: ") << e.text << u'\n';
        if (e.code == kExitUsage)
            err << QStringLiteral("Usage:\n") << addCommandUsage();
        err.flush();
        return e.code;
    } catch (const std::exception &e) {
        err << QStringLiteral("kestrova: ") << QString::fromUtf8(e.what()) << u'\n';
        err.flush();
        return kExitFailed;
    }
}

} // namespace kv
