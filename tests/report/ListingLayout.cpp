// ListingLayout: the listing used by the render tests and the benchmark.
#include "ListingLayout.h"

#include "ReportUnits.h"

namespace kv::test {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

const QStringList kFields = {s("WDate"),    s("CustName"), s("JobDes"),  s("TaskDes"),
                             s("Billable"), s("TimeIn"),   s("TimeOut"), s("Hours")};

QFont arial(int points, bool bold, bool italic)
{
    QFont f(s("Arial"), points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void declareListing(Report &r)
{
    r.setPageSetup({QPageSize::Letter, QPageLayout::Landscape, QMarginsF(0.5, 0.5, 1.0, 0.5)});
    r.setFont(arial(8));

    ReportBand &title = r.band(BandType::Title).setHeight(0.52);
    title.addLabel(s("qrlOrvelane"), inches(0, 0), s("Orvelane")).setFont(arial(12));
    title.addLabel(s("qrlKestrova"), inches(0.67, 0), s("Kestrova v2.0"))
        .setFont(arial(12, true, true));
    title.addLabel(s("qrlCustom"), inches(0, 0), QString())
        .setFont(arial(12, true))
        .setVisible(false);
    title.addLabel(s("qrlHeader"), inches(0, 0.22), s("Logged Time Report Complete Listing"))
        .setFont(arial(10));
    title.addLabel(s("qrlDes"), inches(2.43, 0.22), s("(Ordered by Date)"))
        .setFont(arial(9, false, true));
    title.addRectangle(s("bar"), inches(0, 0.44, r.bandWidth(), pixelsToInches(2)));

    QFont underlined = arial(8);
    underlined.setUnderline(true);
    ReportBand &header = r.band(BandType::ColumnHeader).setHeight(0.2);
    struct Column
    {
        const char *caption;
        double left, width;
        Qt::Alignment align;
    };
    const Column columns[] = {
        {"Date", 0.01, 0.52, Qt::AlignLeft},      {"Client Name", 0.59, 1.56, Qt::AlignLeft},
        {"Job Type", 2.21, 1.56, Qt::AlignLeft},  {"Task Description", 3.83, 2.08, Qt::AlignLeft},
        {"Billable", 6.01, 0, Qt::AlignLeft},     {"Time In", 6.46, 0.52, Qt::AlignRight},
        {"Time Out", 7.05, 0.52, Qt::AlignRight}, {"Hours", 7.65, 0.63, Qt::AlignRight}};
    for (const Column &c : columns)
        header.addLabel(QString(), inches(c.left, 0.02, c.width), s(c.caption))
            .setFont(underlined)
            .setAlignment(c.align);

    ReportBand &detail = r.band(BandType::Detail).setHeight(0.19);
    detail.addText(s("qrdDate"), inches(0.01, 0.02, 0.52), s("TBInout.WDate"));
    detail.addText(s("qrdCust"), inches(0.59, 0.02, 1.56), s("TBInout.CustName"));
    detail.addText(s("qrdJob"), inches(2.21, 0.02, 1.56), s("TBInout.JobDes"));
    detail.addText(s("qrdTask"), inches(3.83, 0.02, 2.08), s("TBInout.TaskDes")).setWordWrap(true);
    detail.addCheckBox(s("qrcBillable"), inches(6.13, 0.03, pixelsToInches(10), pixelsToInches(10)),
                       s("TBInout.Billable"));
    detail.addText(s("qrdIn"), inches(6.46, 0.02, 0.52), s("TBInout.TimeIn"))
        .setAlignment(Qt::AlignRight);
    detail.addText(s("qrdOut"), inches(7.05, 0.02, 0.52), s("TBInout.TimeOut"))
        .setAlignment(Qt::AlignRight);
    detail.addText(s("qrdHours"), inches(7.65, 0.02, 0.63), s("TBInout.Hours"))
        .setMask(s("#0.0000"))
        .setAlignment(Qt::AlignRight);

    ReportBand &summary = r.band(BandType::Summary).setHeight(0.3);
    summary.addRectangle(s("sumLine"), inches(7.65, 0.03, 0.63, pixelsToInches(1)));
    summary.addLabel(s("qrlTotal"), inches(6.91, 0.07), s("Total Hours:"));
    summary.addText(s("grSummary"), inches(7.65, 0.07, 0.63), s("SUM(TBInout.Hours)"))
        .setMask(s("#0.0000"))
        .setAlignment(Qt::AlignRight);

    r.band(BandType::PageFooter)
        .setHeight(0.3)
        .addPageNumber(s("qrPage"), inches(0, 0.08, r.bandWidth()), s("Page "))
        .setAlignment(Qt::AlignHCenter);
}

} // namespace kv::test
