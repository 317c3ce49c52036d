// TableStateLabel: the state of a table in words.
#include "TableStateLabel.h"

namespace kv {

TableStateLabel::TableStateLabel(QWidget *parent) : QLabel(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setContentsMargins(3, 0, 3, 0);
    updateText();
}

void TableStateLabel::setTable(StoreTable *table)
{
    disconnect(m_connection);
    m_table = table;
    if (table)
        m_connection =
            connect(table, &StoreTable::stateChanged, this, &TableStateLabel::updateText);
    updateText();
}

QString TableStateLabel::taskStateText(StoreTable::State state)
{
    if (state == StoreTable::State::Browse)
        return tr("View");
    return stateText(state);
}

QString TableStateLabel::stateText(StoreTable::State state)
{
    switch (state) {
    case StoreTable::State::Inactive:
        return tr("Inactive");
    case StoreTable::State::Browse:
        return tr("Browse");
    case StoreTable::State::Edit:
        return tr("Edit");
    case StoreTable::State::Insert:
        return tr("Insert");
    case StoreTable::State::CalcFields:
        return tr("Calculate");
    }
    return QString();
}

void TableStateLabel::updateText()
{
    setText(stateText(m_table ? m_table->state() : StoreTable::State::Inactive));
}

} // namespace kv
