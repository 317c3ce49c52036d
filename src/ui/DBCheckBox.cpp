// DBCheckBox: the bound check box.
#include "DBCheckBox.h"

#include "Services.h"

namespace kv {

DBCheckBox::DBCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent),
      m_link(new FieldLink(this, [this] { setChecked(m_link->field()->asBoolean()); }))
{
    connect(this, &QCheckBox::clicked, this, &DBCheckBox::userClicked);
}

void DBCheckBox::setDataSource(DataSource *source, const QString &fieldName)
{
    m_link->setDataSource(source, fieldName);
}

void DBCheckBox::userClicked(bool checked)
{
    runAction([&] {
        if (!m_link->beginChange()) {
            m_link->show();
            return;
        }
        m_link->write([&](Field &f) { f.setAsBoolean(checked); });
    });
}

} // namespace kv
