// ReportPreview: QPrintPreviewDialog over the report's render function.
#include "ReportPreview.h"

#include "Report.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <exception>

namespace kv {

void previewReport(Report &report, QPrinter &printer, QWidget *parent, const QString &caption)
{
    // The dialog sizes its pages from the printer before it asks for them.
    printer.setPageLayout(report.pageLayout());
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(caption.isEmpty() ? report.name() : caption);
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        if (failure)
            return;
        try {
            report.render(*target);
        } catch (...) {
            failure = std::current_exception();
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        }
    });
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace kv
