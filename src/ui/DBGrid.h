// DBGrid: the data grid of the widget set. A table view over the current view of a StoreTable
// (DBGridModel) that follows the table's cursor, moves the cursor when the user moves to another
// row (which posts a changed pending record, as every move of the table does), edits cells in
// place through the table's edit and field writes, and offers the title, cell and column events
// record windows hook into.
#pragma once

#include "DBGridModel.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

namespace kv {

class DataSource;
class DBGrid;

/// The grid's cell editors: one per field type, or one a window supplies for a column.
class DBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit DBGridDelegate(DBGrid *grid);

    /// The editor open in the grid, if any.
    QWidget *openEditor() const { return m_editor; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    DBGrid *m_grid;
    mutable QPointer<QWidget> m_editor;
};

class DBGrid : public QTableView
{
    Q_OBJECT
public:
    /// Creates the editor of a column's cells; the editor's user property (QLineEdit::text,
    /// QComboBox::currentText, QTimeEdit::time...) carries the value.
    using EditorFactory = std::function<QWidget *(QWidget *parent)>;

    explicit DBGrid(QWidget *parent = nullptr);
    ~DBGrid() override;

    /// Shows `table`; with `autoEdit` typing into a cell puts a browsing table into edit state.
    void setTable(StoreTable *table, bool autoEdit = true);
    /// The same through a data source (its table and auto-edit setting).
    void setDataSource(DataSource *source);
    StoreTable *table() const;
    DBGridModel *gridModel() const { return m_model; }

    /// Columns: the given fields in order; widths from the fields' display widths.
    void setColumns(const QStringList &fieldNames);
    /// Sets each column's width from its field's display width (in characters).
    void applyDisplayWidths();

    /// Field of the grid's current column (nullptr when none).
    Field *selectedField() const;
    /// Makes the column of `fieldName` current (name compared without regard to case).
    bool selectField(const QString &fieldName);

    /// A custom editor for the cells of one field's column.
    void setColumnEditor(const QString &fieldName, EditorFactory factory);
    EditorFactory columnEditor(const Field &field) const;

    /// Hands the value of an open cell editor to the record and closes the editor. Record
    /// windows call this before they move, post or cancel (the table does it itself at post).
    void commitEditor();
    /// Closes an open cell editor without keeping its value.
    void discardEditor();
    /// The open cell editor, if any.
    QWidget *openEditor() const { return m_delegate->openEditor(); }

    /// Ask before the grid's own delete key (Ctrl+Delete) deletes a record.
    bool confirmDelete = true;
    /// Display widths are shrunk alike when the columns would not fit the grid's width.
    bool fitToWidth = false;
    /// Leaving the grid cancels a new record nothing was typed into.
    bool cancelOnExit = true;

    /// The user started typing into a cell: a browsing table enters edit state (auto-edit).
    void startEditingRecord();

signals:
    /// The grid moved to another record (or a record is being inserted).
    void rowChanged();
    /// The grid's cursor entered another column.
    void colEnter(kv::Field *field);
    /// A click on a column title.
    void titleButtonClick(kv::Field *field);
    /// A double click in the cells.
    void dblClick();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void followModel(int row);
    void onFocusFieldRequested(Field *field);

    DBGridModel *m_model = nullptr;
    DBGridDelegate *m_delegate;
    QHash<QString, EditorFactory> m_editors; ///< by field name in lower case
    bool m_following = false;
    qint64 m_rowId = -1; ///< the record of the last row change
    bool m_rowInserting = false;
    bool m_swallowRelease = false; ///< the press that belongs to it only moved the record
    int m_structureChanging = 0; ///< rows are being inserted, removed or reset
    bool m_widthsFitted = false; ///< the first showing fitted the widths to the grid's width
};

} // namespace kv
