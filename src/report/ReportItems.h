// ReportItems: the printable items of a band: labels, expression texts, check boxes, filled
// rectangles and page numbers. A small family of classes kept together because each is a
// handful of properties the renderer reads.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <optional>

namespace kv {

/// Base of all items. Geometry is in inches from the top-left corner of the band; a width of
/// 0 lets a label fit its text, a height of 0 is one line of the item's font. Text is drawn
/// at the top of the item's box.
class ReportItem
{
public:
    enum class Kind { Label, Text, CheckBox, Shape, PageNumber };

    ReportItem(Kind kind, const QString &name, const QRectF &inches)
        : m_kind(kind), m_name(name), m_rect(inches)
    {}
    virtual ~ReportItem() = default;
    ReportItem(const ReportItem &) = delete;
    ReportItem &operator=(const ReportItem &) = delete;

    Kind kind() const { return m_kind; }
    const QString &name() const { return m_name; }
    const QRectF &rect() const { return m_rect; }
    /// The item's own font, or none to use the report's base font.
    const std::optional<QFont> &font() const { return m_font; }
    Qt::Alignment alignment() const { return m_alignment; }
    bool isVisible() const { return m_visible; }

    void setRect(const QRectF &inches) { m_rect = inches; }
    void setFont(const QFont &font) { m_font = font; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    void setVisible(bool visible) { m_visible = visible; }

private:
    Kind m_kind;
    QString m_name;
    QRectF m_rect;
    std::optional<QFont> m_font;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_visible = true;
};

/// Setters that return the concrete item, so that a layout declares an item in one chain:
/// band.addText(...).setMask(u"#0.0000").setAlignment(Qt::AlignRight).
template <class Derived> class ReportItemBase : public ReportItem
{
public:
    using ReportItem::ReportItem;

    Derived &setFont(const QFont &font)
    {
        ReportItem::setFont(font);
        return self();
    }
    Derived &setAlignment(Qt::Alignment alignment)
    {
        ReportItem::setAlignment(alignment);
        return self();
    }
    Derived &setVisible(bool visible)
    {
        ReportItem::setVisible(visible);
        return self();
    }

private:
    Derived &self() { return static_cast<Derived &>(*this); }
};

/// Fixed text. With auto size (a width of 0) the label is as wide as its text: a left
/// aligned label grows to the right, a right aligned one to the left, a centred one both ways.
class ReportLabel : public ReportItemBase<ReportLabel>
{
public:
    ReportLabel(const QString &name, const QRectF &inches, const QString &text)
        : ReportItemBase(Kind::Label, name, inches), m_text(text), m_autoSize(inches.width() <= 0)
    {}
    const QString &text() const { return m_text; }
    bool autoSize() const { return m_autoSize; }
    ReportLabel &setText(const QString &text)
    {
        m_text = text;
        return *this;
    }
    ReportLabel &setAutoSize(bool on)
    {
        m_autoSize = on;
        return *this;
    }

private:
    QString m_text;
    bool m_autoSize;
};

/// The value of an expression (see ReportExpression). Without word wrap a text wider than the
/// item ends in "…" at its right edge, so that a cut never passes unseen; with word wrap it breaks
/// into lines, the band grows downward to hold them all and continues on the next page when the
/// page ends.
class ReportText : public ReportItemBase<ReportText>
{
public:
    ReportText(const QString &name, const QRectF &inches, const QString &expression)
        : ReportItemBase(Kind::Text, name, inches), m_expression(expression)
    {}
    const QString &expression() const { return m_expression; }
    const QString &mask() const { return m_mask; }
    bool wordWrap() const { return m_wordWrap; }
    bool resetAfterPrint() const { return m_resetAfterPrint; }

    ReportText &setExpression(const QString &expression)
    {
        m_expression = expression;
        return *this;
    }
    /// Number mask such as "#0.0000" (see formatNumberMask).
    ReportText &setMask(const QString &mask)
    {
        m_mask = mask;
        return *this;
    }
    ReportText &setWordWrap(bool on)
    {
        m_wordWrap = on;
        return *this;
    }
    /// SUMs of the expression start again from zero each time the item has printed
    /// (a group subtotal); otherwise they run over the whole report (a grand total).
    ReportText &setResetAfterPrint(bool on)
    {
        m_resetAfterPrint = on;
        return *this;
    }

private:
    QString m_expression;
    QString m_mask;
    bool m_wordWrap = false;
    bool m_resetAfterPrint = false;
};

/// A square box bound to a Boolean field, with a cross when the field is true.
class ReportCheckBox : public ReportItemBase<ReportCheckBox>
{
public:
    ReportCheckBox(const QString &name, const QRectF &inches, const QString &field)
        : ReportItemBase(Kind::CheckBox, name, inches), m_field(field)
    {}
    /// A single field reference, "TBInout.Billable".
    const QString &field() const { return m_field; }

private:
    QString m_field;
};

/// A filled rectangle: bars and rules.
class ReportShape : public ReportItemBase<ReportShape>
{
public:
    ReportShape(const QString &name, const QRectF &inches)
        : ReportItemBase(Kind::Shape, name, inches)
    {}
    const QColor &color() const { return m_color; }
    ReportShape &setColor(const QColor &color)
    {
        m_color = color;
        return *this;
    }

private:
    QColor m_color = Qt::black;
};

/// The number of the page being printed after a prefix text ("Page 3").
class ReportPageNumber : public ReportItemBase<ReportPageNumber>
{
public:
    ReportPageNumber(const QString &name, const QRectF &inches, const QString &prefix)
        : ReportItemBase(Kind::PageNumber, name, inches), m_prefix(prefix)
    {}
    const QString &prefix() const { return m_prefix; }
    ReportPageNumber &setPrefix(const QString &prefix)
    {
        m_prefix = prefix;
        return *this;
    }

private:
    QString m_prefix;
};

} // namespace kv
