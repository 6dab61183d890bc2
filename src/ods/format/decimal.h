#pragma once

// Numbers as decimal digit strings, so rounding happens on the digits the office sees and not on
// the binary approximation of a double (1.005 rounds up to 1.01, as it does in the office).

#include <array>
#include <string>
#include <string_view>

namespace ods::format {

/// A finite number as 0.DIGITS x 10^exponent; digits carry no leading or trailing zeros, and
/// no digits at all means zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    [[nodiscard]] bool isZero() const { return digits.empty(); }
    /// The exponent of the first digit in scientific notation (d.ddd x 10^e).
    [[nodiscard]] int scientificExponent() const { return exponent - 1; }
};

/// A Decimal of at most 17 digits (all that a double needs) kept in place, for the formats
/// that show many values and must not allocate per value. Same meaning as Decimal.
struct ShortDecimal {
    bool negative = false;
    std::array<char, 17> digits{};
    int count = 0;
    int exponent = 0;

    [[nodiscard]] bool isZero() const { return count == 0; }
    [[nodiscard]] int scientificExponent() const { return exponent - 1; }
    [[nodiscard]] std::string_view digitText() const {
        return {digits.data(), static_cast<std::size_t>(count)};
    }
    /// Rounds as roundToPlaces does.
    void roundToPlaces(int places);
    /// Rounds as roundToSignificant does.
    void roundToSignificant(int significant);
};

/// The shortest decimal that reads back as the same double.
Decimal shortestDecimal(double value);
ShortDecimal shortestShortDecimal(double value);

/// Rounds half away from zero so that at most `places` digits follow the decimal point (negative
/// places round to tens, hundreds, ...).
Decimal roundToPlaces(Decimal value, int places);

/// Rounds half away from zero to at most `count` significant digits.
Decimal roundToSignificant(Decimal value, int count);

/// The office keeps about 15 significant digits of a number: integers below 2^53 survive whole,
/// everything else is rounded to 15 digits before any format sees it.
Decimal officeDecimal(double value);

/// The digits before the decimal point ("" for a number below one).
std::string integerDigits(const Decimal& value);

/// Exactly `count` digits after the decimal point, padded with zeros (no rounding).
std::string fractionDigits(const Decimal& value, int count);

} // namespace ods::format
