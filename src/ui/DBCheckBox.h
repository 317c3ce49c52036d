// DBCheckBox: a check box bound to a Boolean field; checked is true.
#pragma once

#include "FieldLink.h"

#include <QCheckBox>

namespace kv {

class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit DBCheckBox(const QString &text, QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &fieldName);
    FieldLink *link() const { return m_link; }

private:
    void userClicked(bool checked);

    FieldLink *m_link;
};

} // namespace kv
