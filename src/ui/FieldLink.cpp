// FieldLink: the binding of a control to a field.
#include "FieldLink.h"

#include <QWidget>

namespace kv {

FieldLink::FieldLink(QWidget *control, std::function<void()> show)
    : QObject(control), m_control(control), m_show(std::move(show))
{}

void FieldLink::setDataSource(DataSource *source, const QString &fieldName)
{
    for (QMetaObject::Connection &c : m_connections)
        disconnect(c);
    m_source = source;
    m_field = nullptr;
    StoreTable *t = table();
    if (!t)
        return;
    m_field = &t->fieldByName(fieldName);
    auto reshow = [this] {
        if (!m_writing)
            show();
    };
    m_connections[0] = connect(t, &StoreTable::recordChanged, this, reshow);
    m_connections[1] = connect(t, &StoreTable::dataChanged, this, reshow);
    m_connections[2] = connect(t, &StoreTable::stateChanged, this, [this, reshow] {
        reshow();
        emit stateChanged();
    });
    m_connections[3] = connect(t, &StoreTable::fieldChanged, this, [this, reshow](Field *f) {
        if (!f || f == m_field)
            reshow();
    });
    m_connections[4] = connect(t, &StoreTable::focusFieldRequested, this, [this](Field *f) {
        if (f == m_field && m_control->isVisible() && m_control->isEnabled())
            m_control->setFocus(Qt::OtherFocusReason);
    });
    m_connections[5] = connect(t, &QObject::destroyed, this, [this] { m_field = nullptr; });
    show();
    emit stateChanged();
}

bool FieldLink::editing() const
{
    const StoreTable *t = table();
    return t && (t->state() == StoreTable::State::Edit || t->state() == StoreTable::State::Insert);
}

bool FieldLink::canModify() const
{
    if (!m_field || m_field->isReadOnly() || !table() || !table()->isActive())
        return false;
    return editing() || m_source->autoEdit();
}

bool FieldLink::beginChange()
{
    if (!canModify())
        return false;
    if (!editing()) {
        // The edit re-reads the record; the control keeps what the user just typed.
        m_writing = true;
        try {
            table()->edit();
        } catch (...) {
            m_writing = false;
            show();
            throw;
        }
        m_writing = false;
        emit stateChanged();
    }
    return editing();
}

void FieldLink::writeText(const QString &text)
{
    if (!beginChange()) {
        show();
        return;
    }
    write([&](Field &f) {
        if (text.isEmpty())
            f.clear();
        else
            f.setAsString(text);
    });
}

void FieldLink::write(const std::function<void(Field &)> &write)
{
    if (!m_field)
        return;
    m_writing = true;
    try {
        write(*m_field);
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
}

void FieldLink::show()
{
    if (m_show && m_field)
        m_show();
}

} // namespace kv
