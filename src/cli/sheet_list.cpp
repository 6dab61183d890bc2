#include "cli/sheet_list.h"

#include "ods/reader.h"

#include <iostream>
#include <limits>

namespace gridwork::cli {

int listSheets(const std::string& path, std::ostream& out) {
    // Asking for a sheet past any document's last one gives every sheet by its name alone: no
    // cell is kept, so completion stays quick on large files.
    ods::ReadOptions options;
    options.onlySheet = std::numeric_limits<std::size_t>::max();
    try {
        const ods::Workbook workbook = ods::readWorkbook(path, options);
        for (const ods::Sheet& sheet : workbook.sheets())
            out << sheet.name() << '\n';
        out.flush();
        return out ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "gridstack: " << e.what() << '\n';
        return 1;
    }
}

} // namespace gridwork::cli
