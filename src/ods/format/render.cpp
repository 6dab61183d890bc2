#include "ods/format/render.h"

#include "ods/format/date_time_text.h"
#include "ods/format/number_text.h"

#include <algorithm>
#include <cmath>

namespace ods::format {

namespace {

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
