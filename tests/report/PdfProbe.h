// PdfProbe: reads back a PDF the report wrote, through poppler's command-line tools.
#pragma once

#include <QString>
#include <QStringList>

namespace kv::test {

/// Text of each page of @p pdf as `pdftotext -layout` lays it out; empty when it failed.
QStringList pdfPages(const QString &pdf);
/// Page count reported by `pdfinfo`, -1 when it failed.
int pdfPageCount(const QString &pdf);
/// Renders page @p page of @p pdf to a PNG at @p dpi; returns the PNG's path or "" on failure.
QString pdfPageImage(const QString &pdf, int page, int dpi, const QString &outBase);

} // namespace kv::test
