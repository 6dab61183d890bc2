#include "ods/format/date_time_text.h"

#include "ods/format/calendar.h"
#include "ods/format/decimal.h"
#include "ods/format/render.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace ods::format {

namespace {

void appendInteger(std::string& out, long long value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

void appendTwoDigits(std::string& out, long long value, bool pad) {
    if (value < 0 || value >= 100) {
        appendInteger(out, value);
        return;
    }
    if (pad || value >= 10)
        out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

// Years before 1 are counted without a year 0 and shown with a minus; long years have four
// digits at least.
void appendYear(std::string& out, long long year, bool longForm) {
    const bool beforeChrist = year <= 0;
    const long long shown = beforeChrist ? 1 - year : year;
    const long long value = longForm ? shown : shown % 100;
    // A two-digit year of the first century, before or after Christ, keeps its single digit.
    const int width = longForm ? 4 : (shown < 100 ? 1 : 2);
    if (beforeChrist)
        out.push_back('-');
    int digits = 1;
    for (long long rest = value; rest >= 10; rest /= 10)
        ++digits;
    if (digits < width)
        out.append(static_cast<std::size_t>(width - digits), '0');
    appendInteger(out, value);
}

bool isDatePart(PartKind kind) {
    switch (kind) {
    case PartKind::Day:
    case PartKind::Month:
    case PartKind::Year:
    case PartKind::DayOfWeek:
    case PartKind::Era:
    case PartKind::Quarter:
    case PartKind::WeekOfYear:
        return true;
    default:
        return false;
    }
}

enum class MonthCase { Nominative, Genitive, Partitive };

// Whether a text beside a month name glues onto it: a word does, a blank or a separator does not.
bool gluesOn(char next) {
    return std::string_view(" ,.-/:").find(next) == std::string_view::npos;
}

// The case of month names in a style, as the office decides it once for the whole style: the
// month followed by the day of the month is its genitive (the month's 17th), the month after the
// day its partitive (17 of the month); a month name glued to other text stays nominative.
MonthCase monthCaseOf(const std::vector<StylePart>& parts) {
    bool daySeen = false;
    bool monthSeen = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const StylePart& part = parts[i];
        if (part.kind == PartKind::Day) {
            if (monthSeen)
                return MonthCase::Genitive;
            daySeen = true;
        } else if (part.kind == PartKind::Month && part.textual) {
            const bool gluedAfter = i + 1 < parts.size() && parts[i + 1].kind == PartKind::Text &&
                                    !parts[i + 1].text.empty() &&
                                    gluesOn(parts[i + 1].text.front());
            const bool gluedBefore = i > 0 && parts[i - 1].kind == PartKind::Text &&
                                     !parts[i - 1].text.empty() &&
                                     gluesOn(parts[i - 1].text.back());
            if (gluedAfter || gluedBefore)
                return MonthCase::Nominative;
            if (daySeen)
                return MonthCase::Partitive;
            monthSeen = true;
        }
    }
    return MonthCase::Nominative;
}

std::string_view monthName(const LocaleData& locale, MonthCase monthCase, bool longForm,
                           int month) {
    const auto index = static_cast<std::size_t>(month - 1);
    switch (monthCase) {
    case MonthCase::Genitive:
        return longForm ? locale.genitiveMonthsLong[index] : locale.genitiveMonthsShort[index];
    case MonthCase::Partitive:
        return longForm ? locale.partitiveMonthsLong[index] : locale.partitiveMonthsShort[index];
    case MonthCase::Nominative:
        break;
    }
    return longForm ? locale.monthsLong[index] : locale.monthsShort[index];
}

} // namespace

bool appendDateTimeText(std::string& text, const DataStyle& style, double value,
                        const LocaleData& locale, long long nullDate) {
    int secondDecimals = 0;
    bool hasAmPm = false;
    bool hasDate = false;
    constexpr int maxSecondDecimals = 6;
    // The office works out the fraction of a second once, to the decimals of all seconds parts
    // together, and each seconds part shows the next of those digits.
    for (const auto& part : style.parts) {
        if (part.kind == PartKind::Seconds)
            secondDecimals += std::clamp(part.decimals, 0, maxSecondDecimals);
        hasAmPm = hasAmPm || part.kind == PartKind::AmPm;
        hasDate = hasDate || isDatePart(part.kind);
    }
    secondDecimals = std::min(secondDecimals, maxSecondDecimals);
    if (!std::isfinite(value))
        return false;
    const bool elapsed = style.kind == StyleKind::Time && !style.truncateOnOverflow;
    // Exact powers of ten, as std::pow gives them, without its cost per value.
    constexpr std::array<double, 7> powersOfTen = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
    const double scale = powersOfTen[static_cast<std::size_t>(secondDecimals)];
    const auto unitScale = static_cast<long long>(scale);
    const long long perDay = 86400 * unitScale;
    constexpr double maxElapsedSeconds = 4294967296.0; // the office counts them in 32 bits
    constexpr double maxDaySerial = 11700000;          // about the year 32000
    bool negative = false;
    long long daySerial = 0;
    long long units = 0; // of the day, in 10^-secondDecimals seconds
    long long totalSeconds = 0;
    if (elapsed) {
        if (std::fabs(value) * 86400.0 >= maxElapsedSeconds) {
            text += "#FMT";
            return true;
        }
        const std::string digits =
            integerDigits(roundToPlaces(officeDecimal(std::fabs(value) * 86400.0 * scale), 0));
        const long long all = digits.empty() ? 0 : std::stoll(digits);
        negative = value < 0 && all != 0;
        daySerial = all / perDay;
        units = all % perDay;
        totalSeconds = all / unitScale;
    } else {
        const bool hasTime =
            hasAmPm || secondDecimals > 0 ||
            std::any_of(style.parts.begin(), style.parts.end(), [](const StylePart& part) {
                return part.kind == PartKind::Hours || part.kind == PartKind::Minutes ||
                       part.kind == PartKind::Seconds;
            });
        const double whole = std::floor(value);
        const double day = whole + static_cast<double>(nullDate);
        const double raw = (value - whole) * 86400.0 * scale;
        const bool dayInRange = std::fabs(day) <= maxDaySerial;
        if (hasDate && !dayInRange) {
            text += "#FMT";
            return true;
        }
        // A style without date parts never shows the day, however far out it lies.
        daySerial = dayInRange ? static_cast<long long>(day) : 0;
        if (secondDecimals > 0) {
            // Shown fractions of a second are rounded, but never up into the next second.
            const double nearest = std::round(raw);
            // The noise of a serial number grows with its days. The office keeps 15 significant
            // digits of the seconds before it rounds them, so a time that noise keeps next to a
            // whole unit or to half a unit (7.25 s shown to tenths) is that unit or that half.
            const double noise = 1e-6 + std::fabs(value) * 86400.0 * scale * 1e-14;
            const double half = std::floor(raw) + 0.5;
            const double exact = std::fabs(raw - nearest) < noise ? nearest
                                 : std::fabs(raw - half) < noise  ? half
                                                                  : raw;
            const double rounded = std::round(exact);
            const bool nextSecond = std::floor(rounded / scale) > std::floor(exact / scale);
            units = static_cast<long long>(nextSecond ? std::floor(exact) : rounded);
        } else {
            // Clock times drop the fraction of a second they do not show, but a value that
            // only binary noise keeps below a whole second counts as that second.
            const double nearest = std::round(raw);
            units =
                static_cast<long long>(std::fabs(raw - nearest) < 1e-6 ? nearest : std::floor(raw));
            // A date with a time of day turns to the next day within half a second of midnight.
            if (hasDate && hasTime && raw > static_cast<double>(perDay) - 0.5)
                units = perDay;
        }
        if (units >= perDay) {
            units -= perDay;
            if (hasDate)
                ++daySerial;
        }
    }
    const long long secondsOfDay = units / unitScale;
    const long long fraction = units % unitScale;
    const long long hour = secondsOfDay / 3600;
    const long long minute = secondsOfDay / 60 % 60;
    const long long second = secondsOfDay % 60;
    const CivilDate date = civilFromSerial(daySerial);
    std::array<char, maxSecondDecimals> fractionDigits{};
    for (long long rest = fraction, i = secondDecimals - 1; i >= 0; --i, rest /= 10)
        fractionDigits[static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
    int fractionShown = 0;
    if (negative && elapsed)
        text += '-';
    bool leadingUnit = true;
    for (const auto& part : style.parts) {
        switch (part.kind) {
        case PartKind::Text:
            text += part.text;
            break;
        case PartKind::Day:
            appendTwoDigits(text, date.day, part.longForm);
            break;
        case PartKind::Month:
            if (part.textual)
                text += monthName(locale, monthCaseOf(style.parts), part.longForm, date.month);
            else
                appendTwoDigits(text, date.month, part.longForm);
            break;
        case PartKind::Year:
            appendYear(text, date.year, part.longForm);
            break;
        case PartKind::DayOfWeek:
            text += part.longForm ? locale.daysLong[weekday(daySerial)]
                                  : locale.daysShort[weekday(daySerial)];
            break;
        case PartKind::Quarter:
            text += part.longForm ? locale.quartersLong[(date.month - 1) / 3]
                                  : locale.quartersShort[(date.month - 1) / 3];
            break;
        case PartKind::WeekOfYear:
            appendInteger(
                text, weekOfYear(daySerial, locale.firstWeekday, locale.minimalDaysInFirstWeek));
            break;
        case PartKind::Era:
            if (date.year <= 0)
                text += part.longForm ? locale.eraBeforeLong : locale.eraBeforeShort;
            else
                text += part.longForm ? locale.eraLong : locale.eraShort;
            break;
        case PartKind::Hours: {
            long long shown = hour;
            if (elapsed && leadingUnit)
                shown = totalSeconds / 3600;
            else if (hasAmPm)
                shown = hour % 12 == 0 ? 12 : hour % 12;
            appendTwoDigits(text, shown, part.longForm);
            leadingUnit = false;
            break;
        }
        case PartKind::Minutes:
            appendTwoDigits(text, elapsed && leadingUnit ? totalSeconds / 60 : minute,
                            part.longForm);
            leadingUnit = false;
            break;
        case PartKind::Seconds: {
            appendTwoDigits(text, elapsed && leadingUnit ? totalSeconds : second, part.longForm);
            if (part.decimals > 0) {
                text += locale.decimalSeparator;
                for (int i = std::min(part.decimals, maxSecondDecimals); i > 0; --i) {
                    text.push_back(fractionShown < secondDecimals
                                       ? fractionDigits[static_cast<std::size_t>(fractionShown)]
                                       : '0');
                    ++fractionShown;
                }
            }
            leadingUnit = false;
            break;
        }
        case PartKind::AmPm:
            text += hour < 12 ? locale.am : locale.pm;
            break;
        default:
            break;
        }
    }
    return true;
}

bool isDateOrTimePart(PartKind kind) {
    switch (kind) {
    case PartKind::Day:
    case PartKind::Month:
    case PartKind::Year:
    case PartKind::DayOfWeek:
    case PartKind::Hours:
    case PartKind::Minutes:
    case PartKind::Seconds:
    case PartKind::AmPm:
    case PartKind::Era:
    case PartKind::Quarter:
    case PartKind::WeekOfYear:
        return true;
    default:
        return false;
    }
}

} // namespace ods::format
