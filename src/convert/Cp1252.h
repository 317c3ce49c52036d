// Code page 1252, the character set of the version-1.1 tables, to and from Unicode.
#pragma once

#include <QByteArray>
#include <QString>

namespace kv::cp1252 {

/// Decodes bytes of code page 1252. The five bytes the code page leaves undefined (0x81, 0x8D,
/// 0x8F, 0x90, 0x9D) become the control characters of the same number, as Windows maps them.
QString decode(const char *data, qsizetype size);
inline QString decode(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size());
}

/// Encodes text in code page 1252; characters it cannot hold become '?'.
QByteArray encode(const QString &text);

} // namespace kv::cp1252
