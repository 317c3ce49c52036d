// DBMemo: a multi-line text box bound to a memo or string field.
#pragma once

#include "FieldLink.h"

#include <QPlainTextEdit>

namespace kv {

class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DBMemo(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &fieldName);
    FieldLink *link() const { return m_link; }

private:
    void showField();
    void userEdited();

    FieldLink *m_link;
    bool m_showing = false;
};

} // namespace kv
