// PdfProbe: pdftotext, pdfinfo and pdftoppm run as child processes.
#include "PdfProbe.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace kv::test {

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QStringList pdfPages(const QString &pdf)
{
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QStringList pages = text.split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int pdfPageCount(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfPageImage(const QString &pdf, int page, int dpi, const QString &outBase)
{
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
         QString::number(page), QStringLiteral("-l"), QString::number(page),
         QStringLiteral("-singlefile"), pdf, outBase});
    const QString png = outBase + QStringLiteral(".png");
    return QFile::exists(png) ? png : QString();
}

} // namespace kv::test
