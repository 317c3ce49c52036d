// DBGridAccessible: the grid's interface with the cells of the rows on screen, and those cells.
#include "DBGridAccessible.h"

#include "DBGrid.h"

#include <QHeaderView>
#include <QScrollBar>

namespace kv {

namespace {

/// One cell on screen: its text, its column title and its place.
class CellAccessible : public QAccessibleInterface
{
public:
    CellAccessible(DBGrid *grid, int row, int column) : m_grid(grid), m_row(row), m_column(column)
    {}

    bool isValid() const override
    {
        return m_grid && m_grid->model() && m_row < m_grid->model()->rowCount() &&
               m_column < m_grid->model()->columnCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_grid ? QAccessible::queryAccessibleInterface(m_grid.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return QString();
        const QModelIndex index = m_grid->model()->index(m_row, m_column);
        if (t == QAccessible::Name || t == QAccessible::Value)
            return index.data(Qt::DisplayRole).toString();
        if (t == QAccessible::Description)
            return m_grid->model()->headerData(m_column, Qt::Horizontal).toString();
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect r = m_grid->visualRect(m_grid->model()->index(m_row, m_column));
        return QRect(m_grid->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = true;
        if (isValid() && m_grid->currentIndex() == m_grid->model()->index(m_row, m_column)) {
            s.focused = m_grid->hasFocus();
            s.selected = true;
        }
        return s;
    }

private:
    QPointer<DBGrid> m_grid;
    int m_row;
    int m_column;
};

quint64 cellKey(int row, int column)
{
    return (quint64(quint32(row)) << 32) | quint32(column);
}

QAccessibleInterface *gridFactory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<DBGrid *>(object))
        return new DBGridAccessible(grid);
    return nullptr;
}

} // namespace

DBGridAccessible::DBGridAccessible(DBGrid *grid) : QAccessibleWidget(grid, QAccessible::Table)
{
    auto forget = [this] { forgetCells(); };
    m_connections << QObject::connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, grid,
                                      forget);
    if (QAbstractItemModel *model = grid->model()) {
        m_connections << QObject::connect(model, &QAbstractItemModel::modelReset, grid, forget);
        m_connections << QObject::connect(model, &QAbstractItemModel::rowsInserted, grid, forget);
        m_connections << QObject::connect(model, &QAbstractItemModel::rowsRemoved, grid, forget);
    }
}

DBGridAccessible::~DBGridAccessible()
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        QObject::disconnect(c);
    forgetCells();
}

void DBGridAccessible::installFactory()
{
    static const bool installed = (QAccessible::installFactory(gridFactory), true);
    (void)installed;
}

DBGrid *DBGridAccessible::grid() const
{
    return static_cast<DBGrid *>(widget());
}

void DBGridAccessible::forgetCells()
{
    const QHash<quint64, QAccessible::Id> cells = std::exchange(m_cells, {});
    for (QAccessible::Id id : cells)
        QAccessible::deleteAccessibleInterface(id);
}

int DBGridAccessible::firstShownRow() const
{
    const DBGrid *g = grid();
    if (!g->model() || g->model()->rowCount() == 0)
        return 0;
    return std::max(0, g->rowAt(0));
}

int DBGridAccessible::shownRowCount() const
{
    const DBGrid *g = grid();
    if (!g->model() || g->model()->rowCount() == 0)
        return 0;
    const int first = firstShownRow();
    int last = g->rowAt(g->viewport()->height() - 1);
    if (last < 0)
        last = g->model()->rowCount() - 1;
    return last - first + 1;
}

QString DBGridAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Description) {
        const int rows = grid()->model() ? grid()->model()->rowCount() : 0;
        return QCoreApplication::translate("kv::DBGrid", "%n record(s)", nullptr, rows);
    }
    return QAccessibleWidget::text(t);
}

int DBGridAccessible::childCount() const
{
    const DBGrid *g = grid();
    return g->model() ? shownRowCount() * g->model()->columnCount() : 0;
}

QAccessibleInterface *DBGridAccessible::child(int index) const
{
    const DBGrid *g = grid();
    if (!g->model() || index < 0 || index >= childCount())
        return nullptr;
    const int columns = g->model()->columnCount();
    const int row = firstShownRow() + index / columns;
    const int column = index % columns;
    const quint64 key = cellKey(row, column);
    if (const auto it = m_cells.constFind(key); it != m_cells.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto *cell = new CellAccessible(const_cast<DBGrid *>(g), row, column);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int DBGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
    for (auto it = m_cells.constBegin(); it != m_cells.constEnd(); ++it) {
        if (it.value() != id)
            continue;
        const int row = int(it.key() >> 32);
        const int column = int(it.key() & 0xffffffffu);
        const int columns = grid()->model() ? grid()->model()->columnCount() : 0;
        const int index = (row - firstShownRow()) * columns + column;
        return index >= 0 && index < childCount() ? index : -1;
    }
    return -1;
}

} // namespace kv
