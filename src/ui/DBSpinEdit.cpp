// DBSpinEdit: the bound whole-number box and its range rules.
#include "DBSpinEdit.h"

#include "Services.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <algorithm>

namespace kv {

int SpinRange::clamp(qint64 value) const
{
    return static_cast<int>(std::clamp<qint64>(value, minimum, maximum));
}

std::optional<int> SpinRange::settle(const QString &text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok) // more digits than a number holds: beyond any bound
        return t.startsWith(QLatin1Char('-')) ? minimum : maximum;
    return clamp(v);
}

int SpinRange::step(std::optional<int> current, int steps) const
{
    if (!current)
        return minimum;
    return clamp(qint64(*current) + steps);
}

DBSpinEdit::DBSpinEdit(QWidget *parent)
    : QAbstractSpinBox(parent), m_link(new FieldLink(this, [this] { showField(); }))
{
    setMaxLength(m_maxLength);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &t) { writeText(t); });
    connect(m_link, &FieldLink::stateChanged, this, [this] { setReadOnly(!m_link->canModify()); });
}

void DBSpinEdit::setRange(int minimum, int maximum)
{
    m_range = {minimum, maximum};
}

void DBSpinEdit::setMaxLength(int digits)
{
    m_maxLength = digits;
    lineEdit()->setMaxLength(digits);
}

void DBSpinEdit::setDataSource(DataSource *source, const QString &fieldName)
{
    m_link->setDataSource(source, fieldName);
    setReadOnly(!m_link->canModify());
}

std::optional<int> DBSpinEdit::value() const
{
    bool ok = false;
    const int v = text().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

QString DBSpinEdit::text() const
{
    return lineEdit()->text();
}

QValidator::State DBSpinEdit::validate(QString &input, int &) const
{
    if (input.size() > m_maxLength)
        return QValidator::Invalid;
    for (const QChar c : input)
        if (!c.isDigit())
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

void DBSpinEdit::showField()
{
    Field *f = m_link->field();
    const QString shown = f->isNull() ? QString() : QString::number(f->asInteger());
    if (shown != lineEdit()->text())
        lineEdit()->setText(shown);
}

void DBSpinEdit::writeText(const QString &text)
{
    runAction([&] {
        if (!m_link->beginChange()) {
            showField();
            return;
        }
        bool ok = false;
        const int v = text.toInt(&ok);
        m_link->write([&](Field &f) {
            if (ok)
                f.setAsInteger(v);
            else
                f.clear();
        });
    });
}

void DBSpinEdit::stepBy(int steps)
{
    if (isReadOnly() || !m_link->canModify())
        return;
    const QString t = QString::number(m_range.step(m_range.settle(text()), steps));
    lineEdit()->setText(t);
    writeText(t);
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled DBSpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    const std::optional<int> v = value();
    StepEnabled e = StepNone;
    if (!v || *v < m_range.maximum)
        e |= StepUpEnabled;
    if (!v || *v > m_range.minimum)
        e |= StepDownEnabled;
    return e;
}

void DBSpinEdit::settle()
{
    const std::optional<int> settled = m_range.settle(text());
    if (!settled || *settled == value())
        return;
    const QString t = QString::number(*settled);
    lineEdit()->setText(t);
    writeText(t);
}

void DBSpinEdit::focusOutEvent(QFocusEvent *event)
{
    settle();
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace kv
