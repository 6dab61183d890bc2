#pragma once

// The stack done by the embedded engine on its own sheet model. The layout is the window's join
// (each range from column A, every table right below the one before, every cell as text), but
// the rows go straight from the sources into the result: no intermediate file, no result
// document filled cell by cell. Files are read side by side on the machine's cores.

#include "cli/arguments.h"
#include "cli/progress.h"
#include "cli/stacking.h"
#include "ods/workbook.h"

#include <ostream>

namespace gridwork::cli {

/// Copies the range (1-based, as the join's) of `source` into `result` from column A, its first
/// row at the 0-based row `top`. Rows of `result` at or below `top` must still be empty.
void copyRange(const ods::Sheet& source, const CellRange& range, ods::Sheet& result,
               std::int32_t top);

/// The used area of the sheet as CSV from A1. False when the stream failed.
bool writeSheetCsv(const ods::Sheet& sheet, std::ostream& out, Progress& progress,
                   const Checkpoint& checkpoint);

/// The whole run after the arguments with the engine: the checks, messages and OUTPUT of
/// runStack, the same cell texts.
void runEngineStack(
    const Arguments& arguments, std::ostream& standardOutput, Progress& progress,
    const Checkpoint& checkpoint = [] {});

} // namespace gridwork::cli
