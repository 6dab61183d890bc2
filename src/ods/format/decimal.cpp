#include "ods/format/decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace ods::format {

namespace {

// Keeps the first `keep` of `count` digits and rounds half away from zero on the next one,
// carrying leftwards; returns how many digits are left once trailing zeros are cut. The digits
// carry no leading zero, so a carry out of the first digit leaves the single digit 1.
int keepDigits(char* digits, int count, int& exponent, int keep) {
    if (keep >= count)
        return count;
    if (keep < 0) {
        exponent = 0;
        return 0;
    }
    int kept = keep;
    if (digits[keep] >= '5') {
        while (kept > 0 && digits[kept - 1] == '9')
            --kept;
        if (kept == 0) {
            digits[0] = '1';
            ++exponent;
            return 1;
        }
        ++digits[kept - 1];
        return kept;
    }
    while (kept > 0 && digits[kept - 1] == '0')
        --kept;
    if (kept == 0)
        exponent = 0;
    return kept;
}

// Most numbers of a table have few decimals. When a magnitude is the double nearest to an integer
// of at most 15 digits over a small power of ten, those are its shortest digits: two decimals of
// at most 15 significant digits never share a double. This finds them without the general
// shortest-digits algorithm; false when the magnitude is not of that kind.
bool fewDecimals(double magnitude, ShortDecimal& result) {
    constexpr std::array<double, 10> powersOfTen = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    constexpr double fifteenDigits = 1e15;
    for (std::size_t k = 0; k < powersOfTen.size(); ++k) {
        const double scaled = magnitude * powersOfTen[k];
        if (!(scaled < fifteenDigits))
            return false;
        // Any nearby integer will do: the test below is exact. Truncating is cheaper than
        // std::round.
        const auto integer = static_cast<long long>(scaled + 0.5);
        const auto candidate = static_cast<double>(integer);
        // The right power of ten leaves the product within a rounding error of an integer; the
        // others mostly do not, and are passed over without the costlier exact test.
        if (integer == 0 || std::fabs(scaled - candidate) > scaled * 1e-15)
            continue;
        // Both are exact doubles, so the quotient is the double nearest to the decimal.
        if (candidate / powersOfTen[k] != magnitude)
            continue;
        // Fifteen digits at most, so they fit the digits in place.
        const auto end = std::to_chars(result.digits.data(),
                                       result.digits.data() + result.digits.size(), integer)
                             .ptr;
        int count = static_cast<int>(end - result.digits.data());
        result.exponent = count - static_cast<int>(k);
        while (result.digits[static_cast<std::size_t>(count - 1)] == '0')
            --count;
        result.count = count;
        return true;
    }
    return false;
}

} // namespace

ShortDecimal shortestShortDecimal(double value) {
    ShortDecimal result;
    if (!std::isfinite(value))
        throw std::invalid_argument("cannot show a number that is infinite or not a number");
    if (value == 0)
        return result;
    result.negative = value < 0;
    if (fewDecimals(std::fabs(value), result))
        return result;
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                            std::fabs(value), std::chars_format::scientific);
    if (error != std::errc())
        throw std::runtime_error("cannot convert a number to decimal digits");
    // d[.ddd]e±xx: the mantissa has no leading zero, and at most 17 digits.
    const char* p = buffer.data();
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.')
            result.digits[static_cast<std::size_t>(result.count++)] = *p;
    int exponent = 0;
    const char* expBegin = p + 1;
    if (expBegin != end && *expBegin == '+')
        ++expBegin;
    std::from_chars(expBegin, end, exponent);
    result.exponent = exponent + 1;
    while (result.count > 0 && result.digits[static_cast<std::size_t>(result.count - 1)] == '0')
        --result.count;
    return result;
}

void ShortDecimal::roundToPlaces(int places) {
    if (count > 0)
        count = keepDigits(digits.data(), count, exponent, exponent + places);
}

void ShortDecimal::roundToSignificant(int significant) {
    count = keepDigits(digits.data(), count, exponent, significant);
}

Decimal shortestDecimal(double value) {
    const ShortDecimal digits = shortestShortDecimal(value);
    return {digits.negative, std::string(digits.digitText()), digits.exponent};
}

Decimal roundToPlaces(Decimal value, int places) {
    if (value.isZero())
        return value;
    const int keep = value.exponent + places;
    return roundToSignificant(std::move(value), keep);
}

Decimal roundToSignificant(Decimal value, int count) {
    value.digits.resize(static_cast<std::size_t>(keepDigits(
        value.digits.data(), static_cast<int>(value.digits.size()), value.exponent, count)));
    return value;
}

Decimal officeDecimal(double value) {
    constexpr double exactIntegers = 9007199254740992.0; // 2^53
    Decimal result = shortestDecimal(value);
    if (std::fabs(value) < exactIntegers && std::trunc(value) == value)
        return result;
    return roundToSignificant(std::move(result), 15);
}

std::string integerDigits(const Decimal& value) {
    if (value.exponent <= 0)
        return {};
    std::string result = value.digits.substr(0, value.exponent);
    result.resize(value.exponent, '0');
    return result;
}

std::string fractionDigits(const Decimal& value, int count) {
    std::string result;
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int index = value.exponent + i;
        result.push_back(index >= 0 && index < static_cast<int>(value.digits.size())
                             ? value.digits[index]
                             : '0');
    }
    return result;
}

} // namespace ods::format
