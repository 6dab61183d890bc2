#pragma once

// Namespace URIs of the OpenDocument elements the engine reads and writes.
//
// Each URI is one object with one address in the whole program, and the quick XML reader hands
// out these very views for the URIs it meets, so that a handler's check mostly ends at the
// pointer. A view from elsewhere (expat) still compares by its text.

#include <string_view>

namespace ods::ns {

namespace uri {
inline constexpr char office[] = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
inline constexpr char table[] = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
inline constexpr char text[] = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
inline constexpr char calcext[] =
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";
inline constexpr char manifest[] = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";
inline constexpr char meta[] = "urn:oasis:names:tc:opendocument:xmlns:meta:1.0";
} // namespace uri

inline constexpr std::string_view office{uri::office, sizeof uri::office - 1};
inline constexpr std::string_view table{uri::table, sizeof uri::table - 1};
inline constexpr std::string_view text{uri::text, sizeof uri::text - 1};
inline constexpr std::string_view calcext{uri::calcext, sizeof uri::calcext - 1};
inline constexpr std::string_view manifest{uri::manifest, sizeof uri::manifest - 1};
inline constexpr std::string_view meta{uri::meta, sizeof uri::meta - 1};

/// The URIs above, the ones the quick reader gives out as they are.
inline constexpr std::string_view known[] = {office, table, text, calcext, manifest};

/// Whether `ns` is the namespace `uri` (one of the views above).
constexpr bool is(std::string_view ns, std::string_view uri) noexcept {
    return ns.data() == uri.data() ? ns.size() == uri.size() : ns == uri;
}

} // namespace ods::ns
