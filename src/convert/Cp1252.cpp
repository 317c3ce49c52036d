// Code page 1252: Latin-1 with 27 printable characters in 0x80..0x9F.
#include "Cp1252.h"

namespace kv::cp1252 {

namespace {

// Unicode of the bytes 0x80..0x9F; the undefined ones keep their own number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString decode(const char *data, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(char16_t(b));
    }
    return text;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        char b = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            b = static_cast<char>(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kHigh[i] == u) {
                    b = static_cast<char>(0x80 + i);
                    break;
                }
            }
        }
        bytes.append(b);
    }
    return bytes;
}

} // namespace kv::cp1252
