#include "ods/content_context.h"

#include "ods/error.h"
#include "ods/namespaces.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace ods {

namespace {

constexpr std::string_view kDefaultCellStyle = "Default";

std::string_view attribute(std::span<const XmlAttribute> attributes, std::string_view ns,
                           std::string_view local) {
    for (const XmlAttribute& a : attributes) {
        if (a.local == local && a.ns == ns) {
            return a.value;
        }
    }
    return {};
}

// A repeat count as the office takes it: missing, malformed or below one means one; anything
// beyond the sheet is cut to the sheet's size.
std::int32_t repeatCount(std::string_view text, std::int32_t limit) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        return text.starts_with('-') ? 1 : limit;
    }
    if (ec != std::errc() || value < 1) {
        return 1;
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, limit));
}

// The blanks of text:s: missing means one, as does 0; a negative count adds none.
std::int64_t blankCount(std::string_view text) {
    if (text.empty()) {
        return 1;
    }
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        return text.starts_with('-') ? 0 : INT64_MAX;
    }
    if (ec != std::errc()) {
        return 1;
    }
    return value == 0 ? 1 : std::max<std::int64_t>(value, 0);
}

// office:value as the office reads it: what does not parse counts as 0.
double parseNumber(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() ? 0.0 : value;
}

std::optional<ValueType> parseValueType(std::string_view text) {
    if (text == "float") {
        return ValueType::Float;
    }
    if (text == "string") {
        return ValueType::String;
    }
    if (text == "percentage") {
        return ValueType::Percentage;
    }
    if (text == "currency") {
        return ValueType::Currency;
    }
    if (text == "date") {
        return ValueType::Date;
    }
    if (text == "time") {
        return ValueType::Time;
    }
    if (text == "boolean") {
        return ValueType::Boolean;
    }
    return std::nullopt;
}

} // namespace

ContentContext::ContentContext(DataStyles& styles, SheetOutput& output, ContentOptions options,
                               std::string label)
    : styles_(styles), forwarder_(styles), output_(output), options_(options),
      label_(std::move(label)) {
    cells_.reserve(64);
    text_.reserve(256);
}

bool ContentContext::wantRows() const {
    return (!options_.onlySheet || *options_.onlySheet == sheetIndex_) && row_ <= options_.lastRow;
}

void ContentContext::startElement(std::string_view ns, std::string_view local,
                                  std::span<const XmlAttribute> attributes) {
    if (done_) {
        return;
    }
    if (inCell_) {
        startInCell(ns, local, attributes);
        return;
    }
    if (forwarder_.startElement(ns, local, attributes)) {
        return;
    }
    if (ns == ns::table) {
        if (local == "table-cell" || local == "covered-table-cell") {
            if (inRow_) {
                startCell(attributes);
            }
        } else if (local == "table-row") {
            if (inTable_ && !inRow_) {
                startRow(attributes);
            }
        } else if (local == "table-column") {
            if (inTable_ && !inRow_) {
                startColumn(attributes);
            }
        } else if (local == "table") {
            if (sawSpreadsheet_ && !inTable_) {
                startTable(attributes);
            }
        }
    } else if (ns == ns::office && local == "spreadsheet") {
        sawSpreadsheet_ = true;
    }
}

void ContentContext::endElement(std::string_view ns, std::string_view local) {
    if (done_) {
        return;
    }
    if (inCell_ && cellDepth_ > 0) {
        if (skipFrom_ == cellDepth_) {
            skipFrom_ = 0;
        }
        if (cellDepth_ == 1) {
            inParagraph_ = false;
        }
        --cellDepth_;
        return;
    }
    if (forwarder_.endElement(ns, local)) {
        return;
    }
    if (ns != ns::table) {
        return;
    }
    if (inCell_ && (local == "table-cell" || local == "covered-table-cell")) {
        endCell();
    } else if (inRow_ && local == "table-row") {
        endRow();
    } else if (inTable_ && !inRow_ && local == "table") {
        endTable();
    }
}

void ContentContext::characters(std::string_view text) {
    if (inCell_) {
        if (keepCell_ && inParagraph_ && skipFrom_ == 0) {
            text_.append(text);
        }
        return;
    }
    if (!done_) {
        forwarder_.characters(text);
    }
}

void ContentContext::startTable(std::span<const XmlAttribute> attributes) {
    if (sheetIndex_ >= kMaxSheets) {
        throw Error("cannot read " + label_ + ": it has more than " + std::to_string(kMaxSheets) +
                    " sheets");
    }
    inTable_ = true;
    row_ = 0;
    columnStyles_.clear();
    nextColumnStyle_ = 0;
    output_.startSheet(attribute(attributes, ns::table, "name"));
}

void ContentContext::endTable() {
    inTable_ = false;
    output_.endSheet();
    ++sheetIndex_;
    if (options_.onlySheet && sheetIndex_ > *options_.onlySheet) {
        done_ = true;
    }
}

void ContentContext::startColumn(std::span<const XmlAttribute> attributes) {
    const std::int32_t first = nextColumnStyle_;
    if (first >= kMaxColumns) {
        return;
    }
    const std::int32_t count = repeatCount(
        attribute(attributes, ns::table, "number-columns-repeated"), kMaxColumns - first);
    nextColumnStyle_ = first + count;
    const std::string_view name = attribute(attributes, ns::table, "default-cell-style-name");
    if (!name.empty()) {
        columnStyles_.push_back({first, first + count, std::string(name)});
    }
}

std::string_view ContentContext::columnStyle(std::int32_t column, std::int32_t& runEnd) const {
    const auto it = std::partition_point(columnStyles_.begin(), columnStyles_.end(),
                                         [&](const ColumnStyle& s) { return s.end <= column; });
    if (it == columnStyles_.end()) {
        runEnd = kMaxColumns;
        return kDefaultCellStyle;
    }
    if (it->first > column) {
        runEnd = it->first;
        return kDefaultCellStyle;
    }
    runEnd = it->end;
    return it->name;
}

void ContentContext::startRow(std::span<const XmlAttribute> attributes) {
    inRow_ = true;
    column_ = 0;
    cells_.clear();
    rowRepeat_ = repeatCount(attribute(attributes, ns::table, "number-rows-repeated"), kMaxRows);
    rowStyle_.assign(attribute(attributes, ns::table, "default-cell-style-name"));
}

void ContentContext::endRow() {
    inRow_ = false;
    if (!cells_.empty() && wantRows()) {
        const std::int64_t room = static_cast<std::int64_t>(options_.lastRow) + 1 - row_;
        const auto repeat = static_cast<std::int32_t>(std::min<std::int64_t>(rowRepeat_, room));
        const std::size_t width = cells_.size();
        output_.row(RowRun{static_cast<std::int32_t>(row_), repeat, std::move(cells_)});
        cells_.clear();
        // The rows go away with their cells; the next is likely as wide, so it gets its room
        // at once instead of growing from nothing.
        cells_.reserve(width);
    }
    row_ += rowRepeat_;
    if (options_.onlySheet && *options_.onlySheet == sheetIndex_ && row_ > options_.lastRow) {
        done_ = true;
    }
}

void ContentContext::startCell(std::span<const XmlAttribute> attributes) {
    inCell_ = true;
    cellDepth_ = 0;
    skipFrom_ = 0;
    inParagraph_ = false;
    paragraphs_ = 0;
    text_.clear();
    cellRepeat_ =
        repeatCount(attribute(attributes, ns::table, "number-columns-repeated"), kMaxColumns);
    // Beyond what was asked for or beyond the sheet only the cell's place counts.
    keepCell_ = wantRows() && column_ < kMaxColumns;
    valueType_.reset();
    if (!keepCell_) {
        return;
    }
    hasStringValue_ = false;
    number_ = 0;
    boolean_ = false;
    stringValue_.clear();
    dateValue_.clear();
    timeValue_.clear();
    currency_.clear();
    cellStyle_.clear();
    bool error = false;
    for (const XmlAttribute& a : attributes) {
        if (a.ns == ns::office) {
            if (a.local == "value-type") {
                valueType_ = parseValueType(a.value);
            } else if (a.local == "value") {
                number_ = parseNumber(a.value);
            } else if (a.local == "string-value") {
                hasStringValue_ = true;
                stringValue_.assign(a.value);
            } else if (a.local == "date-value") {
                dateValue_.assign(a.value);
            } else if (a.local == "time-value") {
                timeValue_.assign(a.value);
            } else if (a.local == "boolean-value") {
                boolean_ = a.value == "true" || a.value == "1";
            } else if (a.local == "currency") {
                currency_.assign(a.value);
            }
        } else if (a.ns == ns::table && a.local == "style-name") {
            cellStyle_.assign(a.value);
        } else if (a.ns == ns::calcext && a.local == "value-type" && a.value == "error") {
            error = true;
        }
    }
    // A formula's error shows as its cached text (#DIV/0!, #N/A), whatever value it claims.
    if (error) {
        valueType_.reset();
    }
}

void ContentContext::startInCell(std::string_view ns, std::string_view local,
                                 std::span<const XmlAttribute> attributes) {
    const int depth = ++cellDepth_;
    if (!keepCell_ || skipFrom_ != 0) {
        return;
    }
    if (depth == 1) {
        // Only the cell's own paragraphs are its text: not annotations, headings or lists.
        if (ns == ns::text && local == "p") {
            if (paragraphs_++ > 0) {
                text_.push_back('\n');
            }
            inParagraph_ = true;
        } else {
            skipFrom_ = depth;
        }
        return;
    }
    if (ns == ns::text) {
        if (local == "s") {
            const std::int64_t blanks = blankCount(attribute(attributes, ns::text, "c"));
            if (blanks > 0) {
                spendExpansion(static_cast<std::uint64_t>(blanks));
                text_.append(static_cast<std::size_t>(blanks), ' ');
            }
        } else if (local == "note" || local == "ruby-text") {
            // Footnotes and ruby annotations are not part of the shown text.
            skipFrom_ = depth;
        }
    } else if (ns == ns::office && local == "annotation") {
        skipFrom_ = depth;
    }
}

void ContentContext::spendExpansion(std::uint64_t bytes) {
    if (bytes > options_.maxExpandedText - expanded_) {
        throw Error("cannot read " + label_ +
                    ": its cells expand to more text than a document can hold");
    }
    expanded_ += bytes;
}

std::optional<std::string> ContentContext::renderValue(std::string_view styleName) const {
    CellValue value;
    value.type = *valueType_;
    value.number = number_;
    value.dateValue = dateValue_;
    value.timeValue = timeValue_;
    value.boolean = boolean_;
    value.currency = currency_;
    return styles_.shownText(styleName, value);
}

void ContentContext::addCells(std::int32_t first, std::int32_t count, std::string_view styleName) {
    std::optional<std::string> shown;
    if (valueType_ && *valueType_ != ValueType::String) {
        shown = renderValue(styleName);
        // A format may ask for millions of digits; what it adds counts like expanded blanks.
        if (shown) {
            spendExpansion(shown->size());
        }
    }
    const std::string& text = shown ? *shown : text_;
    if (text.empty()) {
        return;
    }
    if (!cells_.empty()) {
        CellRun& last = cells_.back();
        if (last.column + last.repeat == first && last.text == text) {
            last.repeat += count;
            return;
        }
    }
    cells_.push_back(CellRun{first, count, text});
}

void ContentContext::endCell() {
    inCell_ = false;
    const std::int64_t place = column_;
    column_ += cellRepeat_;
    if (!keepCell_) {
        return;
    }
    const auto first = static_cast<std::int32_t>(place);
    const std::int32_t count = std::min(cellRepeat_, kMaxColumns - first);
    if (valueType_ == ValueType::String && hasStringValue_ && !stringValue_.empty()) {
        text_ = stringValue_;
    }
    const bool rendered = valueType_ && *valueType_ != ValueType::String;
    if (!rendered || !cellStyle_.empty() || !rowStyle_.empty()) {
        // Only values are rendered; texts need no style. The cell's own style wins over the
        // row's default, which wins over the column's (as the office shows them).
        addCells(first, count,
                 !cellStyle_.empty() ? std::string_view(cellStyle_) : std::string_view(rowStyle_));
        return;
    }
    // A repeated value cell without a style of its own may span columns of different styles.
    for (std::int32_t column = first; column < first + count;) {
        std::int32_t runEnd = 0;
        const std::string_view style = columnStyle(column, runEnd);
        const std::int32_t end = std::min(runEnd, first + count);
        addCells(column, end - column, style);
        column = end;
    }
}

} // namespace ods
