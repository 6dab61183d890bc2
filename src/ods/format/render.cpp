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

bool holds(Comparison comparison, double value, double limit) {
    switch (comparison) {
    case Comparison::Less:
        return value < limit;
    case Comparison::LessEqual:
        return value <= limit;
    case Comparison::Greater:
        return value > limit;
    case Comparison::GreaterEqual:
        return value >= limit;
    case Comparison::Equal:
        return value == limit;
    case Comparison::NotEqual:
        return value != limit;
    }
    return false;
}

// A style that names no language is shown in the office's own locale.
const LocaleData& localeOf(const DataStyle& style, const RenderContext& context) {
    if (style.language.empty())
        return localeData(context.officeLanguage, context.officeCountry);
    return localeData(style.language, style.country);
}

} // namespace

bool isGeneral(const DataStyle& style) {
    return style.kind == StyleKind::Number && style.maps.empty() && style.parts.size() == 1 &&
           style.parts.front().kind == PartKind::Number && style.parts.front().decimals < 0;
}

namespace {

// A built-in format of the locale table as a data style. The table writes each keyword as \x01,
// a letter and a form digit; the rest is text.
std::optional<DataStyle> decodedStyle(StyleKind kind, std::string_view code,
                                      const std::string& language, const std::string& country) {
    if (code.empty())
        return std::nullopt;
    DataStyle style;
    style.kind = kind;
    style.language = language;
    style.country = country;
    while (!code.empty()) {
        StylePart part;
        if (code.front() != '\x01' || code.size() < 3) {
            const std::size_t end = std::min(code.find('\x01', 1), code.size());
            part.text = code.substr(0, end);
            code.remove_prefix(end);
            style.parts.push_back(std::move(part));
            continue;
        }
        const char letter = code[1];
        const char form = code[2];
        code.remove_prefix(3);
        part.longForm = form == '1';
        switch (letter) {
        case 'D':
            part.kind = PartKind::Day;
            break;
        case 'M':
        case 'N':
            part.kind = PartKind::Month;
            part.textual = letter == 'N';
            break;
        case 'Y':
            part.kind = PartKind::Year;
            break;
        case 'W':
            part.kind = PartKind::DayOfWeek;
            break;
        case 'h':
            part.kind = PartKind::Hours;
            break;
        case 'm':
            part.kind = PartKind::Minutes;
            break;
        case 's':
            part.kind = PartKind::Seconds;
            break;
        case 'a':
            part.kind = PartKind::AmPm;
            break;
        case 'q':
            part.kind = PartKind::Quarter;
            break;
        case 'b':
            part.kind = PartKind::Boolean;
            break;
        case 'n':
            part.kind = PartKind::Number;
            part.decimals = form - '0';
            part.minIntegerDigits = 1;
            break;
        default:
            return std::nullopt;
        }
        style.parts.push_back(std::move(part));
    }
    return style;
}

enum class Presence { None, Any, Short, Long, TextShort, TextLong };

// The parts of the built-in date formats, in the order the office tries them for a date style
// with number:automatic-order (the day of the week, day, month, year, hours, minutes, seconds)
// and whether the style must come from the system's (format-source="language").
struct DateFormatParts {
    LocaleData::DateFormat format;
    std::array<Presence, 7> parts;
    bool system;
};

constexpr Presence None = Presence::None, Any = Presence::Any, Short = Presence::Short,
                   Long = Presence::Long, TextShort = Presence::TextShort,
                   TextLong = Presence::TextLong;

constexpr DateFormatParts dateFormatParts[] = {
    {LocaleData::SystemShort, {None, Any, Any, Any, None, None, None}, true},
    {LocaleData::SystemLong, {Any, Any, Any, Any, None, None, None}, true},
    {LocaleData::MonthYear, {None, None, Long, Short, None, None, None}, false},
    {LocaleData::DayMonthName, {None, Long, TextShort, None, None, None, None}, false},
    {LocaleData::DayMonthLongYear, {None, Long, Long, Long, None, None, None}, false},
    {LocaleData::DayMonthYear, {None, Long, Long, Short, None, None, None}, false},
    {LocaleData::DayMonthNameYear, {None, Short, TextShort, Short, None, None, None}, false},
    {LocaleData::DayMonthNameLongYear, {None, Short, TextShort, Long, None, None, None}, false},
    {LocaleData::DayLongMonthNameLongYear, {None, Short, TextLong, Long, None, None, None}, false},
    {LocaleData::WeekdayDayMonthNameYear,
     {Short, Short, TextShort, Short, None, None, None},
     false},
    {LocaleData::WeekdayDayLongMonthNameLongYear,
     {Short, Short, TextLong, Long, None, None, None},
     false},
    {LocaleData::LongWeekdayDayLongMonthNameLongYear,
     {Long, Short, TextLong, Long, None, None, None},
     false},
    {LocaleData::DateLongYearTime, {None, Any, Any, Long, Any, Any, None}, false},
    {LocaleData::SystemDateTime, {None, Any, Any, Any, Any, Any, None}, true},
    {LocaleData::DateTimeSeconds, {None, Any, Any, Any, Any, Any, Any}, false},
};

// The built-in date format of the locale that a date style with number:automatic-order stands
// for: the one with exactly the style's parts, in the locale's order and with its separators.
// Nothing for a style with other parts, which keeps its own order.
const LocaleData::DateFormat* automaticOrderFormat(const DataStyle& style) {
    std::array<Presence, 7> parts{};
    parts.fill(Presence::None);
    for (const auto& part : style.parts) {
        const Presence form = part.longForm ? Presence::Long : Presence::Short;
        switch (part.kind) {
        case PartKind::Text:
        case PartKind::AmPm: // the built-in formats bring their own, or none
            break;
        case PartKind::DayOfWeek:
            parts[0] = form;
            break;
        case PartKind::Day:
            parts[1] = form;
            break;
        case PartKind::Month:
            parts[2] = !part.textual   ? form
                       : part.longForm ? Presence::TextLong
                                       : Presence::TextShort;
            break;
        case PartKind::Year:
            parts[3] = form;
            break;
        case PartKind::Hours:
            parts[4] = form;
            break;
        case PartKind::Minutes:
            parts[5] = form;
            break;
        case PartKind::Seconds:
            parts[6] = form;
            break;
        default:
            return nullptr;
        }
    }
    for (const auto& entry : dateFormatParts) {
        if (entry.system != style.fromSystem)
            continue;
        bool matches = true;
        for (std::size_t i = 0; i < parts.size() && matches; ++i)
            matches = entry.parts[i] == parts[i] ||
                      (entry.parts[i] == Presence::Any && parts[i] != Presence::None);
        if (matches)
            return &entry.format;
    }
    return nullptr;
}

// Blanks that open a currency, date or time format are no text to the office: it writes them
// into the format code without quotes, and its formatter skips blanks at the start of a section.
// A currency format with a written symbol, in a language that groups digits with a blank,
// quotes them and keeps them; an empty symbol (the locale's own) leaves them unquoted.
std::size_t unquotedLeadingBlanks(const DataStyle& style, const LocaleData& locale) {
    const bool writtenSymbol =
        std::any_of(style.parts.begin(), style.parts.end(), [](const StylePart& part) {
            return part.kind == PartKind::CurrencySymbol && !part.text.empty();
        });
    const bool kept =
        writtenSymbol && (locale.groupSeparator == " " || locale.groupSeparator == "\u00a0");
    const bool skipped = style.kind == StyleKind::Date || style.kind == StyleKind::Time ||
                         (style.kind == StyleKind::Currency && !kept);
    std::size_t count = 0;
    if (skipped)
        while (count < style.parts.size() && style.parts[count].kind == PartKind::Text &&
               (style.parts[count].text == " " || style.parts[count].text == "  "))
            ++count;
    return count;
}

} // namespace

std::optional<DataStyle> standardStyle(StyleKind kind, const std::string& language,
                                       const std::string& country) {
    const LocaleData& locale = localeData(language, country);
    if (!locale.known || !locale.gregorian)
        return std::nullopt;
    std::string_view code;
    switch (kind) {
    case StyleKind::Date:
        code = locale.standardDateTime;
        break;
    case StyleKind::Time:
        code = locale.standardTime;
        break;
    case StyleKind::Percentage:
        code = locale.standardPercent;
        break;
    case StyleKind::Boolean:
        code = "\x01"
               "b0";
        break;
    default:
        break;
    }
    return decodedStyle(kind, code, language, country);
}

struct PreparedStyle::Section {
    enum class Shape { Unknown, DateTime, Boolean, Text, Number };

    Section(const DataStyle& own, const DataStyle& main, const LocaleData& locale,
            const RenderContext& context)
        : style(&own) {
        for (const auto& part : own.parts)
            if (needsNames(part) && !locale.known)
                return;
        const auto has = [&own](auto predicate) {
            return std::any_of(own.parts.begin(), own.parts.end(), predicate);
        };
        if (const std::size_t blanks = unquotedLeadingBlanks(own, localeOf(own, context))) {
            DataStyle& trimmed = owned.emplace(own);
            trimmed.parts.erase(trimmed.parts.begin(),
                                trimmed.parts.begin() + static_cast<std::ptrdiff_t>(blanks));
            style = &trimmed;
        }
        if (has([](const StylePart& part) { return isDateOrTimePart(part.kind); })) {
            // Dates in another calendar (named by the style; by default in one locale; for the
            // era of a locale that has a second calendar, as the office switches to it there)
            // keep the file's texts.
            const bool era = has([](const StylePart& part) { return part.kind == PartKind::Era; });
            if (own.otherCalendar || !locale.gregorian || (era && locale.otherCalendar))
                return;
            if (own.automaticOrder && own.kind == StyleKind::Date) {
                if (const auto* format = automaticOrderFormat(own)) {
                    // A built-in format the engine cannot follow leaves the file's texts.
                    auto ordered = decodedStyle(StyleKind::Date, locale.dateFormats[*format],
                                                own.language, own.country);
                    if (!ordered)
                        return;
                    style = &owned.emplace(std::move(*ordered));
                }
            }
            shape = Shape::DateTime;
            return;
        }
        if (has([](const StylePart& part) { return part.kind == PartKind::Boolean; })) {
            shape = Shape::Boolean;
            return;
        }
        if (own.kind == StyleKind::Text) {
            shape = Shape::Text;
            textLocale = &localeOf(own, context);
            return;
        }
        shape = Shape::Number;
        // The office's import leaves a percent sign unquoted in percentage styles only; in any
        // other style it is text and multiplies nothing.
        percent =
            own.kind == StyleKind::Percentage && has([](const StylePart& part) {
                return part.kind == PartKind::Text && part.text.find('%') != std::string::npos;
            });
        currency = has([](const StylePart& part) { return part.kind == PartKind::CurrencySymbol; });
        composed = own.parts.size() > 1 || !main.maps.empty();
        // A currency format without its decimals shows two.
        const bool defaultDecimals = has([](const StylePart& part) {
            return part.kind == PartKind::Number && part.decimals < 0;
        });
        if (own.kind == StyleKind::Currency && defaultDecimals) {
            if (!owned)
                owned.emplace(own);
            for (auto& part : owned->parts)
                if (part.kind == PartKind::Number && part.decimals < 0)
                    part.decimals = 2;
            style = &*owned;
        }
    }

    Shape shape = Shape::Unknown;
    const DataStyle* style;
    std::optional<DataStyle> owned; ///< the style reordered or completed, when it had to be
    const LocaleData* textLocale = nullptr;
    bool percent = false;
    bool currency = false; ///< a currency symbol is among the parts
    bool composed = false;
};

PreparedStyle::PreparedStyle(const DataStyle& style, const RenderContext& context)
    : locale_(&localeOf(style, context)), generalDecimals_(context.generalDecimals),
      nullDate_(context.nullDate) {
    // A map whose target is missing is left out of the code.
    std::vector<std::pair<const DataStyle*, Condition>> targets;
    for (const auto& map : style.maps)
        if (const DataStyle* target = context.lookup ? context.lookup(map.styleName) : nullptr)
            targets.push_back({target, Condition{map.comparison, map.limit}});
    const bool textStyle = style.kind == StyleKind::Text;
    // The last map of a text style takes all numbers the others leave.
    if (textStyle && !targets.empty())
        targets.back().second.comparison.reset();
    for (const auto& [target, condition] : targets)
        sections_.push_back(std::make_unique<Section>(*target, style, *locale_, context));
    if (!textStyle || targets.empty())
        sections_.push_back(std::make_unique<Section>(style, style, *locale_, context));
    // The office's formatter takes conditions in the first two sections only, and turns the
    // sections without one into the usual positive, negative and zero sections.
    const std::size_t count = sections_.size();
    if (count > 0 && !targets.empty())
        first_ = targets[0].second;
    if (count > 1 && targets.size() > 1)
        second_ = targets[1].second;
    for (std::size_t i = 2; i < targets.size(); ++i)
        invalid_ = invalid_ || targets[i].second.comparison.has_value();
    if (count > 1 && !first_.comparison)
        first_ = {Comparison::Greater, 0};
    if (count > 2 && !second_.comparison)
        second_ = {Comparison::Less, 0};
    if (count < 3 && first_.comparison == Comparison::Greater && !second_.comparison &&
        first_.limit == 0)
        first_.comparison = Comparison::GreaterEqual;

    // A section that only negative numbers reach shows their magnitude, its own text carrying
    // the sign.
    const bool zeroLimits = first_.limit == 0 && second_.limit == 0;
    const auto is = [](const Condition& condition,
                       std::initializer_list<std::optional<Comparison>> any) {
        return std::find(any.begin(), any.end(), condition.comparison) != any.end();
    };
    const std::optional<Comparison> none;
    firstNegative_ =
        zeroLimits &&
        ((first_.comparison == Comparison::Less &&
          is(second_, {Comparison::Greater, Comparison::Equal, Comparison::GreaterEqual, none})) ||
         (first_.comparison == Comparison::LessEqual && is(second_, {none, Comparison::Greater})));
    secondNegative_ =
        zeroLimits &&
        ((first_.comparison == Comparison::GreaterEqual && !second_.comparison) ||
         (first_.comparison == Comparison::Greater && second_.comparison == Comparison::Less) ||
         (!first_.comparison && !second_.comparison));

    // The office holds a currency cell to the first symbol that names its locale, in the order
    // of the sections; an empty symbol takes the locale's own currency.
    const StylePart* named = nullptr;
    for (const auto& section : sections_)
        for (const auto& part : section->style->parts)
            if (!named && part.kind == PartKind::CurrencySymbol && !part.text.empty() &&
                !part.country.empty())
                named = &part;
    // A symbol written as a code (CHF) is never replaced.
    const bool codeLike = named && named->text.size() == 3 &&
                          std::all_of(named->text.begin(), named->text.end(),
                                      [](char c) { return c >= 'A' && c <= 'Z'; });
    if (named && !codeLike) {
        currencyPart_ = named;
        // Only a current currency of the symbol's locale ties it to a currency; any other
        // symbol stays whatever the cell's currency.
        symbolCurrency_ = currencyOfSymbol(named->text, named->language, named->country);
    }
}

PreparedStyle::~PreparedStyle() = default;
PreparedStyle::PreparedStyle(PreparedStyle&&) noexcept = default;
PreparedStyle& PreparedStyle::operator=(PreparedStyle&&) noexcept = default;

// A currency cell whose currency differs from the one of its style's symbol: the office shows
// the amount with the cell's ISO code instead.
bool PreparedStyle::otherCurrencyText(std::string& text, double value,
                                      std::string_view currency) const {
    if (currency.empty() || !currencyPart_)
        return false;
    if (symbolCurrency_.empty() || currency == symbolCurrency_ || currency == currencyPart_->text ||
        !knownCurrency(currency))
        return false;
    StylePart number;
    number.kind = PartKind::Number;
    number.decimals = 2;
    number.minIntegerDigits = 1;
    number.grouping = true;
    const bool zero = appendNumberText(text, number, std::fabs(value), *locale_);
    if (value < 0 && !zero)
        text.insert(text.begin(), '-');
    text += ' ';
    text += currency;
    return true;
}

std::size_t PreparedStyle::sectionOf(double value) const {
    const auto fails = [value](const Condition& condition) {
        return condition.comparison && !holds(*condition.comparison, value, condition.limit);
    };
    if (!fails(first_))
        return 0;
    return fails(second_) ? 2 : 1;
}

std::optional<std::string> PreparedStyle::render(double value, std::string_view currency) const {
    std::optional<std::string> text(std::in_place);
    if (otherCurrencyText(*text, value, currency))
        return text;
    if (invalid_ || sections_.empty()) {
        *text = generalText(value, *locale_, generalDecimals_);
        return text;
    }
    const std::size_t index = std::min(sectionOf(value), sections_.size() - 1);
    if (value < 0 && ((index == 0 && firstNegative_) || (index == 1 && secondNegative_)))
        value = -value;
    // Beyond the first section no number gets a minus sign at all.
    if (!renderSection(*text, *sections_[index], value, index == 0))
        text.reset();
    return text;
}

bool PreparedStyle::renderSection(std::string& text, const Section& section, double value,
                                  bool withSign) const {
    // The office merges the conditional sections into one format of the main style's language.
    const LocaleData& locale = *locale_;
    const DataStyle& style = *section.style;
    switch (section.shape) {
    case Section::Shape::Unknown:
        return false;
    case Section::Shape::DateTime:
        return appendDateTimeText(text, style, value, locale, nullDate_);
    case Section::Shape::Boolean:
        text += value != 0 ? locale.trueWord : locale.falseWord;
        return true;
    case Section::Shape::Text:
        // Under a limit on the decimals of General numbers, a number in a text format is one.
        text += generalDecimals_ >= 0 ? generalText(value, *section.textLocale, generalDecimals_)
                                      : inputLineText(value, *section.textLocale, -1);
        return true;
    case Section::Shape::Number:
        break;
    }

    double magnitude = std::fabs(value);
    if (section.percent)
        magnitude *= 100;
    // A percentage of a value near the largest double has no digits, nor has such a value
    // divided by a display factor below one; the office shows its format error instead.
    const bool overflows = std::any_of(style.parts.begin(), style.parts.end(), [&](const auto& p) {
        return p.kind == PartKind::Number && !std::isfinite(magnitude / p.displayFactor);
    });
    if (!std::isfinite(magnitude) || overflows) {
        text = "#FMT";
        return true;
    }

    bool zero = true;
    bool anyNumber = false;
    for (const auto& part : style.parts) {
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
                if (!locale.known)
                    return false;
                text += locale.currencySymbol;
            }
            break;
        case PartKind::Number:
        case PartKind::Scientific:
        case PartKind::Fraction: {
            bool partZero = true;
            if (part.kind == PartKind::Number) {
                partZero = appendNumberText(text, part, magnitude, locale, generalDecimals_,
                                            section.composed);
            } else {
                const NumberPieces pieces = part.kind == PartKind::Scientific
                                                ? scientificText(part, magnitude, locale)
                                                : fractionText(part, magnitude, locale);
                text += pieces.text;
                partZero = pieces.zero;
            }
            zero = zero && partZero;
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
    if (!anyNumber && section.currency) {
        // The office's formatter gives a currency format without digits the whole number in
        // front of all its text.
        StylePart whole;
        whole.kind = PartKind::Number;
        whole.decimals = 0;
        std::string digits;
        zero = appendNumberText(digits, whole, magnitude, locale);
        text.insert(0, digits);
        anyNumber = true;
    }
    // Only digits carry a sign: a section of text alone shows as it is.
    if (value < 0 && withSign && anyNumber && !zero)
        text.insert(text.begin(), '-');
    return true;
}

} // namespace ods::format
