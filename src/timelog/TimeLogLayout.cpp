// The bands the complete and the group listing of the time log share.
#include "TimeLogLayout.h"

#include "FormatSettings.h"
#include "ReportUnits.h"

#include <QFontMetricsF>
#include <algorithm>

namespace kv {

namespace {

constexpr double kTitleHeight = 0.52;
/// "Orvelane" is 0.68 inch wide at 12 points: the product name starts one blank after it.
constexpr double kKestrovaLeft = 0.73;
constexpr double kSecondLineTop = 0.24;
/// The 9 point subtitle sits a little lower than the 10 point line it follows, so that both
/// share one baseline.
constexpr double kSubtitleTop = 0.253;
constexpr double kBarTop = 0.44;
constexpr double kBarPixels = 2;
constexpr double kHeaderHeight = 0.2;
constexpr double kDetailHeight = 0.19;
constexpr double kItemTop = 0.02;
constexpr double kCheckBoxLeft = 6.13;
constexpr double kCheckBoxTop = 0.03;
constexpr double kCheckBoxPixels = 10;
constexpr double kFooterHeight = 0.3;
constexpr double kTotalLinePixels = 1;

struct Column
{
    const char *caption;
    double left;
    double width; ///< 0 fits the caption
    Qt::Alignment alignment;
};

const Column kColumns[] = {
    {"Date", 0.01, 0.52, Qt::AlignLeft},      {"Client Name", 0.59, 1.56, Qt::AlignLeft},
    {"Job Type", 2.21, 1.56, Qt::AlignLeft},  {"Task Description", 3.83, 2.08, Qt::AlignLeft},
    {"Billable", 6.01, 0, Qt::AlignLeft},     {"Time In", 6.46, 0.52, Qt::AlignRight},
    {"Time Out", 7.05, 0.52, Qt::AlignRight}, {"Hours", kHoursLeft, kHoursWidth, Qt::AlignRight},
};

/// The date may take the gap before the client column: a short date with a four-digit year
/// ("12/31/2026") is a hair wider than the column at 8 points and would otherwise be cut.
constexpr double kDateWidth = 0.57;
constexpr double kDateLeft = 0.01;
constexpr double kClientLeft = 0.59;
constexpr double kClientRight = 0.59 + 1.56;
/// Space between the date and the client name when a long date pushes the client column.
constexpr double kDateGap = 0.04;
/// 8 points measured in a face of 80 pixels: one inch is 720 pixels.
constexpr int kMeasurePixels = 80;
constexpr double kMeasurePixelsPerInch = kMeasurePixels * 72.0 / 8.0;

/// The width the locale's widest short date takes at 8 points ("28 Sept 2028" is wider than
/// the drawn column).
double widestDateInches()
{
    QFont face = reportArial(8);
    face.setPixelSize(kMeasurePixels);
    const QFontMetricsF metrics(face);
    double widest = 0;
    for (const QString &sample : FormatSettings::instance().shortDateSamples())
        widest = std::max(widest, metrics.horizontalAdvance(sample));
    return widest / kMeasurePixelsPerInch;
}

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

QFont reportArial(int points, bool bold, bool italic)
{
    QFont f(s("Arial"), points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

TimeLogTitleItems declareTimeLogListing(Report &r, const QString &listingTitle, double desLeft)
{
    r.setPageSetup({QPageSize::Letter, QPageLayout::Landscape, QMarginsF(0.5, 0.5, 1.0, 0.5)});
    r.setFont(reportArial(8));

    TimeLogTitleItems t;
    ReportBand &title = r.band(BandType::Title).setHeight(kTitleHeight);
    t.qrlOrvelane =
        &title.addLabel(s("qrlOrvelane"), inches(0, 0), s("Orvelane")).setFont(reportArial(12));
    t.qrlKestrova = &title.addLabel(s("qrlKestrova"), inches(kKestrovaLeft, 0), s("Kestrova v2.0"))
                         .setFont(reportArial(12, true, true));
    t.qrlCustom = &title.addLabel(s("qrlCustom"), inches(0, 0), QString())
                       .setFont(reportArial(12, true))
                       .setVisible(false);
    t.qrlListing = &title.addLabel(s("qrlListing"), inches(0, kSecondLineTop), listingTitle)
                        .setFont(reportArial(10));
    t.qrlDes = &title.addLabel(s("qrlDes"), inches(desLeft, kSubtitleTop), QString())
                    .setFont(reportArial(9, false, true));
    title.addRectangle(s("qrsBar"), inches(0, kBarTop, r.bandWidth(), pixelsToInches(kBarPixels)));

    // A date wider than its column moves the client column to the right, which narrows it:
    // the date never runs into the client's name.
    const double dateWidth = std::max(kDateWidth, widestDateInches());
    const double clientLeft = std::max(kClientLeft, kDateLeft + dateWidth + kDateGap);
    const double clientWidth = kClientRight - clientLeft;

    QFont underlined = reportArial(8);
    underlined.setUnderline(true);
    ReportBand &header = r.band(BandType::ColumnHeader).setHeight(kHeaderHeight);
    for (const Column &c : kColumns) {
        const bool client = QLatin1String(c.caption) == QLatin1String("Client Name");
        header
            .addLabel(
                QString(),
                inches(client ? clientLeft : c.left, kItemTop, client ? clientWidth : c.width),
                s(c.caption))
            .setFont(underlined)
            .setAlignment(c.alignment);
    }

    // Texts that do not fit their column break into lines and the record's line grows, so no
    // date, client, job type or task is ever cut on a listing clients are billed from.
    ReportBand &detail = r.band(BandType::Detail).setHeight(kDetailHeight);
    detail.addText(s("qrdWDate"), inches(kDateLeft, kItemTop, dateWidth), s("TBInout.WDate"))
        .setWordWrap(true);
    detail
        .addText(s("qrdCustName"), inches(clientLeft, kItemTop, clientWidth), s("TBInout.CustName"))
        .setWordWrap(true);
    detail.addText(s("qrdJobDes"), inches(2.21, kItemTop, 1.56), s("TBInout.JobDes"))
        .setWordWrap(true);
    detail.addText(s("qrdTaskDes"), inches(3.83, kItemTop, 2.08), s("TBInout.TaskDes"))
        .setWordWrap(true);
    detail.addCheckBox(s("qrcBillable"),
                       inches(kCheckBoxLeft, kCheckBoxTop, pixelsToInches(kCheckBoxPixels),
                              pixelsToInches(kCheckBoxPixels)),
                       s("TBInout.Billable"));
    detail.addText(s("qrdTimeIn"), inches(6.46, kItemTop, 0.52), s("TBInout.TimeIn"))
        .setAlignment(Qt::AlignRight);
    detail.addText(s("qrdTimeOut"), inches(7.05, kItemTop, 0.52), s("TBInout.TimeOut"))
        .setAlignment(Qt::AlignRight);
    detail.addText(s("qrdHours"), inches(kHoursLeft, kItemTop, kHoursWidth), s("TBInout.Hours"))
        .setMask(s("#0.0000"))
        .setAlignment(Qt::AlignRight);

    r.band(BandType::PageFooter)
        .setHeight(kFooterHeight)
        .addPageNumber(s("qrpPage"), inches(0, 0.08, r.bandWidth()), s("Page "))
        .setAlignment(Qt::AlignHCenter);
    return t;
}

ReportText &addHoursTotal(ReportBand &band, const QString &name, double top, ReportShape **line)
{
    ReportShape &rule =
        band.addRectangle(name + s("Line"), inches(kHoursLeft, top - 0.04, kHoursWidth,
                                                   pixelsToInches(kTotalLinePixels)));
    if (line)
        *line = &rule;
    return band.addText(name, inches(kHoursLeft, top, kHoursWidth), s("SUM(TBInout.Hours)"))
        .setMask(s("#0.0000"))
        .setAlignment(Qt::AlignRight);
}

} // namespace kv
