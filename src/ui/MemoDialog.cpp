// MemoDialog: a memo field of the current record in a modal editor.
#include "MemoDialog.h"

#include "WindowBorder.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

MemoDialog::MemoDialog(QWidget *parent) : QDialog(parent)
{
    look::setBorder(this, look::Border::FixedCloseBox);
    memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("memo"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    bOK = buttons->button(QDialogButtonBox::Ok);
    bOK->setObjectName(QStringLiteral("bOK"));
    bCancel = buttons->button(QDialogButtonBox::Cancel);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(memo);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void MemoDialog::setField(StoreTable *table, const QString &fieldName)
{
    m_table = table;
    m_field = fieldName;
}

bool MemoDialog::execute()
{
    if (!m_table)
        return false;
    Field &f = m_table->fieldByName(m_field);
    memo->setPlainText(f.asString());
    memo->moveCursor(QTextCursor::Start);
    if (exec() != QDialog::Accepted)
        return false;
    const QString text = memo->toPlainText();
    if (text == f.asString())
        return false; // nothing changed: the record is left as it is
    if (m_table->state() != StoreTable::State::Edit &&
        m_table->state() != StoreTable::State::Insert)
        m_table->edit();
    if (text.isEmpty())
        f.clear();
    else
        f.setAsString(text);
    return true;
}

} // namespace kv
