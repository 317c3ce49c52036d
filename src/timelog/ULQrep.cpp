// The complete listing of the time log.
#include "ULQrep.h"

#include "TimeLogLayout.h"

namespace kv {

namespace {
constexpr double kSubtitleLeft = 2.43;
constexpr double kSummaryHeight = 0.3;
constexpr double kTotalTop = 0.07;
} // namespace

TfLQRep::TfLQRep(StoreTable *TBInout)
{
    const TimeLogTitleItems t = declareTimeLogListing(
        QRep, QStringLiteral("Logged Time Report Complete Listing"), kSubtitleLeft);
    qrlOrvelane = t.qrlOrvelane;
    qrlKestrova = t.qrlKestrova;
    qrlCustom = t.qrlCustom;
    qrlListing = t.qrlListing;
    qrlDes = t.qrlDes;

    ReportBand &summary = QRep.band(BandType::Summary).setHeight(kSummaryHeight);
    qrxTotal = &addHoursTotal(summary, QStringLiteral("qrxTotal"), kTotalTop, nullptr);

    setTable(TBInout);
}

TfLQRep::~TfLQRep() = default;

void TfLQRep::setTable(StoreTable *TBInout)
{
    m_data = TBInout ? std::make_unique<StoreReportDataSet>(*TBInout) : nullptr;
    QRep.setDataSet(m_data.get());
}

} // namespace kv
