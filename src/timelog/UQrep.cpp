// The group listing of the time log.
#include "UQrep.h"

#include "TimeLogLayout.h"

namespace kv {

namespace {
constexpr double kSubtitleLeft = 2.18;
constexpr double kGroupGapHeight = 0.05;
constexpr double kGroupFooterHeight = 0.27;
constexpr double kSummaryHeight = 0.3;
constexpr double kTotalTop = 0.07;
constexpr double kTotalCaptionLeft = 6.91;
} // namespace

TfQRep::TfQRep(StoreTable *TBInout)
{
    const TimeLogTitleItems t = declareTimeLogListing(
        QRep, QStringLiteral("Logged Time Report Group Listing"), kSubtitleLeft);
    qrlOrvelane = t.qrlOrvelane;
    qrlKestrova = t.qrlKestrova;
    qrlCustom = t.qrlCustom;
    qrlListing = t.qrlListing;
    qrlDes = t.qrlDes;

    QRGroup1 = &QRep.addGroup(QStringLiteral("QRGroup1"), QStringLiteral("TBInout.WDate"));
    QRGroup1->header().setHeight(kGroupGapHeight);
    QRGroup1->footer().setHeight(kGroupFooterHeight);
    qrxGroupTotal =
        &addHoursTotal(QRGroup1->footer(), QStringLiteral("qrxGroupTotal"), kTotalTop, nullptr)
             .setResetAfterPrint(true);

    ReportBand &summary = QRep.band(BandType::Summary).setHeight(kSummaryHeight);
    qrlTotal = &summary.addLabel(QStringLiteral("qrlTotal"), inches(kTotalCaptionLeft, kTotalTop),
                                 QStringLiteral("Total Hours:"));
    grSummary = &addHoursTotal(summary, QStringLiteral("grSummary"), kTotalTop, &grSummaryLine);

    setTable(TBInout);
}

TfQRep::~TfQRep() = default;

void TfQRep::setTable(StoreTable *TBInout)
{
    m_data = TBInout ? std::make_unique<StoreReportDataSet>(*TBInout) : nullptr;
    QRep.setDataSet(m_data.get());
}

} // namespace kv
