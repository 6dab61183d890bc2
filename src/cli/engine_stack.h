#pragma once

// The stack done by the embedded engine on its own sheet model. The layout is the window's join
// (each range from column A, every table right below the one before, every cell as text), but
// the rows go straight from the sources into the result: no intermediate file, no result
// document filled cell by cell. Files are read side by side on the machine's cores.

#include "cli/arguments.h"
#include "cli/progress.h"
#include "cli/stacking.h"
#include "ods/workbook.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

namespace gridwork::cli {

/// The most text a stack may show, all its cells together, repeats counted: a few hundred bytes
/// of XML can repeat a long cell into terabytes of output, which are refused before anything is
/// written. Named in --help.
inline constexpr std::uint64_t maxStackTextBytes = 4ull << 30;

/// The tables of a run, read and checked, each with its place in the stack. The sources stay as
/// they were read; the stack is only put together when it is written.
class Stack {
public:
    /// Reads the tables' files (as many at once as there are cores), chooses their sheets and
    /// ranges and checks that the stack fits one sheet. Throws StackError naming the file; the
    /// first fault in table order is the one told.
    Stack(const std::vector<TableSource>& tables, Progress& progress, const Checkpoint& checkpoint);

    /// Last used column and row of the stack, 1-based, counting non-empty cells only.
    UsedArea usedArea() const noexcept { return used_; }
    /// The stack as a document of one sheet, "Sheet1", every cell a text.
    ods::Workbook workbook() const;
    /// The stack's used area as CSV from A1. False when the stream failed.
    bool writeCsv(std::ostream& out, Progress& progress, const Checkpoint& checkpoint) const;

    /// One table of the stack, as read from its file.
    struct Table {
        ods::Workbook source;
        std::size_t sheetIndex = 0;
        std::optional<CellRange> range; ///< none: the table adds nothing
        UsedArea used;                  ///< within the range, counted from its first cell
        std::int32_t top = 0;           ///< 0-based row of the stack where the range begins
        std::uint64_t textBytes = 0;    ///< of all the cell texts in the range, repeats counted
        const ods::Sheet& sheet() const { return source.sheets()[sheetIndex]; }
    };

private:
    std::vector<Table> tables_;
    std::int32_t rows_ = 0;
    UsedArea used_;
};

/// The whole run after the arguments with the engine: the checks, messages and OUTPUT of
/// runStack, the same cell texts.
void runEngineStack(
    const Arguments& arguments, std::ostream& standardOutput, Progress& progress,
    const Checkpoint& checkpoint = [] {});

} // namespace gridwork::cli
