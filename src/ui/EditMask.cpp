// The three-part edit mask: parsing and the value/edit-text conversions.
#include "EditMask.h"

#include <QCoreApplication>
#include <QStringList>

namespace kv {

namespace {

bool isInputClass(QChar c)
{
    switch (c.unicode()) {
    case 'L':
    case 'l':
    case 'A':
    case 'a':
    case 'C':
    case 'c':
    case '0':
    case '9':
    case '#':
        return true;
    default:
        return false;
    }
}

bool isRequiredClass(QChar c)
{
    return c == QLatin1Char('L') || c == QLatin1Char('A') || c == QLatin1Char('C') ||
           c == QLatin1Char('0');
}

bool fits(QChar cls, QChar c)
{
    switch (cls.unicode()) {
    case 'L':
    case 'l':
        return c.isLetter();
    case 'A':
    case 'a':
        return c.isLetterOrNumber();
    case 'C':
    case 'c':
        return c.isPrint();
    case '0':
    case '9':
        return c.isDigit();
    case '#':
        return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
    default:
        return false;
    }
}

} // namespace

EditMask::EditMask(const QString &mask)
{
    // The parts are split at the last two unescaped separators; the first part may itself hold
    // escaped semicolons.
    QString body = mask;
    QStringList tail;
    for (int part = 0; part < 2; ++part) {
        const int sep = body.lastIndexOf(QLatin1Char(';'));
        if (sep < 0 || (sep > 0 && body.at(sep - 1) == QLatin1Char('\\')))
            break;
        tail.prepend(body.mid(sep + 1));
        body.truncate(sep);
    }
    if (!tail.isEmpty())
        m_saveLiterals = tail.at(0) != QLatin1String("0");
    if (tail.size() > 1 && !tail.at(1).isEmpty())
        m_blank = tail.at(1).at(0);

    CaseRule rule = CaseRule::Keep;
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('\\')) {
            if (++i < body.size())
                m_positions.push_back({true, body.at(i), false, CaseRule::Keep});
        } else if (c == QLatin1Char('!')) {
            m_blanksLead = true;
        } else if (c == QLatin1Char('<') && i + 1 < body.size() &&
                   body.at(i + 1) == QLatin1Char('>')) {
            rule = CaseRule::Keep;
            ++i;
        } else if (c == QLatin1Char('>')) {
            rule = CaseRule::Upper;
        } else if (c == QLatin1Char('<')) {
            rule = CaseRule::Lower;
        } else if (isInputClass(c)) {
            m_positions.push_back({false, c, isRequiredClass(c), rule});
        } else {
            m_positions.push_back({true, c, false, CaseRule::Keep});
        }
    }
}

QString EditMask::emptyText() const
{
    QString text;
    text.reserve(length());
    for (const Position &p : m_positions)
        text.append(p.literal ? p.ch : m_blank);
    return text;
}

std::optional<QChar> EditMask::accept(int i, QChar c) const
{
    if (i < 0 || i >= length() || isLiteral(i) || !fits(position(i).ch, c))
        return std::nullopt;
    switch (position(i).caseRule) {
    case CaseRule::Upper:
        return c.toUpper();
    case CaseRule::Lower:
        return c.toLower();
    case CaseRule::Keep:
        break;
    }
    return c;
}

int EditMask::nextInput(int i) const
{
    for (i = std::max(i, 0); i < length(); ++i)
        if (!isLiteral(i))
            return i;
    return length();
}

int EditMask::previousInput(int i) const
{
    for (i = std::min(i, length()) - 1; i >= 0; --i)
        if (!isLiteral(i))
            return i;
    return -1;
}

QString EditMask::toEditText(const QString &value) const
{
    QString text = emptyText();
    if (m_saveLiterals) {
        // The value carries the literals: it lines up with the positions one to one.
        for (int i = 0; i < std::min(length(), int(value.size())); ++i)
            if (!isLiteral(i))
                if (auto c = accept(i, value.at(i)))
                    text[i] = *c;
        return text;
    }
    std::vector<int> inputs;
    for (int i = 0; i < length(); ++i)
        if (!isLiteral(i))
            inputs.push_back(i);
    const int count = static_cast<int>(inputs.size());
    const int n = std::min(count, int(value.size()));
    const int offset = m_blanksLead ? count - n : 0;
    for (int k = 0; k < n; ++k) {
        const int pos = inputs[static_cast<size_t>(offset + k)];
        if (auto c = accept(pos, value.at(k)))
            text[pos] = *c;
    }
    return text;
}

bool EditMask::isFilled(const QString &editText, int i) const
{
    return i < editText.size() && editText.at(i) != m_blank && editText.at(i) != QLatin1Char(' ');
}

bool EditMask::isBlank(const QString &editText) const
{
    for (int i = 0; i < length(); ++i)
        if (!isLiteral(i) && isFilled(editText, i))
            return false;
    return true;
}

QString EditMask::toValue(const QString &editText) const
{
    if (isBlank(editText))
        return QString();
    QString value;
    for (int i = 0; i < length(); ++i) {
        if (isLiteral(i)) {
            if (m_saveLiterals)
                value.append(position(i).ch);
        } else {
            value.append(isFilled(editText, i) ? editText.at(i) : QLatin1Char(' '));
        }
    }
    // Trailing blanks are never stored. Leading ones go only where reading the value back fills
    // the positions from the right; elsewhere they keep the characters in their places.
    if (m_blanksLead && !m_saveLiterals)
        return value.trimmed();
    while (value.endsWith(QLatin1Char(' ')))
        value.chop(1);
    return value;
}

bool EditMask::isComplete(const QString &editText) const
{
    if (isBlank(editText))
        return true;
    for (int i = 0; i < length(); ++i)
        if (!isLiteral(i) && position(i).required && !isFilled(editText, i))
            return false;
    return true;
}

QString invalidMaskInputMessage()
{
    return QCoreApplication::translate("kv::MaskEdit",
                                       "Invalid input value.  Use escape key to abandon changes");
}

} // namespace kv
