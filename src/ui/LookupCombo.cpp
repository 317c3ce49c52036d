// LookupCombo: lookup selector over a table field.
#include "LookupCombo.h"

#include "Services.h"
#include "StoreTable.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFocusEvent>
#include <QSignalBlocker>

namespace kv {

LookupCombo::LookupCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    auto *matches = new QCompleter(model(), this);
    matches->setCompletionMode(QCompleter::PopupCompletion);
    matches->setCaseSensitivity(Qt::CaseInsensitive);
    matches->setFilterMode(Qt::MatchStartsWith);
    setCompleter(matches);
}

void LookupCombo::setListSource(StoreTable *table, const QString &fieldName)
{
    m_table = table;
    m_field = fieldName;
    reload();
}

void LookupCombo::reload()
{
    QStringList values;
    if (m_table && m_table->isActive()) {
        StoreTable &t = *m_table;
        t.refresh();
        Field &field = t.fieldByName(m_field);
        const StoreTable::Bookmark mark = t.getBookmark();
        t.disableControls();
        // Put the table back where it was, also when reading fails half-way.
        struct Restore
        {
            StoreTable &t;
            StoreTable::Bookmark mark;
            ~Restore()
            {
                try {
                    if (mark != 0 && t.bookmarkValid(mark))
                        t.gotoBookmark(mark);
                    if (mark != 0)
                        t.freeBookmark(mark);
                } catch (...) {
                }
                t.enableControls();
            }
        } restore{t, mark};
        for (t.first(); !t.eof(); t.next())
            values << field.asString();
    }
    const QString shown = currentText();
    const QSignalBlocker block(this);
    clear();
    addItems(values);
    setText(shown);
}

void LookupCombo::setText(const QString &text)
{
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    setEditText(text);
}

void LookupCombo::showPopup()
{
    // New entries made in other windows appear the next time the list opens.
    runAction([&] { reload(); });
    QComboBox::showPopup();
}

void LookupCombo::hidePopup()
{
    const bool wasOpen = view()->isVisible();
    QComboBox::hidePopup();
    // The combo box hides its list before it takes over the picked entry: report the close-up
    // once that has happened.
    if (wasOpen)
        QMetaObject::invokeMethod(this, &LookupCombo::closeUp, Qt::QueuedConnection);
}

void LookupCombo::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit entered();
}

} // namespace kv
