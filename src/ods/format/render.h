#pragma once

// Turns a number into the text the office shows for it under a data style.

#include "ods/format/data_style.h"
#include "ods/format/locale_data.h"
#include "ods/format/number_text.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ods::format {

/// Finds a data style by name (for the conditional maps); null when there is none.
using StyleLookup = std::function<const DataStyle*(std::string_view)>;

/// What a rendering needs besides the style and the value.
struct RenderContext {
    StyleLookup lookup;              ///< the targets of conditional maps
    std::string_view currency;       ///< the ISO code of a currency cell, "" for other cells
    int generalDecimals = -1;        ///< the document's limit on General decimals, -1: none
    std::string_view officeLanguage; ///< the office's locale, for styles that name none
    std::string_view officeCountry;
};

/// The shown text of a value under a data style; nothing when the style needs something this
/// renderer does not know (a language without names, an unknown currency).
std::optional<std::string> renderValue(const DataStyle& style, double value,
                                       const RenderContext& context);

/// What a General cell style shows for a date, time, percentage or boolean cell: the standard
/// format of that kind in the style's language; nothing for a language whose standard formats
/// are not known here.
std::optional<DataStyle> standardStyle(StyleKind kind, const std::string& language,
                                       const std::string& country);

/// Whether a data style is the General format (a number without fixed decimals, nothing else).
bool isGeneral(const DataStyle& style);

} // namespace ods::format
