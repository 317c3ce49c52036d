// Preparation and runs of the two time-log reports.
#include "TimeLogReport.h"

#include "KVDM.h"
#include "ReportPreview.h"

#include <QPrinter>

namespace kv {

namespace {

const QString kByDate = QStringLiteral("Tinout01");
const QString kByClient = QStringLiteral("Tinout02");

} // namespace

QString completeListingSubtitle(const QString &indexName)
{
    if (indexName == kByDate)
        return QStringLiteral("(Ordered by Date, Client, Job Description, Time In, Time Out)");
    if (indexName == kByClient)
        return QStringLiteral("(Ordered by Client, Date, Time In, Time Out)");
    return QStringLiteral("(Ordered by Job Description, Client, Date, Time In, Time Out)");
}

QString groupListingSubtitle(const QString &indexName)
{
    if (indexName == kByDate)
        return QStringLiteral("(Grouped by Date - Ordered by Date, Client, Job Description, "
                              "Time In, Time Out)");
    if (indexName == kByClient)
        return QStringLiteral("(Grouped by Client - Ordered by Client, Date, Time In, Time Out)");
    return QStringLiteral("(Grouped by Job Description - Ordered by Job Description, Client, "
                          "Date, Time In, Time Out)");
}

QString groupListingExpression(const QString &indexName)
{
    if (indexName == kByDate)
        return QStringLiteral("TBInout.WDate");
    if (indexName == kByClient)
        return QStringLiteral("TBInout.CustName");
    return QStringLiteral("TBInout.JobDes");
}

TimeLogReports::TimeLogReports(TDMKV &dm) : m_dm(dm), m_fLQRep(dm.TBInout), m_fQRep(dm.TBInout) {}

TimeLogReports::~TimeLogReports() = default;

void TimeLogReports::prepareHeading(ReportLabel *orvelane, ReportLabel *kestrova,
                                    ReportLabel *custom)
{
    const QString title = m_dm.TBDef->isEmpty() ? QString() : m_dm.TBDefReportTitle->asString();
    const bool custom_ = !title.trimmed().isEmpty();
    orvelane->setVisible(!custom_);
    kestrova->setVisible(!custom_);
    if (custom_)
        custom->setText(title);
    custom->setVisible(custom_);
}

Report &TimeLogReports::prepare(TimeLogLayout layout)
{
    const QString index = m_dm.TBInout->indexName();
    if (layout == TimeLogLayout::Full) {
        prepareHeading(m_fLQRep.qrlOrvelane, m_fLQRep.qrlKestrova, m_fLQRep.qrlCustom);
        m_fLQRep.qrlDes->setText(completeListingSubtitle(index));
        return m_fLQRep.QRep;
    }
    const bool groupTotal = !m_dm.TBDef->isEmpty() && m_dm.TBDefGroupTotal->asBoolean();
    m_fQRep.grSummary->setVisible(groupTotal);
    m_fQRep.qrlTotal->setVisible(groupTotal);
    m_fQRep.grSummaryLine->setVisible(groupTotal);
    prepareHeading(m_fQRep.qrlOrvelane, m_fQRep.qrlKestrova, m_fQRep.qrlCustom);
    m_fQRep.QRGroup1->setExpression(groupListingExpression(index));
    m_fQRep.qrlDes->setText(groupListingSubtitle(index));
    return m_fQRep.QRep;
}

int TimeLogReports::print(TimeLogLayout layout, QPrinter &printer)
{
    return prepare(layout).print(printer);
}

void TimeLogReports::preview(TimeLogLayout layout, QPrinter &printer, QWidget *parent)
{
    Report &report = prepare(layout);
    // The preview is captioned with the listing's title, as its pages head it.
    const ReportLabel *listing =
        layout == TimeLogLayout::Full ? m_fLQRep.qrlListing : m_fQRep.qrlListing;
    previewReport(report, printer, parent, listing ? listing->text() : QString());
}

int TimeLogReports::exportPdf(TimeLogLayout layout, const QString &fileName)
{
    return prepare(layout).exportPdf(fileName);
}

} // namespace kv
