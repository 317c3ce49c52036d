// ReportBand: a horizontal strip of a report page holding items; ReportGroup: a group header
// band with its break expression and its group footer.
#pragma once

#include "ReportItems.h"

#include <memory>
#include <vector>

namespace kv {

enum class BandType {
    PageHeader,   ///< top of every page
    Title,        ///< once, at the top of the first page, after the page header
    ColumnHeader, ///< top of every page, after the title on the first
    GroupHeader,  ///< when a group's expression changes, before the first record of the group
    Detail,       ///< once per record
    GroupFooter,  ///< after the last record of each group
    Summary,      ///< once, after the last record
    PageFooter,   ///< bottom of every page, the last included
};

/// A band with its items. Heights and positions are in inches. A band grows downward when a
/// word-wrapped item needs more lines than its box holds.
class ReportBand
{
public:
    explicit ReportBand(BandType type) : m_type(type) {}
    ReportBand(const ReportBand &) = delete;
    ReportBand &operator=(const ReportBand &) = delete;

    BandType type() const { return m_type; }
    double height() const { return m_height; }
    ReportBand &setHeight(double inches)
    {
        m_height = inches;
        return *this;
    }
    bool isVisible() const { return m_visible; }
    ReportBand &setVisible(bool visible)
    {
        m_visible = visible;
        return *this;
    }
    /// A band that does not fit the rest of the page moves whole to the next page when it
    /// fits there; otherwise (the default) its wrapped lines continue on the next page.
    bool keepTogether() const { return m_keepTogether; }
    ReportBand &setKeepTogether(bool on)
    {
        m_keepTogether = on;
        return *this;
    }

    /// Label at (left, top); width 0 fits the text.
    ReportLabel &addLabel(const QString &name, const QRectF &inches, const QString &text);
    ReportText &addText(const QString &name, const QRectF &inches, const QString &expression);
    ReportCheckBox &addCheckBox(const QString &name, const QRectF &inches, const QString &field);
    ReportShape &addRectangle(const QString &name, const QRectF &inches);
    ReportPageNumber &addPageNumber(const QString &name, const QRectF &inches,
                                    const QString &prefix);

    const std::vector<std::unique_ptr<ReportItem>> &items() const { return m_items; }
    ReportItem *findItem(const QString &name) const;

private:
    template <class T, class... Args> T &add(Args &&...args)
    {
        auto item = std::make_unique<T>(std::forward<Args>(args)...);
        T &ref = *item;
        m_items.push_back(std::move(item));
        return ref;
    }

    BandType m_type;
    double m_height = 0.0;
    bool m_visible = true;
    bool m_keepTogether = false;
    std::vector<std::unique_ptr<ReportItem>> m_items;
};

/// A group: a new group starts whenever the text of its expression changes from one record
/// to the next. Groups nest in the order they were added to the report, outermost first.
class ReportGroup
{
public:
    ReportGroup(const QString &name, const QString &expression)
        : m_name(name), m_expression(expression)
    {}
    const QString &name() const { return m_name; }
    const QString &expression() const { return m_expression; }
    ReportGroup &setExpression(const QString &expression)
    {
        m_expression = expression;
        return *this;
    }
    ReportBand &header() { return m_header; }
    ReportBand &footer() { return m_footer; }
    const ReportBand &header() const { return m_header; }
    const ReportBand &footer() const { return m_footer; }

private:
    QString m_name;
    QString m_expression;
    ReportBand m_header{BandType::GroupHeader};
    ReportBand m_footer{BandType::GroupFooter};
};

/// Box of an item in inches: left, top, width, height.
inline QRectF inches(double left, double top, double width = 0.0, double height = 0.0)
{
    return QRectF(left, top, width, height);
}

} // namespace kv
