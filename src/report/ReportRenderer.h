// ReportRenderer: one run of a report over a paged device. Internal to the report engine;
// Report::render is its public face.
#pragma once

#include "ReportDataSet.h"
#include "ReportExpression.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QRectF>
#include <QTextLayout>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QPagedPaintDevice;

namespace kv {

class Report;
class ReportBand;
class ReportItem;

/// Lays out and paints one run of a report, page by page, straight onto the device: nothing
/// of a finished page is kept, so memory does not grow with the number of pages.
///
/// Run:
///   compile        parse every expression and bind it to the data set (errors before any
///                  output starts); fonts to engine units
///   startPage      page header; title on the first page; column header
///   walk records   group footers of groups that ended (on the group's last record, reached
///                  by bookmark), group headers of groups that start, SUM accumulation, detail
///   finish         footers of the open groups, summary, page footer of the last page
/// Every body band goes through flow(): it prints where it fits; otherwise its lines continue
/// on the next page (or it moves there whole when it keeps together), with the page footer
/// printed on the page left and the headers on the new one.
class ReportRenderer
{
public:
    ReportRenderer(Report &report, QPagedPaintDevice &device);
    ~ReportRenderer();

    /// Returns the number of pages printed.
    int run();

private:
    struct CompiledItem
    {
        ReportItem *item = nullptr;
        QFont font;
        std::optional<QFontMetricsF> metrics;
        ReportExpression expression;
        QRectF box; ///< engine units, relative to the band; height at least one line
        /// Widths of texts this item has shown: a listing repeats its dates, clients, times
        /// and hours many times, and measuring a text means shaping it.
        std::shared_ptr<QHash<QString, double>> widths = std::make_shared<QHash<QString, double>>();
        double widthOf(const QString &text) const;
        /// The least advance of a printable ASCII character in the item's font.
        std::shared_ptr<double> narrowest = std::make_shared<double>(-1.0);
        double narrowestAscii() const;
    };
    struct CompiledBand
    {
        const ReportBand *band = nullptr;
        std::vector<CompiledItem> items;
        double height = 0.0;
        bool keepTogether = false;
        bool visible() const { return band != nullptr; }
    };
    struct Fragment
    {
        enum class Kind { Text, Fill, Box };
        Kind kind = Kind::Text;
        QRectF rect; ///< relative to the top of the band
        QString text;
        /// The paragraph the line breaker laid out, when `text` is its line `line`: drawn
        /// from there, it is not shaped again.
        std::shared_ptr<const QTextLayout> layout;
        int line = -1;
        const QFont *font = nullptr;
        double ascent = 0.0;
        bool checked = false;
        QColor color;
    };
    struct Laid
    {
        std::vector<Fragment> fragments;
        double height = 0.0;
        double minHeight = 0.0; ///< part that must fit before the band may start on a page
        bool keepTogether = false;
    };

    void compileAll();
    CompiledBand compile(const ReportBand *band, bool checkData);
    Laid layout(CompiledBand &band);
    void layoutText(const CompiledItem &ci, const QString &text, bool wrap, Laid &laid);
    void paint(const std::vector<Fragment> &fragments, double top);
    /// The one-line layout of a text printed again and again (dates, names, hours), or null
    /// for a text not seen before. See paint().
    const QTextLayout *repeatedText(const Fragment &f);

    void walk();
    void flow(CompiledBand &band);
    void printAt(CompiledBand &band); ///< page-top bands: printed whole, never broken
    void startPage();
    void endPage();
    void newPage();
    void restoreDataSet(bool rethrowing);

    Report &m_report;
    QPagedPaintDevice &m_device;
    ReportDataSet *m_data = nullptr;
    QPainter m_painter;
    const QFont *m_currentFont = nullptr;
    /// Texts printed so far, by fragment font: their layout from the second time on (null
    /// after the first).
    std::unordered_map<const QFont *, QHash<QString, std::shared_ptr<QTextLayout>>> m_repeated;

    CompiledBand m_pageHeader, m_title, m_columnHeader, m_detail, m_summary, m_pageFooter;
    std::vector<CompiledBand> m_groupHeaders, m_groupFooters;
    std::vector<ReportExpression> m_groupExpressions;
    std::vector<CompiledItem *> m_sumItems;

    double m_pageHeight = 0.0;
    double m_contentBottom = 0.0;
    double m_continuationTop = 0.0; ///< where bodies start on pages after the first
    double m_y = 0.0;
    bool m_atTop = true;
    int m_page = 0;

    // Data set state to give back at the end of the run.
    ReportDataSet::Bookmark m_start = 0;
    ReportDataSet::Bookmark m_last = 0;
    bool m_haveStart = false;
    bool m_haveLast = false;
    bool m_controlsDisabled = false;
};

} // namespace kv
