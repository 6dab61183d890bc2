#include "cli/cell_range.h"

#include <limits>

namespace gridwork::cli {

namespace {

constexpr std::int64_t saturated = std::numeric_limits<std::int64_t>::max();

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[noreturn]] void notARange(std::string_view whole, Axis axis) {
    const std::string expected =
        axis == Axis::Rows ? "row numbers such as 2:40" : "column numbers or letters such as B:D";
    throw RangeSyntaxError("\"" + std::string(whole) + "\" is not a range; expected " + expected);
}

std::int64_t bound(std::string_view text, Axis axis, std::string_view whole) {
    const auto all = [&](bool (*pred)(char)) {
        for (const char c : text)
            if (!pred(c))
                return false;
        return true;
    };
    if (!text.empty() && all(isDigit))
        return saturatingNumber(text);
    if (axis == Axis::Columns && !text.empty() && all(isLetter))
        return columnNumber(text);
    notARange(whole, axis);
}

} // namespace

std::string withThousands(std::int64_t n) {
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::int64_t saturatingNumber(std::string_view digits) {
    std::int64_t value = 0;
    for (const char c : digits) {
        const int digit = c - '0';
        if (value > (saturated - digit) / 10)
            return saturated;
        value = value * 10 + digit;
    }
    return value;
}

std::int64_t columnNumber(std::string_view letters) {
    std::int64_t value = 0;
    for (const char c : letters) {
        const int digit = (c >= 'a' ? c - 'a' : c - 'A') + 1;
        if (value > (saturated - digit) / 26)
            return saturated;
        value = value * 26 + digit;
    }
    return value;
}

std::string columnName(std::int64_t number) {
    std::string name;
    while (number > 0) {
        const auto rest = (number - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + rest));
        number = (number - 1) / 26;
    }
    return name;
}

Span parseSpan(std::string_view text, Axis axis) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        notARange(text, axis);
    return Span{bound(text.substr(0, colon), axis, text), bound(text.substr(colon + 1), axis, text),
                std::string(text)};
}

void checkSpan(const Span& span, Axis axis) {
    const bool rows = axis == Axis::Rows;
    const std::string what = std::string(rows ? "rows " : "columns ") + span.text;
    if (span.first > span.last)
        throw RangeValueError(what + ": From is greater than To");
    const std::int64_t limit = rows ? maxSheetRows : maxSheetColumns;
    if (span.first < 1 || span.last > limit) {
        const std::string sheet =
            rows ? "rows 1 to " + withThousands(limit) : "columns A to " + columnName(limit);
        throw RangeValueError(what + " lie outside the sheet (" + sheet + ")");
    }
}

} // namespace gridwork::cli
