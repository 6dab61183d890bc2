#pragma once

// The two halves of a join. AppendRangeLines copies a source range into the intermediate file,
// one line per row; WriteResultRows writes the file's lines into the result sheet, line i into
// row i and field j into column j. Stacking any number of tables is calling AppendRangeLines once
// per table, in order, and WriteResultRows once.
//
// Both go through the sheet's block calls (Sheet::rangeTexts, Sheet::setRangeTexts) in blocks of
// a bounded number of cells, so an office that can move a block in one exchange does, and memory
// stays bounded however large the range.

#include "join/calc_automation.h"
#include "join/intermediate_file.h"

#include <cstdint>

namespace gridwork {

/// A rectangle of cells as the user numbers them: 1-based, both bounds inclusive.
struct CellRange {
    std::int32_t firstRow = 1;
    std::int32_t lastRow = 1;
    std::int32_t firstColumn = 1;
    std::int32_t lastColumn = 1;
};

/// How many cells one block call moves at most. An office may read its whole sheet for every
/// block (the "as shown" export does), so a block is large: a million cells, some 50 MB.
inline constexpr std::int64_t CellsPerBlock = std::int64_t{1} << 20;

/// Appends one line per row of the range to the file, top to bottom: each cell's shown text,
/// left to right, each followed by the separator. A range whose last row lies above its first
/// adds no line; one whose last column lies left of its first adds empty lines.
/// Throws what the sheet throws (OfficeError: a cell that cannot be read, such as one at
/// position 0 or below), IntermediateFileError when a line cannot be written, and
/// std::overflow_error when a position leaves the 32-bit range.
void AppendRangeLines(Sheet& sheet, const CellRange& range, IntermediateFile& file);

/// Writes every line of the file, from its beginning, into the sheet from A1: line i into row
/// i + 1, field j into column j + 1, as text. The empty field after a line's last separator is
/// written too (an empty text), and an empty line is skipped but still takes its row.
/// Throws IntermediateFileError when the file cannot be read, what the sheet throws when a cell
/// cannot be written, and std::overflow_error for more lines than a 32-bit row number holds.
void WriteResultRows(Sheet& sheet, IntermediateFile& file);

} // namespace gridwork
