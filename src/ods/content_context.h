#pragma once

// content.xml: its automatic styles go to the data styles, its tables become sheets of shown
// cell texts. Repeats are kept as runs and clamped to the sheet size; nothing is allocated by
// a repeat count.

#include "ods/data_styles.h"
#include "ods/sheet_output.h"
#include "ods/style_forwarder.h"
#include "ods/xml_reader.h"

#include <cstdint>
#include <locale.h>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace ods {

struct ContentOptions {
    std::optional<std::size_t> onlySheet; ///< rows only for this 0-based sheet
    std::int32_t lastRow = kMaxRows - 1;  ///< rows after it are not needed
    /// Text that text:s blanks and rendered values may add in all, beyond the file's own bytes.
    std::uint64_t maxExpandedText = 1ull << 30;
    /// Value cells keep their values and data style names besides their texts.
    bool keepValues = false;
};

class ContentContext : public XmlHandler {
public:
    ContentContext(DataStyles& styles, SheetOutput& output, ContentOptions options,
                   std::string label);

    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes) override;
    void endElement(std::string_view ns, std::string_view local) override;
    void characters(std::string_view text) override;

    /// Everything asked for has been read; the rest of the stream may be dropped.
    bool done() const noexcept { return done_; }
    bool sawSpreadsheet() const noexcept { return sawSpreadsheet_; }
    /// The document's writer as meta.xml names it; a flat document names it on the way.
    void setGenerator(std::string_view generator);

private:
    struct ColumnStyle {
        std::int32_t first;
        std::int32_t end;
        std::string name;
    };

    void startTable(std::span<const XmlAttribute> attributes);
    void endTable();
    void startColumn(std::span<const XmlAttribute> attributes);
    void startRow(std::span<const XmlAttribute> attributes);
    void endRow();
    void startCell(std::span<const XmlAttribute> attributes);
    void endCell();
    void storeCell();
    void startInCell(std::string_view ns, std::string_view local,
                     std::span<const XmlAttribute> attributes);
    /// Decides at a formula cell's start whether the office works its result out anew.
    void checkFormula(std::string_view formula, bool cachedResult, bool ownStyle);
    /// At the cell's end: a formula's cached text where it stands for the office's, and the
    /// note that the office works the cell's text out anew (a formula, today's date).
    void finishFormula(std::int32_t first, std::int32_t count);
    /// A text cell's text through the text format of its style, where one applies.
    void addStringCell(std::int32_t first, std::int32_t count);
    void keepValue(ValueType type, std::string_view number, const CellValue& value);
    std::uint32_t valueFormat(std::string_view style);
    void addText(std::int32_t first, std::int32_t count, std::string_view text,
                 std::string_view style = {});
    std::string_view columnStyle(std::int32_t column, std::int32_t& runEnd) const;
    void followRun(bool unstyled, std::string_view currency);
    std::optional<std::string> renderValue(std::string_view styleName,
                                           const CellValue& value) const;
    void spendExpansion(std::uint64_t bytes);
    /// Counts text about to join the open cell (`blanks` more blanks); throws past kMaxCellText.
    void growCellText(std::string_view added, std::uint64_t blanks = 0);
    /// The same for a value's text as its format shows it, which stands for the cell's text.
    void checkShownText(std::string_view shown) const;
    [[noreturn]] void refuseLongCell() const;
    bool wantRows() const;

    DataStyles& styles_;
    StyleForwarder forwarder_;
    SheetOutput& output_;
    ContentOptions options_;
    std::string label_;
    struct FreeLocale {
        void operator()(locale_t locale) const noexcept;
    };
    std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale> cLocale_;

    bool done_ = false;
    bool sawSpreadsheet_ = false;
    bool inTable_ = false;
    bool inRow_ = false;
    int skipDepth_ = 0; ///< open elements of a part that holds no sheet's cells, 0 outside one
    std::size_t sheetIndex_ = 0;
    std::string sheetName_;
    std::vector<ColumnStyle> columnStyles_;
    std::int32_t nextColumnStyle_ = 0;
    std::int64_t row_ = 0;
    std::int32_t rowRepeat_ = 1;
    std::string rowStyle_;
    std::optional<ValueType> runType_; ///< of the run of unstyled cells the current cell is in
    std::string runCurrency_;
    std::vector<CellRun> cells_;
    std::int64_t column_ = 0;

    // The open cell. Attribute values that outlive the start event are copied: they die with it.
    bool inCell_ = false;
    bool keepCell_ = false;
    int cellDepth_ = 0; ///< open elements below the cell
    int skipFrom_ = 0;  ///< depth of an element whose text is no cell text, 0 when none
    int linkFrom_ = 0;  ///< depth of the link (text:a) the text is in, 0 when none
    bool inParagraph_ = false;
    int paragraphs_ = 0;
    std::int32_t cellRepeat_ = 1;
    std::optional<ValueType> valueType_;
    bool renderedEarly_ = false;  ///< rendered at its start: shown_ is its text if set
    bool textDecided_ = false;    ///< its paragraphs need not be collected
    bool maybeError_ = false;     ///< a formula's zero that an error paragraph overrides
    bool recalculated_ = false;   ///< a text the office works out anew on opening
    bool inferredFormat_ = false; ///< its paragraph may show the format the office passes on
    bool zeroResult_ = false;     ///< a formula's zero, which an empty paragraph makes unsure
    bool richText_ = false;       ///< fields or formatted runs: the text is shown as it is
    bool formatText_ = false;     ///< a text cell of a document that has text formats
    std::string textStyle_;       ///< its own or its row's style; empty: its column's
    /// The document's writer shows formula results in the formats the office infers for them.
    bool writerInfersFormats_ = false;
    bool inGenerator_ = false;
    std::string generator_;
    std::optional<std::string> shown_;
    // A value left to render at the cell's end, for each column style it spans.
    double number_ = 0;
    bool boolean_ = false;
    std::string dateValue_;
    std::string timeValue_;
    std::string currency_;
    std::string text_;
    std::uint64_t cellUnits_ = 0; ///< UTF-16 units of text_, once its bytes passed the limit
    bool cellUnitsCounted_ = false;
    std::uint64_t expanded_ = 0;
    /// With keepValues: the open cell's value, its data style still to be found.
    std::optional<CellValueData> value_;
    std::string valueCurrency_;
    std::string valueStyle_; ///< the cell style its value is shown with, when one for all
    /// The formats of the cell styles met lately: a row of values usually cycles through a few.
    struct FormatSeen {
        std::string style;
        std::string currency;
        std::uint32_t format = 0;
    };
    std::vector<FormatSeen> formatsSeen_;
};

} // namespace ods
