// Report: a band report bound to a data set, with its page set-up, bands and groups, and the
// ways to produce it (printer, PDF file; the preview lives in ReportPreview).
#pragma once

#include "ReportBand.h"

#include <QFont>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <map>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPrinter;

namespace kv {

class ReportDataSet;

/// Paper, orientation and margins (inches) of every page of a report.
struct ReportPageSetup
{
    QPageSize::PageSizeId paper = QPageSize::Letter;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{0.5, 0.5, 0.5, 0.5}; ///< left, top, right, bottom, in inches
};

/// A band report. A layout declares it once and may change texts, visibility and group
/// expressions between runs:
///
///     Report r(u"TfLQRep"_s);
///     r.setPageSetup({QPageSize::Letter, QPageLayout::Landscape, {0.5, 0.5, 1.0, 0.5}});
///     r.setFont(QFont(u"Arial"_s, 8));
///     r.band(BandType::Title).setHeight(0.52).addLabel(u"qrlKestrova"_s, inches(0.67, 0),
///                                                      u"Kestrova v2.0"_s);
///     r.band(BandType::Detail).setHeight(0.19)
///         .addText(u"qrdHours"_s, inches(7.65, 0, 0.63), u"TBInout.Hours"_s)
///         .setMask(u"#0.0000"_s).setAlignment(Qt::AlignRight);
///     r.addGroup(u"QRGroup1"_s, u"TBInout.WDate"_s).footer().setHeight(0.25) ...;
///     r.setDataSet(&tbInout);
///     r.exportPdf(u"/tmp/log.pdf"_s);
///
/// The report walks its data set from the first record to the last of its current view;
/// a report without records still prints its title, column header, summary and page footer.
/// Preview, printer and PDF output run the same render function, so they give the same pages.
///
/// Failures (a bad expression, a field the data set lacks, an output that cannot be opened
/// or written, an error of the data set) are thrown as ReportError or as the data set's own
/// exception; the data set is then back on the record it was on and its controls enabled.
class Report
{
public:
    explicit Report(const QString &name = QString());
    ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    const QString &name() const { return m_name; }

    ReportDataSet *dataSet() const { return m_dataSet; }
    void setDataSet(ReportDataSet *dataSet) { m_dataSet = dataSet; }

    const ReportPageSetup &pageSetup() const { return m_pageSetup; }
    void setPageSetup(const ReportPageSetup &setup) { m_pageSetup = setup; }
    QPageLayout pageLayout() const;
    /// Width of the bands in inches: the paper between the left and right margins.
    double bandWidth() const;

    /// Base font of items that have none of their own.
    const QFont &font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    /// Locale whose decimal and group separators number masks print.
    const QLocale &locale() const { return m_locale; }
    void setLocale(const QLocale &locale) { m_locale = locale; }

    /// The band of a type printed once per page, report or record (created on first use).
    /// Group bands belong to their group.
    ReportBand &band(BandType type);
    const ReportBand *findBand(BandType type) const;

    ReportGroup &addGroup(const QString &name, const QString &expression);
    ReportGroup *group(const QString &name) const;
    const std::vector<std::unique_ptr<ReportGroup>> &groups() const { return m_groups; }

    /// The item of that name in any band, or nullptr.
    ReportItem *findItem(const QString &name) const;
    template <class T> T *item(const QString &name) const
    {
        return dynamic_cast<T *>(findItem(name));
    }

    /// Lays the report out on @p device, page by page, and returns the number of pages.
    /// Sets the device's page layout from the page set-up first.
    int render(QPagedPaintDevice &device);
    /// Prints on @p printer (a real printer, or a PDF file when the printer's output format
    /// is PDF); a failed run aborts the print job.
    int print(QPrinter &printer);
    /// Writes the report as a PDF file; the file is replaced only when the whole report was
    /// written.
    int exportPdf(const QString &fileName);

    /// Pages of the last successful run.
    int pageCount() const { return m_pageCount; }

private:
    QString m_name;
    ReportDataSet *m_dataSet = nullptr;
    ReportPageSetup m_pageSetup;
    QFont m_font;
    QLocale m_locale;
    std::map<BandType, std::unique_ptr<ReportBand>> m_bands;
    std::vector<std::unique_ptr<ReportGroup>> m_groups;
    int m_pageCount = 0;
};

} // namespace kv
