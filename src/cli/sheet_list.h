#pragma once

// `gridstack --list-sheets FILE`: the sheet names of a file, one a line, for shell completion.
// Not on the --help page: people read the names in their office.

#include <ostream>
#include <string>

namespace gridwork::cli {

/// Prints the names of the sheets of the spreadsheet at path, in document order. Returns the exit
/// status: 0, or 1 after one line on standard error when the file cannot be read.
int listSheets(const std::string& path, std::ostream& out);

} // namespace gridwork::cli
