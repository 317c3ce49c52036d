// PictureMask: the picture notation of the table files' field checks (the to-do table's "~"),
// parsed once and matched against values at post.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace kv {

/// A picture: a pattern a field value must fit.
///
/// Notation: `#` a digit, `?` a letter, `&` a letter shown in upper case, `~` a letter shown
/// in lower case, `@` any character, `!` any character shown in upper case, `;` takes the next
/// character literally, `*` repeats the next item (`*#` any number of digits, `*3#` exactly
/// three), `[...]` an optional part, `{a,b}` one of the alternatives; every other character is a
/// literal that matches regardless of letter case and is written as the picture spells it.
///
/// A picture with a syntax error (unbalanced brackets, a trailing `;` or `*`) makes the
/// constructor throw StoreError (kInvalidValue).
class PictureMask
{
public:
    explicit PictureMask(const QString &picture);
    ~PictureMask();
    PictureMask(const PictureMask &other);
    PictureMask &operator=(const PictureMask &other);

    const QString &picture() const { return m_picture; }

    /// The value with the picture's case rules and literals applied, or nothing when the whole
    /// value does not fit the picture.
    std::optional<QString> apply(const QString &value) const;
    bool matches(const QString &value) const { return apply(value).has_value(); }

    struct Node;
    using Sequence = std::vector<Node>;

private:
    QString m_picture;
    std::shared_ptr<const Sequence> m_root; // immutable after parsing, shared by copies
};

} // namespace kv
