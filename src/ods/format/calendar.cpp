#include "ods/format/calendar.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace ods::format {

namespace {

// Days between 1970-01-01 and 1899-12-30.
constexpr long long unixToOffice = 25569;
// The Julian day number of 1899-12-30.
constexpr long long julianDayOfSerialZero = 2415019;
// Beyond it a date's years are all alike.
constexpr long long kFarYear = 1'000'000'000;

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Howard Hinnant's civil calendar algorithms, on the proleptic Gregorian calendar.
long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(long long year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    bool done() const { return pos_ >= text_.size(); }
    bool accept(char c) {
        if (!done() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    char peek() const { return done() ? '\0' : text_[pos_]; }

    // The decimal digits from here on, passed over.
    std::string_view digitRun() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // A number of decimal digits only, at least `least` and at most `most` of them.
    std::optional<long long> digits(std::size_t least, std::size_t most) {
        const std::string_view run = digitRun();
        long long value = 0;
        if (run.size() < least || run.size() > most ||
            std::from_chars(run.data(), run.data() + run.size(), value).ec != std::errc())
            return std::nullopt;
        return value;
    }

    // A number with an optional fraction ("07.25").
    std::optional<double> number() {
        double value = 0;
        const auto [end, error] = std::from_chars(text_.data() + pos_, text_.data() + text_.size(),
                                                  value, std::chars_format::fixed);
        if (error != std::errc())
            return std::nullopt;
        pos_ = static_cast<std::size_t>(end - text_.data());
        return value;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

std::optional<double> serialOfDate(std::string_view text, long long nullDate) {
    // The office reads dates as ISO 8601 writes them, with two digits for each part but the
    // year, and seconds to every time; blanks around them do not count.
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    Cursor cursor(text);
    const bool negativeYear = cursor.accept('-');
    const auto year = cursor.digits(1, 24);
    if (!year || !cursor.accept('-'))
        return std::nullopt;
    const auto month = cursor.digits(2, 2);
    if (!month || !cursor.accept('-'))
        return std::nullopt;
    const auto day = cursor.digits(2, 2);
    if (!day || *month < 1 || *month > 12 || *day < 1 || *day > 31)
        return std::nullopt;
    double seconds = 0;
    if (cursor.accept('T')) {
        const auto hours = cursor.digits(2, 2);
        if (!hours || !cursor.accept(':'))
            return std::nullopt;
        const auto minutes = cursor.digits(2, 2);
        if (!minutes || !cursor.accept(':'))
            return std::nullopt;
        const auto wholeSeconds = cursor.digits(2, 2);
        if (!wholeSeconds)
            return std::nullopt;
        double fraction = 0;
        if (cursor.accept('.')) {
            const std::string decimals = "0." + std::string(cursor.digitRun());
            if (decimals.size() == 2)
                return std::nullopt;
            std::from_chars(decimals.data(), decimals.data() + decimals.size(), fraction);
        }
        seconds = static_cast<double>(*hours * 3600 + *minutes * 60 + *wholeSeconds) + fraction;
    }
    // A time zone suffix does not move the shown clock time.
    if (!cursor.done() && cursor.peek() != 'Z' && cursor.peek() != '+' && cursor.peek() != '-')
        return std::nullopt;
    // Years far beyond any calendar count as the farthest one kept, so that the arithmetic
    // below cannot overflow; the office cannot show such dates either.
    const long long farYear = std::min(*year, kFarYear);
    // The office counts no year 0: year -1 is the one before year 1. A date no calendar has
    // (year 0, a 29th of February in a common year) is its document's day 0.
    const long long civilYear = negativeYear ? 1 - farYear : farYear;
    if (farYear == 0 || *day > daysInMonth(civilYear, static_cast<int>(*month)))
        return 0.0;
    const long long serial =
        serialFromCivil({civilYear, static_cast<int>(*month), static_cast<int>(*day)}) - nullDate;
    return static_cast<double>(serial) + seconds / 86400.0;
}

std::optional<double> daysOfDuration(std::string_view text) {
    Cursor cursor(text);
    const bool negative = cursor.accept('-');
    if (!cursor.accept('P'))
        return std::nullopt;
    double seconds = 0;
    bool inTime = false;
    bool any = false;
    while (!cursor.done()) {
        if (!inTime && cursor.accept('T')) {
            inTime = true;
            continue;
        }
        const auto amount = cursor.number();
        if (!amount)
            return std::nullopt;
        any = true;
        if (cursor.accept('D') && !inTime)
            seconds += *amount * 86400;
        else if (inTime && cursor.accept('H'))
            seconds += *amount * 3600;
        else if (inTime && cursor.accept('M'))
            seconds += *amount * 60;
        else if (inTime && cursor.accept('S'))
            seconds += *amount;
        else
            return std::nullopt;
    }
    if (!any)
        return std::nullopt;
    const double days = seconds / 86400.0;
    return negative ? -days : days;
}

CivilDate civilFromSerial(long long serial) {
    // Before the Gregorian reform the office counts days in the Julian calendar.
    static const long long gregorianStart = serialFromCivil({1582, 10, 15});
    if (serial < gregorianStart) {
        const long long f = serial + julianDayOfSerialZero + 1401;
        const long long e = 4 * f + 3;
        const long long g = (e % 1461 + 1461) % 1461 / 4;
        const long long h = 5 * g + 2;
        const int d = static_cast<int>(h % 153 / 5 + 1);
        const int m = static_cast<int>((h / 153 + 2) % 12 + 1);
        const long long y = floorDiv(e, 1461) - 4716 + (12 + 2 - m) / 12;
        return {y, m, d};
    }
    const long long z = serial - unixToOffice + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

long long serialFromCivil(const CivilDate& date) {
    return daysFromCivil(date.year, date.month, date.day) + unixToOffice;
}

int weekday(long long serial) {
    // 1899-12-30 was a Saturday.
    const long long w = (serial + 6) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

int weekOfYear(long long serial, int firstWeekday, int minimalDays) {
    const auto weekStart = [firstWeekday](long long day) {
        return day - (weekday(day) - firstWeekday + 7) % 7;
    };
    // Week 1 is the week holding January 1st if enough of its days are in the year, else the
    // week after it.
    const auto firstWeek = [&](long long year) {
        const long long january1 = serialFromCivil({year, 1, 1});
        const long long start = weekStart(january1);
        return start + 7 - january1 >= minimalDays ? start : start + 7;
    };
    const long long year = civilFromSerial(serial).year;
    long long week1 = firstWeek(year);
    if (serial < week1)
        week1 = firstWeek(year - 1);
    else if (const long long next = firstWeek(year + 1); serial >= next)
        week1 = next;
    return static_cast<int>((weekStart(serial) - week1) / 7 + 1);
}

} // namespace ods::format
