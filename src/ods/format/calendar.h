#pragma once

// Dates and times as the office counts them: days since 1899-12-30, the time of day as the
// fraction of a day.

#include <optional>
#include <string_view>

namespace ods::format {

struct CivilDate {
    long long year = 1899;
    int month = 12;
    int day = 30;
};

/// The serial number of an office:date-value such as "2024-03-01" or "2024-03-01T12:30:00.5",
/// counted from a null date `nullDate` days after 1899-12-30; nothing when the text is no such
/// date.
std::optional<double> serialOfDate(std::string_view text, long long nullDate = 0);

/// The length in days of an office:time-value such as "PT12H30M00S" or "-P1DT2H"; nothing when
/// the text is no such duration.
std::optional<double> daysOfDuration(std::string_view text);

CivilDate civilFromSerial(long long serial);
long long serialFromCivil(const CivilDate& date);

/// 0 = Sunday.
int weekday(long long serial);

/// The week of the year for weeks that start on `firstWeekday` (0 = Sunday) and count as the
/// year's first when at least `minimalDays` of their days are in it: ISO 8601 is Monday and 4,
/// the USA Sunday and 1.
int weekOfYear(long long serial, int firstWeekday, int minimalDays);

} // namespace ods::format
