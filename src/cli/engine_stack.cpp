#include "cli/engine_stack.h"

#include "cli/csv_output.h"
#include "cli/interruption.h"
#include "ods/error.h"
#include "ods/ods_automation.h"
#include "ods/writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace gridwork::cli {

namespace {

std::string absolutePath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

std::size_t chosenSheet(const ods::Workbook& workbook, const TableSource& table) {
    const auto& sheets = workbook.sheets();
    const std::int32_t index = chosenSheetIndex(
        table, static_cast<std::int32_t>(sheets.size()),
        [&sheets](std::int32_t i) { return sheets[static_cast<std::size_t>(i)].name(); });
    return static_cast<std::size_t>(index);
}

/// A cell run of a range, from the range's first column.
struct RangeCell {
    std::int32_t column;
    std::int32_t repeat;
    const std::string* text;
};

/// Calls visit(row, repeat, cells) for every row run of the range that holds a cell in it: rows
/// from the range's first row, cells cut to the range and counted from its first column.
template <typename Visit>
void visitRange(const ods::Sheet& source, const CellRange& range, Visit&& visit) {
    const std::int32_t firstRow = range.firstRow - 1;
    const std::int32_t lastRow = range.lastRow - 1;
    const std::int32_t firstColumn = range.firstColumn - 1;
    const std::int32_t lastColumn = range.lastColumn - 1;
    const auto& runs = source.rows();
    auto run = std::partition_point(runs.begin(), runs.end(), [&](const ods::RowRun& r) {
        return r.row + r.repeat <= firstRow;
    });
    std::vector<RangeCell> cells;
    for (; run != runs.end() && run->row <= lastRow; ++run) {
        const std::int32_t from = std::max(run->row, firstRow);
        const std::int32_t to = std::min(run->row + run->repeat - 1, lastRow);
        cells.clear();
        auto cell =
            std::partition_point(run->cells.begin(), run->cells.end(), [&](const ods::CellRun& c) {
                return c.column + c.repeat <= firstColumn;
            });
        for (; cell != run->cells.end() && cell->column <= lastColumn; ++cell) {
            const std::int32_t left = std::max(cell->column, firstColumn);
            const std::int32_t right = std::min(cell->column + cell->repeat - 1, lastColumn);
            cells.push_back(RangeCell{left - firstColumn, right - left + 1, &cell->text});
        }
        if (!cells.empty())
            visit(from - firstRow, to - from + 1, std::span<const RangeCell>(cells));
    }
}

/// The engine's question whether to stop, answered by the run's checkpoint; its Interrupted is
/// kept, to be thrown again once the engine has stopped.
std::function<bool()> askingCheckpoint(const Checkpoint& checkpoint,
                                       std::exception_ptr& interrupted) {
    return [&checkpoint, &interrupted] {
        try {
            checkpoint();
            return false;
        } catch (const Interrupted&) {
            interrupted = std::current_exception();
            return true;
        }
    };
}

/// Writes the stack into the temporary file at `path`, which OutputFile keeps whole.
void storeWorkbook(const ods::Workbook& workbook, const std::string& path,
                   const std::string& output, const Checkpoint& checkpoint) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                               &std::fclose);
    if (!file)
        throw OfficeError(std::strerror(errno));
    std::exception_ptr interrupted;
    const std::function<bool()> stop = askingCheckpoint(checkpoint, interrupted);
    try {
        ods::writeWorkbook(workbook, file.get(), output, stop);
    } catch (const ods::Error& e) {
        throw OfficeError(e.what());
    } catch (const ods::Stopped&) {
        std::rethrow_exception(interrupted);
    }
    if (std::fflush(file.get()) != 0)
        throw OfficeError(std::strerror(errno));
}

/// Reads a table's file and finds its sheet, its range and the used area within it. Runs on a
/// thread of its own; its faults reach the run when the table's turn comes.
Stack::Table prepareTable(const TableSource& table, const Checkpoint& checkpoint) {
    Stack::Table part;
    const std::string absolute = absolutePath(table.path);
    // The reader asks as it goes whether to stop; the run's own Interrupted then comes out.
    std::exception_ptr interrupted;
    const std::function<bool()> stop = askingCheckpoint(checkpoint, interrupted);
    try {
        part.source = readSpreadsheet(absolute, stop);
    } catch (const OfficeError& e) {
        throw unreadableTable(table.path, absolute, e.what());
    } catch (const ods::Stopped&) {
        std::rethrow_exception(interrupted);
    }
    part.sheetIndex = chosenSheet(part.source, table);
    const ods::Extent extent = part.sheet().extent();
    part.range = tableRange(table, UsedArea{extent.columns, extent.rows});
    if (part.range) {
        // Only non-empty cells count for the used area, as in the window's result document.
        visitRange(part.sheet(), *part.range,
                   [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                       part.used.rows = std::max(part.used.rows, row + repeat);
                       part.used.columns =
                           std::max(part.used.columns, cells.back().column + cells.back().repeat);
                       std::uint64_t rowBytes = 0;
                       for (const RangeCell& cell : cells)
                           rowBytes += static_cast<std::uint64_t>(cell.repeat) * cell.text->size();
                       // At most 2^20 rows of 2^14 cells of 2^18 bytes: no overflow.
                       part.textBytes += rowBytes * static_cast<std::uint64_t>(repeat);
                   });
    }
    return part;
}

/// Prepares the tables ahead of their use, as many at once as there are cores, so that no more
/// than that many whole documents wait in memory.
class TableReader {
public:
    TableReader(const std::vector<TableSource>& tables, const Checkpoint& checkpoint)
        : tables_(tables), checkpoint_(checkpoint),
          ahead_(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8)) {}

    /// The next table; throws StackError for its faults.
    Stack::Table next() {
        while (pending_.size() < ahead_ && started_ < tables_.size())
            pending_.push_back(std::async(std::launch::async, prepareTable,
                                          std::cref(tables_[started_++]), std::cref(checkpoint_)));
        std::future<Stack::Table> preparing = std::move(pending_.front());
        pending_.pop_front();
        return preparing.get();
    }

private:
    const std::vector<TableSource>& tables_;
    const Checkpoint& checkpoint_;
    std::size_t ahead_;
    std::size_t started_ = 0;
    std::deque<std::future<Stack::Table>> pending_;
};

} // namespace

Stack::Stack(const std::vector<TableSource>& tables, Progress& progress,
             const Checkpoint& runCheckpoint) {
    // The tables are read on threads of their own, which look at the run's checkpoint too: one
    // at a time.
    std::mutex checkpointTurn;
    const Checkpoint checkpoint = [&] {
        const std::lock_guard<std::mutex> turn(checkpointTurn);
        runCheckpoint();
    };
    TableReader reader(tables, checkpoint);
    std::int64_t totalCells = 0;
    std::uint64_t textBytes = 0;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const TableSource& table = tables[i];
        progress.begin(
            "reading table " + std::to_string(i + 1) + " of " + std::to_string(tables.size()), 0);
        checkpoint();
        Table part = reader.next();
        if (!part.range)
            continue;
        const CellRange& range = *part.range;
        const std::int64_t rows = std::int64_t{range.lastRow} - range.firstRow + 1;
        checkStackHeight(table.path, rows_ + rows);
        const std::int64_t columns = std::int64_t{range.lastColumn} - range.firstColumn + 1;
        checkStackCells(table.path, totalCells + rows * columns);
        totalCells += rows * columns;
        textBytes += part.textBytes;
        if (textBytes > maxStackTextBytes)
            throw StackError(table.path + ": the stack's cells would show more than " +
                             std::to_string(maxStackTextBytes >> 30) +
                             " GB of text, more than gridstack writes");
        part.top = rows_;
        rows_ += static_cast<std::int32_t>(rows);
        if (part.used.rows > 0) {
            used_.rows = std::max(used_.rows, part.top + part.used.rows);
            used_.columns = std::max(used_.columns, part.used.columns);
        }
        tables_.push_back(std::move(part));
    }
}

ods::Workbook Stack::workbook() const {
    ods::Workbook stack;
    ods::Sheet& result = stack.sheets().emplace_back("Sheet1");
    for (const Table& table : tables_)
        visitRange(
            table.sheet(), *table.range,
            [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                ods::RowRun copied{table.top + row, repeat, {}};
                copied.cells.reserve(cells.size());
                for (const RangeCell& cell : cells)
                    copied.cells.push_back(ods::CellRun{cell.column, cell.repeat, *cell.text});
                result.appendRow(std::move(copied));
            });
    return stack;
}

bool Stack::writeCsv(std::ostream& out, Progress& progress, const Checkpoint& checkpoint) const {
    if (used_.rows <= 0 || used_.columns <= 0)
        return true;
    const auto width = static_cast<std::size_t>(used_.columns);
    CsvWriter csv(out, width);
    std::vector<std::string_view> texts(width);
    std::int32_t written = 0;
    const auto emptyRowsUpTo = [&](std::int32_t end) {
        if (end > written)
            csv.writeRow({}, static_cast<std::size_t>(end - written));
        written = end;
    };
    for (const Table& table : tables_) {
        visitRange(table.sheet(), *table.range,
                   [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                       emptyRowsUpTo(table.top + row);
                       std::fill(texts.begin(), texts.end(), std::string_view());
                       std::size_t rowBytes = width;
                       for (const RangeCell& cell : cells) {
                           std::fill_n(texts.begin() + cell.column, cell.repeat,
                                       std::string_view(*cell.text));
                           rowBytes += static_cast<std::size_t>(cell.repeat) * cell.text->size();
                       }
                       // A run of long rows is written a few megabytes at a time, so that
                       // Ctrl-C is looked at between them.
                       const auto block = static_cast<std::int32_t>(
                           std::clamp<std::size_t>((16u << 20) / rowBytes, 1, 4096));
                       for (std::int32_t done = 0; done < repeat; done += block) {
                           const std::int32_t rows = std::min(block, repeat - done);
                           csv.writeRow(texts, static_cast<std::size_t>(rows));
                           const std::int32_t before = written;
                           written = table.top + row + done + rows;
                           // Told how far it has come every few thousand rows, whatever the runs.
                           if (before / 4096 != written / 4096 || rows == block) {
                               progress.advance(written);
                               checkpoint();
                           }
                       }
                   });
        if (!out)
            return false;
    }
    emptyRowsUpTo(used_.rows);
    return static_cast<bool>(out);
}

void runEngineStack(const Arguments& arguments, std::ostream& standardOutput, Progress& progress,
                    const Checkpoint& checkpoint) {
    checkInputs(arguments);
    std::optional<OutputFile> output;
    if (arguments.outputKind != OutputKind::StandardOutput)
        output.emplace(arguments.output, arguments.force);
    checkpoint();
    const Stack stack(arguments.tables, progress, checkpoint);

    const StackOutput written{stack.usedArea().rows,
                              [&stack, &arguments, &checkpoint](const std::string& path) {
                                  storeWorkbook(stack.workbook(), path, arguments.output,
                                                checkpoint);
                              },
                              [&stack](std::ostream& out, Progress& bar, const Checkpoint& check) {
                                  return stack.writeCsv(out, bar, check);
                              }};
    writeStack(arguments, output ? &*output : nullptr, written, standardOutput, progress,
               checkpoint);
    checkpoint();
    if (output)
        output->commit();
}

} // namespace gridwork::cli
