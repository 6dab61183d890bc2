#pragma once

// The office's limits: positions and sheets beyond them do not exist in any document.

#include <cstddef>
#include <cstdint>

namespace ods {

inline constexpr std::int32_t kMaxColumns = 16384;
inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::size_t kMaxSheets = 10000;

/// The most digits a number format may ask for in any one place (decimals, integer digits,
/// exponent digits, numerator and denominator digits): the office caps what it imports at its
/// NF_MAX_FORMAT_SYMBOLS, 100.
inline constexpr int kMaxFormatDigits = 100;

/// The most text a cell may show, in the office's UTF-16 units. The office itself holds a cell as
/// long as its strings (2^30 units) and shows twenty million blanks of one text:s in a cell, so
/// no real document comes near this; blanks (text:s) and formats of a few bytes could otherwise
/// grow a cell into gigabytes. At most about 100 MB of memory a cell.
inline constexpr std::uint64_t kMaxCellText = std::uint64_t{1} << 25;

} // namespace ods
