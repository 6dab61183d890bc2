#pragma once

// Namespace URIs of the OpenDocument elements the engine reads and writes.

#include <string_view>

namespace ods::ns {

inline constexpr std::string_view office = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
inline constexpr std::string_view table = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
inline constexpr std::string_view text = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
inline constexpr std::string_view calcext =
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";
inline constexpr std::string_view manifest = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";

} // namespace ods::ns
