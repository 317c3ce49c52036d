// DBEdit: the bound edit box.
#include "DBEdit.h"

#include "Services.h"

namespace kv {

DBEdit::DBEdit(QWidget *parent)
    : MaskEdit(parent), m_link(new FieldLink(this, [this] { showField(); }))
{
    connect(this, &MaskEdit::valueEdited, this, &DBEdit::userEdited);
    connect(m_link, &FieldLink::stateChanged, this, [this] { setReadOnly(!m_link->canModify()); });
}

void DBEdit::setDataSource(DataSource *source, const QString &fieldName)
{
    m_link->setDataSource(source, fieldName);
    if (Field *f = m_link->field()) {
        setEditMask(f->editMask());
        if (!isMasked() && f->dataType() == FieldType::String && f->size() > 0)
            setMaxLength(f->size());
    }
    setReadOnly(!m_link->canModify());
}

void DBEdit::showField()
{
    setValue(m_link->field()->asString());
}

void DBEdit::userEdited()
{
    runAction([&] { m_link->writeText(value()); });
}

} // namespace kv
