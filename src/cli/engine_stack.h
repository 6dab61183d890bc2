#pragma once

// The stack plan and the run built around it. The inputs are resolved into tables (a sheet of a
// file read whole, the range taken from it, the column of the stack each of its columns goes
// to) by a SourceReader, the embedded engine's (here) or the office's (office_source.h); the
// layout is the window's join (each range from column A, every table right below the one before,
// every cell as text), but the rows go straight from the sources into the result: no
// intermediate file, no result document filled cell by cell. Files are read side by side on the
// machine's cores.

#include "cli/arguments.h"
#include "cli/progress.h"
#include "cli/stacking.h"
#include "ods/workbook.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace gridwork::cli {

/// A FILE read whole, with the sheets of it that are tables of the stack, in order.
struct ReadSource {
    std::shared_ptr<const ods::Workbook> workbook;
    std::vector<std::size_t> sheets;
};

/// Reads one FILE (or CSV from standard input for "-"); throws StackError naming it. Called on
/// threads of their own, one per FILE.
using SourceReader = std::function<ReadSource(const TableSource&)>;

/// Reads one FILE with the built-in engine: .ods, .fods and CSV; with keepValues, value cells
/// keep their values and data styles; a checkpoint is asked as the file is read.
ReadSource readSourceFile(const TableSource& table, bool keepValues = false,
                          const Checkpoint& checkpoint = {});

/// The built-in engine as the SourceReader of a run. The readers ask `checkpoint` from threads
/// of their own, at once: the run's interruption check is made for that.
SourceReader engineSourceReader(bool keepValues, Checkpoint checkpoint = {});

/// How the tables are put together, beyond the plain stack.
struct StackLayout {
    std::int32_t headerRows = 0;
    bool matchColumns = false;
    std::optional<std::string> sourceHeader; ///< --source: a first column naming each row's origin
    bool values = false;                     ///< value cells stay values in workbook()

    static StackLayout of(const Arguments& arguments) {
        return {arguments.headerRows, arguments.matchColumns, arguments.source, arguments.values};
    }
};

/// The most text a stack may show, all its cells together, repeats counted: a few hundred bytes
/// of XML can repeat a long cell into terabytes of output, which are refused before anything is
/// written. Named in --help.
inline constexpr std::uint64_t maxStackTextBytes = 4ull << 30;

/// The tables of a run, read and checked, each with its place in the stack. The sources stay as
/// they were read; the stack is only put together when it is written.
class Stack {
public:
    /// Reads the tables' files (as many at once as there are cores), chooses their sheets and
    /// ranges, places their columns and checks that the stack fits one sheet. Throws StackError
    /// naming the file; the first fault in table order is the one told.
    Stack(const std::vector<TableSource>& tables, const StackLayout& layout, Progress& progress,
          const Checkpoint& checkpoint, const SourceReader& reader);

    /// Last used column and row of the stack, 1-based, counting non-empty cells only.
    UsedArea usedArea() const noexcept { return used_; }
    /// The stack as a document of one sheet, "Sheet1", every cell a text; with values, value
    /// cells keep their values and data styles (renamed, so that two files' cannot collide).
    ods::Workbook workbook() const;
    /// Throws StackError for a text that a spreadsheet cannot hold: CSV fields may carry control
    /// characters that XML, and so an .ods file, cannot.
    void checkSpreadsheetTexts() const;
    /// The stack's used area as CSV from A1. False when the stream failed.
    bool writeCsv(std::ostream& out, Progress& progress, const Checkpoint& checkpoint) const;
    /// Cells of the stack whose texts the office works out anew when it opens their files (see
    /// ods::Sheet::recalculated), so that it may show other texts.
    struct RecalculatedCells {
        std::uint64_t count = 0;
        std::string first; ///< FILE, sheet and cell of the first in stack order
    };
    RecalculatedCells recalculatedCells() const;
    /// With --match-columns, one line per table: the columns it added or left empty.
    const std::vector<std::string>& columnReport() const noexcept { return report_; }

    /// One table of the stack: a sheet of a file and where its range goes.
    struct Table {
        std::shared_ptr<const ods::Workbook> source;
        std::size_t sheetIndex = 0;
        std::string name;                ///< FILE, and ":sheet" where the sheet must be told
        std::string file;                ///< FILE alone
        std::optional<CellRange> range;  ///< without header rows; none: the table adds nothing
        std::vector<std::int32_t> place; ///< stack column of each range column; empty: its own
        std::string label;               ///< the --source text; empty without --source
        std::int32_t shift = 0;          ///< columns left of the table's own
        UsedArea used;                   ///< within the stack, counted from its first row
        std::int32_t top = 0;            ///< 0-based row of the stack where the range begins
        std::uint64_t textBytes = 0;     ///< of all the cell texts in the range, repeats counted
        const ods::Sheet& sheet() const { return source->sheets()[sheetIndex]; }
    };

private:
    std::vector<Table> tables_;
    bool values_ = false;
    UsedArea used_;
    std::vector<std::string> report_;
};

/// The whole run after the arguments: the checks, the tables read by `reader` into the plan,
/// OUTPUT written whole (a temporary file renamed into place) or the CSV on standardOutput, and
/// with --match-columns the column report.
void runStack(
    const Arguments& arguments, const SourceReader& reader, std::ostream& standardOutput,
    Progress& progress, const Checkpoint& checkpoint = [] {});

} // namespace gridwork::cli
