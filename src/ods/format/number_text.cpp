#include "ods/format/number_text.h"

#include "ods/format/decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// Whether a group separator follows a digit that has `after` digits after it: every three, or in
// India three and then every two.
bool endsGroup(int after, bool indian) {
    if (after <= 0)
        return false;
    return indian ? after == 3 || (after > 3 && (after - 3) % 2 == 0) : after % 3 == 0;
}

void appendGrouped(std::string& out, std::string_view digits, const LocaleData& locale,
                   const std::vector<EmbeddedText>& embedded, bool grouping) {
    if (!grouping && embedded.empty()) {
        out += digits;
        return;
    }
    const int count = static_cast<int>(digits.size());
    for (int i = 0; i < count; ++i) {
        const int position = count - i; // digits still to come, this one included
        for (const auto& text : embedded)
            if (text.position == position || (i == 0 && text.position > count))
                out += text.text;
        out.push_back(digits[static_cast<std::size_t>(i)]);
        if (grouping && endsGroup(position - 1, locale.indianGrouping))
            out += locale.groupSeparator;
    }
    for (const auto& text : embedded)
        if (text.position <= 0 || (count == 0 && text.position > 0))
            out += text.text;
}

struct Fraction {
    long long numerator = 0;
    long long denominator = 1;
};

// The fraction closest to `value` (in [0, 1)) with a denominator of at most `limit`, the smaller
// denominator on a tie. It is the last convergent of the value's continued fraction within the
// limit or the semiconvergent just before the limit, so a few dozen steps find it whatever the
// limit: the denominators of convergents grow at least as fast as Fibonacci numbers.
Fraction closestFraction(double value, long long limit) {
    if (!(value > 0 && value < 1))
        return {};
    // Convergents before and at the current step, starting with 1/0 and 0/1.
    long long p0 = 1, q0 = 0, p1 = 0, q1 = 1;
    double rest = 1 / value;
    for (;;) {
        const double term = std::floor(rest);
        if (term > static_cast<double>(limit - q0) / static_cast<double>(q1)) {
            // The next convergent is out of reach; the best semiconvergent may still beat the
            // last convergent.
            const long long k = (limit - q0) / q1;
            const Fraction last{p1, q1};
            const Fraction semi{k * p1 + p0, k * q1 + q0};
            const auto error = [value](const Fraction& f) {
                return std::fabs(value - static_cast<double>(f.numerator) /
                                             static_cast<double>(f.denominator));
            };
            return k > 0 && error(semi) < error(last) ? semi : last;
        }
        const auto a = static_cast<long long>(term);
        const long long p2 = a * p1 + p0;
        const long long q2 = a * q1 + q0;
        p0 = p1;
        q0 = q1;
        p1 = p2;
        q1 = q2;
        const double fraction = rest - term;
        if (fraction <= 0)
            return {p1, q1};
        rest = 1 / fraction;
    }
}

std::string groupDigits(std::string_view digits, const LocaleData& locale, bool grouping) {
    std::string result;
    appendGrouped(result, digits, locale, {}, grouping);
    return result;
}

} // namespace

bool appendNumberText(std::string& out, const StylePart& part, double magnitude,
                      const LocaleData& locale, int generalDecimals, bool composed) {
    const double value = magnitude / part.displayFactor;
    // The office of our reference turns a decimal replacement ("--") that comes with a minimum
    // of decimals into a format without decimals, and ignores it otherwise.
    const bool wholeOnly = part.hasDecimalReplacement && part.minDecimals >= 0 && part.decimals > 0;
    const int decimals = wholeOnly ? 0 : part.decimals;
    if (decimals < 0) {
        // General among other parts shows digits as the input line does, up to 20 decimals.
        const std::string text = composed && generalDecimals < 0
                                     ? inputLineText(value, locale, 20)
                                     : generalText(value, locale, generalDecimals);
        out += text;
        return text == "0";
    }
    // Rounded on the shortest decimal first, then cut to the 15 digits the office keeps.
    ShortDecimal rounded = shortestShortDecimal(value);
    rounded.roundToPlaces(decimals);
    const bool wholeAndExact =
        rounded.count <= rounded.exponent && std::fabs(value) < exactIntegers;
    if (!wholeAndExact)
        rounded.roundToSignificant(15);
    const std::string_view digits = rounded.digitText();
    std::string integer;
    const int integerCount = std::max(rounded.exponent, 0);
    const int padding = std::max(part.minIntegerDigits - integerCount, 0);
    integer.append(static_cast<std::size_t>(padding), '0');
    integer += digits.substr(0, static_cast<std::size_t>(integerCount));
    integer.resize(static_cast<std::size_t>(padding + integerCount), '0');
    appendGrouped(out, integer, locale, part.embedded, part.grouping);
    // The fraction ends at its last non-zero digit, but shows at least the minimum of decimals.
    const int minDecimals = part.minDecimals < 0 ? decimals : part.minDecimals;
    const int significant = rounded.isZero() ? 0 : rounded.count - rounded.exponent;
    const int shown = std::min(decimals, std::max(minDecimals, significant));
    if (shown > 0) {
        out += locale.decimalSeparator;
        for (int i = 0; i < shown; ++i) {
            const int index = rounded.exponent + i;
            out.push_back(index >= 0 && index < rounded.count
                              ? rounded.digits[static_cast<std::size_t>(index)]
                              : '0');
        }
    }
    return rounded.isZero();
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
    std::string text = groupDigits(integer, locale, part.grouping);
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
    const bool fixed = part.denominatorValue > 0;
    long long numerator = 0;
    long long denominator = 1;
    if (fixed) {
        denominator = part.denominatorValue;
        numerator = std::llrint(rest * static_cast<double>(denominator));
    } else {
        long long limit = part.maxDenominatorValue;
        if (limit <= 0) {
            // A double carries no more than 17 digits, so more digits of denominator cannot
            // bring a closer fraction.
            limit = 9;
            for (int i = 1; i < std::clamp(part.minDenominatorDigits, 1, 18); ++i)
                limit = limit * 10 + 9;
        }
        const Fraction closest = closestFraction(rest, limit);
        numerator = closest.numerator;
        denominator = closest.denominator;
    }
    if (numerator >= denominator) {
        whole += 1;
        numerator = 0;
    }
    // Digits below the minimum are '#' to the office: they take no room when absent.
    const int numeratorWidth = std::max(part.minNumeratorDigits, 0);
    const int denominatorWidth = fixed ? 0 : std::max(part.minDenominatorDigits, 0);
    std::string text;
    if (whole != 0 || part.minIntegerDigits > 0 || numerator == 0) {
        std::string digits = integerDigits(shortestDecimal(whole));
        if (static_cast<int>(digits.size()) < std::max(part.minIntegerDigits, 1))
            digits.insert(0, std::max(part.minIntegerDigits, 1) - digits.size(), '0');
        text = groupDigits(digits, locale, part.grouping);
    }
    if (numerator == 0) {
        // The office keeps the room of the fraction's digits, so that columns of fractions line
        // up, unless none of them is kept.
        if (numeratorWidth + denominatorWidth > 0)
            text.append(static_cast<std::size_t>(numeratorWidth + denominatorWidth + 2), ' ');
        return {text, whole == 0};
    }
    std::string numeratorText = std::to_string(numerator);
    if (static_cast<int>(numeratorText.size()) < numeratorWidth)
        numeratorText.insert(0, numeratorWidth - numeratorText.size(), ' ');
    std::string denominatorText = std::to_string(denominator);
    if (static_cast<int>(denominatorText.size()) < denominatorWidth)
        denominatorText.append(denominatorWidth - denominatorText.size(), ' ');
    // Without a whole number, a numerator of '#' digits takes the blank before it along.
    const std::string_view blank = text.empty() && numeratorWidth == 0 ? "" : " ";
    return {text + std::string(blank) + numeratorText + "/" + denominatorText, false};
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

std::string generalText(double value, const LocaleData& locale, int maxDecimals) {
    if (value == 0 || !std::isfinite(value))
        return "0";
    // A document that limits the decimals of General numbers shows beyond 10^15 a mantissa of
    // that many decimals (14 at most), trailing zeros kept, whole numbers included.
    if (maxDecimals >= 0 && std::fabs(value) > 1e15) {
        const int decimals = std::min(maxDecimals, 14);
        const Decimal digits = roundToSignificant(officeDecimal(std::fabs(value)), decimals + 1);
        std::string text = value < 0 ? "-" : "";
        text += digits.digits.front();
        if (decimals > 0) {
            text += locale.decimalSeparator;
            text += fractionDigits(Decimal{false, digits.digits, 1}, decimals);
        }
        return text + "E" + exponentText(digits.scientificExponent(), 2, true);
    }
    // Whole numbers that a double holds exactly show all their digits, whatever the limit on
    // decimals: the usual ids and counts take this way.
    if (std::fabs(value) < exactIntegers && std::trunc(value) == value) {
        std::array<char, 24> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                          static_cast<long long>(value));
        return std::string(buffer.data(), result.ptr);
    }
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
} // namespace ods::format
