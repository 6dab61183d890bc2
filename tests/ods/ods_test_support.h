#pragma once

// Helpers of the engine's tests: private folders, hand-made packages and the office's CSV.

#include "ods/workbook.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ods::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const noexcept { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

using Entries = std::vector<std::pair<std::string, std::string>>;

/// Writes a zip package with these entries, in this order, all compressed.
void writeZip(const std::string& path, const Entries& entries);
/// A spreadsheet package: mimetype, manifest and this content.xml (and styles.xml if given).
void writeOds(const std::string& path, const std::string& content, const std::string& styles = {});
/// content.xml with the usual namespaces around a body of table:table elements.
std::string contentXml(const std::string& tables);
/// Reads a document whose content.xml holds these tables.
Workbook readTables(const std::string& tables);

std::string readFile(const std::string& path);
/// Whether the engine named the cell as one the office recalculates on opening.
bool isRecalculated(const Sheet& sheet, std::size_t column, std::size_t row);
/// Parses CSV as the office writes it (comma, double quotes, LF between records).
std::vector<std::vector<std::string>> parseCsv(const std::string& text);

/// The office's program, or nothing when no office is installed.
std::optional<std::string> officeProgram();
/// Converts a document into one CSV per sheet in `folder` with the shown cell texts; gives the
/// office's exit status.
int convertToCsv(const std::string& document, const std::filesystem::path& folder,
                 const std::filesystem::path& profile);

} // namespace ods::test
