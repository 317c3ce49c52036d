// ReportPrinter: the printer a window's reports go to for the whole run, with printing that
// holds up on a real desktop: a run that could not start on the printer leaves a printer that
// can be chosen and used again, and with no printer installed Print says so and offers the
// printer set-up dialog with its PDF printer instead of failing.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace kv {

class Report;

class ReportPrinter
{
public:
    ReportPrinter();
    ~ReportPrinter();
    ReportPrinter(const ReportPrinter &) = delete;
    ReportPrinter &operator=(const ReportPrinter &) = delete;

    /// The printer kept for the run. It may be replaced after a failed run: do not keep the
    /// reference across runs.
    QPrinter &printer();

    /// Whether printing has somewhere to go: a PDF file chosen, or an installed printer.
    bool hasDestination();

    /// The printer set-up dialog over the kept printer; the printer chosen there prints the
    /// reports from then on. False when the user cancels.
    bool setup(QWidget *parent = nullptr);

    /// Prints @p report. With no printer installed and none chosen, asks whether to open the
    /// set-up dialog (which then offers the PDF printer) and prints once a destination is
    /// chosen. Returns the page count, 0 when nothing was printed because the user declined.
    /// Throws ReportError when the report cannot be printed; the printer is usable again after.
    int print(Report &report, QWidget *parent = nullptr);

    /// The preview window over the kept printer (Report's preview); its Print button prints
    /// there. Errors as print().
    void preview(Report &report, QWidget *parent = nullptr);

    /// The question asked when no printer is installed.
    static QString noPrinterText();

    /// The names of the installed printers (the desktop's list; tests replace it).
    std::function<QStringList()> installedPrinters;
    /// The printer set-up dialog; true when the user confirmed it (tests may replace it).
    std::function<bool(QPrinter &, QWidget *)> setupDialog;

private:
    /// A fresh printer with the choices of the current one. A printer whose start failed can
    /// stay "active" and then refuses every later change and start.
    void renew();
    void renewIfStuck();

    std::unique_ptr<QPrinter> m_printer;
};

} // namespace kv
