#pragma once

// The office's locale data as a table, written by scripts/make-locale-table from the installed
// office: one entry per locale, sorted by language and country.

#include "ods/format/locale_data.h"

#include <cstddef>
#include <string_view>

namespace ods::format::detail {

struct LocaleEntry {
    std::string_view language;
    std::string_view country;
    LocaleData data;
};

/// The country whose data the office uses for a language given alone or with a country it does
/// not know.
struct LanguageDefault {
    std::string_view language;
    std::string_view country;
};

extern const LocaleEntry localeEntries[];
extern const std::size_t localeEntryCount;
extern const LanguageDefault languageDefaults[];
extern const std::size_t languageDefaultCount;
/// Every ISO 4217 code of the currencies of all locales, sorted.
extern const std::string_view currencyCodes[];
extern const std::size_t currencyCodeCount;

} // namespace ods::format::detail
