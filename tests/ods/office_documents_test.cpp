// Documents the office made from the sources in tests/data/ods/sources, compared cell by cell
// with the texts the office showed for them (tests/data/ods/remake rebuilds both).

#include "ods/reader.h"
#include "ods_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ods {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(GRIDWORK_SOURCE_DIR) / "tests" / "data" / "ods";

void expectSheetsAsShown(const std::string& document, std::size_t sheetCount) {
    const Workbook book = readWorkbook((kData / (document + ".ods")).string());
    ASSERT_EQ(book.sheets().size(), sheetCount);
    for (const Sheet& sheet : book.sheets()) {
        const fs::path csv = kData / "shown" / (document + "-" + sheet.name() + ".csv");
        ASSERT_TRUE(fs::exists(csv)) << csv;
        auto shown = test::parseCsv(test::readFile(csv.string()));
        // The office writes a line for an empty sheet; it holds no text.
        const Extent extent = sheet.extent();
        std::size_t rows = 0;
        std::size_t columns = 0;
        for (std::size_t r = 0; r < shown.size(); ++r) {
            for (std::size_t c = 0; c < shown[r].size(); ++c) {
                EXPECT_EQ(sheet.text(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)),
                          shown[r][c])
                    << document << " / " << sheet.name() << " row " << r + 1 << " column " << c + 1;
                if (!shown[r][c].empty()) {
                    rows = std::max(rows, r + 1);
                    columns = std::max(columns, c + 1);
                }
            }
        }
        EXPECT_EQ(static_cast<std::size_t>(extent.rows), rows) << sheet.name();
        EXPECT_EQ(static_cast<std::size_t>(extent.columns), columns) << sheet.name();
    }
}

TEST(OfficeDocuments, NumbersCurrenciesDatesTimesBooleansAndFormulas) {
    expectSheetsAsShown("formats", 1);
}

TEST(OfficeDocuments, MergedRepeatedHiddenGroupedCommentedAndNonAsciiCells) {
    expectSheetsAsShown("layout", 3);
    const Workbook book = readWorkbook((kData / "layout.ods").string());
    const Sheet& layout = book.sheets().at(0);
    // The office keeps the million trailing empty rows as one repeat; so must the reader.
    EXPECT_LE(layout.rows().size(), 20u);
    EXPECT_EQ(book.sheets().at(2).name(), "Übersicht 3");
}

} // namespace
} // namespace ods
