#include "ods/content_context.h"

#include "ods/error.h"
#include "ods/namespaces.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace ods {

namespace {

constexpr std::string_view kDefaultCellStyle = "Default";

// A comparison with a literal of known length, which the compiler does without a call.
template <std::size_t N> bool named(std::string_view local, const char (&literal)[N]) {
    return local.size() == N - 1 && std::memcmp(local.data(), literal, N - 1) == 0;
}

// The office reads a boolean value as "true", "false" or a number, which is true unless zero
// (its own documents hold the number a boolean-formatted cell had).
bool booleanValue(std::string_view text) {
    if (named(text, "true"))
        return true;
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && number != 0;
}

template <std::size_t N>
std::string_view attribute(std::span<const XmlAttribute> attributes, std::string_view ns,
                           const char (&local)[N]) {
    for (const XmlAttribute& a : attributes) {
        if (named(a.local, local) && ns::is(a.ns, ns)) {
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

// A column's letters as the office names it: 1 is A, 27 is AA.
std::string columnLetters(std::int64_t number) {
    std::string letters;
    while (number > 0) {
        letters.insert(letters.begin(), static_cast<char>('A' + (number - 1) % 26));
        number = (number - 1) / 26;
    }
    return letters;
}

// The office's length of UTF-8 text: one UTF-16 unit per character, two beyond the BMP.
std::uint64_t utf16Units(std::string_view text) {
    std::uint64_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        units += static_cast<std::uint64_t>((byte & 0xC0) != 0x80) + (byte >= 0xF0 ? 1 : 0);
    }
    return units;
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

// A decimal of at most 15 digits and 22 decimals, as suites mostly write values, is its digits
// divided by a power of ten: both exact, so the one division rounds as strtod does.
std::optional<double> shortDecimal(std::string_view text) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    i += negative ? 1 : 0;
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1; ///< -1 before the point
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            ++count;
            decimals += decimals >= 0 ? 1 : 0;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0 || count > 15 || decimals > 22) {
        return std::nullopt;
    }
    const double value =
        static_cast<double>(digits) / kPowers[static_cast<std::size_t>(std::max(decimals, 0))];
    return negative ? -value : value;
}

// office:value as the office reads it: the number at its start, and 0 when there is none. The
// C locale's decimal point, whatever the process's locale (a Qt program takes the user's).
double parseNumber(std::string_view text, locale_t cLocale) {
    if (const std::optional<double> value = shortDecimal(text)) {
        return *value;
    }
    // A plain decimal, which is what suites write, needs no copy: the same correctly rounded
    // value as strtod gives.
    const char* const first = text.data();
    const char* const last = first + text.size();
    const char* const digits = first + (first != last && *first == '-' ? 1 : 0);
    if (digits != last && ((*digits >= '0' && *digits <= '9') || *digits == '.')) {
        double value = 0;
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec == std::errc() && end == last) {
            return value;
        }
    }
    const std::string copy(text);
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, cLocale);
    return end == copy.c_str() ? 0.0 : value;
}

std::optional<ValueType> parseValueType(std::string_view text) {
    if (named(text, "float")) {
        return ValueType::Float;
    }
    if (named(text, "string")) {
        return ValueType::String;
    }
    if (named(text, "percentage")) {
        return ValueType::Percentage;
    }
    if (named(text, "currency")) {
        return ValueType::Currency;
    }
    if (named(text, "date")) {
        return ValueType::Date;
    }
    if (named(text, "time")) {
        return ValueType::Time;
    }
    if (named(text, "boolean")) {
        return ValueType::Boolean;
    }
    return std::nullopt;
}

// A table named like 'file:///C:/prices.xlsx'#Sheet1 is the office's cached copy of another
// document's sheet, which formulas of this one refer to: the office tells it from a sheet by that
// name alone and shows it nowhere, so it is no sheet of the document.
bool isLinkedSheetCopy(std::string_view name) {
    static constexpr std::string_view kSchemes[] = {"file:",
                                                    "http:",
                                                    "https:",
                                                    "ftp:",
                                                    "sftp:",
                                                    "smb:",
                                                    "vnd.sun.star.webdav:",
                                                    "vnd.libreoffice.cmis:",
                                                    "private:",
                                                    "data:"};
    if (!name.starts_with('\'')) {
        return false;
    }
    const std::string_view url = name.substr(1);
    const auto schemeOf = [&](std::string_view scheme) {
        return url.size() >= scheme.size() &&
               std::equal(scheme.begin(), scheme.end(), url.begin(), [](char a, char b) {
                   return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
               });
    };
    if (std::none_of(std::begin(kSchemes), std::end(kSchemes), schemeOf)) {
        return false;
    }
    const std::size_t hash = url.find('#');
    return hash != std::string_view::npos && hash > 0 && url[hash - 1] == '\'' &&
           hash + 1 < url.size();
}

// LibreOffice from release 5 on shows a formula cell without a format of its own in the format
// it infers from the formula, as the office does, and keeps a format it infers with the cell;
// other writers and older releases leave the office a format to infer that they did not show.
bool infersFormulaFormats(std::string_view generator) {
    for (const std::string_view name : {"LibreOffice/", "LibreOfficeDev/"}) {
        if (generator.starts_with(name)) {
            int major = 0;
            const std::string_view version = generator.substr(name.size());
            std::from_chars(version.data(), version.data() + version.size(), major);
            return major >= 5;
        }
    }
    return false;
}

bool isAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A call of a function whose result changes whenever the office recalculates: the clock's and
// random numbers.
bool callsVolatileFunction(std::string_view formula) {
    static constexpr std::string_view kNames[] = {"NOW", "TODAY", "RAND", "RANDBETWEEN"};
    for (std::size_t open = formula.find('('); open != std::string_view::npos;
         open = formula.find('(', open + 1)) {
        std::size_t start = open;
        while (start > 0 && isAsciiAlnum(formula[start - 1])) {
            --start;
        }
        const std::string_view name = formula.substr(start, open - start);
        for (const std::string_view known : kNames) {
            if (name.size() == known.size() &&
                std::equal(name.begin(), name.end(), known.begin(), [](char a, char b) {
                    return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
                })) {
                return true;
            }
        }
    }
    return false;
}

// Fields of a cell's paragraphs whose text the office drops.
bool isDroppedField(std::string_view local) {
    static constexpr std::string_view kFields[] = {
        "time",        "page-number",     "page-count", "page-continuation", "file-name",
        "author-name", "author-initials", "chapter",    "template-name"};
    return std::find(std::begin(kFields), std::end(kFields), local) != std::end(kFields);
}

// A formula whose result the office shows in the format of the cells it refers to: a reference
// alone, or one of the functions that pass their arguments' format on over references. (An
// operator does not: A1*2 of a fraction shows as a plain number.)
bool passesFormatOn(std::string_view formula) {
    formula.remove_prefix(std::min(formula.find('=') + 1, formula.size()));
    if (formula.starts_with('[')) {
        return formula.find(']') + 1 == formula.size();
    }
    for (const std::string_view call : {"SUM(", "MIN(", "MAX(", "AVERAGE("}) {
        if (formula.starts_with(call) && formula.ends_with(')')) {
            const std::string_view arguments = formula.substr(call.size());
            return arguments.find('(') == std::string_view::npos;
        }
    }
    return false;
}

// A paragraph that spells a number as the general format does, in any locale: a sign, digits and
// at most one decimal separator.
bool isPlainNumber(std::string_view text) {
    text.remove_prefix(text.starts_with('-') ? 1 : 0);
    const std::size_t separator = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, separator);
    const std::string_view decimals =
        separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return !whole.empty() && digits(whole) && digits(decimals) &&
           (separator == std::string_view::npos || !decimals.empty());
}

} // namespace

void ContentContext::FreeLocale::operator()(locale_t locale) const noexcept {
    freelocale(locale);
}

ContentContext::ContentContext(DataStyles& styles, SheetOutput& output, ContentOptions options,
                               std::string label)
    : styles_(styles), forwarder_(styles), output_(output), options_(options),
      label_(std::move(label)), cLocale_(newlocale(LC_NUMERIC_MASK, "C", locale_t{})) {
    if (!cLocale_) {
        throw Error("cannot read " + label_ + ": out of memory");
    }
    cells_.reserve(64);
    text_.reserve(256);
}

void ContentContext::setGenerator(std::string_view generator) {
    writerInfersFormats_ = infersFormulaFormats(generator);
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
    if (skipDepth_ > 0) {
        ++skipDepth_;
        return;
    }
    if (forwarder_.startElement(ns, local, attributes)) {
        return;
    }
    if (ns::is(ns, ns::meta) && named(local, "generator")) {
        inGenerator_ = true;
        generator_.clear();
        return;
    }
    if (ns::is(ns, ns::table)) {
        if (named(local, "table-cell") || named(local, "covered-table-cell")) {
            if (inRow_) {
                startCell(attributes);
            }
        } else if (named(local, "table-row")) {
            if (inTable_ && !inRow_) {
                startRow(attributes);
            }
        } else if (named(local, "table-column")) {
            if (inTable_ && !inRow_) {
                startColumn(attributes);
            }
        } else if (named(local, "table")) {
            if (sawSpreadsheet_ && !inTable_) {
                startTable(attributes);
            }
        } else if (named(local, "shapes") || named(local, "dde-links")) {
            // Drawings and the cached results of DDE links may hold tables of their own, which
            // are no sheets and whose rows belong to no sheet.
            skipDepth_ = 1;
        }
    } else if (ns::is(ns, ns::office) && named(local, "spreadsheet")) {
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
        if (linkFrom_ == cellDepth_) {
            linkFrom_ = 0;
        }
        if (cellDepth_ == 1) {
            inParagraph_ = false;
        }
        --cellDepth_;
        return;
    }
    if (skipDepth_ > 0) {
        --skipDepth_;
        return;
    }
    if (forwarder_.endElement(ns, local)) {
        return;
    }
    if (inGenerator_) {
        inGenerator_ = false;
        setGenerator(generator_);
        return;
    }
    if (!ns::is(ns, ns::table)) {
        return;
    }
    if (inCell_ && (named(local, "table-cell") || named(local, "covered-table-cell"))) {
        endCell();
    } else if (inRow_ && named(local, "table-row")) {
        endRow();
    } else if (inTable_ && !inRow_ && named(local, "table")) {
        endTable();
    }
}

void ContentContext::characters(std::string_view text) {
    if (inCell_) {
        if (keepCell_ && inParagraph_ && skipFrom_ == 0 && !textDecided_) {
            growCellText(text);
            text_.append(text);
        }
        return;
    }
    if (inGenerator_ && generator_.size() < 256) {
        generator_.append(text);
    }
    if (!done_ && skipDepth_ == 0) {
        forwarder_.characters(text);
    }
}

void ContentContext::startTable(std::span<const XmlAttribute> attributes) {
    const std::string_view name = attribute(attributes, ns::table, "name");
    if (isLinkedSheetCopy(name)) {
        skipDepth_ = 1;
        return;
    }
    if (sheetIndex_ >= kMaxSheets) {
        throw Error("cannot read " + label_ + ": it has more than " + std::to_string(kMaxSheets) +
                    " sheets");
    }
    inTable_ = true;
    row_ = 0;
    columnStyles_.clear();
    nextColumnStyle_ = 0;
    formatsSeen_.clear(); // formats are the sheet's own
    sheetName_.assign(name);
    output_.startSheet(name);
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
    // A column the sheet declares without a style of its own has the default cell style; beyond
    // the declared columns a cell has no style at all, and the office shows its value as a bare
    // number (a date as its serial day), unless its run (followRun) started in a declared column.
    if (column >= nextColumnStyle_) {
        std::int32_t lastEnd = 0;
        runEnd = kMaxColumns;
        return runType_ ? columnStyle(nextColumnStyle_ - 1, lastEnd) : std::string_view();
    }
    const auto it = std::partition_point(columnStyles_.begin(), columnStyles_.end(),
                                         [&](const ColumnStyle& s) { return s.end <= column; });
    if (it == columnStyles_.end() || it->first > column) {
        runEnd = it == columnStyles_.end() ? nextColumnStyle_ : it->first;
        return kDefaultCellStyle;
    }
    runEnd = it->end;
    return it->name;
}

void ContentContext::followRun(bool unstyled, std::string_view currency) {
    // The office styles like cells side by side without a style of their own as one range: a
    // run that starts in a declared column carries the last declared column's style on beyond.
    const bool continues =
        unstyled && valueType_ && runType_ == valueType_ && runCurrency_ == currency;
    if (continues) {
        return;
    }
    runType_.reset();
    if (unstyled && valueType_ && *valueType_ != ValueType::Void && column_ < nextColumnStyle_) {
        runType_ = valueType_;
        runCurrency_.assign(currency);
    }
}

void ContentContext::startRow(std::span<const XmlAttribute> attributes) {
    inRow_ = true;
    column_ = 0;
    cells_.clear();
    rowRepeat_ = repeatCount(attribute(attributes, ns::table, "number-rows-repeated"), kMaxRows);
    rowStyle_.assign(attribute(attributes, ns::table, "default-cell-style-name"));
    runType_.reset();
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
    linkFrom_ = 0;
    inParagraph_ = false;
    paragraphs_ = 0;
    text_.clear();
    cellUnitsCounted_ = false;
    textDecided_ = false;
    maybeError_ = false;
    recalculated_ = false;
    inferredFormat_ = false;
    zeroResult_ = false;
    richText_ = false;
    shown_.reset();
    renderedEarly_ = false;
    valueType_.reset();
    value_.reset();
    std::string_view repeat;
    std::string_view number;
    std::string_view cellStyle;
    std::string_view stringValue;
    bool error = false;
    bool formula = false;
    std::string_view formulaText;
    bool hasBoolean = false;
    bool typedResult = false;
    CellValue value;
    for (const XmlAttribute& a : attributes) {
        if (ns::is(a.ns, ns::office)) {
            if (named(a.local, "value-type")) {
                valueType_ = parseValueType(a.value);
            } else if (named(a.local, "value")) {
                number = a.value;
            } else if (named(a.local, "string-value")) {
                stringValue = a.value;
            } else if (named(a.local, "date-value")) {
                value.dateValue = a.value;
            } else if (named(a.local, "time-value")) {
                value.timeValue = a.value;
            } else if (named(a.local, "boolean-value")) {
                value.boolean = booleanValue(a.value);
                hasBoolean = !a.value.empty();
            } else if (named(a.local, "currency")) {
                value.currency = a.value;
            }
        } else if (ns::is(a.ns, ns::table)) {
            if (named(a.local, "style-name")) {
                cellStyle = a.value;
            } else if (named(a.local, "number-columns-repeated")) {
                repeat = a.value;
            } else if (named(a.local, "formula")) {
                formula = !a.value.empty();
                formulaText = a.value;
            }
        } else if (ns::is(a.ns, ns::calcext) && named(a.local, "value-type")) {
            typedResult = true;
            error = named(a.value, "error");
        }
    }
    cellRepeat_ = repeatCount(repeat, kMaxColumns);
    // Beyond what was asked for or beyond the sheet only the cell's place counts.
    keepCell_ = wantRows() && column_ < kMaxColumns;
    // A formula's error shows as its cached text (#DIV/0!, #N/A), whatever value it claims.
    if (!keepCell_ || error) {
        valueType_.reset();
    }
    if (!keepCell_) {
        return;
    }
    if (formula && !error) {
        bool cached = !stringValue.empty();
        switch (valueType_.value_or(ValueType::String)) {
        case ValueType::String:
        case ValueType::Void:
            break;
        case ValueType::Date:
            cached = !value.dateValue.empty();
            break;
        case ValueType::Time:
            cached = !value.timeValue.empty();
            break;
        case ValueType::Boolean:
            cached = hasBoolean;
            break;
        default:
            cached = !number.empty();
        }
        checkFormula(formulaText, cached, !cellStyle.empty());
        // A result type without its value: the paragraph is the best guess at the result.
        if (!cached) {
            valueType_.reset();
        }
    }
    followRun(cellStyle.empty() && rowStyle_.empty(), value.currency);
    if (valueType_ && *valueType_ != ValueType::String) {
        formatText_ = false;
    } else {
        // A text, also one without a type, is its string value where there is one.
        formatText_ = !error && styles_.hasTextFormats();
        if (formatText_) {
            textStyle_.assign(!cellStyle.empty() ? cellStyle : std::string_view(rowStyle_));
        }
        if (!error && !stringValue.empty()) {
            growCellText(stringValue);
            text_.assign(stringValue);
            textDecided_ = true;
        }
        return;
    }
    // A value cell without its value holds 0 to the office: the null date, no time.
    if (*valueType_ == ValueType::Date && value.dateValue.empty()) {
        value.dateValue = "1899-12-30";
    } else if (*valueType_ == ValueType::Time && value.timeValue.empty()) {
        value.timeValue = "PT0S";
    }
    if (options_.keepValues) {
        keepValue(*valueType_, number, value);
    }
    // A value is rendered now, while its attributes are at hand; when it renders, the cell's
    // paragraphs need not be collected. Only values are rendered; texts need no style. The
    // cell's own style wins over the row's default, which wins over the column's (as the office
    // shows them).
    value.type = *valueType_;
    value.number = number.data() != nullptr ? parseNumber(number, cLocale_.get()) : 0.0;
    // Writers that do not mark an error result store a formula's error as the value 0 (or none)
    // and the error's text: a paragraph that starts with '#' or "Err:" is then what the office
    // shows (#N/A, Err:502, a localised #NV alike).
    maybeError_ = formula && !typedResult && value.number == 0.0;
    zeroResult_ = formula && !recalculated_ && !number.empty() && value.number == 0.0;
    const auto first = static_cast<std::int32_t>(column_);
    const std::int32_t count = std::min(cellRepeat_, kMaxColumns - first);
    std::string_view style = !cellStyle.empty() ? cellStyle : std::string_view(rowStyle_);
    std::int32_t runEnd = kMaxColumns;
    if (style.empty()) {
        style = columnStyle(first, runEnd);
    }
    if (runEnd >= first + count) {
        valueStyle_.assign(style);
        shown_ = renderValue(style, value);
        renderedEarly_ = true;
        // A formula's paragraph may still tell what the office shows.
        textDecided_ = shown_.has_value() && !maybeError_ && !zeroResult_ && !inferredFormat_;
        // A format may ask for millions of digits; what it adds counts like expanded blanks.
        if (shown_) {
            checkShownText(*shown_);
            spendExpansion(shown_->size());
        }
        return;
    }
    // A repeated value cell without a style of its own spans columns of different styles: it is
    // rendered for each at its end.
    number_ = value.number;
    boolean_ = value.boolean;
    dateValue_.assign(value.dateValue);
    timeValue_.assign(value.timeValue);
    currency_.assign(value.currency);
}

void ContentContext::startInCell(std::string_view ns, std::string_view local,
                                 std::span<const XmlAttribute> attributes) {
    const int depth = ++cellDepth_;
    if (!keepCell_ || skipFrom_ != 0) {
        return;
    }
    if (depth == 1) {
        // Only the cell's own paragraphs are its text: not annotations, headings or lists.
        if (ns::is(ns, ns::text) && named(local, "p")) {
            if (paragraphs_++ > 0 && !textDecided_) {
                growCellText("\n");
                text_.push_back('\n');
            }
            inParagraph_ = true;
        } else {
            skipFrom_ = depth;
        }
        return;
    }
    if (ns::is(ns, ns::text)) {
        if (named(local, "s") && linkFrom_ == 0) {
            const std::int64_t blanks = blankCount(attribute(attributes, ns::text, "c"));
            if (blanks > 0) {
                spendExpansion(static_cast<std::uint64_t>(blanks));
                if (!textDecided_) {
                    growCellText({}, static_cast<std::uint64_t>(blanks));
                    text_.append(static_cast<std::size_t>(blanks), ' ');
                }
            }
        } else if (named(local, "note") || named(local, "ruby-text")) {
            // Footnotes and ruby annotations are not part of the shown text.
            skipFrom_ = depth;
        } else if (named(local, "span")) {
            richText_ = richText_ || !attribute(attributes, ns::text, "style-name").empty();
        } else if (named(local, "a")) {
            // A link shows the characters it holds, without the blanks of text:s.
            richText_ = true;
            linkFrom_ = linkFrom_ == 0 ? depth : linkFrom_;
        } else if (named(local, "sheet-name")) {
            // Fields show what the office knows at opening: the sheet's name, today's date.
            richText_ = true;
            skipFrom_ = depth;
            if (!textDecided_) {
                growCellText(sheetName_);
                text_.append(sheetName_);
            }
        } else if (named(local, "date")) {
            richText_ = true;
            recalculated_ = true;
        } else if (isDroppedField(local)) {
            // The office shows nothing of these fields in a cell.
            richText_ = true;
            skipFrom_ = depth;
        } else if (!named(local, "s") && !named(local, "tab") && !named(local, "line-break") &&
                   !named(local, "soft-page-break") && !named(local, "bookmark")) {
            // Links and the other fields make the office keep the text as it is.
            richText_ = true;
        }
    } else if (ns::is(ns, ns::office) && named(local, "annotation")) {
        skipFrom_ = depth;
    }
}

void ContentContext::checkFormula(std::string_view formula, bool cachedResult, bool ownStyle) {
    // Without a cached result, or with the clock or a random number in it, the office works the
    // result out anew.
    recalculated_ = !cachedResult || callsVolatileFunction(formula);
    // Without a style of its own the office shows the result in the format it infers from the
    // formula: that of the cells it refers to, or of the functions it calls.
    if (!recalculated_ && !ownStyle && valueType_ && *valueType_ != ValueType::String &&
        !writerInfersFormats_ && formula.find_first_of("[(") != std::string_view::npos) {
        recalculated_ = true;
        inferredFormat_ = passesFormatOn(formula);
    }
}

void ContentContext::finishFormula(std::int32_t first, std::int32_t count) {
    // A zero over an empty paragraph may stand for an empty result, which the office works out.
    if (zeroResult_ && paragraphs_ > 0 && text_.empty()) {
        recalculated_ = true;
    }
    // A writer that showed the result in a format of its own choosing (a fraction, blanks) shows
    // the format the office infers: nothing tells it better.
    if (inferredFormat_ && shown_ && paragraphs_ == 1 && !text_.empty() && text_ != *shown_ &&
        !isPlainNumber(text_) && !text_.starts_with('#') && !text_.starts_with("Err:")) {
        shown_ = text_;
    }
    if (recalculated_) {
        const std::int64_t room = static_cast<std::int64_t>(options_.lastRow) + 1 - row_;
        output_.recalculated(
            CellArea{first, static_cast<std::int32_t>(row_), count,
                     static_cast<std::int32_t>(std::min<std::int64_t>(rowRepeat_, room))});
    }
}

void ContentContext::addStringCell(std::int32_t first, std::int32_t count) {
    // The office sets a text into the text format of its cell's style (`"avant "@`), unless it
    // keeps it as an edited text: several paragraphs, formatted runs or fields.
    const bool fromStringValue = textDecided_;
    if (!formatText_ || (!fromStringValue && (paragraphs_ != 1 || richText_))) {
        addText(first, count, text_);
        return;
    }
    for (std::int32_t column = first; column < first + count;) {
        std::int32_t runEnd = first + count;
        const std::string_view style =
            !textStyle_.empty() ? std::string_view(textStyle_) : columnStyle(column, runEnd);
        const std::int32_t end = std::min(runEnd, first + count);
        const std::optional<std::string> shown = styles_.shownString(style, text_);
        if (shown) {
            checkShownText(*shown);
            spendExpansion(shown->size());
        }
        addText(column, end - column, shown ? std::string_view(*shown) : std::string_view(text_));
        column = end;
    }
}

void ContentContext::spendExpansion(std::uint64_t bytes) {
    if (bytes > options_.maxExpandedText - expanded_) {
        throw Error("cannot read " + label_ +
                    ": its cells expand to more text than a document can hold");
    }
    expanded_ += bytes;
}

void ContentContext::growCellText(std::string_view added, std::uint64_t blanks) {
    // Bytes are never fewer than units, so the units are counted only once the bytes pass the
    // limit, and from then on only what is added.
    if (!cellUnitsCounted_) {
        if (text_.size() + added.size() + blanks <= kMaxCellText) {
            return;
        }
        cellUnits_ = utf16Units(text_);
        cellUnitsCounted_ = true;
    }
    cellUnits_ += utf16Units(added) + blanks;
    if (cellUnits_ > kMaxCellText) {
        refuseLongCell();
    }
}

void ContentContext::checkShownText(std::string_view shown) const {
    if (shown.size() > kMaxCellText && utf16Units(shown) > kMaxCellText) {
        refuseLongCell();
    }
}

void ContentContext::refuseLongCell() const {
    // A hostile name may be long; a few dozen bytes of it name the sheet well enough.
    std::string name = sheetName_.substr(0, 40);
    if (name.size() < sheetName_.size()) {
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) {
            name.pop_back();
        }
        name += "...";
    }
    throw Error("cannot read " + label_ + ": cell " + columnLetters(column_ + 1) +
                std::to_string(row_ + 1) + " of sheet \"" + name + "\" holds more than " +
                std::to_string(kMaxCellText) +
                " characters, more than gridstack reads from a cell");
}

std::optional<std::string> ContentContext::renderValue(std::string_view styleName,
                                                       const CellValue& value) const {
    return styles_.shownText(styleName, value);
}

void ContentContext::keepValue(ValueType type, std::string_view number, const CellValue& value) {
    if (type == ValueType::String || type == ValueType::Void) {
        return;
    }
    CellValueData kept;
    kept.kind = static_cast<ValueKind>(type);
    valueCurrency_.clear();
    if (type == ValueType::Date) {
        kept.value = value.dateValue;
    } else if (type == ValueType::Time) {
        kept.value = value.timeValue;
    } else if (type == ValueType::Boolean) {
        kept.value = value.boolean ? "true" : "false";
    } else {
        kept.value = number;
        valueCurrency_ = value.currency;
    }
    value_ = std::move(kept);
}

std::uint32_t ContentContext::valueFormat(std::string_view style) {
    static constexpr std::size_t kFormatsKept = 16;
    for (const FormatSeen& seen : formatsSeen_)
        if (seen.style == style && seen.currency == valueCurrency_)
            return seen.format;
    if (formatsSeen_.size() == kFormatsKept)
        formatsSeen_.erase(formatsSeen_.begin());
    const std::uint32_t format =
        output_.format(ValueFormat{styles_.dataStyleName(style).value_or(""), valueCurrency_});
    formatsSeen_.push_back(FormatSeen{std::string(style), valueCurrency_, format});
    return format;
}

void ContentContext::addText(std::int32_t first, std::int32_t count, std::string_view text,
                             std::string_view style) {
    if (text.empty()) {
        return;
    }
    if (value_) {
        // A value keeps its own run: equal texts of other cells may hold other values. A cell
        // over columns of several styles has its value once for each.
        CellValueData kept = renderedEarly_ ? std::move(*value_) : *value_;
        kept.format = valueFormat(style);
        cells_.push_back(CellRun{first, count, std::string(text), output_.value(std::move(kept))});
        return;
    }
    if (!cells_.empty()) {
        CellRun& last = cells_.back();
        if (last.column + last.repeat == first && last.value == 0 && last.text == text) {
            last.repeat += count;
            return;
        }
    }
    cells_.push_back(CellRun{first, count, std::string(text)});
}

void ContentContext::endCell() {
    inCell_ = false;
    if (keepCell_) {
        storeCell();
    }
    column_ += cellRepeat_;
}

void ContentContext::storeCell() {
    const auto first = static_cast<std::int32_t>(column_);
    const std::int32_t count = std::min(cellRepeat_, kMaxColumns - first);
    finishFormula(first, count);
    if (maybeError_ && (text_.starts_with('#') || text_.starts_with("Err:"))) {
        value_.reset(); // an error is kept as its text
        addText(first, count, std::string_view(text_).substr(0, text_.find('\n')));
        return;
    }
    if (renderedEarly_) {
        addText(first, count, shown_ ? std::string_view(*shown_) : std::string_view(text_),
                valueStyle_);
        return;
    }
    if (!valueType_ || *valueType_ == ValueType::String) {
        addStringCell(first, count);
        return;
    }
    CellValue value;
    value.type = *valueType_;
    value.number = number_;
    value.dateValue = dateValue_;
    value.timeValue = timeValue_;
    value.boolean = boolean_;
    value.currency = currency_;
    for (std::int32_t column = first; column < first + count;) {
        std::int32_t runEnd = 0;
        const std::string_view style = columnStyle(column, runEnd);
        const std::int32_t end = std::min(runEnd, first + count);
        const std::optional<std::string> shown = renderValue(style, value);
        if (shown) {
            checkShownText(*shown);
            spendExpansion(shown->size());
        }
        addText(column, end - column, shown ? std::string_view(*shown) : std::string_view(text_),
                style);
        column = end;
    }
}

} // namespace ods
