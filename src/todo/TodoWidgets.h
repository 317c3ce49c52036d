// TodoWidgets: the entry controls the to-do windows share: the priority combo (a short list,
// typing allowed, one character; the minor priority's one letter kept in lower case) and the due
// date picker with a drop-down calendar. Both work unbound (a grid's cell editor) or bound to a
// field of a table through a data source.
#pragma once

#include "FieldLink.h"

#include <QComboBox>
#include <QDateEdit>
#include <QValidator>

namespace kv {

/// The minor priority's entry mask: at most one letter, turned to lower case as it is typed.
class LowerLetterValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

class PriorityCombo : public QComboBox
{
    Q_OBJECT
public:
    /// An editable combo over @p entries (shown and stored alike) that takes one character.
    /// With @p lowerCaseLetter it takes one letter and turns it to lower case.
    PriorityCombo(const QStringList &entries, bool lowerCaseLetter, QWidget *parent = nullptr);

    /// Binds the combo to @p fieldName; a pick from the list or typing writes the field.
    void setDataSource(DataSource *source, const QString &fieldName);
    FieldLink *link() const { return m_link; }

private:
    void showField();
    void userChanged(const QString &text);

    FieldLink *m_link = nullptr;
    bool m_showing = false;
};

/// A date picker bound to a date field. An empty field shows an empty box; the drop-down
/// calendar then opens on today's month.
class DBDatePicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit DBDatePicker(QWidget *parent = nullptr);
    void setDataSource(DataSource *source, const QString &fieldName);
    FieldLink *link() const { return m_link; }

    /// The date shown as the empty box.
    static QDate nullDate() { return QDate(1900, 1, 1); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showField();
    void userChanged(const QDate &date);

    FieldLink *m_link = nullptr;
    bool m_showing = false;
};

} // namespace kv
