// MemoryDataSet: a report data set over rows held in memory, for tests, benchmarks and
// reports of data that lives in no table.
#pragma once

#include "ReportDataSet.h"

#include <QStringList>
#include <QVariantList>
#include <vector>

namespace kv {

/// Rows of values in a fixed column order. Display text: a bool prints "True"/"False", a
/// double its shortest form, anything else QVariant::toString(). Like a table cursor it stays
/// on the last record when next() runs past it. Counts the calls a report must balance.
class MemoryDataSet : public ReportDataSet
{
public:
    MemoryDataSet(const QString &name, const QStringList &fields);

    void appendRow(const QVariantList &values);
    qsizetype rowCount() const { return static_cast<qsizetype>(m_rows.size()); }
    /// Index of the current row, -1 when the set is empty.
    qsizetype position() const { return m_pos; }
    void setPosition(qsizetype row);

    int disableDepth() const { return m_disableDepth; }
    int openBookmarks() const { return m_openBookmarks; }

    QString name() const override { return m_name; }
    bool hasField(const QString &field) const override;
    void first() override;
    void next() override;
    bool eof() const override { return m_eof; }
    QString displayText(const QString &field) const override;
    bool asBoolean(const QString &field) const override;
    double asFloat(const QString &field) const override;
    Bookmark getBookmark() const override;
    void gotoBookmark(Bookmark bookmark) override;
    void freeBookmark(Bookmark bookmark) override;
    void disableControls() override { ++m_disableDepth; }
    void enableControls() override { --m_disableDepth; }

private:
    const QVariant &value(const QString &field) const;

    QString m_name;
    QStringList m_fields;
    std::vector<QVariantList> m_rows;
    qsizetype m_pos = -1;
    bool m_eof = true;
    int m_disableDepth = 0;
    mutable int m_openBookmarks = 0;
};

} // namespace kv
