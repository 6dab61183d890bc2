#pragma once

// The sheet size of the office: positions beyond it do not exist in any document.

#include <cstdint>

namespace ods {

inline constexpr std::int32_t kMaxColumns = 16384;
inline constexpr std::int32_t kMaxRows = 1048576;

} // namespace ods
