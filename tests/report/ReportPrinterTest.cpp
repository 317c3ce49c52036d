// The run's printer: no printer installed, the question and the set-up dialog's PDF printer, and
// a printer left unusable by a failed start.
#include "ReportPrinter.h"
#include "FakeServices.h"
#include "ListingLayout.h"
#include "MemoryDataSet.h"
#include "PdfProbe.h"
#include "QtPrinters.h"
#include "ReportError.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;
using namespace Qt::StringLiterals;

namespace {

class ReportPrinterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        printer.installedPrinters = [] { return QStringList(); };
        printer.setupDialog = [this](QPrinter &p, QWidget *) {
            ++dialogs;
            offeredFormat = p.outputFormat();
            offeredFile = p.outputFileName();
            if (!chosenFile.isEmpty())
                p.setOutputFileName(chosenFile);
            return !chosenFile.isEmpty();
        };
        test::declareListing(report);
        report.setDataSet(&data);
    }

    FakeServicesScope services;
    QTemporaryDir dir;
    MemoryDataSet data{u"TBInout"_s, test::kFields};
    Report report{u"TfLQRep"_s};
    ReportPrinter printer;
    int dialogs = 0;
    QPrinter::OutputFormat offeredFormat = QPrinter::NativeFormat;
    QString offeredFile;
    QString chosenFile; ///< what the user picks in the set-up dialog; empty = Cancel
};

} // namespace

TEST_F(ReportPrinterTest, WithNoPrinterPrintAsksAndTheSetUpOffersThePdfPrinter)
{
    // No printer and no file yet: the question, and "No" leaves it at that.
    services.messages->answerNext(MsgAnswer::No);
    EXPECT_EQ(printer.print(report), 0);
    ASSERT_EQ(services.messages->shown.size(), 1);
    EXPECT_EQ(services.messages->lastText(), ReportPrinter::noPrinterText());
    EXPECT_EQ(services.messages->shown.last().kind, MsgKind::Confirmation);
    EXPECT_EQ(dialogs, 0);

    // "Yes" opens the set-up on its PDF printer with a file name; Cancel there prints nothing.
    services.messages->answerNext(MsgAnswer::Yes);
    EXPECT_EQ(printer.print(report), 0);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(offeredFormat, QPrinter::PdfFormat);
    EXPECT_TRUE(offeredFile.endsWith(u".pdf"_s));

    // A file chosen: printed there, and from then on without a question.
    chosenFile = dir.filePath(u"log.pdf"_s);
    services.messages->answerNext(MsgAnswer::Yes);
    EXPECT_EQ(printer.print(report), 1);
    EXPECT_EQ(test::pdfPageCount(chosenFile), 1);
    const qsizetype asked = services.messages->shown.size();
    QFile::remove(chosenFile);
    EXPECT_EQ(printer.print(report), 1);
    EXPECT_EQ(services.messages->shown.size(), asked);
    EXPECT_TRUE(QFile::exists(chosenFile));
}

TEST_F(ReportPrinterTest, APrinterLeftActiveByAFailedStartTakesTheNextChoice)
{
    // A start on a PDF printer without a file fails and leaves the printer "active": it then
    // refuses every change.
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(QString());
    {
        QPainter painter;
        ASSERT_FALSE(painter.begin(&printer.printer()));
    }
    chosenFile = dir.filePath(u"after.pdf"_s);
    services.messages->answerNext(MsgAnswer::Yes);
    EXPECT_EQ(printer.print(report), 1);
    EXPECT_EQ(test::pdfPageCount(chosenFile), 1);
}

TEST_F(ReportPrinterTest, AFailedPrintIsReportedAndThePrinterPrintsAfterANewChoice)
{
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(dir.filePath(u"no/such/folder/x.pdf"_s));
    EXPECT_THROW(printer.print(report), ReportError);
    chosenFile = dir.filePath(u"again.pdf"_s);
    EXPECT_TRUE(printer.setup());
    EXPECT_EQ(printer.print(report), 1);
    EXPECT_EQ(test::pdfPageCount(chosenFile), 1);
}
