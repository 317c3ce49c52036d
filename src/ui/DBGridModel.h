// DBGridModel: the item model of the data grid. It shows the current view of a StoreTable (its
// records in index order, narrowed by its filter) without reading the view into memory: rows are
// read in pages through StoreTable::readView as the view asks for them, and only a bounded number
// of pages is kept. The table's current record is the model's current row; while a record is
// being inserted it shows as an extra row at the place of the record it was inserted at.
#pragma once

#include "StoreTable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QSet>
#include <functional>
#include <map>
#include <vector>

namespace kv {

/// The values of one row of the grid, by field, as a cell-colour or image rule sees them.
class GridRow
{
public:
    GridRow() = default;
    GridRow(const StoreTable *table, const QVariantList *values) : m_table(table), m_values(values)
    {}
    /// The field's value (Field::value()); memo fields give only whether they hold text (a
    /// non-empty string or an invalid QVariant). Unknown names give an invalid QVariant.
    QVariant value(const QString &fieldName) const;

private:
    const StoreTable *m_table = nullptr;
    const QVariantList *m_values = nullptr;
};

class DBGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// Rows read at a time.
    static constexpr int kPageRows = 128;
    /// Pages kept in memory; the farthest from the one asked for goes first.
    static constexpr int kMaxPages = 48;
    /// With a filter the row count is not known before the whole view was read: the model
    /// learns it this many rows at a time, as the view scrolls down (fetchMore).
    static constexpr int kDiscoverRows = 512;
    /// Rows learnt at once when a filter is switched on: a few screens, so that a filter that
    /// keeps few records shows its first screen without reading far into the table.
    static constexpr int kFirstDiscoverRows = 64;

    explicit DBGridModel(StoreTable *table, bool autoEdit = true, QObject *parent = nullptr);
    ~DBGridModel() override;

    StoreTable *table() const { return m_table; }
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }

    /// Columns: the given fields in order (default: the table's visible fields in field order).
    void setColumns(const QStringList &fieldNames);
    /// Columns again from the table's visible fields.
    void resetColumns();
    Field *fieldAt(int column) const;
    /// Column of a field, the name compared without regard to case; -1 when not shown.
    int columnOf(const QString &fieldName) const;

    /// Row of the table's current record (or of the record being inserted); -1 when the view
    /// is empty.
    int currentRow() const { return m_currentRow; }
    /// The model is following the table's cursor (adding or dropping the row of a record being
    /// inserted): a current row the view reports meanwhile is none the user chose.
    bool isSyncing() const { return m_syncing; }
    /// The view changed and its rows are read again once the event loop runs.
    bool isReloadPending() const { return m_dirty; }
    /// Whether the row count is the size of the whole view (with a filter it may still grow).
    bool rowCountKnown() const { return m_countKnown; }
    /// Moves the table to the record of `row` (ending a pending edit as every move does).
    /// Throws StoreError when that fails. Returns false when the row does not exist.
    bool moveTableTo(int row);

    /// Re-reads everything now (normally this happens once the event loop runs after the view
    /// changed).
    void reload();

    // ---- presentation rules (the window's painting events) ----
    /// Title colour and alignment of a field's column, asked each time the title is painted.
    std::function<void(const Field &, QColor &color, Qt::Alignment &alignment)> titleAttributes;
    /// Title image of a field's column (null icon: none).
    std::function<QIcon(const Field &)> titleImage;
    /// Colours of a cell: `highlighted` tells whether the cell is drawn selected; `background`
    /// is used only when it is not.
    std::function<void(const Field &, const GridRow &, bool highlighted, QColor &text,
                       QColor &background)>
        cellColors;
    /// Fields whose cells show only their image, never their text.
    QSet<QString> imageOnlyFields;
    /// Image shown in a cell instead of its text (null icon: the text).
    std::function<QIcon(const Field &, const GridRow &)> cellImage;

    /// Role under which data() answers whether a row is the current one (bool).
    static constexpr int kCurrentRowRole = Qt::UserRole + 1;
    /// Role of a cell's text colour for highlighted cells (a QColor, or nothing).
    static constexpr int kHighlightTextRole = Qt::UserRole + 2;

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    /// The current row changed (the table moved, or a record is being inserted).
    void currentRowChanged(int row);

private:
    struct Page
    {
        std::vector<StoreTable::ViewKey> keys;
        std::vector<QVariantList> values; ///< per row: one value per table field
        quint64 used = 0;
    };

    void onRecordChanged();
    void onStateChanged();
    void onFieldChanged(Field *field);
    void onViewChanged();
    void syncCurrent();
    void setCurrentRow(int row);

    /// Row of the view (without the insert row) that a model row shows; -1 for the insert row.
    int viewRow(int modelRow) const;
    int modelRow(int viewRow) const;
    const Page *page(int pageNo) const;
    void readPage(int pageNo) const;
    /// The key of the record just before the first row of page `pageNo` (none for page 0).
    std::optional<StoreTable::ViewKey> anchorOf(int pageNo) const;
    void evictPages(int keep) const;
    QVariantList rowValues() const;
    int locateCurrent(const StoreTable::ViewKey &key);
    int countRows();
    void discover(int rows);
    QVariant cellData(const Field &f, const QVariantList &values, bool live, int role,
                      const QModelIndex &index) const;

    QPointer<StoreTable> m_table;
    bool m_autoEdit;
    std::vector<Field *> m_columns;
    bool m_customColumns = false;

    int m_count = 0; ///< rows of the view known to exist
    bool m_countKnown = true;
    int m_currentRow = -1;
    int m_insertRow = -1; ///< model row of the record being inserted, -1 when none
    bool m_dirty = false;
    bool m_syncing = false;
    bool m_reloadQueued = false;

    mutable std::map<int, Page> m_pages;
    mutable std::map<int, StoreTable::ViewKey> m_anchors; ///< page -> key before its first row
    mutable QHash<qint64, int> m_rowOfId;                 ///< rows of the cached pages
    mutable quint64 m_useClock = 0;
};

} // namespace kv
