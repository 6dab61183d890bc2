#include "cli/sheet_list.h"

#include "cli/arguments.h"
#include "join/calc_automation.h"
#include "ods/ods_automation.h"
#include "ods/zip_package.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace gridwork::cli {

namespace {

/// The sheets a stack reads from the file: a CSV file is one sheet named after the file, as the
/// office names it.
std::vector<std::string> sheetNames(const std::string& path) {
    if (!isCsvInput(path))
        return spreadsheetSheetNames(path);
    if (path == "-")
        return {"Sheet1"};
    ods::requireFile(path);
    if (!std::ifstream(path))
        throw OfficeError("cannot read " + path + ": " + std::strerror(errno));
    return {std::filesystem::path(path).stem().string()};
}

} // namespace

int listSheets(const std::string& path, std::ostream& out) {
    try {
        for (const std::string& name : sheetNames(path))
            out << name << '\n';
        out.flush();
        return out ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "gridstack: " << e.what() << '\n';
        return 1;
    }
}

} // namespace gridwork::cli
