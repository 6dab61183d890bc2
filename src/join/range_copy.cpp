#include "join/range_copy.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace gridwork {

namespace {

std::int32_t officePosition(std::int64_t position, const char* what) {
    if (position < std::numeric_limits<std::int32_t>::min() ||
        position > std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error(std::string("Overflow: the ") + what + " position " +
                                  std::to_string(position) + " is outside the 32-bit range");
    }
    return static_cast<std::int32_t>(position);
}

} // namespace

void AppendRangeLines(Sheet& sheet, const CellRange& range, IntermediateFile& file) {
    const std::int64_t rowCount = std::int64_t{range.lastRow} - range.firstRow + 1;
    const std::int64_t width = std::int64_t{range.lastColumn} - range.firstColumn + 1;
    if (rowCount <= 0) {
        return;
    }
    if (width <= 0) {
        const std::vector<std::string> noCells;
        for (std::int64_t i = 0; i < rowCount; ++i) {
            file.appendLine(noCells);
        }
        return;
    }
    const std::int32_t firstColumn = officePosition(std::int64_t{range.firstColumn} - 1, "column");
    const std::int32_t lastColumn = officePosition(std::int64_t{range.lastColumn} - 1, "column");
    const std::int64_t rowsPerBlock = std::max<std::int64_t>(1, CellsPerBlock / width);
    const auto cellsPerRow = static_cast<std::size_t>(width);
    for (std::int64_t done = 0; done < rowCount;) {
        const std::int64_t blockRows = std::min(rowsPerBlock, rowCount - done);
        const std::int32_t firstRow =
            officePosition(std::int64_t{range.firstRow} - 1 + done, "row");
        const std::int32_t lastRow =
            officePosition(std::int64_t{range.firstRow} - 2 + done + blockRows, "row");
        CellRows block = sheet.rangeTexts(firstColumn, firstRow, lastColumn, lastRow);
        // An implementation may leave out trailing empty cells and rows; the line format may not.
        block.resize(static_cast<std::size_t>(blockRows));
        for (auto& texts : block) {
            texts.resize(cellsPerRow);
            file.appendLine(texts);
        }
        done += blockRows;
    }
}

void WriteResultRows(Sheet& sheet, IntermediateFile& file) {
    file.startReading();
    CellRows block;
    std::int64_t blockFirstRow = 0;
    std::int64_t blockCells = 0;
    std::int64_t row = 0;
    const auto flush = [&] {
        if (!block.empty()) {
            sheet.setRangeTexts(0, officePosition(blockFirstRow, "row"), block);
        }
        block.clear();
        blockCells = 0;
    };
    std::vector<std::string> fields;
    for (; file.readLine(fields); ++row) {
        officePosition(row, "row");
        if (block.empty()) {
            // Empty lines only take their row; a block begins with the next line holding fields.
            if (fields.empty()) {
                continue;
            }
            blockFirstRow = row;
        }
        blockCells += static_cast<std::int64_t>(fields.size());
        block.push_back(std::move(fields));
        if (blockCells >= CellsPerBlock) {
            flush();
        }
    }
    flush();
}

} // namespace gridwork
