// DBEdit: an edit box bound to a field. It takes the field's edit mask and size, shows the
// field's value, and writes every change the user makes into the record. With the data source's
// auto-edit off it changes nothing while the table is in browse state.
#pragma once

#include "FieldLink.h"
#include "MaskEdit.h"

namespace kv {

class DBEdit : public MaskEdit
{
    Q_OBJECT
public:
    explicit DBEdit(QWidget *parent = nullptr);

    /// Binds the box to `fieldName` of the source's table; a masked field brings its mask.
    void setDataSource(DataSource *source, const QString &fieldName);
    FieldLink *link() const { return m_link; }
    Field *field() const { return m_link->field(); }

protected:
    bool canModify() override { return m_link->canModify(); }

private:
    void showField();
    void userEdited();

    FieldLink *m_link;
};

} // namespace kv
