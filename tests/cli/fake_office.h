#pragma once

// The shared office in memory (tests/support/fake_office.h), with books written as sheets of
// texts for the stacking tests: a run's layout, its sheet choice and its closing of documents
// can be checked without files in any spreadsheet format.

#include "../support/fake_office.h"

#include <string>
#include <utility>
#include <vector>

namespace gridwork::cli::testing {

/// A book as named sheets of rows; it stands for the file whose path it is registered under.
struct FakeBook {
    std::vector<std::pair<std::string, CellRows>> sheets;

    operator std::vector<test::SheetData>() const {
        std::vector<test::SheetData> book;
        for (const auto& [name, rows] : sheets) {
            auto& sheet = book.emplace_back(test::SheetData{name, {}, {}});
            for (std::size_t r = 0; r < rows.size(); ++r) {
                for (std::size_t c = 0; c < rows[r].size(); ++c) {
                    if (!rows[r][c].empty()) {
                        sheet.cells[{static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)}] =
                            rows[r][c];
                    }
                }
            }
        }
        return book;
    }
};

using FakeOffice = test::FakeAutomation;

} // namespace gridwork::cli::testing
