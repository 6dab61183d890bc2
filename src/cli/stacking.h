#pragma once

// What every gridstack run shares, whoever reads its tables: the checks of the inputs before any
// is read, the limits of one stack, and the stack written where the arguments say.

#include "cli/arguments.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "join/calc_automation.h"
#include "join/range_copy.h"

#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gridwork::cli {

/// The most cells one stack may hold: fifty times the largest stack we measure, and still far
/// below what would exhaust the temporary folder or the memory of an ordinary machine.
inline constexpr std::int64_t maxStackCells = 50'000'000;

/// A fault of one input or of OUTPUT; what() starts with the file's name: "a.ods: no such file".
class StackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Called between the steps of a run (between blocks of cells, before and after each file); it
/// stops the run by throwing.
using Checkpoint = std::function<void()>;

/// What can be known of the inputs without an office: range values, that every FILE is a
/// readable file, a sheet number of 0, and that OUTPUT is none of the inputs.
/// Throws StackError.
void checkInputs(const Arguments& arguments);

/// The range a table contributes: explicit bounds as given (checked by checkInputs), missing ones
/// from the sheet's used area. Nothing when the range is empty (an empty sheet without a range).
std::optional<CellRange> tableRange(const TableSource& table, const UsedArea& used);

/// The 0-based index of the sheet a table names, by number (1-based) or by name, among `count`
/// sheets whose names `nameAt` gives. Throws StackError naming the file and the sheets there are.
std::int32_t chosenSheetIndex(const TableSource& table, std::int32_t count,
                              const std::function<std::string(std::int32_t)>& nameAt);

/// The fault of a file that cannot be read as a spreadsheet, from the reader's own message about
/// it (which names the file again, as `absolute`; the user's spelling is kept instead).
StackError unreadableTable(const std::string& path, const std::string& absolute,
                           std::string_view detail);

/// Refuses a stack that would reach beyond a sheet's last row (`rows` in all, so far).
void checkStackHeight(const std::string& path, std::int64_t rows);
/// Refuses a stack of more than maxStackCells cells (`cells` in all, so far).
void checkStackCells(const std::string& path, std::int64_t cells);

/// How a finished stack leaves the program, whoever put it together.
struct StackOutput {
    std::int64_t rows = 0; ///< used rows, for the progress
    /// Stores the stack as a spreadsheet at path; throws OfficeError.
    std::function<void(const std::string& path)> store;
    /// Writes the stack's used area as CSV; false when the stream failed.
    std::function<bool(std::ostream& out, Progress& progress, const Checkpoint& checkpoint)>
        writeCsv;
};

/// Writes the stack where the arguments say: into OUTPUT's temporary file (committed by the
/// caller) or onto standardOutput. Throws StackError naming what could not be written.
void writeStack(const Arguments& arguments, const OutputFile* output, const StackOutput& stack,
                std::ostream& standardOutput, Progress& progress, const Checkpoint& checkpoint);

} // namespace gridwork::cli
