#pragma once

// The office operations over the embedded engine: documents are .ods files read into memory,
// edited there and stored by the engine's writer. No office is needed.

#include "join/calc_automation.h"
#include "ods/workbook.h"

#include <functional>
#include <string>
#include <vector>

namespace gridwork {

class OdsAutomation : public CalcAutomation {
public:
    /// Always succeeds: the engine is part of the program.
    std::unique_ptr<Desktop> connect() override;
};

/// Reads the document at path as the office opens it: shown in the locale of the user's
/// environment, an empty file or a package without tables as one empty sheet. Throws OfficeError
/// ("cannot read PATH: ..."), or ods::Stopped once `stop` (asked every few dozen kilobytes) says
/// so. With keepValues, value cells keep their values and data styles.
ods::Workbook readSpreadsheet(const std::string& path, bool keepValues = false,
                              const std::function<bool()>& stop = {});
/// The names of the sheets readSpreadsheet gives, in document order, without reading their cells.
std::vector<std::string> spreadsheetSheetNames(const std::string& path);

} // namespace gridwork
