// TableStateLabel: the status line of a record window, naming its table's state ("Inactive",
// "Browse", "Edit", "Insert", "Calculate").
#pragma once

#include "StoreTable.h"

#include <QLabel>
#include <QPointer>

namespace kv {

class TableStateLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TableStateLabel(QWidget *parent = nullptr);
    void setTable(StoreTable *table);
    /// The name shown for a state.
    static QString stateText(StoreTable::State state);
    /// The name a task window shows: "View" where the record windows say "Browse".
    static QString taskStateText(StoreTable::State state);

private:
    void updateText();
    QPointer<StoreTable> m_table;
    QMetaObject::Connection m_connection;
};

} // namespace kv
