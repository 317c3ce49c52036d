// MemoryDataSet: rows in memory behind the report data-set interface.
#include "MemoryDataSet.h"

#include "ReportError.h"

#include <QCoreApplication>

namespace kv {

MemoryDataSet::MemoryDataSet(const QString &name, const QStringList &fields)
    : m_name(name), m_fields(fields)
{}

void MemoryDataSet::appendRow(const QVariantList &values)
{
    QVariantList row = values;
    while (row.size() < m_fields.size())
        row.append(QVariant());
    m_rows.push_back(std::move(row));
    if (m_pos < 0) {
        m_pos = 0;
        m_eof = false;
    }
}

void MemoryDataSet::setPosition(qsizetype row)
{
    m_pos = row;
    m_eof = false;
}

bool MemoryDataSet::hasField(const QString &field) const
{
    return m_fields.contains(field, Qt::CaseInsensitive);
}

void MemoryDataSet::first()
{
    m_pos = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
}

void MemoryDataSet::next()
{
    if (m_pos + 1 < rowCount())
        ++m_pos;
    else
        m_eof = true;
}

const QVariant &MemoryDataSet::value(const QString &field) const
{
    static const QVariant null;
    qsizetype column = m_fields.size() - 1;
    while (column >= 0 && m_fields.at(column).compare(field, Qt::CaseInsensitive) != 0)
        --column;
    if (column < 0)
        throw ReportError(
            QCoreApplication::translate("kv::MemoryDataSet", "No field \"%1\"").arg(field));
    if (m_pos < 0 || m_pos >= rowCount())
        return null;
    return m_rows[static_cast<size_t>(m_pos)].at(column);
}

QString MemoryDataSet::displayText(const QString &field) const
{
    const QVariant &v = value(field);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

bool MemoryDataSet::asBoolean(const QString &field) const
{
    return value(field).toBool();
}

double MemoryDataSet::asFloat(const QString &field) const
{
    return value(field).toDouble();
}

ReportDataSet::Bookmark MemoryDataSet::getBookmark() const
{
    ++m_openBookmarks;
    return m_pos + 1;
}

void MemoryDataSet::gotoBookmark(Bookmark bookmark)
{
    if (bookmark < 1 || bookmark > rowCount())
        throw ReportError(QCoreApplication::translate("kv::MemoryDataSet", "Invalid bookmark"));
    m_pos = bookmark - 1;
    m_eof = false;
}

void MemoryDataSet::freeBookmark(Bookmark)
{
    --m_openBookmarks;
}

} // namespace kv
