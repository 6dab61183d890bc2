#include "ods/format/calendar.h"
#include "ods/format/decimal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <stdexcept>

namespace {

using namespace ods::format;

std::string digitsOf(const Decimal& value) {
    return (value.negative ? "-" : "") + value.digits + "e" + std::to_string(value.exponent);
}

// The shortest digits as the standard library writes them, trailing zeros cut.
std::string libraryDigitsOf(double value) {
    std::array<char, 64> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::scientific)
                         .ptr;
    const std::string text(buffer.data(), end);
    const auto e = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, e))
        if (c != '.' && c != '-')
            digits += c;
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    return (value < 0 ? "-" : "") + digits + "e" +
           std::to_string(std::stoi(text.substr(e + 1)) + 1);
}

} // namespace

TEST(FormatDecimal, ShortestDigitsOfADouble) {
    EXPECT_EQ(digitsOf(shortestDecimal(1.005)), "1005e1");
    EXPECT_EQ(digitsOf(shortestDecimal(-0.0625)), "-625e-1");
    EXPECT_EQ(digitsOf(shortestDecimal(1200)), "12e4");
    EXPECT_TRUE(shortestDecimal(0).isZero());
    EXPECT_TRUE(shortestDecimal(-0.0).isZero());
}

TEST(FormatDecimal, FewDecimalsGiveTheSameDigitsAsTheGeneralAlgorithm) {
    // Near fifteen digits, near the powers of ten tried, and sums that land between decimals.
    const std::vector<double> cases = {0.1,
                                       0.3,
                                       0.1 + 0.2,
                                       4.35,
                                       1e-9,
                                       1.5e-10,
                                       123456789012345.6,
                                       999999999999999.9,
                                       1e15,
                                       1e15 - 1,
                                       99999999999999.99,
                                       5e-324,
                                       2.675,
                                       1.0 / 3,
                                       1e22,
                                       34544.28,
                                       0.1042 * 100,
                                       -36049.91,
                                       9007199254740993.0};
    for (const double value : cases)
        EXPECT_EQ(digitsOf(shortestDecimal(value)), libraryDigitsOf(value)) << value;
    std::mt19937_64 random(20240301);
    std::uniform_int_distribution<long long> integers(1, 999999999999999);
    std::uniform_int_distribution<int> places(0, 12);
    for (int i = 0; i < 20000; ++i) {
        const double value = static_cast<double>(integers(random) >> places(random)) /
                             std::pow(10.0, places(random));
        EXPECT_EQ(digitsOf(shortestDecimal(value)), libraryDigitsOf(value)) << value;
        const double next = std::nextafter(value, 2 * value);
        EXPECT_EQ(digitsOf(shortestDecimal(next)), libraryDigitsOf(next)) << next;
    }
}

TEST(FormatDecimal, NotANumberIsRefusedWithAReason) {
    try {
        shortestDecimal(std::numeric_limits<double>::quiet_NaN());
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "cannot show a number that is infinite or not a number");
    }
    EXPECT_THROW(shortestDecimal(std::numeric_limits<double>::infinity()), std::invalid_argument);
}

TEST(FormatDecimal, RoundsHalfAwayFromZeroOnTheDecimalDigits) {
    const std::vector<std::tuple<double, int, std::string>> cases = {
        {1.005, 2, "101e1"},  {2.675, 2, "268e1"}, {-2.5, 0, "-3e1"},
        {0.004, 2, "e0"},     {9.995, 2, "1e2"},   {999.5, 0, "1e4"},
        {1234.5, -2, "12e4"}, {0.00049, 3, "e0"},  {0.0005, 3, "1e-2"},
    };
    for (const auto& [value, places, digits] : cases) {
        EXPECT_EQ(digitsOf(roundToPlaces(shortestDecimal(value), places)), digits)
            << value << " " << places;
    }
}

TEST(FormatDecimal, KeepsFifteenDigitsExceptForExactIntegers) {
    EXPECT_EQ(digitsOf(officeDecimal(0.30000000000000004)), "3e0");
    EXPECT_EQ(digitsOf(officeDecimal(9007199254740991)), "9007199254740991e16");
    EXPECT_EQ(digitsOf(officeDecimal(9007199254740992)), "900719925474099e16");
    EXPECT_EQ(digitsOf(roundToSignificant(shortestDecimal(99.96), 3)), "1e3");
}

TEST(FormatDecimal, IntegerAndFractionDigits) {
    const Decimal value = shortestDecimal(1234.5);
    EXPECT_EQ(integerDigits(value), "1234");
    EXPECT_EQ(fractionDigits(value, 3), "500");
    EXPECT_EQ(integerDigits(shortestDecimal(0.25)), "");
    EXPECT_EQ(fractionDigits(shortestDecimal(0.025), 2), "02");
    EXPECT_EQ(integerDigits(shortestDecimal(1e20)), "100000000000000000000");
}

TEST(FormatCalendar, SerialNumbersOfDatesAndDurations) {
    EXPECT_EQ(serialOfDate("1899-12-30"), 0);
    EXPECT_EQ(serialOfDate("1900-01-01"), 2);
    EXPECT_EQ(serialOfDate("2024-03-01"), 45352);
    EXPECT_DOUBLE_EQ(*serialOfDate("2024-03-01T12:00:00"), 45352.5);
    EXPECT_DOUBLE_EQ(*serialOfDate("2024-03-01T06:00:00Z"), 45352.25);
    EXPECT_DOUBLE_EQ(*serialOfDate("2024-03-01T00:00:00.5"), 45352 + 0.5 / 86400);
    EXPECT_EQ(serialOfDate("2024-13-01"), std::nullopt);
    EXPECT_EQ(serialOfDate("yesterday"), std::nullopt);
    EXPECT_EQ(serialOfDate("2024-03-01T12"), std::nullopt);
    EXPECT_DOUBLE_EQ(*daysOfDuration("PT36H00M00S"), 1.5);
    EXPECT_DOUBLE_EQ(*daysOfDuration("-PT6H"), -0.25);
    EXPECT_DOUBLE_EQ(*daysOfDuration("P1DT12H"), 1.5);
    EXPECT_DOUBLE_EQ(*daysOfDuration("PT0.5S"), 0.5 / 86400);
    EXPECT_EQ(daysOfDuration("PT"), std::nullopt);
    EXPECT_EQ(daysOfDuration("12:00"), std::nullopt);
    EXPECT_EQ(daysOfDuration("P1H"), std::nullopt);
}

TEST(FormatCalendar, CivilDatesWeekdaysAndWeeks) {
    const CivilDate date = civilFromSerial(45352);
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.day, 1);
    EXPECT_EQ(weekday(45352), 5); // a Friday
    EXPECT_EQ(weekday(0), 6);     // 1899-12-30, a Saturday
    EXPECT_EQ(weekday(-1), 5);
    EXPECT_EQ(weekOfYear(serialFromCivil({2021, 1, 3}), 1, 4), 53); // ISO 8601
    EXPECT_EQ(weekOfYear(serialFromCivil({2021, 1, 4}), 1, 4), 1);
    EXPECT_EQ(weekOfYear(serialFromCivil({2021, 1, 3}), 1, 1), 1);
    EXPECT_EQ(weekOfYear(serialFromCivil({2024, 12, 31}), 0, 1), 1); // the USA
    EXPECT_EQ(weekOfYear(serialFromCivil({2024, 12, 28}), 0, 1), 52);
    // The Gregorian reform: 1582-10-15 follows 1582-10-04.
    const long long reform = serialFromCivil({1582, 10, 15});
    const CivilDate before = civilFromSerial(reform - 1);
    EXPECT_EQ(before.year, 1582);
    EXPECT_EQ(before.month, 10);
    EXPECT_EQ(before.day, 4);
    for (long long serial = -1000; serial < 1000; serial += 37)
        EXPECT_EQ(serialFromCivil(civilFromSerial(serial)), serial);
}
