#include "ods/workbook.h"

#include <algorithm>
#include <cassert>

namespace ods {

namespace {

// Index of the first run ending after `position` (the run that may hold it).
template <typename Runs, typename Start>
auto runAfter(Runs& runs, std::int32_t position, Start start) {
    return std::partition_point(runs.begin(), runs.end(), [&](const auto& run) {
        return static_cast<std::int64_t>(start(run)) + run.repeat <= position;
    });
}

constexpr auto rowStart = [](const RowRun& run) { return run.row; };
constexpr auto cellStart = [](const CellRun& run) { return run.column; };

// Cuts the run holding `position` so that a run of its own begins exactly there, ending there
// too; gives that run, or the place where a run for `position` belongs when none holds it.
template <typename Runs, typename Start, typename SetStart>
auto isolate(Runs& runs, std::int32_t position, Start start, SetStart setStart) {
    auto it = runAfter(runs, position, start);
    if (it == runs.end() || start(*it) > position) {
        return it;
    }
    if (start(*it) < position) {
        auto tail = *it;
        const std::int32_t head = position - start(*it);
        tail.repeat = it->repeat - head;
        setStart(tail, position);
        it->repeat = head;
        it = runs.insert(it + 1, std::move(tail));
    }
    if (it->repeat > 1) {
        auto rest = *it;
        setStart(rest, position + 1);
        rest.repeat = it->repeat - 1;
        it->repeat = 1;
        it = runs.insert(it + 1, std::move(rest)) - 1;
    }
    return it;
}

} // namespace

const RowRun* Sheet::findRow(std::int32_t row) const {
    const auto it = runAfter(rows_, row, rowStart);
    return it != rows_.end() && it->row <= row ? &*it : nullptr;
}

std::string_view Sheet::text(std::int32_t column, std::int32_t row) const {
    const RowRun* found = findRow(row);
    if (found == nullptr) {
        return {};
    }
    const auto it = runAfter(found->cells, column, cellStart);
    if (it == found->cells.end() || it->column > column) {
        return {};
    }
    return it->text;
}

void Sheet::appendRow(RowRun&& row) {
    assert(rows_.empty() || rows_.back().row + rows_.back().repeat <= row.row);
    rows_.push_back(std::move(row));
}

std::vector<RowRun>::iterator Sheet::splitRowAt(std::int32_t row) {
    return isolate(rows_, row, rowStart, [](RowRun& run, std::int32_t at) { run.row = at; });
}

void Sheet::setText(std::int32_t column, std::int32_t row, std::string_view text) {
    assert(column >= 0 && column < kMaxColumns && row >= 0 && row < kMaxRows);
    // Writing row by row, left to right, is the common case and needs no search.
    if (!text.empty() && (rows_.empty() || rows_.back().row + rows_.back().repeat <= row)) {
        rows_.push_back(RowRun{row, 1, {CellRun{column, 1, std::string(text)}}});
        return;
    }
    if (!text.empty() && rows_.back().row == row && rows_.back().repeat == 1) {
        auto& cells = rows_.back().cells;
        if (cells.empty() || cells.back().column + cells.back().repeat <= column) {
            cells.push_back(CellRun{column, 1, std::string(text)});
            return;
        }
    }
    auto rowIt = splitRowAt(row);
    if (rowIt == rows_.end() || rowIt->row != row) {
        if (text.empty()) {
            return;
        }
        rows_.insert(rowIt, RowRun{row, 1, {CellRun{column, 1, std::string(text)}}});
        return;
    }
    auto& cells = rowIt->cells;
    auto cellIt =
        isolate(cells, column, cellStart, [](CellRun& run, std::int32_t at) { run.column = at; });
    const bool present = cellIt != cells.end() && cellIt->column == column;
    if (text.empty()) {
        if (present) {
            cells.erase(cellIt);
        }
        if (cells.empty()) {
            rows_.erase(rowIt);
        }
        return;
    }
    if (present) {
        cellIt->text.assign(text);
    } else {
        cells.insert(cellIt, CellRun{column, 1, std::string(text)});
    }
}

Extent Sheet::extent() const {
    Extent extent;
    for (const RowRun& run : rows_) {
        if (run.cells.empty()) {
            continue;
        }
        extent.rows = std::max(extent.rows, run.row + run.repeat);
        const CellRun& last = run.cells.back();
        extent.columns = std::max(extent.columns, last.column + last.repeat);
    }
    return extent;
}

const Sheet* Workbook::sheetByName(std::string_view name) const {
    const auto it = std::find_if(sheets_.begin(), sheets_.end(),
                                 [&](const Sheet& sheet) { return sheet.name() == name; });
    return it != sheets_.end() ? &*it : nullptr;
}

} // namespace ods
