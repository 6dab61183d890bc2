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

} // namespace ods
