#include "ods/format/locale_data.h"

#include "ods/format/locale_table.h"

#include <algorithm>
#include <span>

namespace ods::format {

namespace {

std::span<const detail::LocaleEntry> entries() {
    return {detail::localeEntries, detail::localeEntryCount};
}

const LocaleData* find(std::string_view language, std::string_view country) {
    const auto all = entries();
    const auto found = std::lower_bound(all.begin(), all.end(), std::pair(language, country),
                                        [](const detail::LocaleEntry& entry, const auto& key) {
                                            return std::pair(entry.language, entry.country) < key;
                                        });
    if (found == all.end() || found->language != language || found->country != country)
        return nullptr;
    return &found->data;
}

const LocaleData& englishUsa() {
    static const LocaleData* const data = find("en", "US");
    return *data;
}

} // namespace

const LocaleData& localeData(std::string_view language, std::string_view country) {
    if (language.empty())
        return englishUsa();
    if (const LocaleData* exact = find(language, country))
        return *exact;
    const detail::LanguageDefault* const defaults = detail::languageDefaults;
    const auto* const end = defaults + detail::languageDefaultCount;
    const auto* const fallback = std::lower_bound(
        defaults, end, language, [](const detail::LanguageDefault& entry, std::string_view key) {
            return entry.language < key;
        });
    if (fallback != end && fallback->language == language)
        if (const LocaleData* main = find(language, fallback->country))
            return *main;
    // The office shows a language it has no data for in English (USA); the engine leaves the
    // words of such a language to the texts the file holds.
    static const LocaleData unknown = [] {
        LocaleData data = englishUsa();
        data.known = false;
        return data;
    }();
    return unknown;
}

bool knownCurrency(std::string_view code) {
    return std::binary_search(detail::currencyCodes,
                              detail::currencyCodes + detail::currencyCodeCount, code);
}

} // namespace ods::format
