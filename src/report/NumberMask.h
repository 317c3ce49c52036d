// NumberMask: numbers to text by a layout's mask such as "#0.0000".
#pragma once

#include <QLocale>
#include <QString>

namespace kv {

/// Formats @p value by @p mask:
/// - "0" is a digit always printed, "#" a digit printed only when significant;
/// - "." marks the decimal point (printed as the locale's decimal separator);
/// - "," among the integer digits switches on thousands grouping;
/// - text in single or double quotes, and any other character, is printed as it stands
///   before or after the number;
/// - up to three sections "positive;negative;zero"; a negative value printed by the
///   positive section gets a leading minus sign.
/// Halves round away from zero on the printed digits; a value that rounds to zero never
/// prints as "-0". An empty mask prints the shortest exact form.
QString formatNumberMask(double value, const QString &mask, const QLocale &locale = QLocale());

} // namespace kv
