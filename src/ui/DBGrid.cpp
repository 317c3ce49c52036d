// DBGrid: the data grid, its cell editors and the way it follows and moves the table's cursor.
#include "DBGrid.h"

#include "DBGridAccessible.h"

#include "FormatSettings.h"
#include "Services.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QTimeEdit>

namespace kv {

namespace {

/// Room a cell needs besides its characters (margins and the grid line).
constexpr int kCellPadding = 8;
constexpr int kIndicatorWidth = 14;

} // namespace

// ---- cell editors ----

DBGridDelegate::DBGridDelegate(DBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QWidget *DBGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    const Field *f = m_grid->gridModel() ? m_grid->gridModel()->fieldAt(index.column()) : nullptr;
    if (!f || f->dataType() == FieldType::Boolean)
        return nullptr;
    QWidget *editor = nullptr;
    if (DBGrid::EditorFactory factory = m_grid->columnEditor(*f)) {
        editor = factory(parent);
    } else if (f->dataType() == FieldType::Time) {
        auto *time = new QTimeEdit(parent);
        time->setDisplayFormat(QStringLiteral("h:mm AP"));
        time->setButtonSymbols(QAbstractSpinBox::NoButtons);
        editor = time;
    } else {
        auto *line = new QLineEdit(parent);
        if (f->dataType() == FieldType::String && f->size() > 0)
            line->setMaxLength(f->size());
        editor = line;
    }
    if (!editor)
        return QStyledItemDelegate::createEditor(parent, option, index);
    editor->setAutoFillBackground(true);
    m_editor = editor;
    return editor;
}

void DBGridDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (m_editor == editor)
        m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void DBGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // Once the user typed into the editor, its text is theirs: a repaint of the record (auto-edit
    // starting, a calculated field) must not put the stored value back.
    if (editor->property("kvTyped").toBool())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        combo->setProperty("kvStored", combo->currentText());
    if (editor->property("kvWatched").toBool())
        return;
    editor->setProperty("kvWatched", true);
    // Typing into the editor is a change of the record: auto-edit starts as the user types,
    // not only when the value is handed over.
    QPointer<QWidget> typedInto(editor);
    auto start = [this, typedInto] {
        if (typedInto)
            typedInto->setProperty("kvTyped", true);
        m_grid->startEditingRecord();
    };
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        connect(line, &QLineEdit::textEdited, m_grid, start);
    } else if (auto *time = qobject_cast<QTimeEdit *>(editor)) {
        connect(time, &QTimeEdit::timeChanged, m_grid, start);
    } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->lineEdit())
            connect(combo->lineEdit(), &QLineEdit::textEdited, m_grid, start);
        // A combo box reports an activation also when its text is settled as the focus leaves
        // it, or when its list closes on the entry already shown: only another value is a
        // change of the record.
        QPointer<QComboBox> box(combo);
        connect(combo, &QComboBox::activated, m_grid, [box, start] {
            if (box && box->currentText() != box->property("kvStored").toString())
                start();
        });
    }
}

void DBGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                  const QModelIndex &index) const
{
    // An unchanged value is not a change of the record.
    const QByteArray name = editor->metaObject()->userProperty().name();
    const QVariant typed = editor->property(name.constData());
    const QVariant shown = index.data(Qt::EditRole);
    const bool same = typed.typeId() == QMetaType::QString ? typed.toString() == shown.toString()
                                                           : typed == shown;
    if (same)
        return;
    QStyledItemDelegate::setModelData(editor, model, index);
}

void DBGridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant highlightText = index.data(DBGridModel::kHighlightTextRole);
    if (highlightText.isValid())
        option->palette.setColor(QPalette::HighlightedText, highlightText.value<QColor>());
    if (option->features & QStyleOptionViewItem::HasDecoration) {
        // An image shrunk to the cell, in its middle.
        const int side = std::max(8, option->rect.height() - 4);
        option->decorationSize = QSize(side, side);
        if (option->text.isEmpty()) {
            option->decorationPosition = QStyleOptionViewItem::Top;
            option->decorationAlignment = Qt::AlignCenter;
        }
    }
    option->textElideMode = Qt::ElideRight;
}

// ---- the grid ----

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_delegate(new DBGridDelegate(this))
{
    // Assistive technology sees the rows on screen, not the whole table.
    DBGridAccessible::installFactory();
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(true);
    setTextElideMode(Qt::ElideRight);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Uniform row heights keep a view of a million rows cheap to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(kIndicatorWidth);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (m_model)
            if (Field *f = m_model->fieldAt(section))
                emit titleButtonClick(f);
    });
}

DBGrid::~DBGrid() = default;

void DBGrid::setTable(StoreTable *table, bool autoEdit)
{
    DBGridModel *old = m_model;
    m_model = new DBGridModel(table, autoEdit, this);
    // Rows coming and going (a posted record taking the place of the new row) move the view's
    // current index; that is no move of the user's and must not move the table. Connected
    // before the view's own handlers, so the hold covers them.
    auto hold = [this] { ++m_structureChanging; };
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, hold);
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, hold);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, hold);
    connect(m_model, &QAbstractItemModel::layoutAboutToBeChanged, this, hold);
    setModel(m_model);
    auto release = [this] {
        m_structureChanging = std::max(0, m_structureChanging - 1);
        if (m_structureChanging == 0 && m_model)
            followModel(m_model->currentRow());
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, release);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, release);
    connect(m_model, &QAbstractItemModel::modelReset, this, release);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, release);
    delete old;
    connect(m_model, &DBGridModel::currentRowChanged, this, &DBGrid::followModel);
    if (table) {
        connect(table, &StoreTable::updateRecord, this, &DBGrid::commitEditor);
        connect(table, &StoreTable::focusFieldRequested, this, &DBGrid::onFocusFieldRequested);
    }
    applyDisplayWidths();
    followModel(m_model->currentRow());
}

void DBGrid::setDataSource(DataSource *source)
{
    setTable(source ? source->dataSet() : nullptr, source && source->autoEdit());
}

StoreTable *DBGrid::table() const
{
    return m_model ? m_model->table() : nullptr;
}

void DBGrid::setColumns(const QStringList &fieldNames)
{
    if (!m_model)
        return;
    m_model->setColumns(fieldNames);
    applyDisplayWidths();
}

void DBGrid::applyDisplayWidths()
{
    if (!m_model)
        return;
    const QFontMetrics fm = fontMetrics();
    const int digit = fm.horizontalAdvance(QLatin1Char('0'));
    // A date column holds the locale's widest short date ("28 Sept 2028" in some), which a
    // width in digits does not measure.
    int dateWidth = 0;
    for (const QString &sample : FormatSettings::instance().shortDateSamples())
        dateWidth = std::max(dateWidth, fm.horizontalAdvance(sample) + kCellPadding);
    std::vector<int> widths;
    std::vector<bool> dates;
    int total = 0;
    int fixed = 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const Field *f = m_model->fieldAt(c);
        int chars = f->displayWidth();
        if (chars <= 0)
            chars = f->dataType() == FieldType::String ? std::min(f->size(), 30) : 10;
        const bool date = f->dataType() == FieldType::Date;
        widths.push_back(date ? std::max(dateWidth, chars * digit + kCellPadding)
                              : chars * digit + kCellPadding);
        dates.push_back(date);
        total += widths.back();
        if (date)
            fixed += widths.back();
    }
    // Fonts wider than the one the widths were chosen for would push the last columns out of
    // sight: shrink the other columns alike so that all of them show; dates keep their width.
    const int room = viewport()->width() - 2;
    const double scale = fitToWidth && total > room && room > fixed && total > fixed
                             ? double(room - fixed) / (total - fixed)
                             : 1.0;
    for (size_t c = 0; c < widths.size(); ++c)
        setColumnWidth(int(c),
                       dates[c] ? widths[c] : std::max(kCellPadding * 2, int(widths[c] * scale)));
}

Field *DBGrid::selectedField() const
{
    if (!m_model)
        return nullptr;
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->fieldAt(current.column()) : nullptr;
}

bool DBGrid::selectField(const QString &fieldName)
{
    if (!m_model)
        return false;
    const int column = m_model->columnOf(fieldName);
    if (column < 0)
        return false;
    const int row = std::max(0, m_model->currentRow());
    if (row >= m_model->rowCount())
        return false;
    setCurrentIndex(m_model->index(row, column));
    return true;
}

void DBGrid::setColumnEditor(const QString &fieldName, EditorFactory factory)
{
    m_editors.insert(fieldName.toLower(), std::move(factory));
}

DBGrid::EditorFactory DBGrid::columnEditor(const Field &field) const
{
    return m_editors.value(field.fieldName().toLower());
}

void DBGrid::commitEditor()
{
    QWidget *editor = m_delegate->openEditor();
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DBGrid::discardEditor()
{
    if (QWidget *editor = m_delegate->openEditor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void DBGrid::startEditingRecord()
{
    StoreTable *t = table();
    if (!t || !m_model || !m_model->autoEdit() || t->state() != StoreTable::State::Browse)
        return;
    runAction([&] { t->edit(); });
}

void DBGrid::followModel(int row)
{
    if (!m_model)
        return;
    m_following = true;
    if (row >= 0 && row < m_model->rowCount()) {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        column = std::clamp(column, 0, std::max(0, m_model->columnCount() - 1));
        const QModelIndex target = m_model->index(row, column);
        if (currentIndex() != target)
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        scrollTo(target);
    }
    m_following = false;
    // Only a move to another record is a row change; the record being re-read (an edit
    // starting, a repaint of the view) is not.
    const StoreTable *t = table();
    const qint64 id = t ? t->currentRowId() : 0;
    const bool inserting = t && t->state() == StoreTable::State::Insert;
    if (id != m_rowId || inserting != m_rowInserting) {
        m_rowId = id;
        m_rowInserting = inserting;
        emit rowChanged();
    }
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base hands an open editor's value to the (still current) record first.
    QTableView::currentChanged(current, previous);
    if (m_following || m_structureChanging > 0 || !m_model || !current.isValid() ||
        m_model->isSyncing())
        return;
    if (current.row() != previous.row() && current.row() != m_model->currentRow()) {
        const bool moved = runAction([&] { m_model->moveTableTo(current.row()); });
        if (!moved) {
            // The pending record could not be posted: the grid stays on it.
            QMetaObject::invokeMethod(
                this, [this] { followModel(m_model->currentRow()); }, Qt::QueuedConnection);
            return;
        }
    }
    if (current.column() != previous.column())
        emit colEnter(m_model->fieldAt(current.column()));
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    StoreTable *t = table();
    if (t && state() != QAbstractItemView::EditingState) {
        const bool editing =
            t->state() == StoreTable::State::Edit || t->state() == StoreTable::State::Insert;
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
            runAction([&] {
                if (t->isEmpty())
                    return;
                // A destructive confirmation: a warning whose default button is No.
                if (confirmDelete &&
                    !Services::instance().messages().warnYesNo(tr("Delete record?")))
                    return;
                t->deleteRecord();
            });
            return;
        }
        if (event->key() == Qt::Key_Escape && editing) {
            runAction([&] { t->cancel(); });
            return;
        }
        if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
            runAction([&] { t->insert(); });
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    // The grid knows its width once its window is laid out.
    if (fitToWidth && !m_widthsFitted) {
        m_widthsFitted = true;
        applyDisplayWidths();
    }
}

bool DBGrid::focusNextPrevChild(bool next)
{
    // Tab moves between the cells of a row; from the last cell (Shift+Tab: from the first) it
    // leaves the grid for the window's next control, so the keyboard reaches the buttons beside
    // it.
    if (tabKeyNavigation() && m_model && state() != QAbstractItemView::EditingState) {
        const QModelIndex current = currentIndex();
        const bool atEdge =
            !current.isValid() ||
            (next ? current.column() >= m_model->columnCount() - 1 : current.column() <= 0);
        if (atEdge)
            return QWidget::focusNextPrevChild(next);
    }
    return QTableView::focusNextPrevChild(next);
}

void DBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    if (!cancelOnExit)
        return;
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    QWidget *next = QApplication::focusWidget();
    if (!next || isAncestorOf(next) || next->window() != window())
        return;
    StoreTable *t = table();
    if (t && t->state() == StoreTable::State::Insert && !t->isModified())
        runAction([&] { t->cancel(); });
}

void DBGrid::mousePressEvent(QMouseEvent *event)
{
    // A press on a check box is taken by the cell's delegate before the view moves to the
    // cell, so a click on another record's check box would change nothing: move there first.
    m_swallowRelease = false;
    if (event->button() == Qt::LeftButton) {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && at != currentIndex() && (at.flags() & Qt::ItemIsUserCheckable)) {
            setCurrentIndex(at);
            // Moving posted a pending record and the rows are about to be read again: the box
            // under the mouse may soon belong to another record, so this click only moves.
            if (m_model && m_model->isReloadPending()) {
                m_swallowRelease = true;
                event->accept();
                return;
            }
        }
    }
    QTableView::mousePressEvent(event);
}

void DBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_swallowRelease) {
        m_swallowRelease = false;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        emit dblClick();
}

void DBGrid::onFocusFieldRequested(Field *field)
{
    if (field && selectField(field->fieldName()))
        setFocus(Qt::OtherFocusReason);
}

} // namespace kv
