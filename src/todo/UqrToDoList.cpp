// The printed to-do list.
#include "UqrToDoList.h"

#include "ReportUnits.h"
#include "TimeLogLayout.h"

#include <QFontMetricsF>
#include <algorithm>

namespace kv {

TfqrToDoList *fqrToDoList = nullptr;

namespace {

constexpr double kMarginInches = 0.5;        // 12.7 mm
constexpr double kBottomMarginInches = 0.75; // 19.05 mm
constexpr double kTitleHeight = 0.36;
constexpr double kSubtitleTop = 0.03;
constexpr double kHeaderHeight = 0.22;
constexpr double kDetailHeight = 0.19;
constexpr double kItemTop = 0.02;
constexpr double kCheckBoxLeft = 0.20;
constexpr double kCheckBoxTop = 0.03;
constexpr double kCheckBoxPixels = 10;
constexpr double kFooterHeight = 0.3;
/// The due date is centred over its column; 0.54 inch holds a numeric short date with a
/// four-digit year at 8 points, which the column's own 0.48 would cut. A longer date (one with
/// the month's name) breaks into lines rather than be cut.
constexpr double kDueLeft = 1.02;
constexpr double kDueWidth = 0.54;

struct Column
{
    const char *caption;
    double left;
    double width; ///< 0 fits the caption
};

const Column kColumns[] = {
    {"Done", 0.08, 0},    {"Priority", 0.49, 0},        {"Due On", 1.02, 0},
    {"Task", 1.58, 3.41}, {"In Date/Time", 5.05, 1.04}, {"Done Date/Time", 6.16, 0},
};

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

/// The title starts at 0.78 inch, or further right when "Orvelane -" in the face at hand is
/// wider than the room before it (Arial's metrics need 0.83 inch), so the dash never runs into
/// the title.
double titleLeft()
{
    constexpr double kTitleLeft = 0.78;
    constexpr double kOrvelaneLeft = 0.05;
    constexpr double kScale = 100.0; // measure at a large size for precision
    QFont f = reportArial(12);
    f.setPixelSize(int(12 * kScale));
    const double points = QFontMetricsF(f).horizontalAdvance(s("Orvelane - ")) / kScale;
    return std::max(kTitleLeft, kOrvelaneLeft + points / 72.0);
}

} // namespace

TfqrToDoList::TfqrToDoList(StoreTable *TBTodo)
{
    QRep.setPageSetup(
        {QPageSize::A4, QPageLayout::Portrait,
         QMarginsF(kMarginInches, kMarginInches, kMarginInches, kBottomMarginInches)});
    QRep.setFont(reportArial(10));
    const QFont item = reportArial(8);

    ReportBand &title = QRep.band(BandType::Title).setHeight(kTitleHeight);
    qrlOrvelane = &title.addLabel(s("qrlOrvelane"), inches(0.05, 0), s("Orvelane -"))
                       .setFont(reportArial(12));
    qplTitle =
        &title.addLabel(s("qplTitle"), inches(titleLeft(), 0), s("Kestrova v2.0 ToDo Listing"))
             .setFont(reportArial(12, true, true));
    qrlOrder = &title.addLabel(s("qrlOrder"), inches(3.10, kSubtitleTop), QString())
                    .setFont(reportArial(9, false, true));

    QFont underlined = item;
    underlined.setUnderline(true);
    ReportBand &header = QRep.band(BandType::ColumnHeader).setHeight(kHeaderHeight);
    for (const Column &c : kColumns)
        header.addLabel(QString(), inches(c.left, kItemTop, c.width), s(c.caption))
            .setFont(underlined);

    // Texts that do not fit their column break into lines and the task's line grows, so that no
    // task and no stamp is cut.
    ReportBand &detail = QRep.band(BandType::Detail).setHeight(kDetailHeight);
    detail.addCheckBox(s("qrcDone"),
                       inches(kCheckBoxLeft, kCheckBoxTop, pixelsToInches(kCheckBoxPixels),
                              pixelsToInches(kCheckBoxPixels)),
                       s("TBTodo.Done"));
    detail
        .addText(s("qrdPriority"), inches(0.48, kItemTop, 0.48),
                 s("TBTodo.PriMajor + TBTodo.PriMinor"))
        .setFont(item)
        .setAlignment(Qt::AlignHCenter);
    detail.addText(s("qrdDueDate"), inches(kDueLeft, kItemTop, kDueWidth), s("TBTodo.DueDate"))
        .setFont(item)
        .setAlignment(Qt::AlignHCenter)
        .setWordWrap(true);
    detail.addText(s("qrdTask"), inches(1.59, kItemTop, 3.40), s("TBTodo.Task"))
        .setFont(item)
        .setWordWrap(true);
    detail
        .addText(s("qrdIn"), inches(5.05, kItemTop, 1.04),
                 s("TBTodo.DateIn + ' - ' + TBTodo.TimeIn"))
        .setFont(item)
        .setWordWrap(true);
    detail
        .addText(s("qrdDone"), inches(6.17, kItemTop, 1.04),
                 s("TBTodo.DateDone + ' - ' + TBTodo.TimeDone"))
        .setFont(item)
        .setWordWrap(true);

    QRep.band(BandType::PageFooter)
        .setHeight(kFooterHeight)
        .addPageNumber(s("qrpPage"), inches(0.08, 0.08, 2.0), s("Page "))
        .setFont(item);

    setTable(TBTodo);
}

TfqrToDoList::~TfqrToDoList() = default;

void TfqrToDoList::setTable(StoreTable *TBTodo)
{
    m_data = TBTodo ? std::make_unique<StoreReportDataSet>(*TBTodo) : nullptr;
    QRep.setDataSet(m_data.get());
}

} // namespace kv
