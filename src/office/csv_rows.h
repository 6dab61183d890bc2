#pragma once

// Reading back the office's CSV export of a sheet.

#include "join/calc_automation.h"

#include <string_view>

namespace gridwork {

/// The rows of a CSV text as the office writes it (RFC 4180, read as ods::readCsv reads it): a
/// field in '"' may hold ',', line breaks and doubled '"'; records end with LF or CR LF; UTF-8
/// with an optional byte-order mark. A blank line is a row with one empty field.
CellRows parseCsvRows(std::string_view text);

/// The rectangle columns first..last x rows first..last (0-based, inclusive) of rows that
/// start at A1; cells the rows do not reach are empty. Every row is as wide as the rectangle.
CellRows cutRectangle(const CellRows& rows, std::int32_t firstColumn, std::int32_t firstRow,
                      std::int32_t lastColumn, std::int32_t lastRow);

} // namespace gridwork
