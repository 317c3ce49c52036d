// PictureMask: parser of the picture notation and a backtracking matcher over the parsed tree.
#include "PictureMask.h"

#include "StoreError.h"

#include <functional>

namespace kv {

struct PictureMask::Node
{
    enum class Kind { Class, Literal, Optional, Group, Repeat };
    Kind kind = Kind::Literal;
    QChar ch;                           ///< class character (#?&~@!) or the literal
    int count = -1;                     ///< Repeat: exact count, -1 for any number
    std::vector<Sequence> alternatives; ///< Optional: one; Group: each choice; Repeat: the item
};

namespace {

using Node = PictureMask::Node;
using Sequence = PictureMask::Sequence;

class Parser
{
public:
    explicit Parser(const QString &picture) : m_p(picture) {}

    Sequence parseAll()
    {
        Sequence s = parseSequence(false);
        if (m_i < m_p.size())
            fail(QStringLiteral("unexpected '%1'").arg(m_p[m_i]));
        return s;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw StoreError(QStringLiteral("Invalid picture \"%1\": %2").arg(m_p, why),
                         StoreError::kInvalidValue);
    }

    Sequence parseSequence(bool inGroup)
    {
        Sequence s;
        while (m_i < m_p.size()) {
            const QChar c = m_p[m_i];
            if (c == u']' || c == u'}' || (inGroup && c == u','))
                break;
            s.push_back(parseItem());
        }
        return s;
    }

    Node parseItem()
    {
        const QChar c = m_p[m_i++];
        Node n;
        switch (c.unicode()) {
        case u';':
            if (m_i >= m_p.size())
                fail(QStringLiteral("';' at the end"));
            n.ch = m_p[m_i++];
            return n;
        case u'*': {
            qsizetype start = m_i;
            while (m_i < m_p.size() && m_p[m_i].isDigit())
                ++m_i;
            if (m_i > start)
                n.count = m_p.mid(start, m_i - start).toInt();
            if (m_i >= m_p.size())
                fail(QStringLiteral("'*' without an item to repeat"));
            n.kind = Node::Kind::Repeat;
            n.alternatives.push_back(Sequence{parseItem()});
            return n;
        }
        case u'[':
            n.kind = Node::Kind::Optional;
            n.alternatives.push_back(parseSequence(false));
            expect(u']');
            return n;
        case u'{':
            n.kind = Node::Kind::Group;
            for (;;) {
                n.alternatives.push_back(parseSequence(true));
                if (m_i < m_p.size() && m_p[m_i] == u',') {
                    ++m_i;
                    continue;
                }
                break;
            }
            expect(u'}');
            return n;
        case u']':
        case u'}':
            fail(QStringLiteral("unbalanced '%1'").arg(c));
        case u'#':
        case u'?':
        case u'&':
        case u'~':
        case u'@':
        case u'!':
            n.kind = Node::Kind::Class;
            n.ch = c;
            return n;
        default:
            n.ch = c;
            return n;
        }
    }

    void expect(QChar c)
    {
        if (m_i >= m_p.size() || m_p[m_i] != c)
            fail(QStringLiteral("missing '%1'").arg(c));
        ++m_i;
    }

    const QString &m_p;
    qsizetype m_i = 0;
};

/// Matches a value against a parsed picture; every choice point backtracks, the written value
/// is built in `out` and cut back on failure.
class Matcher
{
public:
    using Next = std::function<bool(qsizetype, QString &)>;

    explicit Matcher(const QString &input) : m_in(input) {}

    bool sequence(const Sequence &s, size_t i, qsizetype pos, QString &out, const Next &next) const
    {
        if (i == s.size())
            return next(pos, out);
        return node(s[i], pos, out,
                    [&](qsizetype p, QString &o) { return sequence(s, i + 1, p, o, next); });
    }

private:
    bool node(const Node &n, qsizetype pos, QString &out, const Next &next) const
    {
        const qsizetype mark = out.size();
        switch (n.kind) {
        case Node::Kind::Class:
        case Node::Kind::Literal: {
            if (pos >= m_in.size())
                return false;
            const std::optional<QChar> written = accept(n, m_in[pos]);
            if (!written)
                return false;
            out += *written;
            if (next(pos + 1, out))
                return true;
            out.truncate(mark);
            return false;
        }
        case Node::Kind::Optional:
            if (sequence(n.alternatives.front(), 0, pos, out, next))
                return true;
            out.truncate(mark);
            return next(pos, out);
        case Node::Kind::Group:
            for (const Sequence &alt : n.alternatives) {
                if (sequence(alt, 0, pos, out, next))
                    return true;
                out.truncate(mark);
            }
            return false;
        case Node::Kind::Repeat:
            return n.count < 0 ? repeatAny(n.alternatives.front(), pos, out, next)
                               : repeatExactly(n.alternatives.front(), n.count, pos, out, next);
        }
        return false;
    }

    bool repeatAny(const Sequence &item, qsizetype pos, QString &out, const Next &next) const
    {
        const qsizetype mark = out.size();
        // Greedy: one more round first, but only a round that consumes input.
        if (sequence(item, 0, pos, out, [&](qsizetype p, QString &o) {
                return p > pos && repeatAny(item, p, o, next);
            }))
            return true;
        out.truncate(mark);
        return next(pos, out);
    }

    bool repeatExactly(const Sequence &item, int count, qsizetype pos, QString &out,
                       const Next &next) const
    {
        if (count == 0)
            return next(pos, out);
        return sequence(item, 0, pos, out, [&](qsizetype p, QString &o) {
            return repeatExactly(item, count - 1, p, o, next);
        });
    }

    static std::optional<QChar> accept(const Node &n, QChar c)
    {
        if (n.kind == Node::Kind::Literal) {
            if (c.toCaseFolded() == n.ch.toCaseFolded())
                return n.ch;
            return std::nullopt;
        }
        switch (n.ch.unicode()) {
        case u'#':
            return c >= u'0' && c <= u'9' ? std::optional<QChar>(c) : std::nullopt;
        case u'?':
            return c.isLetter() ? std::optional<QChar>(c) : std::nullopt;
        case u'&':
            return c.isLetter() ? std::optional<QChar>(c.toUpper()) : std::nullopt;
        case u'~':
            return c.isLetter() ? std::optional<QChar>(c.toLower()) : std::nullopt;
        case u'@':
            return c;
        case u'!':
            return c.toUpper();
        default:
            return std::nullopt;
        }
    }

    const QString &m_in;
};

} // namespace

PictureMask::PictureMask(const QString &picture)
    : m_picture(picture), m_root(std::make_shared<const Sequence>(Parser(picture).parseAll()))
{}

PictureMask::~PictureMask() = default;
PictureMask::PictureMask(const PictureMask &other) = default;
PictureMask &PictureMask::operator=(const PictureMask &other) = default;

std::optional<QString> PictureMask::apply(const QString &value) const
{
    Matcher matcher(value);
    QString out;
    QString result;
    const bool ok = matcher.sequence(*m_root, 0, 0, out, [&](qsizetype pos, QString &o) {
        if (pos != value.size())
            return false;
        result = o;
        return true;
    });
    if (!ok)
        return std::nullopt;
    return result;
}

} // namespace kv
