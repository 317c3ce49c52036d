// LocaleFacts: the user's locale settings that formats need (separators, list separator,
// the Windows locale identifier some file formats carry).
#pragma once

#include <QLocale>
#include <QString>

namespace kv::locale {

/// Decimal separator of the default locale.
QChar decimalSeparator();
/// List separator: ";" when the decimal separator is ",", else "," (no separate setting exists on
/// this desktop, so the fallback rule always applies).
QString listSeparator();
/// Windows locale identifier of a locale (0x0409 for English (US), 0x0407 German (Germany)...);
/// 0 when the locale has no mapping.
quint32 windowsLocaleId(const QLocale &locale = QLocale());

} // namespace kv::locale
