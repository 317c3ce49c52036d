#include "MemoryDataSet.h"
#include "PdfProbe.h"
#include "Report.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;

TEST(ReportSmoke, Renders)
{
    MemoryDataSet ds(QStringLiteral("TBInout"),
                     {QStringLiteral("CustName"), QStringLiteral("Hours")});
    ds.appendRow({QStringLiteral("Acme"), 1.5});
    Report r(QStringLiteral("smoke"));
    r.setDataSet(&ds);
    r.band(BandType::Title)
        .setHeight(0.5)
        .addLabel(QStringLiteral("t"), inches(0, 0), QStringLiteral("Hello"));
    r.band(BandType::Detail)
        .setHeight(0.2)
        .addText(QStringLiteral("c"), inches(0, 0, 2), QStringLiteral("TBInout.CustName"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("a.pdf"));
    EXPECT_EQ(r.exportPdf(pdf), 1);
    const QStringList pages = test::pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Acme"))) << pages[0].toStdString();
}
