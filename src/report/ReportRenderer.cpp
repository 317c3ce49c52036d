// ReportRenderer: layout of bands into pages and painting them on the device.
#include "ReportRenderer.h"

#include "Report.h"
#include "ReportBand.h"
#include "ReportError.h"
#include "ReportUnits.h"

#include <QCoreApplication>
#include <QPagedPaintDevice>
#include <QPrinter>
#include <QTextLayout>
#include <algorithm>
#include <limits>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("kv::Report", text);
}

/// The layout's font in engine units. Sizes become pixel sizes of the engine's unit and
/// hinting is off, so text measures the same on every output device.
QFont engineFont(const QFont &font)
{
    QFont out(font);
    double points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() * 72.0 / kLayoutPixelsPerInch;
    out.setPixelSize(std::max(1, qRound(points * kReportUnitsPerPoint)));
    out.setHintingPreference(QFont::PreferNoHinting);
    return out;
}

QRectF toUnits(const QRectF &inchRect)
{
    return QRectF(inchesToUnits(inchRect.left()), inchesToUnits(inchRect.top()),
                  inchesToUnits(inchRect.width()), inchesToUnits(inchRect.height()));
}

double alignedX(const QRectF &box, double textWidth, Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return box.right() - textWidth;
    if (alignment & Qt::AlignHCenter)
        return box.left() + (box.width() - textWidth) / 2.0;
    return box.left();
}

/// Whether @p paragraph is wider than @p width beyond doubt: its printable ASCII characters
/// alone, each at least @p narrowest wide, take a quarter more than the width, which no
/// kerning takes back. Such a paragraph need not be measured before it is wrapped; one ending
/// in a blank always is, as the line the wrapping gives it would lose the blank.
bool surelyWider(const QString &paragraph, double narrowest, double width)
{
    if (narrowest <= 0 || paragraph.isEmpty() || paragraph.back().isSpace())
        return false;
    qsizetype ascii = 0;
    for (QChar c : paragraph)
        ascii += c.unicode() >= 32 && c.unicode() < 127;
    return static_cast<double>(ascii) * narrowest > 1.25 * width;
}

/// One line of a wrapped text. A line the line breaker made keeps the paragraph's layout and
/// its number there, so that drawing it need not shape it again.
struct WrappedLine
{
    QString text;
    std::shared_ptr<const QTextLayout> layout;
    int line = -1;
};

/// Lines of @p text wrapped at word boundaries to @p width (inside a word too when the word
/// alone is wider). Line breaks in the text are kept. A paragraph that fits is measured
/// through @p widthOf, whose cache then answers for the line it becomes.
template <typename WidthOf>
std::vector<WrappedLine> wrapLines(const QString &text, const QFont &font, const WidthOf &widthOf,
                                   double width, double narrowest)
{
    std::vector<WrappedLine> lines;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString &paragraph : normalized.split(u'\n')) {
        if (!surelyWider(paragraph, narrowest, width) && widthOf(paragraph) <= width) {
            lines.push_back({paragraph, nullptr, -1});
            continue;
        }
        auto shared = std::make_shared<QTextLayout>(paragraph, font);
        QTextLayout &textLayout = *shared;
        textLayout.setTextOption(option);
        textLayout.setCacheEnabled(true); // keeps the glyphs for drawing after endLayout
        textLayout.beginLayout();
        for (QTextLine line = textLayout.createLine(); line.isValid();
             line = textLayout.createLine()) {
            line.setLineWidth(width);
            WrappedLine wrapped{paragraph.mid(line.textStart(), line.textLength()), shared,
                                line.lineNumber()};
            while (!wrapped.text.isEmpty() && wrapped.text.back().isSpace())
                wrapped.text.chop(1);
            lines.push_back(std::move(wrapped));
        }
        textLayout.endLayout();
    }
    while (!lines.empty() && lines.back().text.isEmpty())
        lines.pop_back();
    return lines;
}

} // namespace

ReportRenderer::ReportRenderer(Report &report, QPagedPaintDevice &device)
    : m_report(report), m_device(device), m_data(report.dataSet())
{}

ReportRenderer::~ReportRenderer() = default;

// ---- compiling -------------------------------------------------------------------------

ReportRenderer::CompiledBand ReportRenderer::compile(const ReportBand *band, bool checkData)
{
    CompiledBand out;
    if (!band || !band->isVisible())
        return out;
    out.band = band;
    out.height = inchesToUnits(band->height());
    out.keepTogether = band->keepTogether();
    out.items.reserve(band->items().size());
    for (const auto &item : band->items()) {
        CompiledItem ci;
        ci.item = item.get();
        ci.font = engineFont(item->font().value_or(m_report.font()));
        ci.metrics.emplace(ci.font);
        ci.box = toUnits(item->rect());
        if (ci.box.height() <= 0)
            ci.box.setHeight(ci.metrics->lineSpacing());
        QString source;
        if (auto *text = dynamic_cast<ReportText *>(item.get()))
            source = text->expression();
        else if (auto *box = dynamic_cast<ReportCheckBox *>(item.get()))
            source = box->field();
        if (!source.isEmpty()) {
            ci.expression = ReportExpression::parse(source);
            if (checkData)
                ci.expression.bind(*m_data);
            if (item->kind() == ReportItem::Kind::CheckBox && ci.expression.singleField().isEmpty())
                throw ReportError(tr("A check box needs a single field, not \"%1\"").arg(source));
        }
        out.items.push_back(std::move(ci));
    }
    return out;
}

void ReportRenderer::compileAll()
{
    const bool checkData = m_data != nullptr;
    m_pageHeader = compile(m_report.findBand(BandType::PageHeader), checkData);
    m_title = compile(m_report.findBand(BandType::Title), checkData);
    m_columnHeader = compile(m_report.findBand(BandType::ColumnHeader), checkData);
    m_detail = compile(m_report.findBand(BandType::Detail), checkData);
    m_summary = compile(m_report.findBand(BandType::Summary), checkData);
    m_pageFooter = compile(m_report.findBand(BandType::PageFooter), checkData);
    for (const auto &group : m_report.groups()) {
        m_groupHeaders.push_back(compile(&group->header(), checkData));
        m_groupFooters.push_back(compile(&group->footer(), checkData));
        m_groupExpressions.push_back(ReportExpression::parse(group->expression()));
        if (checkData)
            m_groupExpressions.back().bind(*m_data);
    }
    // SUMs count the records of every printed detail line, wherever they print.
    auto collect = [this](CompiledBand &band) {
        for (CompiledItem &ci : band.items)
            if (ci.expression.hasSums())
                m_sumItems.push_back(&ci);
    };
    for (CompiledBand *band :
         {&m_pageHeader, &m_title, &m_columnHeader, &m_detail, &m_summary, &m_pageFooter})
        collect(*band);
    for (auto &band : m_groupHeaders)
        collect(band);
    for (auto &band : m_groupFooters)
        collect(band);
}

// ---- layout of one band ----------------------------------------------------------------

double ReportRenderer::CompiledItem::widthOf(const QString &text) const
{
    // Bounded: a column of distinct texts (tasks) starts over rather than grow without end.
    constexpr qsizetype kMaxWidths = 4096;
    if (auto it = widths->constFind(text); it != widths->constEnd())
        return *it;
    if (widths->size() >= kMaxWidths)
        widths->clear();
    const double w = metrics->horizontalAdvance(text);
    widths->insert(text, w);
    return w;
}

double ReportRenderer::CompiledItem::narrowestAscii() const
{
    if (*narrowest < 0) {
        double least = std::numeric_limits<double>::max();
        for (char16_t c = 32; c < 127; ++c)
            least = std::min(least, metrics->horizontalAdvance(QChar(c)));
        *narrowest = least;
    }
    return *narrowest;
}

void ReportRenderer::layoutText(const CompiledItem &ci, const QString &text, bool wrap, Laid &laid)
{
    const QFontMetricsF &fm = *ci.metrics;
    const double lineHeight = fm.lineSpacing();
    const bool autoSize = ci.item->kind() == ReportItem::Kind::Label &&
                          static_cast<const ReportLabel *>(ci.item)->autoSize();
    std::vector<WrappedLine> lines;
    if (wrap)
        lines = wrapLines(
            text, ci.font, [&ci](const QString &t) { return ci.widthOf(t); }, ci.box.width(),
            ci.narrowestAscii());
    else if (autoSize || ci.widthOf(text) <= ci.box.width())
        lines.push_back({text, nullptr, -1});
    else
        lines.push_back({fm.elidedText(text, Qt::ElideRight, ci.box.width()), nullptr, -1});

    double top = ci.box.top();
    for (WrappedLine &wrapped : lines) {
        const QString &line = wrapped.text;
        Fragment f;
        f.kind = Fragment::Kind::Text;
        f.text = line;
        f.layout = std::move(wrapped.layout);
        f.line = wrapped.line;
        f.font = &ci.font;
        f.ascent = fm.ascent();
        // A line's width places it only when it is centred or right-aligned.
        const double width = ci.item->alignment() & (Qt::AlignRight | Qt::AlignHCenter)
                                 ? ci.widthOf(line)
                                 : ci.box.width();
        f.rect = QRectF(alignedX(ci.box, width, ci.item->alignment()), top, width, lineHeight);
        laid.fragments.push_back(std::move(f));
        top += lineHeight;
    }
    // The band grows by what the text needs beyond the item's own box.
    const double grow = (top - ci.box.top()) - ci.box.height();
    if (grow > 0)
        laid.height = std::max(laid.height, laid.minHeight + grow);
}

ReportRenderer::Laid ReportRenderer::layout(CompiledBand &band)
{
    Laid laid;
    laid.height = band.height;
    laid.minHeight = band.height;
    laid.keepTogether = band.keepTogether;
    for (CompiledItem &ci : band.items) {
        const ReportItem &item = *ci.item;
        if (!item.isVisible())
            continue;
        switch (item.kind()) {
        case ReportItem::Kind::Label:
            layoutText(ci, static_cast<const ReportLabel &>(item).text(), false, laid);
            break;
        case ReportItem::Kind::PageNumber:
            layoutText(
                ci, static_cast<const ReportPageNumber &>(item).prefix() + QString::number(m_page),
                false, laid);
            break;
        case ReportItem::Kind::Text: {
            const auto &textItem = static_cast<const ReportText &>(item);
            const QString text =
                m_data ? ci.expression.evaluate(*m_data, textItem.mask(), m_report.locale())
                       : QString();
            layoutText(ci, text, textItem.wordWrap(), laid);
            if (textItem.resetAfterPrint())
                ci.expression.resetSums();
            break;
        }
        case ReportItem::Kind::CheckBox: {
            Fragment f;
            f.kind = Fragment::Kind::Box;
            const double side = std::min(ci.box.width(), ci.box.height());
            f.rect = QRectF(ci.box.topLeft(), QSizeF(side, side));
            f.checked = m_data && m_data->asBoolean(ci.expression.singleField());
            laid.fragments.push_back(std::move(f));
            break;
        }
        case ReportItem::Kind::Shape: {
            Fragment f;
            f.kind = Fragment::Kind::Fill;
            f.rect = ci.box;
            f.color = static_cast<const ReportShape &>(item).color();
            laid.fragments.push_back(std::move(f));
            break;
        }
        }
    }
    return laid;
}

void ReportRenderer::paint(const std::vector<Fragment> &fragments, double top)
{
    for (const Fragment &f : fragments) {
        const QRectF rect = f.rect.translated(0, top);
        switch (f.kind) {
        case Fragment::Kind::Text: {
            if (f.text.isEmpty())
                break;
            if (f.font != m_currentFont) {
                m_painter.setFont(*f.font);
                m_currentFont = f.font;
            }
            // Drawn from a layout where there is one, as drawText would draw it but without
            // shaping the text again: the line breaker's, or that of a repeated text.
            const QTextLayout *layout = f.layout ? f.layout.get() : repeatedText(f);
            if (layout) {
                const QTextLine line = layout->lineAt(f.layout ? f.line : 0);
                line.draw(&m_painter, QPointF(rect.left() - line.x(),
                                              rect.top() + f.ascent - line.y() - line.ascent()));
            } else {
                m_painter.drawText(QPointF(rect.left(), rect.top() + f.ascent), f.text);
            }
            break;
        }
        case Fragment::Kind::Fill:
            m_painter.fillRect(rect, f.color);
            break;
        case Fragment::Kind::Box: {
            // A frame one layout pixel wide, and a cross inside it when checked.
            const double pen = inchesToUnits(pixelsToInches(1));
            m_painter.save();
            m_painter.setPen(QPen(Qt::black, pen));
            m_painter.setBrush(Qt::NoBrush);
            const QRectF frame = rect.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
            m_painter.drawRect(frame);
            if (f.checked) {
                const QRectF inner = frame.adjusted(pen, pen, -pen, -pen);
                m_painter.drawLine(inner.topLeft(), inner.bottomRight());
                m_painter.drawLine(inner.bottomLeft(), inner.topRight());
            }
            m_painter.restore();
            break;
        }
        }
    }
}

const QTextLayout *ReportRenderer::repeatedText(const Fragment &f)
{
    // drawText shapes its text every time. A text printed a second time is laid out once and
    // drawn from there on; one seen once (most task lines) is only remembered, for the cost
    // of a look-up. Bounded per font.
    constexpr qsizetype kMaxTexts = 4096;
    QHash<QString, std::shared_ptr<QTextLayout>> &texts = m_repeated[f.font];
    auto it = texts.find(f.text);
    if (it == texts.end()) {
        if (texts.size() >= kMaxTexts)
            texts.clear();
        texts.insert(f.text, nullptr);
        return nullptr;
    }
    if (!*it) {
        auto layout = std::make_shared<QTextLayout>(f.text, *f.font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(m_painter.layoutDirection());
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        layout->createLine();
        layout->endLayout();
        *it = std::move(layout);
    }
    return it->get();
}

// ---- pages -----------------------------------------------------------------------------

void ReportRenderer::printAt(CompiledBand &band)
{
    if (!band.visible())
        return;
    const Laid laid = layout(band);
    paint(laid.fragments, m_y);
    m_y += laid.height;
}

void ReportRenderer::startPage()
{
    if (m_page > 0 && !m_device.newPage())
        throw ReportError(tr("The output device refused a new page"));
    ++m_page;
    m_y = 0;
    printAt(m_pageHeader);
    if (m_page == 1)
        printAt(m_title);
    printAt(m_columnHeader);
    m_atTop = true;
}

void ReportRenderer::endPage()
{
    if (!m_pageFooter.visible())
        return;
    const Laid laid = layout(m_pageFooter);
    paint(laid.fragments, m_pageHeight - m_pageFooter.height);
}

void ReportRenderer::newPage()
{
    endPage();
    startPage();
}

void ReportRenderer::flow(CompiledBand &band)
{
    if (!band.visible())
        return;
    Laid laid = layout(band);
    for (;;) {
        const double room = m_contentBottom - m_y;
        if (laid.height <= room) {
            paint(laid.fragments, m_y);
            m_y += laid.height;
            m_atTop = false;
            return;
        }
        const bool fitsFreshPage = laid.height <= m_contentBottom - m_continuationTop;
        if (!m_atTop && ((laid.keepTogether && fitsFreshPage) || laid.minHeight > room)) {
            newPage();
            continue;
        }
        // Break the band: what ends within the room prints here, the rest (further lines
        // of wrapped texts) continues at the top of the next page.
        std::vector<Fragment> now;
        std::vector<Fragment> later;
        for (Fragment &f : laid.fragments)
            (f.rect.bottom() <= room ? now : later).push_back(std::move(f));
        if (later.empty()) {
            paint(now, m_y);
            m_y = m_contentBottom;
            m_atTop = false;
            return;
        }
        if (now.empty()) {
            if (!m_atTop) {
                laid.fragments = std::move(later);
                newPage();
                continue;
            }
            // Taller than a whole page: print its first row anyway so the run goes on.
            const double firstTop =
                std::min_element(later.begin(), later.end(), [](const auto &a, const auto &b) {
                    return a.rect.top() < b.rect.top();
                })->rect.top();
            auto split = std::stable_partition(later.begin(), later.end(), [&](const auto &f) {
                return f.rect.top() <= firstTop;
            });
            now.assign(std::make_move_iterator(later.begin()), std::make_move_iterator(split));
            later.erase(later.begin(), split);
            if (later.empty()) {
                paint(now, m_y);
                m_y = m_contentBottom;
                m_atTop = false;
                return;
            }
        }
        paint(now, m_y);
        double cut = later.front().rect.top();
        for (const Fragment &f : later)
            cut = std::min(cut, f.rect.top());
        for (Fragment &f : later)
            f.rect.translate(0, -cut);
        laid.fragments = std::move(later);
        laid.height -= cut;
        laid.minHeight = 0;
        newPage();
    }
}

// ---- the run ---------------------------------------------------------------------------

void ReportRenderer::walk()
{
    ReportDataSet &ds = *m_data;
    const size_t groupCount = m_groupExpressions.size();
    std::vector<QString> keys(groupCount);
    std::vector<QString> current(groupCount);
    bool any = false;

    ds.first();
    while (!ds.eof()) {
        for (size_t i = 0; i < groupCount; ++i)
            current[i] = m_groupExpressions[i].evaluate(ds, QString(), m_report.locale());
        size_t changed = 0;
        if (any) {
            changed = groupCount;
            for (size_t i = 0; i < groupCount; ++i) {
                if (current[i] != keys[i]) {
                    changed = i;
                    break;
                }
            }
            if (changed < groupCount) {
                // Footers of the groups that ended print with their own last record.
                const ReportDataSet::Bookmark here = ds.getBookmark();
                try {
                    ds.gotoBookmark(m_last);
                    for (size_t i = groupCount; i-- > changed;)
                        flow(m_groupFooters[i]);
                    ds.gotoBookmark(here);
                } catch (...) {
                    try {
                        ds.freeBookmark(here);
                    } catch (...) { // the first error is the one the caller hears of
                    }
                    throw;
                }
                ds.freeBookmark(here);
            }
        }
        for (size_t i = changed; i < groupCount; ++i)
            flow(m_groupHeaders[i]);
        keys.swap(current);

        for (CompiledItem *ci : m_sumItems)
            ci->expression.accumulate(ds);
        flow(m_detail);

        if (m_haveLast)
            ds.freeBookmark(m_last);
        m_last = ds.getBookmark();
        m_haveLast = true;
        any = true;
        ds.next();
    }
    if (any) {
        ds.gotoBookmark(m_last);
        for (size_t i = groupCount; i-- > 0;)
            flow(m_groupFooters[i]);
    }
}

void ReportRenderer::restoreDataSet(bool rethrowing)
{
    if (!m_data)
        return;
    auto step = [rethrowing](auto &&fn) {
        if (!rethrowing) {
            fn();
            return;
        }
        try {
            fn();
        } catch (...) { // the first error is the one the caller hears of
        }
    };
    if (m_haveLast) {
        if (m_haveStart)
            step([this] { m_data->gotoBookmark(m_start); });
        step([this] { m_data->freeBookmark(m_last); });
        m_haveLast = false;
    }
    if (m_haveStart) {
        step([this] { m_data->freeBookmark(m_start); });
        m_haveStart = false;
    }
    if (m_controlsDisabled) {
        m_controlsDisabled = false;
        step([this] { m_data->enableControls(); });
    }
}

int ReportRenderer::run()
{
    compileAll();

    const QPageLayout pageLayout = m_report.pageLayout();
    if (!m_device.setPageLayout(pageLayout)) {
        // A printer whose margins are wider than ours still gets our paper and orientation.
        m_device.setPageSize(pageLayout.pageSize());
        m_device.setPageOrientation(pageLayout.orientation());
    }
    if (!m_painter.begin(&m_device))
        throw ReportError(tr("The report could not be started on the output device"));

    try {
        const double dpiX = m_device.logicalDpiX();
        const double dpiY = m_device.logicalDpiY();
        m_painter.scale(dpiX / kReportUnitsPerInch, dpiY / kReportUnitsPerInch);
        m_pageHeight = m_device.height() * kReportUnitsPerInch / dpiY;
        m_contentBottom = m_pageHeight - m_pageFooter.height;
        m_continuationTop = m_pageHeader.height + m_columnHeader.height;

        if (m_data) {
            m_data->disableControls();
            m_controlsDisabled = true;
            m_start = m_data->getBookmark();
            m_haveStart = true;
        }
        startPage();
        if (m_data)
            walk();
        flow(m_summary);
        endPage();
        restoreDataSet(false);
    } catch (...) {
        restoreDataSet(true);
        if (auto *printer = dynamic_cast<QPrinter *>(&m_device))
            printer->abort();
        m_painter.end();
        throw;
    }
    if (!m_painter.end())
        throw ReportError(tr("The report could not be finished on the output device"));
    return m_page;
}

} // namespace kv
