#include "ods/format/decimal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace ods::format {

namespace {

void trim(Decimal& value) {
    const auto first = value.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        value.digits.clear();
        value.exponent = 0;
        return;
    }
    value.digits.erase(0, first);
    value.exponent -= static_cast<int>(first);
    value.digits.erase(value.digits.find_last_not_of('0') + 1);
}

// Keeps the first `keep` digits and rounds on the next one, carrying leftwards.
Decimal keepDigits(Decimal value, int keep) {
    if (keep >= static_cast<int>(value.digits.size()))
        return value;
    if (keep < 0) {
        value.digits.clear();
        value.exponent = 0;
        return value;
    }
    const bool up = value.digits[keep] >= '5';
    value.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && value.digits[i] == '9') {
            value.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++value.digits[i];
        } else {
            value.digits.insert(value.digits.begin(), '1');
            ++value.exponent;
        }
    }
    trim(value);
    return value;
}

} // namespace

Decimal shortestDecimal(double value) {
    Decimal result;
    if (!std::isfinite(value))
        throw std::invalid_argument("cannot show a number that is infinite or not a number");
    if (value == 0)
        return result;
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                            std::fabs(value), std::chars_format::scientific);
    if (error != std::errc())
        throw std::runtime_error("cannot convert a number to decimal digits");
    const std::string_view text(buffer.data(), end);
    const auto e = text.find('e');
    for (const char c : text.substr(0, e))
        if (c != '.')
            result.digits.push_back(c);
    int exponent = 0;
    const auto expText = text.substr(e + 1);
    const char* expBegin = expText.data() + (expText.front() == '+' ? 1 : 0);
    std::from_chars(expBegin, expText.data() + expText.size(), exponent);
    result.exponent = exponent + 1;
    result.negative = value < 0;
    trim(result);
    return result;
}

Decimal roundToPlaces(Decimal value, int places) {
    if (value.isZero())
        return value;
    const int keep = value.exponent + places;
    return keepDigits(std::move(value), keep);
}

Decimal roundToSignificant(Decimal value, int count) {
    return keepDigits(std::move(value), count);
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
