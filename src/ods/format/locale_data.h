#pragma once

// The words and separators the office uses for a language, for the languages whose documents we
// meet most; anything else falls back to English.

#include <array>
#include <string>
#include <string_view>

namespace ods::format {

struct LocaleData {
    std::string_view decimalSeparator;
    std::string_view groupSeparator;
    std::array<std::string_view, 12> monthsShort;
    std::array<std::string_view, 12> monthsLong;
    std::array<std::string_view, 7> daysShort; ///< Sunday first
    std::array<std::string_view, 7> daysLong;
    std::string_view am;
    std::string_view pm;
    std::string_view trueWord;
    std::string_view falseWord;
    std::array<std::string_view, 4> quartersShort;
    std::array<std::string_view, 4> quartersLong;
    std::string_view eraShort;
    std::string_view eraLong;
    /// The symbol the office puts for an empty number:currency-symbol: the first currency of
    /// the locale's data, which for several European countries is the one before the euro.
    std::string_view currencySymbol;
    bool usWeeks = false; ///< weeks start on Sunday, week 1 holds January 1st
    bool known = true;    ///< false: the English fallback stands in for the language
};

/// The data for a language and country as written in number:language / number:country (empty
/// strings: the office's own locale, which is English (USA) for our documents).
const LocaleData& localeData(std::string_view language, std::string_view country);

/// The usual symbol of a currency given by its ISO 4217 code ("" when not known).
std::string_view currencySymbol(std::string_view code);

} // namespace ods::format
