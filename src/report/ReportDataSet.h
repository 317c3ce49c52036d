// ReportDataSet: what the report engine needs of a table to walk its current view. The data
// module's StoreTable sits behind it through a small adapter; tests use MemoryDataSet.
#pragma once

#include <QString>
#include <QtGlobal>

namespace kv {

/// A cursor over the records a report prints: the current view of a table, in its current
/// order and with its active filter. Field names are the table's own ("Hours", "TaskDes").
///
/// Any member may throw (the store throws StoreError); the engine lets the exception pass
/// after returning the cursor to where it was and enabling controls again.
class ReportDataSet
{
public:
    using Bookmark = qint64;

    virtual ~ReportDataSet() = default;

    /// Name used in expressions before the dot ("TBInout" in "TBInout.Hours").
    virtual QString name() const = 0;
    virtual bool hasField(const QString &field) const = 0;

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;

    /// Text a grid would show for the field of the current record (dates and times already
    /// in the user's formats).
    virtual QString displayText(const QString &field) const = 0;
    virtual bool asBoolean(const QString &field) const = 0;
    virtual double asFloat(const QString &field) const = 0;

    virtual Bookmark getBookmark() const = 0;
    virtual void gotoBookmark(Bookmark bookmark) = 0;
    virtual void freeBookmark(Bookmark bookmark) = 0;

    /// Bound windows stop following the cursor while the report walks it.
    virtual void disableControls() = 0;
    virtual void enableControls() = 0;
};

} // namespace kv
