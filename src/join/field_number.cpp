#include "join/field_number.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>

namespace gridwork {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Longer integer parts than this overflow every type we convert to.
constexpr std::size_t maxIntegerDigits = 15;

/// The rounded value, or nothing when it is too large in magnitude for any of our types.
/// Throws TypeMismatchError for text that is no number.
std::optional<std::int64_t> roundedValue(std::string_view field) {
    const std::string_view text = trimmedBlanks(field);
    const auto mismatch = [&] {
        return TypeMismatchError("Type mismatch: \"" + std::string(field) + "\" is not a number");
    };
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::string digits;
    std::int64_t pointPosition = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        digits += text[pos++];
        ++pointPosition;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            digits += text[pos++];
        }
    }
    if (digits.empty()) {
        throw mismatch();
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        if (pos == text.size() || !isDigit(text[pos])) {
            throw mismatch();
        }
        std::int64_t exponent = 0;
        while (pos < text.size() && isDigit(text[pos])) {
            // Beyond a million the value is 0 or an overflow either way.
            if (exponent < 1'000'000) {
                exponent = exponent * 10 + (text[pos] - '0');
            }
            ++pos;
        }
        pointPosition += negativeExponent ? -exponent : exponent;
    }
    if (pos != text.size()) {
        throw mismatch();
    }

    const auto firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        return 0;
    }
    digits.erase(0, firstNonZero);
    pointPosition -= static_cast<std::int64_t>(firstNonZero);
    if (pointPosition > static_cast<std::int64_t>(maxIntegerDigits)) {
        return std::nullopt;
    }

    std::int64_t value = 0;
    for (std::int64_t i = 0; i < pointPosition; ++i) {
        const auto index = static_cast<std::size_t>(i);
        value = value * 10 + (index < digits.size() ? digits[index] - '0' : 0);
    }
    // Halves go to the even neighbour, as the old runtime's conversion did (2.5 gives 2).
    if (pointPosition >= 0 && static_cast<std::size_t>(pointPosition) < digits.size()) {
        const auto roundIndex = static_cast<std::size_t>(pointPosition);
        const char roundDigit = digits[roundIndex];
        const bool restNonZero = digits.find_first_not_of('0', roundIndex + 1) != std::string::npos;
        if (roundDigit > '5' || (roundDigit == '5' && (restNonZero || value % 2 != 0))) {
            ++value;
        }
    }
    return negative ? -value : value;
}

template <class Int> Int fieldInteger(std::string_view text) {
    const auto value = roundedValue(text);
    if (!value || *value < std::numeric_limits<Int>::min() ||
        *value > std::numeric_limits<Int>::max()) {
        throw OverflowError("Overflow: \"" + std::string(text) + "\" is outside " +
                            std::to_string(std::numeric_limits<Int>::min()) + " to " +
                            std::to_string(std::numeric_limits<Int>::max()));
    }
    return static_cast<Int>(*value);
}

template <class Int> Int checkedDifference(Int a, Int b) {
    const std::int64_t difference = std::int64_t{a} - std::int64_t{b};
    if (difference < std::numeric_limits<Int>::min() ||
        difference > std::numeric_limits<Int>::max()) {
        throw OverflowError("Overflow: " + std::to_string(a) + " minus " + std::to_string(b) +
                            " is outside " + std::to_string(std::numeric_limits<Int>::min()) +
                            " to " + std::to_string(std::numeric_limits<Int>::max()));
    }
    return static_cast<Int>(difference);
}

} // namespace

std::int16_t fieldInt16(std::string_view text) {
    return fieldInteger<std::int16_t>(text);
}

std::int32_t fieldInt32(std::string_view text) {
    return fieldInteger<std::int32_t>(text);
}

std::int16_t checkedDifference16(std::int16_t a, std::int16_t b) {
    return checkedDifference(a, b);
}

std::int32_t checkedDifference32(std::int32_t a, std::int32_t b) {
    return checkedDifference(a, b);
}

} // namespace gridwork
