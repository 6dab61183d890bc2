#pragma once

// The command line of gridstack: global options anywhere, table options right after their FILE.

#include "cli/cell_range.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace gridwork::cli {

/// A command line that cannot be understood; main prints it with the usage and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// --sheet: a 1-based number (all digits, saturating) or a sheet name (anything else).
using SheetChoice = std::variant<std::int64_t, std::string>;

/// One input table: a file, a sheet and an optional range on each axis (without one, the sheet's
/// used area decides).
struct TableSource {
    std::string path;
    std::optional<SheetChoice> sheet; ///< none: the first sheet
    std::optional<Span> rows;
    std::optional<Span> columns;
    bool allSheets = false; ///< every sheet of the file, each a table of its own
};

enum class OutputKind { Ods, Csv, StandardOutput };

struct Arguments {
    bool help = false;
    bool version = false;
    bool office = false;
    bool force = false;
    bool quiet = false;
    /// --header[=N]: rows of the first table that head the stack and are dropped from the others.
    std::int32_t headerRows = 0;
    bool matchColumns = false;
    /// --source[=NAME]: the header text of a first column naming each row's file (and sheet).
    std::optional<std::string> source;
    /// --values: value cells stay values with their formats in an .ods OUTPUT.
    bool values = false;
    std::string output;
    OutputKind outputKind = OutputKind::Ods;
    std::vector<TableSource> tables;
};

/// Parses argv without the program name. Throws UsageError; range bounds are only checked for
/// form here, their values belong to the file they are read from (see checkSpan).
Arguments parseArguments(std::span<const std::string_view> args);

/// The kind of output an OUTPUT name asks for: "-", *.ods or *.csv (letter case ignored).
OutputKind outputKindOf(std::string_view output);

/// Whether FILE is read as CSV: "-" (standard input) or a name ending in .csv.
bool isCsvInput(std::string_view path);
/// Whether FILE is a spreadsheet only the office reads (.xlsx, .xls and their kin).
bool isOfficeOnlyInput(std::string_view path);

/// The synopsis printed with every usage error.
std::string usageText();
/// The whole --help page.
std::string helpText();

} // namespace gridwork::cli
