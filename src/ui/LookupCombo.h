// LookupCombo: the lookup selector of the widget set. An editable drop-down over one field of a
// table that lists the field's values in the table's current index order and offers matching
// entries while the user types. The list opens only on its button (or F4); any text may be typed.
#pragma once

#include "StoreTable.h"

#include <QComboBox>
#include <QPointer>

namespace kv {

class LookupCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit LookupCombo(QWidget *parent = nullptr);

    /// Lists `fieldName` of `table`. Reads the table at once (see reload()).
    void setListSource(StoreTable *table, const QString &fieldName);
    StoreTable *listTable() const { return m_table; }
    QString listField() const { return m_field; }

    /// Re-reads the table and fills the list again; the text shown stays as it is. The table's
    /// current record is kept. Throws StoreError when the table cannot be read.
    void reload();

    /// The chosen or typed text.
    QString text() const { return currentText(); }
    /// Shows `text`, selecting the list entry of that exact text when there is one.
    void setText(const QString &text);

    /// Opens the list, read anew from the table.
    void showPopup() override;
    void hidePopup() override;

signals:
    /// The drop-down list closed. Emitted from the event loop, after a pick has taken effect.
    void closeUp();
    /// The selector received the focus by the user (Tab, a click, a shortcut), not because its
    /// window became active again.
    void entered();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    QPointer<StoreTable> m_table;
    QString m_field;
};

} // namespace kv
