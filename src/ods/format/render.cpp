#include "ods/format/render.h"

#include "ods/format/calendar.h"
#include "ods/format/decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ods::format {

namespace {

constexpr double exactIntegers = 9007199254740992.0; // 2^53

std::string exponentText(int exponent, int minDigits, bool forcedSign) {
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, minDigits - digits.size(), '0');
    if (exponent < 0)
        return "-" + digits;
    return forcedSign ? "+" + digits : digits;
}

// d.ddd with the locale's decimal separator, from digits that are already rounded.
std::string mantissaText(const Decimal& value, std::string_view decimalSeparator) {
    std::string text(1, value.digits.front());
    if (value.digits.size() > 1) {
        text += decimalSeparator;
        text += value.digits.substr(1);
    }
    return text;
}

std::string fixedText(const Decimal& value, std::string_view decimalSeparator) {
    std::string text = integerDigits(value);
    if (text.empty())
        text = "0";
    const int fraction = static_cast<int>(value.digits.size()) - value.exponent;
    if (fraction > 0) {
        text += decimalSeparator;
        text += fractionDigits(value, fraction);
    }
    return text;
}

std::string groupDigits(const std::string& digits, std::string_view separator,
                        const std::vector<EmbeddedText>& embedded, bool grouping) {
    std::string result;
    const int count = static_cast<int>(digits.size());
    for (int i = 0; i < count; ++i) {
        const int position = count - i; // digits still to come, this one included
        for (const auto& text : embedded)
            if (text.position == position || (i == 0 && text.position > count))
                result += text.text;
        result.push_back(digits[i]);
        if (grouping && position > 1 && (position - 1) % 3 == 0)
            result += separator;
    }
    for (const auto& text : embedded)
        if (text.position <= 0 || (count == 0 && text.position > 0))
            result += text.text;
    return result;
}

struct NumberPieces {
    std::string text;
    bool zero = true; ///< the digits shown are all zero, so no minus sign goes in front
};

std::string inputLineText(double value, const LocaleData& locale, int maxDecimals);

NumberPieces numberText(const StylePart& part, double magnitude, const LocaleData& locale,
                        int generalDecimals = -1, bool composed = false) {
    const double value = magnitude / (part.displayFactor > 0 ? part.displayFactor : 1);
    // The office of our reference turns a decimal replacement ("--") that comes with a minimum
    // of decimals into a format without decimals, and ignores it otherwise.
    if (part.hasDecimalReplacement && part.minDecimals >= 0 && part.decimals > 0) {
        StylePart whole = part;
        whole.decimals = 0;
        whole.hasDecimalReplacement = false;
        return numberText(whole, magnitude, locale, generalDecimals, composed);
    }
    if (part.decimals < 0) {
        // General among other parts shows digits as the input line does, up to 20 decimals.
        std::string text = composed && generalDecimals < 0
                               ? inputLineText(value, locale, 20)
                               : generalText(value, locale, generalDecimals);
        const bool zero = text == "0";
        return {std::move(text), zero};
    }
    // Rounded on the shortest decimal first, then cut to the 15 digits the office keeps.
    Decimal rounded = roundToPlaces(shortestDecimal(value), part.decimals);
    const bool wholeAndExact = static_cast<int>(rounded.digits.size()) <= rounded.exponent &&
                               std::fabs(value) < exactIntegers;
    if (!wholeAndExact)
        rounded = roundToSignificant(std::move(rounded), 15);
    std::string integer = integerDigits(rounded);
    if (static_cast<int>(integer.size()) < part.minIntegerDigits)
        integer.insert(0, part.minIntegerDigits - integer.size(), '0');
    std::string text = groupDigits(integer, locale.groupSeparator, part.embedded, part.grouping);
    std::string fraction = fractionDigits(rounded, part.decimals);
    const int minDecimals = part.minDecimals < 0 ? part.decimals : part.minDecimals;
    while (static_cast<int>(fraction.size()) > minDecimals && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty()) {
        text += locale.decimalSeparator;
        text += fraction;
    }
    return {text, rounded.isZero()};
}

NumberPieces scientificText(const StylePart& part, double magnitude, const LocaleData& locale) {
    const int decimals = std::max(part.decimals, 0);
    const int minInteger = std::max(part.minIntegerDigits, 1);
    // Without an explicit interval the integer digits of the mantissa set it ("##0.0E+0").
    const int interval = part.exponentInterval > 1 ? part.exponentInterval : minInteger;
    Decimal value = officeDecimal(magnitude);
    int exponent = 0;
    if (!value.isZero()) {
        // Rounding may carry into a new leading digit (9.99 to 10.0), which moves the exponent.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const int e = value.scientificExponent();
            exponent = static_cast<int>(std::floor(static_cast<double>(e) / interval)) * interval;
            const Decimal rounded = roundToSignificant(value, e - exponent + 1 + decimals);
            const bool carried = rounded.scientificExponent() != e;
            value = rounded;
            if (!carried)
                break;
        }
    }
    Decimal mantissa = value;
    mantissa.exponent = value.isZero() ? 0 : value.exponent - exponent;
    std::string integer = integerDigits(mantissa);
    if (static_cast<int>(integer.size()) < minInteger)
        integer.insert(0, minInteger - integer.size(), '0');
    std::string text = groupDigits(integer, locale.groupSeparator, {}, part.grouping);
    if (decimals > 0) {
        text += locale.decimalSeparator;
        text += fractionDigits(mantissa, decimals);
    }
    text += "E" + exponentText(exponent, part.minExponentDigits, part.forcedExponentSign);
    return {text, value.isZero()};
}

NumberPieces fractionText(const StylePart& part, double magnitude, const LocaleData& locale) {
    double whole = std::floor(magnitude);
    const double rest = magnitude - whole;
    long long numerator = 0;
    long long denominator = 1;
    const bool fixed = part.denominatorValue > 0;
    if (fixed) {
        denominator = part.denominatorValue;
        numerator = std::llrint(rest * static_cast<double>(denominator));
    } else {
        long long limit = part.maxDenominatorValue;
        if (limit <= 0) {
            limit = 9;
            for (int i = 1; i < std::max(part.minDenominatorDigits, 1); ++i)
                limit = limit * 10 + 9;
        }
        double best = 2;
        for (long long d = 1; d <= limit; ++d) {
            const long long n = std::llround(rest * static_cast<double>(d));
            const double error = std::fabs(rest - static_cast<double>(n) / static_cast<double>(d));
            if (error < best - 1e-12) {
                best = error;
                numerator = n;
                denominator = d;
            }
        }
    }
    if (numerator >= denominator) {
        whole += 1;
        numerator = 0;
    }
    const int numeratorWidth = std::max(part.minNumeratorDigits, 1);
    const int denominatorWidth = fixed ? 0 : std::max(part.minDenominatorDigits, 1);
    std::string text;
    if (whole != 0 || part.minIntegerDigits > 0 || numerator == 0) {
        std::string digits = integerDigits(shortestDecimal(whole));
        if (static_cast<int>(digits.size()) < std::max(part.minIntegerDigits, 1))
            digits.insert(0, std::max(part.minIntegerDigits, 1) - digits.size(), '0');
        text = groupDigits(digits, locale.groupSeparator, {}, part.grouping);
    }
    if (numerator == 0) {
        // The office keeps the room of the fraction, so that columns of fractions line up.
        text.append(static_cast<std::size_t>(numeratorWidth + denominatorWidth + 2), ' ');
        return {text, whole == 0};
    }
    std::string numeratorText = std::to_string(numerator);
    if (static_cast<int>(numeratorText.size()) < numeratorWidth)
        numeratorText.insert(0, numeratorWidth - numeratorText.size(), ' ');
    std::string denominatorText = std::to_string(denominator);
    if (static_cast<int>(denominatorText.size()) < denominatorWidth)
        denominatorText.append(denominatorWidth - denominatorText.size(), ' ');
    return {text + " " + numeratorText + "/" + denominatorText, false};
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

bool needsNames(const StylePart& part) {
    switch (part.kind) {
    case PartKind::Month:
        return part.textual;
    case PartKind::DayOfWeek:
    case PartKind::AmPm:
    case PartKind::Era:
    case PartKind::Quarter:
    case PartKind::Boolean:
        return true;
    default:
        return false;
    }
}

std::string twoDigits(long long value, bool pad) {
    std::string text = std::to_string(value);
    if (pad && text.size() < 2)
        text.insert(0, 1, '0');
    return text;
}

// Years before 1 are counted without a year 0 and shown with a minus; long years have four
// digits at least.
std::string yearText(long long year, bool longForm) {
    const bool beforeChrist = year <= 0;
    const long long shown = beforeChrist ? 1 - year : year;
    std::string digits = std::to_string(longForm ? shown : shown % 100);
    // A two-digit year of the first century keeps the single digit of its year.
    const std::size_t width = longForm ? 4 : (shown < 100 && !beforeChrist ? 1 : 2);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return beforeChrist ? "-" + digits : digits;
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

// Week numbers: the USA count weeks from Sunday with week 1 holding January 1st; elsewhere the
// office follows ISO 8601.
int weekOfYear(long long serial, bool usWeeks) {
    if (!usWeeks)
        return isoWeek(serial);
    const long long saturday = serial + (6 - weekday(serial));
    const CivilDate end = civilFromSerial(saturday);
    const long long firstOfYear = serialFromCivil({end.year, 1, 1});
    return static_cast<int>((saturday - firstOfYear) / 7 + 1);
}

std::optional<std::string> dateTimeText(const DataStyle& style, double value,
                                        const LocaleData& locale) {
    int secondDecimals = 0;
    bool hasAmPm = false;
    bool hasDate = false;
    for (const auto& part : style.parts) {
        if (part.kind == PartKind::Seconds)
            secondDecimals = std::clamp(part.decimals, 0, 6);
        hasAmPm = hasAmPm || part.kind == PartKind::AmPm;
        hasDate = hasDate || isDatePart(part.kind);
    }
    const bool elapsed = style.kind == StyleKind::Time && !style.truncateOnOverflow;
    const double scale = std::pow(10.0, secondDecimals);
    const auto unitScale = static_cast<long long>(scale);
    const long long perDay = 86400 * unitScale;
    constexpr double maxElapsedSeconds = 4294967296.0; // the office counts them in 32 bits
    constexpr double maxDaySerial = 11700000;          // about the year 32000
    bool negative = false;
    long long daySerial = 0;
    long long units = 0; // of the day, in 10^-secondDecimals seconds
    long long totalSeconds = 0;
    if (elapsed) {
        if (std::fabs(value) * 86400.0 >= maxElapsedSeconds)
            return "#FMT";
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
        const double day = std::floor(value);
        const double raw = (value - day) * 86400.0 * scale;
        if (hasDate && std::fabs(day) > maxDaySerial)
            return "#FMT";
        daySerial = static_cast<long long>(day);
        if (secondDecimals > 0) {
            // Shown fractions of a second are rounded, but never up into the next second.
            const double nearest = std::round(raw);
            // The noise of a serial number grows with its days.
            const double noise = 1e-6 + std::fabs(value) * 86400.0 * scale * 1e-14;
            const double exact = std::fabs(raw - nearest) < noise ? nearest : raw;
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
    std::string text;
    if (negative && elapsed)
        text = "-";
    bool leadingUnit = true;
    for (const auto& part : style.parts) {
        switch (part.kind) {
        case PartKind::Text:
            text += part.text;
            break;
        case PartKind::Day:
            text += twoDigits(date.day, part.longForm);
            break;
        case PartKind::Month:
            text += part.textual ? std::string(part.longForm ? locale.monthsLong[date.month - 1]
                                                             : locale.monthsShort[date.month - 1])
                                 : twoDigits(date.month, part.longForm);
            break;
        case PartKind::Year:
            text += yearText(date.year, part.longForm);
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
            text += std::to_string(weekOfYear(daySerial, locale.usWeeks));
            break;
        case PartKind::Era:
            text += part.longForm ? locale.eraLong : locale.eraShort;
            break;
        case PartKind::Hours: {
            long long shown = hour;
            if (elapsed && leadingUnit)
                shown = totalSeconds / 3600;
            else if (hasAmPm)
                shown = hour % 12 == 0 ? 12 : hour % 12;
            text += twoDigits(shown, part.longForm);
            leadingUnit = false;
            break;
        }
        case PartKind::Minutes:
            text += twoDigits(elapsed && leadingUnit ? totalSeconds / 60 : minute, part.longForm);
            leadingUnit = false;
            break;
        case PartKind::Seconds: {
            text += twoDigits(elapsed && leadingUnit ? totalSeconds : second, part.longForm);
            if (part.decimals > 0) {
                std::string digits = std::to_string(fraction);
                digits.insert(0, secondDecimals - digits.size(), '0');
                text += locale.decimalSeparator;
                text += digits;
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
    return text;
}

// Picks the data style that a conditional map sends the value to, and whether that section shows
// the magnitude only (its own text supplies any minus sign).
std::pair<const DataStyle*, bool> section(const DataStyle& style, double value,
                                          const StyleLookup& lookup) {
    for (const auto& map : style.maps) {
        bool holds = false;
        switch (map.comparison) {
        case Comparison::Less:
            holds = value < map.limit;
            break;
        case Comparison::LessEqual:
            holds = value <= map.limit;
            break;
        case Comparison::Greater:
            holds = value > map.limit;
            break;
        case Comparison::GreaterEqual:
            holds = value >= map.limit;
            break;
        case Comparison::Equal:
            holds = value == map.limit;
            break;
        case Comparison::NotEqual:
            holds = value != map.limit;
            break;
        }
        const bool negativeOnly = map.limit == 0 && (map.comparison == Comparison::Less ||
                                                     map.comparison == Comparison::LessEqual);
        if (holds) {
            if (const DataStyle* target = lookup ? lookup(map.styleName) : nullptr)
                return {target, negativeOnly};
        }
    }
    // The last section takes what no condition took; its own text carries any sign.
    return {&style, !style.maps.empty()};
}

// A style that names no language is shown in the office's own locale.
const LocaleData& localeOf(const DataStyle& style, const RenderContext& context) {
    if (style.language.empty())
        return localeData(context.officeLanguage, context.officeCountry);
    return localeData(style.language, style.country);
}

// A date style whose order follows the locale, rearranged as the USA write dates: month, day
// and year with slashes, or "Wed, Jun 15, 22" when the month has a name.
DataStyle orderedForUsa(const DataStyle& style) {
    const StylePart* day = nullptr;
    const StylePart* month = nullptr;
    const StylePart* year = nullptr;
    const StylePart* dayOfWeek = nullptr;
    std::size_t lastDatePart = 0;
    bool hasTime = false;
    bool hasSeconds = false;
    for (std::size_t i = 0; i < style.parts.size(); ++i) {
        const StylePart& part = style.parts[i];
        switch (part.kind) {
        case PartKind::Day:
            day = &part;
            break;
        case PartKind::Month:
            month = &part;
            break;
        case PartKind::Year:
            year = &part;
            break;
        case PartKind::DayOfWeek:
            dayOfWeek = &part;
            break;
        case PartKind::Hours:
        case PartKind::Minutes:
            hasTime = true;
            break;
        case PartKind::Seconds:
            hasSeconds = true;
            break;
        default:
            break;
        }
        if (isDatePart(part.kind))
            lastDatePart = i;
    }
    if (!day || !month || !year)
        return style;
    if (hasTime && !hasSeconds && !month->textual) {
        if (auto standard = standardStyle(StyleKind::Date, "", "")) {
            for (auto& part : standard->parts)
                if (part.kind == PartKind::Year)
                    part.longForm = year->longForm;
            return *standard;
        }
    }
    DataStyle ordered = style;
    ordered.parts.clear();
    auto text = [&ordered](std::string value) {
        StylePart part;
        part.text = std::move(value);
        ordered.parts.push_back(std::move(part));
    };
    if (month->textual) {
        if (dayOfWeek) {
            ordered.parts.push_back(*dayOfWeek);
            text(", ");
        }
        ordered.parts.push_back(*month);
        text(" ");
        ordered.parts.push_back(*day);
        text(", ");
        ordered.parts.push_back(*year);
    } else {
        ordered.parts.push_back(*month);
        text("/");
        ordered.parts.push_back(*day);
        text("/");
        ordered.parts.push_back(*year);
    }
    ordered.parts.insert(ordered.parts.end(), style.parts.begin() + lastDatePart + 1,
                         style.parts.end());
    return ordered;
}

// A text format shows a number as the input line would: up to 15 significant digits without
// switching to scientific notation for small magnitudes.
std::string inputLineText(double value, const LocaleData& locale, int maxDecimals) {
    if (value == 0 || !std::isfinite(value))
        return "0";
    const std::string sign = value < 0 ? "-" : "";
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e15) {
        const Decimal digits = roundToSignificant(shortestDecimal(magnitude), 15);
        std::string mantissa(1, digits.digits.front());
        mantissa += locale.decimalSeparator;
        mantissa += fractionDigits(Decimal{false, digits.digits, 1}, 14);
        return sign + mantissa + "E" + exponentText(digits.scientificExponent(), 2, true);
    }
    Decimal digits = officeDecimal(magnitude);
    if (maxDecimals >= 0)
        digits = roundToPlaces(std::move(digits), maxDecimals);
    if (digits.isZero())
        return "0";
    return sign + fixedText(digits, locale.decimalSeparator);
}

// A currency cell whose currency differs from the one of its style's symbol: the office shows
// the amount with the cell's ISO code instead.
std::optional<std::string> otherCurrencyText(const DataStyle& style, double value,
                                             const RenderContext& context) {
    const std::string_view currency = context.currency;
    if (currency.empty())
        return std::nullopt;
    for (const auto& part : style.parts) {
        // The office compares only a written symbol that names its locale; an empty one takes
        // the locale's own currency.
        if (part.kind != PartKind::CurrencySymbol || part.text.empty() || part.country.empty())
            continue;
        // A symbol written as a code (CHF) is never replaced.
        const bool codeLike =
            part.text.size() == 3 && std::all_of(part.text.begin(), part.text.end(),
                                                 [](char c) { return c >= 'A' && c <= 'Z'; });
        if (codeLike)
            return std::nullopt;
        const std::string_view symbol = currencySymbol(currency);
        if (part.text == currency || symbol.empty() || part.text == symbol)
            return std::nullopt;
        StylePart number;
        number.kind = PartKind::Number;
        number.decimals = 2;
        number.minIntegerDigits = 1;
        number.grouping = true;
        const NumberPieces pieces = numberText(number, std::fabs(value), localeOf(style, context));
        return (value < 0 && !pieces.zero ? "-" : "") + pieces.text + " " + std::string(currency);
    }
    return std::nullopt;
}

} // namespace

bool isGeneral(const DataStyle& style) {
    return style.kind == StyleKind::Number && style.maps.empty() && style.parts.size() == 1 &&
           style.parts.front().kind == PartKind::Number && style.parts.front().decimals < 0;
}

std::optional<DataStyle> standardStyle(StyleKind kind, const std::string& language,
                                       const std::string& country) {
    const bool english = language.empty() || language == "en";
    if (!english && language != "de")
        return std::nullopt;
    DataStyle style;
    style.kind = kind;
    style.language = language;
    style.country = country;
    auto add = [&style](PartKind part, bool longForm = false, std::string text = {}) {
        StylePart piece;
        piece.kind = part;
        piece.longForm = longForm;
        piece.text = std::move(text);
        style.parts.push_back(std::move(piece));
    };
    switch (kind) {
    case StyleKind::Date:
        if (english) {
            add(PartKind::Month, true);
            add(PartKind::Text, false, "/");
            add(PartKind::Day, true);
            add(PartKind::Text, false, "/");
        } else {
            add(PartKind::Day, true);
            add(PartKind::Text, false, ".");
            add(PartKind::Month, true);
            add(PartKind::Text, false, ".");
        }
        add(PartKind::Year);
        add(PartKind::Text, false, " ");
        add(PartKind::Hours, true);
        add(PartKind::Text, false, ":");
        add(PartKind::Minutes, true);
        if (english) {
            add(PartKind::Text, false, " ");
            add(PartKind::AmPm);
        }
        break;
    case StyleKind::Time:
        add(PartKind::Hours, true);
        add(PartKind::Text, false, ":");
        add(PartKind::Minutes, true);
        add(PartKind::Text, false, ":");
        add(PartKind::Seconds, true);
        if (english) {
            add(PartKind::Text, false, " ");
            add(PartKind::AmPm);
        }
        break;
    case StyleKind::Percentage: {
        StylePart number;
        number.kind = PartKind::Number;
        number.decimals = 2;
        number.minIntegerDigits = 1;
        style.parts.push_back(number);
        add(PartKind::Text, false, english ? "%" : "\u00a0%");
        break;
    }
    case StyleKind::Boolean:
        add(PartKind::Boolean);
        break;
    default:
        return std::nullopt;
    }
    return style;
}

std::string generalText(double value, const LocaleData& locale, int maxDecimals) {
    if (value == 0 || !std::isfinite(value))
        return "0";
    if (maxDecimals >= 0 && std::fabs(value) <= 1e15) {
        const Decimal digits = roundToPlaces(officeDecimal(value), maxDecimals);
        if (digits.isZero())
            return "0";
        return (value < 0 ? "-" : "") + fixedText(digits, locale.decimalSeparator);
    }
    const double magnitude = std::fabs(value);
    const std::string sign = value < 0 ? "-" : "";
    if (magnitude >= exactIntegers) {
        Decimal digits = roundToSignificant(shortestDecimal(magnitude), 15);
        // Rounding the largest doubles to 15 digits would leave the range of doubles, so the
        // office keeps all their digits.
        if (digits.scientificExponent() == 308 && digits.digits > "17976931348623157")
            digits = shortestDecimal(magnitude);
        return sign + mantissaText(digits, locale.decimalSeparator) + "E" +
               exponentText(digits.scientificExponent(), 3, true);
    }
    const Decimal digits = officeDecimal(magnitude);
    if (digits.isZero())
        return "0";
    const int e = digits.scientificExponent();
    const int decimals = static_cast<int>(digits.digits.size()) - 1 - e;
    if (e <= -10 || (e < -4 && decimals >= 17))
        return sign + mantissaText(digits, locale.decimalSeparator) + "E" +
               exponentText(e, 2, true);
    return sign + fixedText(digits, locale.decimalSeparator);
}

std::optional<std::string> renderValue(const DataStyle& mainStyle, double value,
                                       const RenderContext& context) {
    const StyleLookup& lookup = context.lookup;
    const int generalDecimals = context.generalDecimals;
    if (const auto text = otherCurrencyText(mainStyle, value, context))
        return text;
    const auto [style, magnitudeOnly] = section(mainStyle, value, lookup);
    // The office merges the conditional sections into one format of the main style's language.
    const LocaleData& locale = localeOf(mainStyle, context);
    for (const auto& part : style->parts)
        if (needsNames(part) && !locale.known)
            return std::nullopt;

    const bool isDateTime =
        std::any_of(style->parts.begin(), style->parts.end(),
                    [](const StylePart& part) { return isDateOrTimePart(part.kind); });
    if (isDateTime) {
        const bool officeInUsa =
            (context.officeLanguage.empty() || context.officeLanguage == "en") &&
            (context.officeCountry.empty() || context.officeCountry == "US");
        const bool usaOrder =
            style->language.empty()
                ? officeInUsa
                : style->language == "en" && (style->country.empty() || style->country == "US");
        if (style->automaticOrder && usaOrder)
            return dateTimeText(orderedForUsa(*style), value, locale);
        return dateTimeText(*style, value, locale);
    }

    const bool isBoolean =
        std::any_of(style->parts.begin(), style->parts.end(),
                    [](const StylePart& part) { return part.kind == PartKind::Boolean; });
    if (isBoolean)
        return std::string(value != 0 ? locale.trueWord : locale.falseWord);

    if (style->kind == StyleKind::Text)
        return inputLineText(value, localeOf(*style, context), -1);

    double magnitude = std::fabs(value);
    const bool percent =
        std::any_of(style->parts.begin(), style->parts.end(), [](const StylePart& part) {
            return part.kind == PartKind::Text && part.text.find('%') != std::string::npos;
        });
    if (percent)
        magnitude *= 100;

    std::string text;
    bool zero = true;
    bool anyNumber = false;
    for (const auto& part : style->parts) {
        switch (part.kind) {
        case PartKind::Text:
            text += part.text;
            break;
        case PartKind::CurrencySymbol:
            if (!part.text.empty()) {
                text += part.text;
            } else {
                // An empty symbol is the currency of the style's locale, whatever the element
                // names.
                const LocaleData& symbolLocale = localeOf(mainStyle, context);
                if (!symbolLocale.known)
                    return std::nullopt;
                text += symbolLocale.currencySymbol;
            }
            break;
        case PartKind::Number:
        case PartKind::Scientific:
        case PartKind::Fraction: {
            // A currency format without its decimals shows two.
            StylePart withDecimals = part;
            if (style->kind == StyleKind::Currency && part.decimals < 0)
                withDecimals.decimals = 2;
            const NumberPieces pieces =
                part.kind == PartKind::Number
                    ? numberText(withDecimals, magnitude, locale, generalDecimals,
                                 style->parts.size() > 1 || !mainStyle.maps.empty())
                : part.kind == PartKind::Scientific ? scientificText(part, magnitude, locale)
                                                    : fractionText(part, magnitude, locale);
            text += pieces.text;
            zero = zero && pieces.zero;
            anyNumber = true;
            break;
        }
        case PartKind::TextContent:
            text += generalText(value, locale);
            break;
        default:
            break;
        }
    }
    if (!anyNumber)
        zero = value == 0;
    if (value < 0 && !magnitudeOnly && !zero)
        text.insert(0, "-");
    return text;
}

} // namespace ods::format
