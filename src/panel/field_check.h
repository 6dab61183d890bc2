#pragma once

// The check of one sheet, row or column field: it must hold a number that rounds to 1 or more.

#include <QLocale>
#include <QString>
#include <optional>

namespace gridwork {

inline constexpr const char* notNumericMessage = "Must be a numeric entry.";
inline constexpr const char* notPositiveMessage = "Must be greater than zero.";

/// The number in a text as the locale reads it: blanks around it, a sign, the locale's decimal
/// and group separators and an exponent are allowed. Empty text, blanks alone, any other
/// character, infinity and NaN give nothing.
std::optional<double> localeNumber(const QString& text, const QLocale& locale);

/// Rounds to the nearest whole number; exactly halfway goes to the even neighbour.
double roundHalfToEven(double value);

/// The message the field check shows for a text, or "" when the text passes. A number beyond
/// the 16-bit range is judged by its sign like any other: a large positive entry passes (the
/// join run tells the user when it cannot use it), a large negative one is not greater than zero.
QString fieldCheckMessage(const QString& text, const QLocale& locale);

} // namespace gridwork
