// DBGridAccessible: what assistive technology sees of a data grid. The rows a data grid shows
// are a window on a table that may hold a hundred thousand records; a screen reader listing the
// window's controls must not walk them all. The grid therefore offers as its children only the
// cells of the rows on screen, and tells the number of records in its description.
#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QMetaObject>
#include <QPointer>

namespace kv {

class DBGrid;

class DBGridAccessible : public QAccessibleWidget
{
public:
    explicit DBGridAccessible(DBGrid *grid);
    ~DBGridAccessible() override;

    /// Installs the factory that gives every DBGrid this interface (once per process).
    static void installFactory();

    QAccessible::Role role() const override { return QAccessible::Table; }
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    DBGrid *grid() const;
    /// The first row on screen and how many rows show (partly shown rows included).
    int firstShownRow() const;
    int shownRowCount() const;

private:
    /// Forgets the cells handed out (the rows on screen changed).
    void forgetCells();

    mutable QHash<quint64, QAccessible::Id> m_cells; ///< by row << 32 | column
    QList<QMetaObject::Connection> m_connections;
};

} // namespace kv
