// The priority combo and the due-date picker of the to-do windows.
#include "TodoWidgets.h"

#include "DateTime.h"
#include "Services.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QLineEdit>

namespace kv {

QValidator::State LowerLetterValidator::validate(QString &input, int &) const
{
    input = input.toLower();
    if (input.isEmpty())
        return Intermediate;
    return input.size() == 1 && input.front().isLetter() ? Acceptable : Invalid;
}

PriorityCombo::PriorityCombo(const QStringList &entries, bool lowerCaseLetter, QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    addItems(entries);
    setMaxVisibleItems(int(entries.size()));
    lineEdit()->setMaxLength(1);
    if (lowerCaseLetter)
        lineEdit()->setValidator(new LowerLetterValidator(this));
    // A typed entry is not completed into a list entry: "a" stays "a".
    setCompleter(nullptr);
    setCurrentIndex(-1);
    lineEdit()->clear();
}

void PriorityCombo::setDataSource(DataSource *source, const QString &fieldName)
{
    if (!m_link) {
        m_link = new FieldLink(this, [this] { showField(); });
        connect(lineEdit(), &QLineEdit::textEdited, this, &PriorityCombo::userChanged);
        connect(this, &QComboBox::textActivated, this, &PriorityCombo::userChanged);
    }
    m_link->setDataSource(source, fieldName);
}

void PriorityCombo::showField()
{
    m_showing = true;
    const Field *f = m_link ? m_link->field() : nullptr;
    const QString text = f && f->table().isActive() ? f->asString() : QString();
    const int row = findText(text);
    setCurrentIndex(row);
    if (row < 0)
        setEditText(text);
    m_showing = false;
}

void PriorityCombo::userChanged(const QString &text)
{
    if (m_showing || !m_link)
        return;
    runAction([&] { m_link->writeText(text); });
}

DBDatePicker::DBDatePicker(QWidget *parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setMinimumDate(nullDate());
    // The lowest date is the empty field.
    setSpecialValueText(QStringLiteral(" "));
    setDate(nullDate());
    calendarWidget()->installEventFilter(this);
}

void DBDatePicker::setDataSource(DataSource *source, const QString &fieldName)
{
    if (!m_link) {
        m_link = new FieldLink(this, [this] { showField(); });
        connect(this, &QDateEdit::dateChanged, this, &DBDatePicker::userChanged);
    }
    m_link->setDataSource(source, fieldName);
}

void DBDatePicker::showField()
{
    m_showing = true;
    const Field *f = m_link ? m_link->field() : nullptr;
    if (f && f->table().isActive() && !f->isNull())
        setDate(dt::toDate(f->asDateTime()));
    else
        setDate(nullDate());
    m_showing = false;
}

void DBDatePicker::userChanged(const QDate &date)
{
    if (m_showing || !m_link)
        return;
    runAction([&] {
        if (!m_link->beginChange()) {
            showField();
            return;
        }
        m_link->write([&](Field &f) {
            if (date <= nullDate())
                f.clear();
            else
                f.setAsDateTime(dt::fromDate(date));
        });
    });
}

bool DBDatePicker::eventFilter(QObject *watched, QEvent *event)
{
    // An empty box opens the calendar on today's month rather than on the lowest date.
    if (watched == calendarWidget() && event->type() == QEvent::Show && date() <= nullDate()) {
        const QDate today = Services::instance().clock().now().date();
        calendarWidget()->setCurrentPage(today.year(), today.month());
    }
    return QDateEdit::eventFilter(watched, event);
}

} // namespace kv
