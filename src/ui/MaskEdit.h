// MaskEdit: the masked edit box of the widget set. Typing goes through an EditMask: each key fills
// the next input position, literals are stepped over, characters that do not fit are refused with
// a beep. Leaving the box with an incomplete value shows the widget set's invalid-input message
// and keeps the focus; Escape abandons the changes made since the value was last set or the box
// was entered. Without a mask it is a plain line edit.
#pragma once

#include "EditMask.h"

#include <QLineEdit>

namespace kv {

class MaskEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MaskEdit(QWidget *parent = nullptr);

    /// Sets the three-part mask; the empty mask makes a plain box. The value is kept.
    void setEditMask(const QString &mask);
    const EditMask &editMask() const { return m_mask; }
    bool isMasked() const { return !m_mask.isEmpty(); }

    /// The value in its stored form (without the literals when the mask says so).
    QString value() const;
    /// Shows a stored value; it becomes the value Escape returns to.
    void setValue(const QString &value);
    /// True when the value may be kept: every required position filled, or none at all.
    bool isValueComplete() const;

    /// When the box holds an incomplete value: shows the invalid-input message, gives the box the
    /// focus and returns false.
    bool validateEdit();

signals:
    /// The user changed the value (typing, deleting, pasting, Escape).
    void valueEdited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

    /// Whether the user may change the value now (a bound box asks its table).
    virtual bool canModify() { return !isReadOnly(); }

private:
    void typeText(const QString &text);
    void clearPositions(int from, int to);
    void setMaskedText(const QString &text, int cursor);

    EditMask m_mask;
    QString m_original;
    bool m_dirty = false;
};

} // namespace kv
