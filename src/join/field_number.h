#pragma once

// Whole numbers typed into the window's fields, converted the way the join has always read them:
// blanks around ignored, a sign, a decimal point and an exponent allowed, halves rounded to the
// even neighbour, and a failure (never a silent wrap) for text that is no number or does not fit.

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace gridwork {

/// The text is no number at all ("abc", "", "3a", "1,5").
class TypeMismatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The number does not fit the target type; std::overflow_error is the family callers expect.
using OverflowError = std::overflow_error;

/// The field text as a 16-bit signed whole number (order checks, sheet numbers).
/// Throws TypeMismatchError or OverflowError.
std::int16_t fieldInt16(std::string_view text);

/// The field text as a 32-bit signed whole number (range bounds and spans).
/// Throws TypeMismatchError or OverflowError.
std::int32_t fieldInt32(std::string_view text);

/// a - b for 16-bit values; throws OverflowError when the result leaves the 16-bit range.
std::int16_t checkedDifference16(std::int16_t a, std::int16_t b);

/// a - b for 32-bit values; throws OverflowError when the result leaves the 32-bit range.
std::int32_t checkedDifference32(std::int32_t a, std::int32_t b);

} // namespace gridwork
