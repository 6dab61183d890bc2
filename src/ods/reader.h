#pragma once

// Reads .ods documents: the package, its styles and the shown text of every cell.

#include "ods/office_locale.h"
#include "ods/sheet_output.h"
#include "ods/workbook.h"
#include "ods/zip_package.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace ods {

struct ReadOptions {
    /// Reads the rows of this 0-based sheet only: the sheets before it come with their names
    /// alone, and reading stops after it.
    std::optional<std::size_t> onlySheet;
    /// Rows below this 0-based row are not needed; reading may stop once past it.
    std::int32_t lastRow = kMaxRows - 1;
    /// Most bytes an XML part may unpack to, and most times its compressed size.
    std::uint64_t maxXmlBytes = 1ull << 30;
    std::uint64_t maxRatio = 1000;
    /// The office's own locale, for values whose styles name no language.
    OfficeLocale officeLocale;
    /// Value cells keep their values, and the workbook the data styles they are shown with.
    bool keepValues = false;
    /// Asked every few dozen kilobytes of a part; true stops the read with Stopped.
    std::function<bool()> stop;
};

/// Reads the document at path; throws Error naming the file and the problem.
Workbook readWorkbook(const std::string& path, const ReadOptions& options = {});
/// Reads a flat XML spreadsheet (.fods: styles and content in one XML file) at path; throws
/// Error naming the file and the problem.
Workbook readFlatWorkbook(const std::string& path, const ReadOptions& options = {});
/// Reads a document held in memory; `label` names it in errors.
Workbook readWorkbook(std::span<const std::uint8_t> bytes, const std::string& label,
                      const ReadOptions& options = {});
/// Checks that the package is a readable spreadsheet and pushes its sheets into output.
void readPackage(const ZipPackage& package, SheetOutput& output, const ReadOptions& options);

} // namespace ods
