#pragma once

// The in-memory document: sheets of shown cell texts, kept sparse and run-length encoded. A
// row run stands for `repeat` equal rows and a cell run for `repeat` equal cells side by side,
// exactly as the file says, so a document claiming a million repeated rows costs one entry.
// Empty cells are never stored.

#include "ods/limits.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ods {

struct CellRun {
    std::int32_t column = 0;
    std::int32_t repeat = 1;
    std::string text;
    std::uint32_t value = 0; ///< 1-based index into its sheet's values(); 0: the cell is a text
};

/// office:value-type of a value cell.
enum class ValueKind : std::uint8_t { Float, Percentage, Currency, Date, Time, Boolean };

/// How a sheet's values are shown; many values share one.
struct ValueFormat {
    std::string dataStyle; ///< the data style; empty: the general format
    std::string currency;  ///< office:currency of currency values
    bool operator==(const ValueFormat&) const = default;
};

/// What a value cell holds beyond its shown text; kept only when the reader is asked to.
struct CellValueData {
    std::string value;        ///< as the file writes it (office:value, office:date-value, ...)
    std::uint32_t format = 0; ///< index into its sheet's formats()
    ValueKind kind = ValueKind::Float;
};

struct RowRun {
    std::int32_t row = 0;
    std::int32_t repeat = 1;
    std::vector<CellRun> cells; ///< ascending, non-overlapping, texts never empty
};

/// A block of cells: `columns` x `rows` from (column, row), 0-based.
struct CellArea {
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t columns = 1;
    std::int32_t rows = 1;
};

/// Last used column and row, 1-based counts from A1 (0 x 0 when the sheet is empty).
struct Extent {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
};

class Sheet {
public:
    explicit Sheet(std::string name) : name_(std::move(name)) {}

    const std::string& name() const noexcept { return name_; }
    /// The shown text of a cell; empty for an empty cell or a position beyond the sheet.
    std::string_view text(std::int32_t column, std::int32_t row) const;
    /// Sets a text cell (an empty text empties it). Positions must lie inside the sheet.
    void setText(std::int32_t column, std::int32_t row, std::string_view text);
    Extent extent() const;
    const std::vector<RowRun>& rows() const noexcept { return rows_; }

    /// Appends a row run below every stored row (the reader's and the bulk writer's fast path).
    /// Empty rows need not be appended.
    void appendRow(RowRun&& row);
    /// The row run holding `row`, or nullptr.
    const RowRun* findRow(std::int32_t row) const;

    /// The values that cells point at with CellRun::value.
    std::vector<CellValueData>& values() noexcept { return values_; }
    const std::vector<CellValueData>& values() const noexcept { return values_; }
    /// The formats values() point at.
    std::vector<ValueFormat>& formats() noexcept { return formats_; }
    const std::vector<ValueFormat>& formats() const noexcept { return formats_; }

    /// Cells whose text the office works out anew when it opens the document (formulas it
    /// recalculates, fields of today's date), so that it may show another text than the one
    /// read; in row order.
    std::vector<CellArea>& recalculated() noexcept { return recalculated_; }
    const std::vector<CellArea>& recalculated() const noexcept { return recalculated_; }

private:
    std::vector<RowRun>::iterator splitRowAt(std::int32_t row);

    std::string name_;
    std::vector<RowRun> rows_; ///< ascending, non-overlapping
    std::vector<CellValueData> values_;
    std::vector<ValueFormat> formats_;
    std::vector<CellArea> recalculated_;
};

class Workbook {
public:
    std::vector<Sheet>& sheets() noexcept { return sheets_; }
    const std::vector<Sheet>& sheets() const noexcept { return sheets_; }
    /// The sheet of that name, or nullptr.
    const Sheet* sheetByName(std::string_view name) const;

    /// The data styles that values() name, as XML elements (number:number-style and its kin),
    /// by name; kept with the values.
    std::map<std::string, std::string>& dataStyles() noexcept { return dataStyles_; }
    const std::map<std::string, std::string>& dataStyles() const noexcept { return dataStyles_; }

    /// The day that serial numbers of dates count from, in days after 1899-12-30 (the office's
    /// default; 1462 for the 1904-01-01 of old spreadsheets of the Macintosh).
    long long nullDate() const noexcept { return nullDate_; }
    void setNullDate(long long days) noexcept { nullDate_ = days; }

private:
    std::vector<Sheet> sheets_;
    std::map<std::string, std::string> dataStyles_;
    long long nullDate_ = 0;
};

} // namespace ods
