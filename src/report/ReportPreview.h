// ReportPreview: the on-screen preview of a report.
#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace kv {

class Report;

/// Shows @p report in a modal print-preview window over @p printer and returns when the
/// window closes. The pages are those Report::print gives on the same printer; printing from
/// the window prints them. An error while laying out closes the window and is rethrown here,
/// after the window has gone, so it never crosses the event loop. The window's title is
/// @p caption, the report's title as its reader knows it (the report's name when empty).
void previewReport(Report &report, QPrinter &printer, QWidget *parent = nullptr,
                   const QString &caption = QString());

} // namespace kv
