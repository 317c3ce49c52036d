// DBSpinEdit: a whole-number box with up and down buttons bound to an integer field. Any number
// of up to `maxLength` digits may be typed; on leaving, a number outside the range is replaced by
// the nearer bound. An empty box leaves the field without a value.
#pragma once

#include "FieldLink.h"

#include <QAbstractSpinBox>
#include <optional>

namespace kv {

/// The range of a spin box and what leaving the box does to a typed text.
struct SpinRange
{
    int minimum = 0;
    int maximum = 0;

    /// The nearer bound for a number outside the range; the number itself inside it.
    int clamp(qint64 value) const;
    /// The value a typed text stands for after leaving: nothing for an empty text, else the
    /// clamped number. Only digits are ever typed into the box.
    std::optional<int> settle(const QString &text) const;
    /// One step of the buttons from `current` (nothing = an empty box starts at the minimum).
    int step(std::optional<int> current, int steps) const;
};

class DBSpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit DBSpinEdit(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    SpinRange range() const { return m_range; }
    /// Most digits that may be typed.
    void setMaxLength(int digits);
    void setDataSource(DataSource *source, const QString &fieldName);
    FieldLink *link() const { return m_link; }

    /// The number shown (nothing when the box is empty).
    std::optional<int> value() const;
    QString text() const;

    QValidator::State validate(QString &input, int &pos) const override;
    void stepBy(int steps) override;
    /// Replaces a number outside the range by the nearer bound and writes it (done on leaving).
    void settle();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showField();
    void writeText(const QString &text);

    FieldLink *m_link;
    SpinRange m_range{0, 99};
    int m_maxLength = 2;
};

} // namespace kv
