// PdfProbe: pdftotext, pdfinfo and pdftoppm run as child processes.
#include "PdfProbe.h"

#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>

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

QString pdfInfoValue(const QString &pdf, const QString &key)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString &line : info.split(u'\n')) {
        if (line.startsWith(key + u':'))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

int pdfPageCount(const QString &pdf)
{
    bool ok = false;
    const int pages = pdfInfoValue(pdf, QStringLiteral("Pages")).toInt(&ok);
    return ok ? pages : -1;
}

QList<PdfWord> pdfWords(const QString &pdf)
{
    // The output is XHTML: <page ...> elements holding <word xMin=".." ...>text</word>.
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QList<PdfWord> words;
    int page = 0;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"page") {
            ++page;
        } else if (xml.name() == u"word") {
            const QXmlStreamAttributes a = xml.attributes();
            PdfWord w;
            w.page = page;
            w.xMin = a.value(QStringLiteral("xMin")).toDouble();
            w.yMin = a.value(QStringLiteral("yMin")).toDouble();
            w.xMax = a.value(QStringLiteral("xMax")).toDouble();
            w.yMax = a.value(QStringLiteral("yMax")).toDouble();
            w.text = xml.readElementText();
            words.append(w);
        }
    }
    return words;
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
