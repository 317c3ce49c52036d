// ReportBand: item creation and lookup.
#include "ReportBand.h"

namespace kv {

ReportLabel &ReportBand::addLabel(const QString &name, const QRectF &inches, const QString &text)
{
    return add<ReportLabel>(name, inches, text);
}

ReportText &ReportBand::addText(const QString &name, const QRectF &inches,
                                const QString &expression)
{
    return add<ReportText>(name, inches, expression);
}

ReportCheckBox &ReportBand::addCheckBox(const QString &name, const QRectF &inches,
                                        const QString &field)
{
    return add<ReportCheckBox>(name, inches, field);
}

ReportShape &ReportBand::addRectangle(const QString &name, const QRectF &inches)
{
    return add<ReportShape>(name, inches);
}

ReportPageNumber &ReportBand::addPageNumber(const QString &name, const QRectF &inches,
                                            const QString &prefix)
{
    return add<ReportPageNumber>(name, inches, prefix);
}

ReportItem *ReportBand::findItem(const QString &name) const
{
    for (const auto &item : m_items)
        if (!name.isEmpty() && item->name() == name)
            return item.get();
    return nullptr;
}

} // namespace kv
