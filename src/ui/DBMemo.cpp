// DBMemo: the bound memo box.
#include "DBMemo.h"

#include "Services.h"

namespace kv {

DBMemo::DBMemo(QWidget *parent)
    : QPlainTextEdit(parent), m_link(new FieldLink(this, [this] { showField(); }))
{
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_showing)
            userEdited();
    });
    connect(m_link, &FieldLink::stateChanged, this, [this] { setReadOnly(!m_link->canModify()); });
}

void DBMemo::setDataSource(DataSource *source, const QString &fieldName)
{
    m_link->setDataSource(source, fieldName);
    setReadOnly(!m_link->canModify());
}

void DBMemo::showField()
{
    const QString v = m_link->field()->asString();
    if (v == toPlainText())
        return;
    m_showing = true;
    setPlainText(v);
    m_showing = false;
}

void DBMemo::userEdited()
{
    runAction([&] { m_link->writeText(toPlainText()); });
}

} // namespace kv
