#pragma once

// The words, separators and standard formats the office uses for a locale, from the office's
// own locale data (see locale_table.h).

#include <array>
#include <string_view>

namespace ods::format {

using MonthNames = std::array<std::string_view, 12>;
using DayNames = std::array<std::string_view, 7>; ///< Sunday first

struct LocaleData {
    std::string_view decimalSeparator;
    std::string_view groupSeparator;
    MonthNames monthsShort;
    MonthNames monthsLong;
    /// The month as the day of the month's own (the 17th of March): "березня".
    MonthNames genitiveMonthsShort;
    MonthNames genitiveMonthsLong;
    /// The month after the day of the month, in the languages that inflect it so (Finnish).
    MonthNames partitiveMonthsShort;
    MonthNames partitiveMonthsLong;
    DayNames daysShort;
    DayNames daysLong;
    std::string_view am;
    std::string_view pm;
    std::string_view trueWord;
    std::string_view falseWord;
    std::array<std::string_view, 4> quartersShort;
    std::array<std::string_view, 4> quartersLong;
    std::string_view eraShort; ///< the era of the years from 1 on
    std::string_view eraLong;
    std::string_view eraBeforeShort; ///< the era of the years before 1
    std::string_view eraBeforeLong;
    /// The symbol the office puts for an empty number:currency-symbol: the currency of the
    /// locale's compatible formats, which for several European countries is the one before the
    /// euro.
    std::string_view currencySymbol;
    /// The standard formats of the locale, encoded: text, and keywords marked by \x01 followed
    /// by a letter and a form digit (see standardStyle). Empty: the engine cannot show it.
    std::string_view standardDateTime;
    std::string_view standardTime;
    std::string_view standardPercent;
    /// The built-in date formats that a date style with number:automatic-order stands for when
    /// it has exactly their parts, encoded as the standard formats.
    enum DateFormat {
        SystemShort,
        SystemLong,
        MonthYear,
        DayMonthName,
        DayMonthLongYear,
        DayMonthYear,
        DayMonthNameYear,
        DayMonthNameLongYear,
        DayLongMonthNameLongYear,
        WeekdayDayMonthNameYear,
        WeekdayDayLongMonthNameLongYear,
        LongWeekdayDayLongMonthNameLongYear,
        DateLongYearTime,
        SystemDateTime,
        DateTimeSeconds,
        DateFormatCount
    };
    std::array<std::string_view, DateFormatCount> dateFormats;
    bool gregorian = true;          ///< false: dates are shown in another calendar by default
    int firstWeekday = 1;           ///< the day weeks start on, 0 = Sunday
    int minimalDaysInFirstWeek = 4; ///< of the year, for its first week to be week 1
    bool indianGrouping = false;    ///< digits grouped 12,34,567: by three, then by two
    /// The locale has a calendar besides its default one, which the office switches to for the
    /// era of a date style.
    bool otherCalendar = false;
    bool known = true; ///< false: the English fallback stands in for the language
};

/// The data for a language and country as written in number:language / number:country; the
/// language may be a BCP 47 tag where a script or variant sets the locale apart (sr-Latn-RS,
/// ca-ES-valencia). An unknown country falls back to the language's main country, as the office
/// does; an unknown language to English (USA), marked as not known. Empty strings: English (USA).
const LocaleData& localeData(std::string_view language, std::string_view country);

/// Whether the office knows a currency by that ISO 4217 code.
bool knownCurrency(std::string_view code);

/// The ISO 4217 code of the currency that a symbol written for a locale names: one of that
/// locale's current currencies; "" for any other symbol, also one the locale keeps only for old
/// documents.
std::string_view currencyOfSymbol(std::string_view symbol, std::string_view language,
                                  std::string_view country);

} // namespace ods::format
