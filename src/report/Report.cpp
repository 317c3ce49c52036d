// Report: the model of a band report and its outputs.
#include "Report.h"

#include "ReportError.h"
#include "ReportRenderer.h"

#include <QCoreApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("kv::Report", text);
}

} // namespace

Report::Report(const QString &name) : m_name(name) {}

Report::~Report() = default;

QPageLayout Report::pageLayout() const
{
    return QPageLayout(QPageSize(m_pageSetup.paper), m_pageSetup.orientation, m_pageSetup.margins,
                       QPageLayout::Inch);
}

double Report::bandWidth() const
{
    return pageLayout().paintRect(QPageLayout::Inch).width();
}

ReportBand &Report::band(BandType type)
{
    Q_ASSERT(type != BandType::GroupHeader && type != BandType::GroupFooter);
    auto &slot = m_bands[type];
    if (!slot)
        slot = std::make_unique<ReportBand>(type);
    return *slot;
}

const ReportBand *Report::findBand(BandType type) const
{
    const auto it = m_bands.find(type);
    return it == m_bands.end() ? nullptr : it->second.get();
}

ReportGroup &Report::addGroup(const QString &name, const QString &expression)
{
    m_groups.push_back(std::make_unique<ReportGroup>(name, expression));
    return *m_groups.back();
}

ReportGroup *Report::group(const QString &name) const
{
    for (const auto &g : m_groups)
        if (g->name() == name)
            return g.get();
    return nullptr;
}

ReportItem *Report::findItem(const QString &name) const
{
    for (const auto &[type, band] : m_bands)
        if (ReportItem *item = band->findItem(name))
            return item;
    for (const auto &g : m_groups) {
        if (ReportItem *item = g->header().findItem(name))
            return item;
        if (ReportItem *item = g->footer().findItem(name))
            return item;
    }
    return nullptr;
}

int Report::render(QPagedPaintDevice &device)
{
    ReportRenderer renderer(*this, device);
    m_pageCount = renderer.run();
    return m_pageCount;
}

int Report::print(QPrinter &printer)
{
    return render(printer);
}

int Report::exportPdf(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(
            tr("Cannot write the report to \"%1\": %2").arg(fileName, file.errorString()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Kestrova"));
        writer.setTitle(m_name);
        pages = render(writer);
    }
    if (!file.commit())
        throw ReportError(
            tr("Cannot write the report to \"%1\": %2").arg(fileName, file.errorString()));
    return pages;
}

} // namespace kv
