#include "ods/data_styles.h"

#include "ods/format/calendar.h"
#include "ods/format/data_style.h"
#include "ods/format/locale_data.h"
#include "ods/format/render.h"
#include "ods/limits.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>

namespace ods {

namespace {

constexpr std::string_view numberNs = "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0";
constexpr std::string_view styleNs = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view loextNs =
    "urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0";

constexpr std::string_view textNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view tableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view foNs = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr std::string_view kDefaultStyle = "Default";

using format::DataStyle;
using format::PartKind;
using format::StyleKind;
using format::StylePart;

// An attribute of the number namespace, or of the office's extension namespace that carries the
// same attributes before they were standardised.
std::optional<std::string_view> numberAttribute(std::span<const XmlAttribute> attributes,
                                                std::string_view local) {
    for (const auto& a : attributes)
        if (a.local == local && (a.ns == numberNs || a.ns == loextNs))
            return a.value;
    return std::nullopt;
}

// The language of a data style or currency symbol as the locale table knows it: the language
// alone, or, for a script (sr with Latn) or a full BCP 47 tag (ca-ES-valencia), the whole tag.
std::string languageTag(std::span<const XmlAttribute> attributes, const std::string& country) {
    if (const auto tag = numberAttribute(attributes, "rfc-language-tag"); tag && !tag->empty())
        return std::string(*tag);
    std::string language(numberAttribute(attributes, "language").value_or(""));
    if (const auto script = numberAttribute(attributes, "script"); script && !script->empty()) {
        language += '-';
        language += *script;
        if (!country.empty())
            language += '-' + country;
    }
    return language;
}

std::optional<std::string_view> attribute(std::span<const XmlAttribute> attributes,
                                          std::string_view ns, std::string_view local) {
    for (const auto& a : attributes)
        if (a.local == local && a.ns == ns)
            return a.value;
    return std::nullopt;
}

// A count of a style (digits, places, a denominator) as the office imports it: missing,
// malformed or below `least` leaves the fallback, anything above `most` is cut to it. Every
// count that a format turns into digits or loops comes through here, so none can overflow or
// run away.
int countValue(std::optional<std::string_view> text, int fallback, int least, int most) {
    if (!text)
        return fallback;
    long long value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error == std::errc::result_out_of_range && !text->starts_with('-'))
        return most;
    if (error != std::errc() || value < least)
        return fallback;
    return static_cast<int>(std::min<long long>(value, most));
}

int countAttribute(std::span<const XmlAttribute> attributes, std::string_view local, int fallback,
                   int least, int most) {
    return countValue(numberAttribute(attributes, local), fallback, least, most);
}

int digitsAttribute(std::span<const XmlAttribute> attributes, std::string_view local,
                    int fallback) {
    return countAttribute(attributes, local, fallback, 0, kMaxFormatDigits);
}

double doubleAttribute(std::span<const XmlAttribute> attributes, std::string_view local,
                       double fallback) {
    const auto text = numberAttribute(attributes, local);
    if (!text)
        return fallback;
    double value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    return error == std::errc() ? value : fallback;
}

/// The prefix a written document declares for a namespace of data styles; empty for others.
std::string_view prefixOf(std::string_view ns) {
    if (ns == numberNs)
        return "number";
    if (ns == styleNs)
        return "style";
    if (ns == foNs)
        return "fo";
    if (ns == loextNs)
        return "loext";
    if (ns == textNs)
        return "text";
    return {};
}

void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
}

/// Copies the XML of data style elements from their parse events.
class DataStyleCopier {
public:
    void start(std::string_view ns, std::string_view local,
               std::span<const XmlAttribute> attributes, bool isDataStyle) {
        if (depth_ == 0) {
            if (!isDataStyle)
                return;
            xml_.clear();
            name_ = attribute(attributes, styleNs, "name").value_or("");
        }
        ++depth_;
        const std::string_view prefix = prefixOf(ns);
        if (skipFrom_ != 0 || prefix.empty()) {
            // Elements of other vocabularies mean nothing to a data style's rendering.
            if (skipFrom_ == 0)
                skipFrom_ = depth_;
            return;
        }
        xml_ += '<';
        xml_ += prefix;
        xml_ += ':';
        xml_ += local;
        for (const XmlAttribute& a : attributes) {
            const std::string_view attributePrefix = prefixOf(a.ns);
            if (attributePrefix.empty())
                continue;
            xml_ += ' ';
            xml_ += attributePrefix;
            xml_ += ':';
            xml_ += a.local;
            xml_ += "=\"";
            appendEscaped(xml_, a.value);
            xml_ += '"';
        }
        xml_ += '>';
    }

    void end(std::string_view ns, std::string_view local) {
        if (depth_ == 0)
            return;
        if (skipFrom_ == 0) {
            xml_ += "</";
            xml_ += prefixOf(ns);
            xml_ += ':';
            xml_ += local;
            xml_ += '>';
        } else if (skipFrom_ == depth_) {
            skipFrom_ = 0;
        }
        if (--depth_ == 0)
            copies_[name_] = std::move(xml_);
    }

    void characters(std::string_view text) {
        if (depth_ > 0 && skipFrom_ == 0)
            appendEscaped(xml_, text);
    }

    std::map<std::string, std::string> take() { return std::move(copies_); }

private:
    int depth_ = 0;
    int skipFrom_ = 0;
    std::string name_;
    std::string xml_;
    std::map<std::string, std::string> copies_;
};

bool boolAttribute(std::span<const XmlAttribute> attributes, std::string_view local,
                   bool fallback) {
    const auto text = numberAttribute(attributes, local);
    return text ? *text == "true" : fallback;
}

std::optional<StyleKind> styleKind(std::string_view local) {
    if (local == "number-style")
        return StyleKind::Number;
    if (local == "currency-style")
        return StyleKind::Currency;
    if (local == "percentage-style")
        return StyleKind::Percentage;
    if (local == "date-style")
        return StyleKind::Date;
    if (local == "time-style")
        return StyleKind::Time;
    if (local == "boolean-style")
        return StyleKind::Boolean;
    if (local == "text-style")
        return StyleKind::Text;
    return std::nullopt;
}

std::optional<PartKind> partKind(std::string_view local) {
    static const std::unordered_map<std::string_view, PartKind> kinds = {
        {"text", PartKind::Text},
        {"number", PartKind::Number},
        {"scientific-number", PartKind::Scientific},
        {"fraction", PartKind::Fraction},
        {"currency-symbol", PartKind::CurrencySymbol},
        {"day", PartKind::Day},
        {"month", PartKind::Month},
        {"year", PartKind::Year},
        {"day-of-week", PartKind::DayOfWeek},
        {"hours", PartKind::Hours},
        {"minutes", PartKind::Minutes},
        {"seconds", PartKind::Seconds},
        {"am-pm", PartKind::AmPm},
        {"era", PartKind::Era},
        {"quarter", PartKind::Quarter},
        {"week-of-year", PartKind::WeekOfYear},
        {"boolean", PartKind::Boolean},
        {"text-content", PartKind::TextContent},
        {"fill-character", PartKind::FillCharacter},
    };
    const auto found = kinds.find(local);
    if (found == kinds.end())
        return std::nullopt;
    return found->second;
}

int digitCount(int value) {
    int digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

// The office turns a part into a format code of at most kMaxFormatDigits symbols (each digit,
// the decimal separator and the exponent's "E+" count one) and cuts what lies beyond, from the
// end; a fraction whose denominator has more than 8 digits is no format to it at all, and the
// number shows as General.
void fitToOfficeFormatCode(StylePart& part) {
    if (part.kind == PartKind::Fraction) {
        constexpr int mostDenominatorDigits = 8;
        if (part.minDenominatorDigits > mostDenominatorDigits ||
            (part.maxDenominatorValue > 0 &&
             digitCount(part.maxDenominatorValue) > mostDenominatorDigits)) {
            part.kind = PartKind::Number;
            part.decimals = -1;
        }
        return;
    }
    if (part.kind != PartKind::Number && part.kind != PartKind::Scientific)
        return;
    int room = kMaxFormatDigits - std::max(part.minIntegerDigits, 1);
    if (part.decimals > 0) {
        part.decimals = std::min(part.decimals, std::max(room - 1, 0));
        room -= part.decimals > 0 ? part.decimals + 1 : 0;
    }
    if (part.kind == PartKind::Scientific)
        part.minExponentDigits = std::clamp(room - 1, 0, part.minExponentDigits);
}

StylePart readPart(PartKind kind, std::span<const XmlAttribute> attributes) {
    StylePart part;
    part.kind = kind;
    part.longForm = numberAttribute(attributes, "style") == "long";
    part.textual = boolAttribute(attributes, "textual", false);
    part.decimals =
        digitsAttribute(attributes, "decimal-places", kind == PartKind::Number ? -1 : 0);
    // The office of our reference reads the minimum of decimals only from its own extension
    // namespace and shows all decimals when the attribute is in the number namespace.
    part.minDecimals =
        countValue(attribute(attributes, loextNs, "min-decimal-places"), -1, 0, kMaxFormatDigits);
    part.minIntegerDigits = digitsAttribute(attributes, "min-integer-digits", 0);
    part.grouping = boolAttribute(attributes, "grouping", false);
    if (const auto replacement = numberAttribute(attributes, "decimal-replacement")) {
        part.hasDecimalReplacement = true;
        part.decimalReplacement = *replacement;
    }
    part.displayFactor = doubleAttribute(attributes, "display-factor", 1);
    if (!std::isfinite(part.displayFactor) || part.displayFactor <= 0)
        part.displayFactor = 1;
    part.minExponentDigits = digitsAttribute(attributes, "min-exponent-digits", 2);
    part.exponentInterval = digitsAttribute(attributes, "exponent-interval", 1);
    part.forcedExponentSign = boolAttribute(attributes, "forced-exponent-sign", true);
    part.minNumeratorDigits = digitsAttribute(attributes, "min-numerator-digits", 0);
    part.minDenominatorDigits = digitsAttribute(attributes, "min-denominator-digits", 0);
    part.denominatorValue = countAttribute(attributes, "denominator-value", 0, 1, INT_MAX);
    part.maxDenominatorValue = countAttribute(attributes, "max-denominator-value", 0, 1, INT_MAX);
    part.country = numberAttribute(attributes, "country").value_or("");
    part.language = languageTag(attributes, part.country);
    fitToOfficeFormatCode(part);
    return part;
}

std::optional<double> numericValue(const CellValue& value, long long nullDate) {
    switch (value.type) {
    case ValueType::Float:
    case ValueType::Percentage:
    case ValueType::Currency:
        return value.number;
    case ValueType::Date:
        // The office reads a date it cannot make out as its document's day 0.
        return format::serialOfDate(value.dateValue, nullDate).value_or(0.0);
    case ValueType::Time:
        return format::daysOfDuration(value.timeValue);
    case ValueType::Boolean:
        return value.boolean ? 1.0 : 0.0;
    case ValueType::String:
    case ValueType::Void:
        break;
    }
    return std::nullopt;
}

// Cell style names looked up by string_view, without building a string per value.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
        return std::hash<std::string_view>{}(name);
    }
};

constexpr std::array<StyleKind, 4> standardKinds = {StyleKind::Date, StyleKind::Time,
                                                    StyleKind::Percentage, StyleKind::Boolean};

// Where a value type's standard format sits in standardKinds; nothing for the types that have
// none.
std::optional<std::size_t> standardIndex(ValueType type) {
    switch (type) {
    case ValueType::Date:
        return 0;
    case ValueType::Time:
        return 1;
    case ValueType::Percentage:
        return 2;
    case ValueType::Boolean:
        return 3;
    default:
        return std::nullopt;
    }
}

} // namespace

struct DataStyles::Impl {
    // All that a cell style decides about its values, worked out on its first value cell.
    struct Rendering {
        const DataStyle* style = nullptr; ///< null: the General format
        const format::LocaleData* locale = nullptr;
        std::optional<format::PreparedStyle> prepared;
        /// A styled cell whose format is General shows the kinds of standardKinds in their
        /// standard format in this language, or nothing where the language has none. Each is
        /// made on the first value of its kind.
        bool showsStandard = false;
        std::string language;
        std::string country;
        long long nullDate = 0;
        std::array<bool, standardKinds.size()> standardTried{};
        std::array<std::unique_ptr<const DataStyle>, standardKinds.size()> standardStyles;
        std::array<std::optional<format::PreparedStyle>, standardKinds.size()> standard;

        const format::PreparedStyle* standardOf(std::size_t index) {
            if (!standardTried[index]) {
                standardTried[index] = true;
                if (auto made = format::standardStyle(standardKinds[index], language, country)) {
                    standardStyles[index] = std::make_unique<const DataStyle>(std::move(*made));
                    format::RenderContext context;
                    context.nullDate = nullDate;
                    standard[index].emplace(*standardStyles[index], context);
                }
            }
            return standard[index] ? &*standard[index] : nullptr;
        }
    };

    struct CellStyle {
        std::string parent;
        std::optional<std::string> dataStyle;
    };

    std::unordered_map<std::string, DataStyle, NameHash, std::equal_to<>> dataStyles;
    std::unordered_map<std::string, CellStyle, NameHash, std::equal_to<>> cellStyles;
    int generalDecimals = -1; ///< the document's limit on the decimals of General numbers
    long long nullDate = 0;   ///< the document's day 0, in days after 1899-12-30
    std::string officeLanguage = "en";
    std::string officeCountry = "US";
    bool inDefaultCellStyle = false;
    bool textFormats = false; ///< a number:text-style was read

    std::optional<DataStyleCopier> copier;

    // The data style being read, and where its text goes.
    std::optional<DataStyle> current;
    std::string currentName;
    int depth = 0;
    enum class TextTarget { None, Part, Embedded } textTarget = TextTarget::None;
    // The office keeps the text of elements of other vocabularies inside a text part (other
    // spreadsheets mark padding and fill characters so), and what follows them.
    int textDepth = 0; ///< the depth of the element the text goes to

    // Filled while values are shown and dropped whenever a style or the locale changes, since
    // its entries point into the styles above. Cells of a row cycle through a few cell styles,
    // so the last ones used sit in a small table indexed by a hash cheaper than the map's.
    struct Recent {
        std::string name;
        Rendering* rendering = nullptr;
    };
    mutable std::unordered_map<std::string, Rendering, NameHash, std::equal_to<>> renderings;
    mutable std::array<Recent, 64> recent;

    static std::size_t recentSlot(std::string_view name) {
        // FNV-1a: names are short, and similar names ("ce1", "ce2") must land apart.
        std::uint32_t hash = 2166136261u;
        for (const char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        return (hash ^ (hash >> 16)) % std::tuple_size_v<decltype(recent)>;
    }

    void forgetRenderings() const {
        renderings.clear();
        recent.fill({});
    }

    Rendering& renderingOf(std::string_view cellStyleName) const {
        Recent& slot = recent[recentSlot(cellStyleName)];
        if (slot.rendering && slot.name == cellStyleName)
            return *slot.rendering;
        auto found = renderings.find(cellStyleName);
        if (found == renderings.end()) {
            // Cells may name any number of styles, known or not; a hostile file must not grow
            // this without bound.
            constexpr std::size_t maxRenderings = 4096;
            if (renderings.size() >= maxRenderings)
                forgetRenderings();
            found = renderings.emplace(std::string(cellStyleName), prepare(cellStyleName)).first;
        }
        slot.name = cellStyleName;
        slot.rendering = &found->second;
        return found->second;
    }

    Rendering prepare(std::string_view cellStyleName) const {
        Rendering rendering;
        const DataStyle* style = dataStyleOfCell(cellStyleName);
        rendering.style = style;
        const bool ownLanguage = style && !style->language.empty();
        const std::string& language = ownLanguage ? style->language : officeLanguage;
        const std::string& country = ownLanguage ? style->country : officeCountry;
        rendering.locale = &format::localeData(language, country);
        rendering.showsStandard = !cellStyleName.empty() && (!style || format::isGeneral(*style));
        if (rendering.showsStandard) {
            rendering.language = language;
            rendering.country = country;
            rendering.nullDate = nullDate;
        }
        if (style) {
            format::RenderContext context;
            context.lookup = [this](std::string_view name) { return findDataStyle(name); };
            context.generalDecimals = generalDecimals;
            context.officeLanguage = officeLanguage;
            context.officeCountry = officeCountry;
            context.nullDate = nullDate;
            rendering.prepared.emplace(*style, context);
        }
        return rendering;
    }

    void startDataStyle(StyleKind kind, std::span<const XmlAttribute> attributes) {
        current = DataStyle{};
        current->kind = kind;
        current->country = numberAttribute(attributes, "country").value_or("");
        current->language = languageTag(attributes, current->country);
        current->truncateOnOverflow = boolAttribute(attributes, "truncate-on-overflow", true);
        current->automaticOrder = boolAttribute(attributes, "automatic-order", false);
        current->fromSystem = numberAttribute(attributes, "format-source") == "language";
        currentName = attribute(attributes, styleNs, "name").value_or("");
        depth = 1;
        textTarget = TextTarget::None;
    }

    void startInside(std::string_view ns, std::string_view local,
                     std::span<const XmlAttribute> attributes) {
        ++depth;
        if (ns == styleNs && local == "map") {
            format::StyleMap map;
            const std::string condition(attribute(attributes, styleNs, "condition").value_or(""));
            map.styleName = attribute(attributes, styleNs, "apply-style-name").value_or("");
            if (format::parseCondition(condition, map))
                current->maps.push_back(std::move(map));
            return;
        }
        if (ns != numberNs && ns != loextNs)
            return;
        if (local == "embedded-text" && depth == 3 && !current->parts.empty()) {
            current->parts.back().embedded.push_back(
                {countAttribute(attributes, "position", 0, 0, INT_MAX), std::string()});
            textTarget = TextTarget::Embedded;
            textDepth = depth;
            return;
        }
        if (depth != 2)
            return;
        const auto kind = partKind(local);
        if (!kind)
            return;
        if (const auto calendar = numberAttribute(attributes, "calendar");
            calendar && *calendar != "gregorian")
            current->otherCalendar = true;
        current->parts.push_back(readPart(*kind, attributes));
        if (*kind == PartKind::Text || *kind == PartKind::CurrencySymbol) {
            textTarget = TextTarget::Part;
            textDepth = depth;
        }
    }

    void endInside() {
        if (depth == textDepth)
            textTarget = TextTarget::None;
        --depth;
        if (depth == 0) {
            forgetRenderings();
            textFormats = textFormats || current->kind == StyleKind::Text;
            dataStyles[currentName] = std::move(*current);
            current.reset();
        }
    }

    void startCellStyle(std::string_view local, std::span<const XmlAttribute> attributes) {
        if (attribute(attributes, styleNs, "family") != "table-cell")
            return;
        forgetRenderings();
        const auto dataStyle = attribute(attributes, styleNs, "data-style-name");
        if (local == "default-style") {
            // The office takes no format from the default style: its data style is ignored.
            inDefaultCellStyle = true;
            return;
        }
        CellStyle style;
        style.parent = attribute(attributes, styleNs, "parent-style-name").value_or("");
        if (dataStyle)
            style.dataStyle = std::string(*dataStyle);
        cellStyles[std::string(attribute(attributes, styleNs, "name").value_or(""))] =
            std::move(style);
    }

    const DataStyle* findDataStyle(std::string_view name) const {
        const auto found = dataStyles.find(name);
        return found == dataStyles.end() ? nullptr : &found->second;
    }

    // The name of the data style a cell style ends up with through its parents. Every cell
    // style, a missing or unknown one too, ends in the default cell style "Default"; the
    // document's style:default-style gives no format.
    std::optional<std::string> dataStyleNameOf(std::string_view cellStyleName) const {
        std::string name(cellStyleName);
        // Parent chains are short; the bound only stops a cycle in a broken file.
        for (int step = 0; step < 64 && !name.empty(); ++step) {
            const auto found = cellStyles.find(name);
            if (found == cellStyles.end())
                break;
            if (found->second.dataStyle)
                return found->second.dataStyle;
            name = found->second.parent;
        }
        const auto fallback = cellStyles.find(kDefaultStyle);
        return fallback == cellStyles.end() ? std::nullopt : fallback->second.dataStyle;
    }

    // The data style a cell style ends up with; null: the general format.
    const DataStyle* dataStyleOfCell(std::string_view cellStyleName) const {
        const auto name = dataStyleNameOf(cellStyleName);
        return name ? findDataStyle(*name) : nullptr;
    }
};

DataStyles::DataStyles() : impl_(std::make_unique<Impl>()) {}
DataStyles::~DataStyles() = default;
DataStyles::DataStyles(DataStyles&&) noexcept = default;
DataStyles& DataStyles::operator=(DataStyles&&) noexcept = default;

void DataStyles::startElement(std::string_view ns, std::string_view local,
                              std::span<const XmlAttribute> attributes) {
    Impl& d = *impl_;
    if (d.copier)
        d.copier->start(ns, local, attributes, ns == numberNs && styleKind(local).has_value());
    if (d.current) {
        d.startInside(ns, local, attributes);
        return;
    }
    if (ns == numberNs) {
        if (const auto kind = styleKind(local))
            d.startDataStyle(*kind, attributes);
        return;
    }
    if (ns == styleNs && (local == "style" || local == "default-style"))
        d.startCellStyle(local, attributes);
    if (ns == tableNs && local == "null-date") {
        // Documents of other origins count their serial numbers from another day 0 (1904-01-01
        // for old spreadsheets of the Macintosh).
        const auto day = attribute(attributes, tableNs, "date-value");
        const auto serial = day ? format::serialOfDate(*day) : std::optional<double>(0);
        d.nullDate = serial ? static_cast<long long>(std::floor(*serial)) : 0;
        d.forgetRenderings();
    }
    if (ns == styleNs && local == "table-cell-properties" && d.inDefaultCellStyle) {
        if (const auto decimals = attribute(attributes, styleNs, "decimal-places")) {
            d.generalDecimals = countValue(decimals, -1, 0, kMaxFormatDigits);
            d.forgetRenderings();
        }
    }
}

void DataStyles::endElement(std::string_view ns, std::string_view local) {
    if (impl_->copier)
        impl_->copier->end(ns, local);
    if (impl_->current)
        impl_->endInside();
}

void DataStyles::characters(std::string_view text) {
    Impl& d = *impl_;
    if (d.copier)
        d.copier->characters(text);
    if (!d.current || d.current->parts.empty())
        return;
    switch (d.textTarget) {
    case Impl::TextTarget::Part:
        d.current->parts.back().text += text;
        break;
    case Impl::TextTarget::Embedded:
        d.current->parts.back().embedded.back().text += text;
        break;
    case Impl::TextTarget::None:
        break;
    }
}

std::optional<std::string> DataStyles::shownText(std::string_view cellStyleName,
                                                 const CellValue& value) const {
    const auto number = numericValue(value, impl_->nullDate);
    if (!number)
        return std::nullopt;
    Impl::Rendering& rendering = impl_->renderingOf(cellStyleName);
    // A styled cell whose format is General shows dates, times, percentages and booleans in
    // the standard format of their kind; a cell without any style keeps the bare number.
    if (const auto kind = standardIndex(value.type); kind && rendering.showsStandard) {
        const format::PreparedStyle* standard = rendering.standardOf(*kind);
        if (!standard)
            return std::nullopt;
        return standard->render(*number);
    }
    if (!rendering.prepared)
        return format::generalText(*number, *rendering.locale, impl_->generalDecimals);
    return rendering.prepared->render(
        *number, value.type == ValueType::Currency ? value.currency : std::string_view());
}

std::optional<std::string> DataStyles::shownString(std::string_view cellStyleName,
                                                   std::string_view text) const {
    const DataStyle* style = impl_->renderingOf(cellStyleName).style;
    if (!style || style->kind != StyleKind::Text)
        return std::nullopt;
    std::string shown;
    for (const StylePart& part : style->parts) {
        if (part.kind == PartKind::Text)
            shown += part.text;
        else if (part.kind == PartKind::TextContent)
            shown += text;
    }
    return shown;
}

bool DataStyles::hasTextFormats() const noexcept {
    return impl_->textFormats;
}

void DataStyles::keepDataStyleXml() {
    impl_->copier.emplace();
}

std::map<std::string, std::string> DataStyles::takeDataStyleXml() {
    return impl_->copier ? impl_->copier->take() : std::map<std::string, std::string>();
}

std::optional<std::string> DataStyles::dataStyleName(std::string_view cellStyleName) const {
    return impl_->dataStyleNameOf(cellStyleName);
}

long long DataStyles::nullDate() const noexcept {
    return impl_->nullDate;
}

void DataStyles::setOfficeLocale(std::string_view language, std::string_view country) {
    impl_->officeLanguage = language;
    impl_->officeCountry = country;
    impl_->forgetRenderings();
}

} // namespace ods
