#pragma once

// Turns a number into the text the office shows for it under a data style.

#include "ods/format/data_style.h"
#include "ods/format/locale_data.h"
#include "ods/format/number_text.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ods::format {

/// Finds a data style by name (for the conditional maps); null when there is none.
using StyleLookup = std::function<const DataStyle*(std::string_view)>;

/// What a rendering needs besides the style and the value.
struct RenderContext {
    StyleLookup lookup;              ///< the targets of conditional maps
    int generalDecimals = -1;        ///< the document's limit on General decimals, -1: none
    std::string_view officeLanguage; ///< the office's locale, for styles that name none
    std::string_view officeCountry;
    long long nullDate = 0; ///< the document's day 0, in days after 1899-12-30
};

/// A data style with everything that does not depend on the value worked out once: the targets
/// of its conditional maps, its locale, the order of its date parts. It points into the data
/// styles it was made from (and their map targets), which must outlive it unchanged.
class PreparedStyle {
public:
    /// `context.lookup` is asked once per conditional map, here and not later.
    PreparedStyle(const DataStyle& style, const RenderContext& context);
    ~PreparedStyle();
    PreparedStyle(PreparedStyle&&) noexcept;
    PreparedStyle& operator=(PreparedStyle&&) noexcept;

    /// The shown text of a value; `currency` is the ISO code of a currency cell, "" otherwise.
    /// Nothing when the style needs something this renderer does not know (a language without
    /// names, an unknown currency).
    [[nodiscard]] std::optional<std::string> render(double value,
                                                    std::string_view currency = {}) const;

private:
    struct Section;

    /// A section's condition as the office's format code holds it.
    struct Condition {
        std::optional<Comparison> comparison; ///< nothing: none given
        double limit = 0;
    };

    // Both write onto the end of `text`; false: nothing to write (the value is not theirs, or
    // cannot be shown).
    bool otherCurrencyText(std::string& text, double value, std::string_view currency) const;
    bool renderSection(std::string& text, const Section& section, double value,
                       bool withSign) const;
    std::size_t sectionOf(double value) const;

    const LocaleData* locale_;
    int generalDecimals_;
    long long nullDate_;
    /// The office joins a style and the targets of its maps into one format code of up to
    /// three sections for numbers: the targets in the order of the maps, each behind its
    /// condition, then the style itself (which a text style keeps for text only).
    std::vector<std::unique_ptr<Section>> sections_;
    Condition first_;
    Condition second_;
    bool firstNegative_ = false;  ///< the first section shows negative numbers only
    bool secondNegative_ = false; ///< so does the second
    bool invalid_ = false; ///< a code the office refuses; it shows the General format instead
    const StylePart* currencyPart_ = nullptr; ///< the symbol a cell's currency is held to
    std::string_view symbolCurrency_; ///< the ISO code of that symbol, "" when the office has none
};

/// What a General cell style shows for a date, time, percentage or boolean cell: the standard
/// format of that kind in the style's language; nothing for a language whose standard formats
/// are not known here.
std::optional<DataStyle> standardStyle(StyleKind kind, const std::string& language,
                                       const std::string& country);

/// Whether a data style is the General format (a number without fixed decimals, nothing else).
bool isGeneral(const DataStyle& style);

} // namespace ods::format
