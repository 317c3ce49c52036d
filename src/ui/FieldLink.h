// FieldLink: ties one control of the widget set to one field of a table through a data source.
// It tells the control when to show the field again (the cursor moved, the record was re-read,
// the state or the field changed), starts an edit when the data source's auto-edit allows it, and
// writes the control's value into the field without echoing it back.
#pragma once

#include "StoreTable.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace kv {

class FieldLink : public QObject
{
    Q_OBJECT
public:
    /// `control` owns the link; `show` puts the field's value into the control.
    FieldLink(QWidget *control, std::function<void()> show);

    /// Binds to `fieldName` of the data source's table and shows it. Throws StoreError when the
    /// table has no such field.
    void setDataSource(DataSource *source, const QString &fieldName);
    DataSource *dataSource() const { return m_source; }
    StoreTable *table() const { return m_source ? m_source->dataSet() : nullptr; }
    Field *field() const { return m_field; }

    /// The table is in edit or insert state.
    bool editing() const;
    /// Typing may change the field now: the table is editing, or auto-edit will start an edit.
    bool canModify() const;
    /// Called before the control writes a changed value: starts an edit when the table is in
    /// browse state and auto-edit is on. Returns whether the field may be written. Throws
    /// StoreError when the edit fails (a record lock).
    bool beginChange();
    /// Writes through `write` without showing the value again.
    void write(const std::function<void(Field &)> &write);
    /// A text control's edit: starts the change and writes `text` (empty clears the field).
    /// When the field may not change, shows its value again instead.
    void writeText(const QString &text);
    /// Shows the field's value in the control now.
    void show();

signals:
    /// The table's state changed (controls switch their read-only look).
    void stateChanged();

private:
    QWidget *m_control;
    std::function<void()> m_show;
    QPointer<DataSource> m_source;
    Field *m_field = nullptr;
    bool m_writing = false;
    QMetaObject::Connection m_connections[6];
};

} // namespace kv
