#pragma once

// The office's locale data as a table, written by scripts/make-locale-table from the installed
// office. The texts of all locales sit once each in one string, so that the table holds offsets
// and needs no relocation when the program starts.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ods::format::detail {

/// How many texts a locale has, in the order locale_data.cpp reads them.
constexpr std::size_t localeTextCount = 123;

/// A locale: offsets into localeTexts of NUL-ended texts, and numbers.
struct LocaleRecord {
    std::uint32_t language;
    std::uint32_t country;
    std::uint32_t texts[localeTextCount];
    std::uint8_t firstWeekday;
    std::uint8_t minimalDaysInFirstWeek;
    bool gregorian;
    bool indianGrouping;
    bool otherCalendar;
};

/// A currency of a locale that the locale's documents may name by that symbol (offsets into
/// localeTexts).
struct CurrencyRecord {
    std::uint32_t language;
    std::uint32_t country;
    std::uint32_t symbol;
    std::uint32_t code; ///< ISO 4217
};

/// The country whose data the office uses for a language given alone or with a country it does
/// not know.
struct LanguageDefault {
    std::string_view language;
    std::string_view country;
};

extern const char localeTexts[];
extern const LocaleRecord localeRecords[]; ///< sorted by language and country
extern const std::size_t localeRecordCount;
extern const CurrencyRecord currencyRecords[]; ///< sorted by language, country and symbol
extern const std::size_t currencyRecordCount;
extern const LanguageDefault languageDefaults[];
extern const std::size_t languageDefaultCount;
/// Every ISO 4217 code of the currencies of all locales, sorted.
extern const std::string_view currencyCodes[];
extern const std::size_t currencyCodeCount;

} // namespace ods::format::detail
