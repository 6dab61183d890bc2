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

/// The most text a cell may show, in the office's UTF-16 units: what its text import takes into
/// one cell (SAL_MAX_UINT16, its nArbitraryCellLengthLimit). Blanks (text:s) and formats could
/// otherwise grow a cell of a few bytes into gigabytes.
inline constexpr std::uint64_t kMaxCellText = 65535;

} // namespace ods
