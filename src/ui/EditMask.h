// EditMask: the three-part edit-mask notation of the field definitions ("mask;save;blank"), parsed
// into edit positions, with the conversions between a stored value and the text a masked box
// shows, and the check that every required position is filled. No widget here: MaskEdit wires it
// to the keyboard.
#pragma once

#include <QChar>
#include <QString>
#include <optional>
#include <vector>

namespace kv {

/// A parsed edit mask.
///
/// Notation of the first part: `L` a letter, `l` an optional letter, `A` a letter or digit, `a` an
/// optional one, `C` any character, `c` an optional one, `0` a digit, `9` an optional digit, `#`
/// an optional digit or sign; `>` shows the following letters in upper case, `<` in lower case,
/// `<>` ends the conversion; `\` takes the next character as a literal; `!` anywhere makes a
/// stored value shorter than the input positions fill them from the right (blanks lead); every
/// other character is a literal. The second part is `1` when the literals are stored with the
/// value and `0` when not (stored with them when the part is missing). The third part is the
/// character shown in an empty position; `_` when it is missing or empty.
///
/// Parsing never fails: an unknown character is a literal, a trailing `\` is dropped.
class EditMask
{
public:
    enum class CaseRule { Keep, Upper, Lower };

    struct Position
    {
        bool literal = false;
        QChar ch; ///< the literal, or the class letter of an input position
        bool required = false;
        CaseRule caseRule = CaseRule::Keep;
    };

    EditMask() = default;
    explicit EditMask(const QString &mask);

    bool isEmpty() const { return m_positions.empty(); }
    /// Length of the edit text: one character per position.
    int length() const { return static_cast<int>(m_positions.size()); }
    const Position &position(int i) const { return m_positions[static_cast<size_t>(i)]; }
    bool isLiteral(int i) const { return position(i).literal; }
    bool saveLiterals() const { return m_saveLiterals; }
    QChar blank() const { return m_blank; }
    bool blanksLead() const { return m_blanksLead; }

    /// The edit text with every input position empty.
    QString emptyText() const;
    /// The character to put at input position `i` for a typed `c` (case rule applied), or nothing
    /// when `c` does not fit there.
    std::optional<QChar> accept(int i, QChar c) const;
    /// First input position at or after `i` (length() when none).
    int nextInput(int i) const;
    /// Last input position before `i` (-1 when none).
    int previousInput(int i) const;

    /// The edit text for a stored value. Characters that do not fit their position are shown as
    /// empty positions.
    QString toEditText(const QString &value) const;
    /// The value to store for an edit text: with or without the literals, empty positions as
    /// blanks, trailing blanks removed (leading ones too where blanks lead). An edit text without
    /// any input is the empty value.
    QString toValue(const QString &editText) const;
    /// True when every required position holds a character, or when no position holds any (an
    /// emptied box clears the field).
    bool isComplete(const QString &editText) const;
    /// True when no input position of `editText` holds a character.
    bool isBlank(const QString &editText) const;

private:
    bool isFilled(const QString &editText, int i) const;

    std::vector<Position> m_positions;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
    bool m_blanksLead = false;
};

/// The widget set's message when a masked box is left with an incomplete value.
QString invalidMaskInputMessage();

} // namespace kv
