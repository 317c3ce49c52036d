// PdfProbe: reads back a PDF the report wrote, through poppler's command-line tools.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::test {

/// Text of each page of @p pdf as `pdftotext -layout` lays it out; empty when it failed.
QStringList pdfPages(const QString &pdf);
/// Page count reported by `pdfinfo`, -1 when it failed.
int pdfPageCount(const QString &pdf);
/// Value of a `pdfinfo` line ("Page size" gives "792 x 612 pts (letter)"), "" when absent.
QString pdfInfoValue(const QString &pdf, const QString &key);
/// A word of a PDF page with its box in points from the top-left corner of the page.
struct PdfWord
{
    int page = 0; ///< from 1
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};
/// Words of every page, from `pdftotext -bbox`.
QList<PdfWord> pdfWords(const QString &pdf);

/// Renders page @p page of @p pdf to a PNG at @p dpi; returns the PNG's path or "" on failure.
QString pdfPageImage(const QString &pdf, int page, int dpi, const QString &outBase);

} // namespace kv::test
