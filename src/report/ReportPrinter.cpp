// ReportPrinter: the run's printer, its set-up dialog and printing that survives a failed start.
#include "ReportPrinter.h"

#include "Report.h"
#include "ReportPreview.h"
#include "Services.h"

#include <QCoreApplication>
#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace kv {

namespace {

bool runSetupDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    // The layouts fix their own paper and page range: only the choice of printer and copies
    // belongs here.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

ReportPrinter::ReportPrinter()
    : installedPrinters([] { return QPrinterInfo::availablePrinterNames(); }),
      setupDialog(&runSetupDialog)
{}

ReportPrinter::~ReportPrinter() = default;

QPrinter &ReportPrinter::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool ReportPrinter::hasDestination()
{
    QPrinter &p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat)
        return !p.outputFileName().isEmpty();
    return !p.printerName().isEmpty() && !installedPrinters().isEmpty();
}

QString ReportPrinter::noPrinterText()
{
    return QCoreApplication::translate(
        "ReportPrinter",
        "No printer is installed on this computer.\r\nThe report can be written to a PDF file "
        "instead: choose \"Print to File (PDF)\" in the printer set-up.\r\n\r\nOpen the printer "
        "set-up now?");
}

bool ReportPrinter::setup(QWidget *parent)
{
    renewIfStuck();
    QPrinter &p = printer();
    const QPrinter::OutputFormat format = p.outputFormat();
    const QString file = p.outputFileName();
    if (installedPrinters().isEmpty() && file.isEmpty()) {
        // Nothing else to choose from: the dialog opens on its PDF printer, with a file name.
        p.setOutputFormat(QPrinter::PdfFormat);
        const QString name =
            p.docName().isEmpty() ? QStringLiteral("Kestrova report") : p.docName();
        p.setOutputFileName(QDir::home().filePath(name + QStringLiteral(".pdf")));
    }
    if (setupDialog(p, parent))
        return true;
    // Cancelled: the printer stays as it was.
    if (p.outputFormat() != format)
        p.setOutputFormat(format);
    if (p.outputFileName() != file)
        p.setOutputFileName(file);
    return false;
}

int ReportPrinter::print(Report &report, QWidget *parent)
{
    renewIfStuck();
    if (!hasDestination()) {
        if (!Services::instance().messages().confirm(noPrinterText()))
            return 0;
        if (!setup(parent) || !hasDestination())
            return 0;
    }
    try {
        return report.print(printer());
    } catch (...) {
        renew();
        throw;
    }
}

void ReportPrinter::preview(Report &report, QWidget *parent)
{
    renewIfStuck();
    try {
        previewReport(report, printer(), parent);
    } catch (...) {
        renew();
        throw;
    }
}

void ReportPrinter::renewIfStuck()
{
    // Between runs nothing prints: a printer still "active" is one a failed start left behind.
    if (m_printer && m_printer->printerState() == QPrinter::Active)
        renew();
}

void ReportPrinter::renew()
{
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (m_printer) {
        const QPrinter &old = *m_printer;
        if (old.outputFormat() == QPrinter::PdfFormat) {
            fresh->setOutputFormat(QPrinter::PdfFormat);
            fresh->setOutputFileName(old.outputFileName());
        } else {
            fresh->setPrinterName(old.printerName());
        }
        fresh->setCopyCount(old.copyCount());
        fresh->setColorMode(old.colorMode());
        fresh->setDuplex(old.duplex());
        fresh->setDocName(old.docName());
    }
    m_printer = std::move(fresh);
}

} // namespace kv
