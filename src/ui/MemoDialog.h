// MemoDialog: the memo dialog of the widget set. A modal editor of one memo field of a table's
// current record: OK puts the table into edit state (if it is not editing already) and writes
// the text into the field without posting; Cancel changes nothing.
#pragma once

#include "StoreTable.h"

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;
class QPushButton;

namespace kv {

class MemoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MemoDialog(QWidget *parent = nullptr);

    void setField(StoreTable *table, const QString &fieldName);
    /// Shows the field of the current record; true when the user confirmed and the text was
    /// written. Throws StoreError when the record cannot be edited or written.
    bool execute();

    QPlainTextEdit *memo;
    QPushButton *bOK, *bCancel;

private:
    QPointer<StoreTable> m_table;
    QString m_field;
};

} // namespace kv
