#pragma once

// Dates, clock times and durations as the office shows them.

#include "ods/format/data_style.h"
#include "ods/format/locale_data.h"

#include <optional>
#include <string>

namespace ods::format {

/// Whether a part belongs to a date or a time (day, month, hours, am-pm, ...).
bool isDateOrTimePart(PartKind kind);

/// Writes a serial number (days since the document's null date, `nullDate` days after
/// 1899-12-30) under a date or time style onto the end of `out`: "#FMT" where the office shows
/// that; false, and nothing written, where the value cannot be shown.
bool appendDateTimeText(std::string& out, const DataStyle& style, double value,
                        const LocaleData& locale, long long nullDate = 0);

} // namespace ods::format
