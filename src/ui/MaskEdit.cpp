// The masked edit box: keyboard handling over an EditMask and the check on leaving.
#include "MaskEdit.h"

#include "Services.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

namespace kv {

MaskEdit::MaskEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!isMasked()) {
            m_dirty = true;
            emit valueEdited();
        }
    });
}

void MaskEdit::setEditMask(const QString &mask)
{
    const QString current = value();
    m_mask = EditMask(mask);
    if (isMasked())
        setMaxLength(m_mask.length());
    setValue(current);
}

QString MaskEdit::value() const
{
    return isMasked() ? m_mask.toValue(text()) : text();
}

void MaskEdit::setValue(const QString &value)
{
    const QString shown = isMasked() ? m_mask.toEditText(value) : value;
    if (shown != text())
        QLineEdit::setText(shown);
    m_original = shown;
    m_dirty = false;
    if (isMasked() && !hasFocus())
        setCursorPosition(0);
}

bool MaskEdit::isValueComplete() const
{
    return !isMasked() || m_mask.isComplete(text());
}

bool MaskEdit::validateEdit()
{
    if (isValueComplete())
        return true;
    showStandardError(invalidMaskInputMessage());
    setFocus(Qt::OtherFocusReason);
    return false;
}

void MaskEdit::setMaskedText(const QString &text, int cursor)
{
    if (text != this->text()) {
        QLineEdit::setText(text);
        m_dirty = true;
        emit valueEdited();
    }
    setCursorPosition(cursor);
}

void MaskEdit::typeText(const QString &typed)
{
    QString edit = text();
    int pos = hasSelectedText() ? selectionStart() : cursorPosition();
    if (hasSelectedText()) {
        const int end = selectionStart() + selectedText().size();
        for (int i = selectionStart(); i < end && i < m_mask.length(); ++i)
            if (!m_mask.isLiteral(i))
                edit[i] = m_mask.blank();
    }
    bool refused = false;
    for (const QChar c : typed) {
        // Typing a literal steps over it, as does typing into its place.
        if (pos < m_mask.length() && m_mask.isLiteral(pos) && m_mask.position(pos).ch == c) {
            ++pos;
            continue;
        }
        const int at = m_mask.nextInput(pos);
        const std::optional<QChar> fitted =
            at < m_mask.length() ? m_mask.accept(at, c) : std::nullopt;
        if (!fitted) {
            refused = true;
            break;
        }
        edit[at] = *fitted;
        pos = m_mask.nextInput(at + 1);
    }
    setMaskedText(edit, std::min(pos, int(m_mask.length())));
    if (refused)
        Services::instance().beeper().beep();
}

void MaskEdit::clearPositions(int from, int to)
{
    QString edit = text();
    for (int i = std::max(from, 0); i < to && i < m_mask.length(); ++i)
        if (!m_mask.isLiteral(i))
            edit[i] = m_mask.blank();
    setMaskedText(edit, from);
}

void MaskEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_dirty) {
        // Abandon the changes: back to the value the box had when it was set or entered.
        QLineEdit::setText(m_original);
        m_dirty = false;
        emit valueEdited();
        event->accept();
        return;
    }
    if (!isMasked()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const bool modify = !isReadOnly() && canModify();
    if (event == QKeySequence::Paste) {
        if (modify)
            typeText(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    if (event == QKeySequence::Cut || event == QKeySequence::Undo || event == QKeySequence::Redo ||
        event == QKeySequence::DeleteEndOfWord || event == QKeySequence::DeleteStartOfWord) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (modify) {
            if (hasSelectedText())
                clearPositions(selectionStart(), selectionStart() + int(selectedText().size()));
            else if (const int p = m_mask.previousInput(cursorPosition()); p >= 0)
                clearPositions(p, p + 1);
        }
        event->accept();
        return;
    case Qt::Key_Delete:
        if (modify) {
            if (hasSelectedText()) {
                clearPositions(selectionStart(), selectionStart() + int(selectedText().size()));
            } else {
                const int here = cursorPosition();
                const int p = m_mask.nextInput(here);
                if (p < m_mask.length()) {
                    clearPositions(p, p + 1);
                    setCursorPosition(here);
                }
            }
        }
        event->accept();
        return;
    default:
        break;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        if (modify)
            typeText(typed);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event); // moving, selecting, copying, Tab
}

void MaskEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!isMasked()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    if (!event->commitString().isEmpty() && !isReadOnly() && canModify())
        typeText(event->commitString());
    event->accept();
}

void MaskEdit::focusInEvent(QFocusEvent *event)
{
    if (!m_dirty)
        m_original = text();
    QLineEdit::focusInEvent(event);
}

void MaskEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Only a move of the focus by the user is checked: a message box or another window taking
    // the activation is no leaving.
    const Qt::FocusReason reason = event->reason();
    if (!isMasked() || !m_dirty || reason == Qt::ActiveWindowFocusReason ||
        reason == Qt::PopupFocusReason)
        return;
    if (isValueComplete()) {
        m_original = text();
        m_dirty = false;
        return;
    }
    QPointer<MaskEdit> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self && !self->isValueComplete())
            self->validateEdit();
    });
}

} // namespace kv
