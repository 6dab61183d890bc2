#pragma once

// The office's limits: positions and sheets beyond them do not exist in any document.

#include <cstddef>
#include <cstdint>

namespace ods {

inline constexpr std::int32_t kMaxColumns = 16384;
inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::size_t kMaxSheets = 10000;

} // namespace ods
