#include "ods/format/locale_data.h"

#include "ods/format/locale_table.h"

#include <algorithm>
#include <span>
#include <tuple>
#include <vector>

namespace ods::format {

namespace {

std::span<const detail::LocaleRecord> records() {
    return {detail::localeRecords, detail::localeRecordCount};
}

std::string_view textAt(std::uint32_t offset) {
    return detail::localeTexts + offset;
}

// A record's texts, in the order scripts/make-locale-table writes them.
LocaleData decoded(const detail::LocaleRecord& record) {
    std::size_t next = 0;
    const auto text = [&record, &next] { return textAt(record.texts[next++]); };
    const auto fill = [&text](auto& names) {
        for (auto& name : names)
            name = text();
    };
    LocaleData data;
    data.decimalSeparator = text();
    data.groupSeparator = text();
    fill(data.monthsShort);
    fill(data.monthsLong);
    fill(data.genitiveMonthsShort);
    fill(data.genitiveMonthsLong);
    fill(data.partitiveMonthsShort);
    fill(data.partitiveMonthsLong);
    fill(data.daysShort);
    fill(data.daysLong);
    data.am = text();
    data.pm = text();
    data.trueWord = text();
    data.falseWord = text();
    fill(data.quartersShort);
    fill(data.quartersLong);
    data.eraShort = text();
    data.eraLong = text();
    data.eraBeforeShort = text();
    data.eraBeforeLong = text();
    data.currencySymbol = text();
    data.standardDateTime = text();
    data.standardTime = text();
    data.standardPercent = text();
    fill(data.dateFormats);
    data.gregorian = record.gregorian;
    data.firstWeekday = record.firstWeekday;
    data.minimalDaysInFirstWeek = record.minimalDaysInFirstWeek;
    data.indianGrouping = record.indianGrouping;
    data.otherCalendar = record.otherCalendar;
    return data;
}

// Every locale's data, made once on the first lookup, in the order of the records.
const std::vector<LocaleData>& all() {
    static const std::vector<LocaleData> data = [] {
        std::vector<LocaleData> made;
        made.reserve(detail::localeRecordCount);
        for (const auto& record : records())
            made.push_back(decoded(record));
        return made;
    }();
    return data;
}

const LocaleData* find(std::string_view language, std::string_view country) {
    const auto list = records();
    const auto key = std::pair(language, country);
    const auto found = std::lower_bound(
        list.begin(), list.end(), key, [](const detail::LocaleRecord& record, const auto& wanted) {
            return std::pair(textAt(record.language), textAt(record.country)) < wanted;
        });
    if (found == list.end() || std::pair(textAt(found->language), textAt(found->country)) != key)
        return nullptr;
    return &all()[static_cast<std::size_t>(found - list.begin())];
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
    const std::span defaults(detail::languageDefaults, detail::languageDefaultCount);
    const auto fallback =
        std::lower_bound(defaults.begin(), defaults.end(), language,
                         [](const detail::LanguageDefault& entry, std::string_view key) {
                             return entry.language < key;
                         });
    if (fallback != defaults.end() && fallback->language == language)
        if (const LocaleData* main = find(language, fallback->country))
            return *main;
    // A tag the office has no data for (sr-Latn-BA) falls back as its language alone does.
    if (const std::size_t dash = language.find('-'); dash != std::string_view::npos)
        return localeData(language.substr(0, dash), country);
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

std::string_view currencyOfSymbol(std::string_view symbol, std::string_view language,
                                  std::string_view country) {
    const std::span list(detail::currencyRecords, detail::currencyRecordCount);
    const auto key = std::tuple(language, country, symbol);
    const auto keyOf = [](const detail::CurrencyRecord& record) {
        return std::tuple(textAt(record.language), textAt(record.country), textAt(record.symbol));
    };
    const auto found =
        std::lower_bound(list.begin(), list.end(), key,
                         [&keyOf](const detail::CurrencyRecord& record, const auto& wanted) {
                             return keyOf(record) < wanted;
                         });
    return found != list.end() && keyOf(*found) == key ? textAt(found->code) : std::string_view();
}

} // namespace ods::format
