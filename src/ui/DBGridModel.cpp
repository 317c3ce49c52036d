// DBGridModel: the data grid's model over the current view of a StoreTable.
//
// Design notes
// ------------
// Rows are numbered in the view (index order, filter applied). The model never holds the whole
// view: it keeps pages of kPageRows rows, each read with one StoreTable::readView from the key of
// the record just before the page (its anchor). Anchors are remembered for every page boundary
// passed, so scrolling back reads one page; a jump into the unknown asks the store for the key at
// that offset (without a filter, an index-only query) or reads forward from the nearest anchor.
//
// Row count: without a filter the store counts the view through the index. With one, the count
// is learnt as the view scrolls (canFetchMore / fetchMore), kDiscoverRows at a time, so that
// applying a filter shows the first screen without reading the whole log.
//
// The current row follows the table's cursor: a record in a cached page is found by row id,
// any other by counting the records before it. The current row's cells read the table's record
// buffer itself, so a pending edit shows as it is typed. A change of the view (post, delete,
// refresh, index, filter) drops the pages at once and rebuilds the model once control returns
// to the event loop, however many changes came before.
//
// Invariants:
//   * m_count rows of the view are known to exist; m_countKnown says there are no more.
//   * m_insertRow >= 0 exactly while the table is in insert state (and the model not dirty);
//     model rows at or after it show view rows shifted by one.
//   * m_rowOfId maps the row ids of the cached pages to view rows, nothing else.
#include "DBGridModel.h"

#include <QScopedValueRollback>

#include "DateTime.h"
#include "Services.h"

#include <QDate>
#include <QFont>
#include <QTime>
#include <algorithm>
#include <limits>

namespace kv {

namespace {

bool isNumeric(FieldType t)
{
    return t == FieldType::Float || t == FieldType::Integer || t == FieldType::SmallInt ||
           t == FieldType::AutoInc;
}

/// A field's value as a row keeps it: memo fields only as "has text".
QVariant keptValue(const Field &f)
{
    if (f.dataType() == FieldType::Memo)
        return f.isNull() ? QVariant() : QVariant(QStringLiteral("1"));
    return f.value();
}

} // namespace

QVariant GridRow::value(const QString &fieldName) const
{
    if (!m_table || !m_values)
        return QVariant();
    const Field *f = m_table->findField(fieldName);
    if (!f || f->index() >= m_values->size())
        return QVariant();
    return m_values->at(f->index());
}

DBGridModel::DBGridModel(StoreTable *table, bool autoEdit, QObject *parent)
    : QAbstractTableModel(parent), m_table(table), m_autoEdit(autoEdit)
{
    resetColumns();
    if (!table)
        return;
    connect(table, &StoreTable::recordChanged, this, &DBGridModel::onRecordChanged);
    connect(table, &StoreTable::stateChanged, this, &DBGridModel::onStateChanged);
    connect(table, &StoreTable::fieldChanged, this, &DBGridModel::onFieldChanged);
    connect(table, &StoreTable::dataChanged, this, &DBGridModel::onViewChanged);
    runAction([&] { reload(); });
}

DBGridModel::~DBGridModel() = default;

void DBGridModel::setColumns(const QStringList &fieldNames)
{
    beginResetModel();
    m_columns.clear();
    m_customColumns = true;
    if (m_table)
        for (const QString &name : fieldNames)
            if (Field *f = m_table->findField(name))
                m_columns.push_back(f);
    endResetModel();
    emit currentRowChanged(m_currentRow);
}

void DBGridModel::resetColumns()
{
    beginResetModel();
    m_columns.clear();
    m_customColumns = false;
    if (m_table)
        for (const auto &f : m_table->fields())
            if (f->isVisible())
                m_columns.push_back(f.get());
    endResetModel();
    emit currentRowChanged(m_currentRow);
}

Field *DBGridModel::fieldAt(int column) const
{
    if (column < 0 || size_t(column) >= m_columns.size())
        return nullptr;
    return m_columns[size_t(column)];
}

int DBGridModel::columnOf(const QString &fieldName) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i]->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// ---- rows ----

int DBGridModel::viewRow(int row) const
{
    if (m_insertRow < 0 || row < m_insertRow)
        return row;
    return row == m_insertRow ? -1 : row - 1;
}

int DBGridModel::modelRow(int viewRow) const
{
    return m_insertRow >= 0 && viewRow >= m_insertRow ? viewRow + 1 : viewRow;
}

int DBGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count + (m_insertRow >= 0 ? 1 : 0);
}

int DBGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

std::optional<StoreTable::ViewKey> DBGridModel::anchorOf(int pageNo) const
{
    if (pageNo <= 0)
        return std::nullopt;
    if (auto it = m_anchors.find(pageNo); it != m_anchors.end())
        return it->second;
    if (!m_table->isFiltered() || !m_table->filter()) {
        std::optional<StoreTable::ViewKey> key = m_table->viewKeyAt(qint64(pageNo) * kPageRows - 1);
        if (key)
            m_anchors[pageNo] = *key;
        return key;
    }
    // With a filter: read forward from the nearest anchor below, noting the boundaries passed.
    int from = 0;
    std::optional<StoreTable::ViewKey> start;
    for (auto it = m_anchors.lower_bound(pageNo); it != m_anchors.begin();) {
        --it;
        from = it->first;
        start = it->second;
        break;
    }
    qint64 row = qint64(from) * kPageRows;
    const qint64 end = qint64(pageNo) * kPageRows;
    std::optional<StoreTable::ViewKey> found;
    m_table->readView(+1, start ? &*start : nullptr, int(end - row),
                      [&](const StoreTable::ViewKey &k) {
                          ++row;
                          if (row % kPageRows == 0) {
                              m_anchors[int(row / kPageRows)] = k;
                              if (row == end)
                                  found = k;
                          }
                          return row < end;
                      });
    return found;
}

void DBGridModel::readPage(int pageNo) const
{
    const std::optional<StoreTable::ViewKey> anchor = anchorOf(pageNo);
    if (pageNo > 0 && !anchor)
        return;
    Page p;
    p.keys.reserve(kPageRows);
    p.values.reserve(kPageRows);
    const auto &fields = m_table->fields();
    m_table->readView(
        +1, anchor ? &*anchor : nullptr, kPageRows, [&](const StoreTable::ViewKey &k) {
            p.keys.push_back(k);
            QVariantList values;
            values.reserve(qsizetype(fields.size() * 2));
            for (const auto &f : fields)
                values << keptValue(*f);
            for (const auto &f : fields)
                values << (f->dataType() == FieldType::Memo ? QVariant()
                                                            : QVariant(f->displayText()));
            p.values.push_back(std::move(values));
            return true;
        });
    if (int(p.keys.size()) == kPageRows)
        m_anchors[pageNo + 1] = p.keys.back();
    const int first = pageNo * kPageRows;
    for (size_t i = 0; i < p.keys.size(); ++i)
        m_rowOfId.insert(p.keys[i].rowId, first + int(i));
    p.used = ++m_useClock;
    evictPages(pageNo);
    m_pages[pageNo] = std::move(p);
}

void DBGridModel::evictPages(int keep) const
{
    while (m_pages.size() >= size_t(kMaxPages)) {
        auto farthest = m_pages.begin();
        for (auto it = m_pages.begin(); it != m_pages.end(); ++it)
            if (it->first != keep && std::abs(it->first - keep) > std::abs(farthest->first - keep))
                farthest = it;
        for (const StoreTable::ViewKey &k : farthest->second.keys)
            m_rowOfId.remove(k.rowId);
        m_pages.erase(farthest);
    }
}

const DBGridModel::Page *DBGridModel::page(int pageNo) const
{
    auto it = m_pages.find(pageNo);
    if (it == m_pages.end()) {
        if (!m_table || !m_table->isActive())
            return nullptr;
        bool ok = runAction([&] { readPage(pageNo); });
        it = m_pages.find(pageNo);
        if (!ok || it == m_pages.end())
            return nullptr;
    }
    it->second.used = ++m_useClock;
    return &it->second;
}

// ---- data ----

QVariant DBGridModel::cellData(const Field &f, const QVariantList &values, bool live, int role,
                               const QModelIndex &index) const
{
    const int n = int(m_table->fields().size());
    const GridRow row(m_table, &values);
    switch (role) {
    case Qt::DisplayRole: {
        if (f.dataType() == FieldType::Boolean)
            return QVariant();
        if (imageOnlyFields.contains(f.fieldName()) || (cellImage && !cellImage(f, row).isNull()))
            return QVariant();
        return live ? f.displayText() : values.value(n + f.index());
    }
    case Qt::EditRole:
        if (f.dataType() == FieldType::Boolean)
            return live ? f.asBoolean() : values.value(f.index()).toBool();
        if (f.dataType() == FieldType::Time) {
            const QVariant v = live ? f.value() : values.value(f.index());
            return v.isValid() ? QVariant(dt::toTime(v.toDouble())) : QVariant();
        }
        if (live)
            return f.dataType() == FieldType::String || f.dataType() == FieldType::Memo
                       ? f.asString()
                       : f.displayText();
        return values.value(n + f.index());
    case Qt::CheckStateRole:
        if (f.dataType() != FieldType::Boolean)
            return QVariant();
        return (live ? f.asBoolean() : values.value(f.index()).toBool()) ? Qt::Checked
                                                                         : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (isNumeric(f.dataType()))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (f.dataType() == FieldType::Boolean)
            return QVariant::fromValue(Qt::AlignCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::DecorationRole:
        if (cellImage) {
            const QIcon icon = cellImage(f, row);
            if (!icon.isNull())
                return icon;
        }
        return QVariant();
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case kHighlightTextRole: {
        if (!cellColors)
            return QVariant();
        QColor text, background;
        cellColors(f, row, role == kHighlightTextRole, text, background);
        if (role == Qt::BackgroundRole)
            return background.isValid() ? QVariant(background) : QVariant();
        return text.isValid() ? QVariant(text) : QVariant();
    }
    case kCurrentRowRole:
        return index.row() == m_currentRow;
    default:
        return QVariant();
    }
}

QVariantList DBGridModel::rowValues() const
{
    QVariantList values;
    const auto &fields = m_table->fields();
    for (const auto &f : fields)
        values << keptValue(*f);
    for (const auto &f : fields)
        values << (f->dataType() == FieldType::Memo ? QVariant() : QVariant(f->displayText()));
    return values;
}

QVariant DBGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_table || !m_table->isActive() || index.row() >= rowCount() ||
        size_t(index.column()) >= m_columns.size())
        return QVariant();
    const Field &f = *m_columns[size_t(index.column())];
    // A pending record is read from the table itself, so that it shows as it is typed.
    const StoreTable::State state = m_table->state();
    const bool pending =
        (state == StoreTable::State::Insert && index.row() == m_insertRow) ||
        (state == StoreTable::State::Edit && m_insertRow < 0 && index.row() == m_currentRow);
    if (pending) {
        const QVariantList values = rowValues();
        return cellData(f, values, true, role, index);
    }
    const int vr = viewRow(index.row());
    if (vr < 0)
        return QVariant();
    const Page *p = page(vr / kPageRows);
    const size_t at = size_t(vr % kPageRows);
    if (!p || at >= p->values.size())
        return QVariant();
    return cellData(f, p->values[at], false, role, index);
}

bool DBGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() != m_currentRow || !m_table)
        return false;
    Field *f = fieldAt(index.column());
    if (!f || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (role != Qt::EditRole && role != Qt::CheckStateRole)
        return false;
    return runAction([&] {
        StoreTable &t = *m_table;
        if (t.state() == StoreTable::State::Browse) {
            if (!m_autoEdit)
                return;
            t.edit();
        }
        if (t.state() != StoreTable::State::Edit && t.state() != StoreTable::State::Insert)
            return;
        if (role == Qt::CheckStateRole) {
            f->setAsBoolean(value.toInt() == Qt::Checked);
        } else if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString();
            if (text.trimmed().isEmpty())
                f->clear();
            else
                f->setAsString(text);
        } else if (value.typeId() == QMetaType::QTime) {
            f->setAsDateTime(dt::fromTime(value.toTime()));
        } else if (value.typeId() == QMetaType::QDate) {
            f->setAsDateTime(dt::fromDate(value.toDate()));
        } else if (!value.isValid()) {
            f->clear();
        } else {
            f->setValue(value);
        }
    });
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const Field *f = fieldAt(index.column());
    if (f && !f->isCalculated() && !f->isReadOnly() && f->dataType() != FieldType::AutoInc) {
        flags |= Qt::ItemIsEditable;
        if (f->dataType() == FieldType::Boolean)
            flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        const Field *f = fieldAt(section);
        if (!f)
            return QVariant();
        switch (role) {
        case Qt::DisplayRole:
            return f->displayLabel();
        case Qt::FontRole: {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        case Qt::ForegroundRole:
        case Qt::TextAlignmentRole: {
            QColor color(Qt::black);
            Qt::Alignment alignment = Qt::AlignLeft;
            if (titleAttributes)
                titleAttributes(*f, color, alignment);
            if (role == Qt::ForegroundRole)
                return color;
            return QVariant::fromValue(alignment | Qt::AlignVCenter);
        }
        case Qt::DecorationRole:
            if (titleImage) {
                const QIcon icon = titleImage(*f);
                if (!icon.isNull())
                    return icon;
            }
            return QVariant();
        default:
            return QVariant();
        }
    }
    if (role == Qt::DisplayRole) {
        if (section != m_currentRow || !m_table)
            return QString();
        switch (m_table->state()) {
        case StoreTable::State::Insert:
            return QStringLiteral("*");
        case StoreTable::State::Edit:
            return QString(QChar(0x270E)); // a pencil: the record is being edited
        default:
            return QString(QChar(0x25B6)); // the record indicator
        }
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return QVariant();
}

bool DBGridModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_countKnown && m_table && m_table->isActive();
}

void DBGridModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    runAction([&] { discover(kDiscoverRows); });
}

// ---- following the table ----

void DBGridModel::discover(int rows)
{
    // The key of the last known row: the anchor of the page after it, or read from its page.
    std::optional<StoreTable::ViewKey> from;
    if (m_count > 0) {
        const int lastPage = (m_count - 1) / kPageRows;
        const Page *p = page(lastPage);
        const size_t at = size_t((m_count - 1) % kPageRows);
        if (!p || at >= p->keys.size())
            return;
        from = p->keys[at];
    }
    qint64 row = m_count;
    int found = 0;
    m_table->readView(+1, from ? &*from : nullptr, rows, [&](const StoreTable::ViewKey &k) {
        ++row;
        ++found;
        if (row % kPageRows == 0)
            m_anchors[int(row / kPageRows)] = k;
        return true;
    });
    if (found < rows)
        m_countKnown = true;
    if (found > 0) {
        beginInsertRows(QModelIndex(), modelRow(m_count), modelRow(m_count) + found - 1);
        m_count += found;
        endInsertRows();
    }
}

int DBGridModel::locateCurrent(const StoreTable::ViewKey &key)
{
    if (key.rowId == 0)
        return -1;
    if (auto it = m_rowOfId.constFind(key.rowId); it != m_rowOfId.constEnd()) {
        // A cached row keeps its place unless the view changed, which drops the cache.
        return it.value();
    }
    return int(std::min<qint64>(m_table->countView(&key), std::numeric_limits<int>::max() - 1));
}

int DBGridModel::countRows()
{
    if (!m_table->isFiltered() || !m_table->filter()) {
        m_countKnown = true;
        return int(std::min<qint64>(m_table->countView(), std::numeric_limits<int>::max() - 1));
    }
    m_countKnown = false;
    return 0;
}

void DBGridModel::reload()
{
    m_reloadQueued = false;
    const int oldInsertRow = m_insertRow;
    beginResetModel();
    m_pages.clear();
    m_anchors.clear();
    m_rowOfId.clear();
    m_insertRow = -1;
    m_currentRow = -1;
    m_count = 0;
    m_countKnown = true;
    m_dirty = false;
    bool ok = true;
    if (m_table && m_table->isActive())
        ok = runAction([&] { m_count = countRows(); });
    endResetModel();
    if (!ok || !m_table || !m_table->isActive()) {
        emit currentRowChanged(-1);
        return;
    }
    if (!m_countKnown)
        runAction([&] { discover(kFirstDiscoverRows); });
    if (m_table->state() == StoreTable::State::Insert) {
        const int at = std::clamp(oldInsertRow, 0, m_count);
        beginInsertRows(QModelIndex(), at, at);
        m_insertRow = at;
        endInsertRows();
    }
    m_currentRow = -2; // make setCurrentRow announce the row
    runAction([&] { syncCurrent(); });
}

void DBGridModel::onRecordChanged()
{
    runAction([&] { syncCurrent(); });
}

void DBGridModel::onStateChanged()
{
    runAction([&] { syncCurrent(); });
    if (m_currentRow >= 0)
        emit headerDataChanged(Qt::Vertical, m_currentRow, m_currentRow);
}

void DBGridModel::onFieldChanged(Field *)
{
    if (m_currentRow >= 0 && !m_columns.empty())
        emit dataChanged(index(m_currentRow, 0), index(m_currentRow, columnCount() - 1));
}

void DBGridModel::onViewChanged()
{
    // The cached rows may be wrong now; the rows are counted again from the event loop.
    m_pages.clear();
    m_anchors.clear();
    m_rowOfId.clear();
    m_dirty = true;
    if (!m_columns.empty())
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0 && !m_columns.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (!m_reloadQueued) {
        m_reloadQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_reloadQueued)
                    reload();
            },
            Qt::QueuedConnection);
    }
}

void DBGridModel::syncCurrent()
{
    if (m_dirty || !m_table)
        return;
    // Dropping the row of a posted record moves the view's current row; the table's cursor must
    // not follow it there (it is on the posted record already).
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    if (!m_table->isActive()) {
        setCurrentRow(-1);
        return;
    }
    if (m_table->state() == StoreTable::State::Insert) {
        if (m_insertRow < 0) {
            const int at = std::clamp(m_currentRow, 0, m_count);
            beginInsertRows(QModelIndex(), at, at);
            m_insertRow = at;
            endInsertRows();
        }
        setCurrentRow(m_insertRow);
        return;
    }
    if (m_insertRow >= 0) {
        beginRemoveRows(QModelIndex(), m_insertRow, m_insertRow);
        m_insertRow = -1;
        endRemoveRows();
    }
    const StoreTable::ViewKey key = m_table->currentViewKey();
    int vr = locateCurrent(key);
    if (vr >= m_count) {
        if (m_countKnown) {
            // The view changed under us; the coming reload puts things right.
            vr = m_count - 1;
        } else {
            // Beyond the rows learnt so far (a jump to the last record, a search): the rows up
            // to it exist; whether more follow, one read tells.
            const int first = m_count;
            beginInsertRows(QModelIndex(), first, vr);
            m_count = vr + 1;
            endInsertRows();
            if (m_table->readView(+1, &key, 1, [](const StoreTable::ViewKey &) { return true; }) ==
                0)
                m_countKnown = true;
        }
    }
    setCurrentRow(vr < 0 ? -1 : modelRow(vr));
}

void DBGridModel::setCurrentRow(int row)
{
    const int old = m_currentRow;
    m_currentRow = row;
    if (old >= 0 && old < rowCount()) {
        emit headerDataChanged(Qt::Vertical, old, old);
        if (old != row && !m_columns.empty())
            emit dataChanged(index(old, 0), index(old, columnCount() - 1));
    }
    if (row >= 0) {
        emit headerDataChanged(Qt::Vertical, row, row);
        if (!m_columns.empty())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    emit currentRowChanged(row);
}

bool DBGridModel::moveTableTo(int row)
{
    if (!m_table || row < 0 || row >= rowCount())
        return false;
    const int vr = viewRow(row);
    if (vr < 0)
        return true; // the record being inserted is current already
    const Page *p = page(vr / kPageRows);
    const size_t at = size_t(vr % kPageRows);
    if (!p || at >= p->keys.size())
        return false;
    const qint64 id = p->keys[at].rowId;
    if (m_table->state() != StoreTable::State::Insert && m_table->currentRowId() == id)
        return true;
    m_table->gotoBookmark(id);
    return true;
}

} // namespace kv
