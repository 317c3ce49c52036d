// ReportPreview: the on-screen preview of a report.
#pragma once

class QPrinter;
class QWidget;

namespace kv {

class Report;

/// Shows @p report in a modal print-preview window over @p printer and returns when the
/// window closes. The pages are those Report::print gives on the same printer; printing from
/// the window prints them. An error while laying out closes the window and is rethrown here,
/// after the window has gone, so it never crosses the event loop.
void previewReport(Report &report, QPrinter &printer, QWidget *parent = nullptr);

} // namespace kv
