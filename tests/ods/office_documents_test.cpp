// Documents the office made from the sources in tests/data/ods/sources, compared cell by cell
// with the texts the office showed for them (tests/data/ods/remake rebuilds both), and documents
// as other writers make them (tests/data/foreign/make-documents), which the office only read.

#include "ods/reader.h"
#include "ods_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ods {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(GRIDWORK_SOURCE_DIR) / "tests" / "data" / "ods";
const fs::path kForeign = fs::path(GRIDWORK_SOURCE_DIR) / "tests" / "data" / "foreign";

// Every cell as the office shows it, apart from the cells the engine names as recalculated.
void expectSheetsAsShown(const std::string& document, std::size_t sheetCount,
                         const fs::path& folder = kData) {
    const Workbook book = readWorkbook((folder / (document + ".ods")).string());
    ASSERT_EQ(book.sheets().size(), sheetCount);
    for (const Sheet& sheet : book.sheets()) {
        const fs::path csv = folder / "shown" / (document + "-" + sheet.name() + ".csv");
        ASSERT_TRUE(fs::exists(csv)) << csv;
        auto shown = test::parseCsv(test::readFile(csv.string()));
        // The office writes a line for an empty sheet; it holds no text.
        const Extent extent = sheet.extent();
        std::size_t rows = 0;
        std::size_t columns = 0;
        for (std::size_t r = 0; r < shown.size(); ++r) {
            for (std::size_t c = 0; c < shown[r].size(); ++c) {
                if (!shown[r][c].empty()) {
                    rows = std::max(rows, r + 1);
                    columns = std::max(columns, c + 1);
                }
                if (test::isRecalculated(sheet, c, r))
                    continue;
                EXPECT_EQ(sheet.text(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)),
                          shown[r][c])
                    << document << " / " << sheet.name() << " row " << r + 1 << " column " << c + 1;
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

TEST(OfficeDocuments, ForeignTextsAndFormulaResults) {
    // A string value over paragraphs, texts set into text formats, edited texts kept as they are,
    // fields; a date field shows the day the office opens the document: named, not known.
    expectSheetsAsShown("texts", 1, kForeign);
    EXPECT_EQ(readWorkbook((kForeign / "texts.ods").string()).sheets().at(0).recalculated().size(),
              1u);
    // Formula cells whose format the office infers or whose result it does not take from the
    // file: the engine names them (ten) rather than showing a text it cannot know.
    expectSheetsAsShown("formulas", 1, kForeign);
    const Workbook book = readWorkbook((kForeign / "formulas.ods").string());
    const Sheet& formulas = book.sheets().at(0);
    std::size_t named = 0;
    for (const CellArea& area : formulas.recalculated())
        named += static_cast<std::size_t>(area.columns * area.rows);
    EXPECT_EQ(named, 10u);
    EXPECT_EQ(formulas.text(0, 1), "3 1/2");   // the writer showed the format the office infers
    EXPECT_EQ(formulas.text(5, 1), "2469134"); // an operator passes no format on
    // Values without a style: standard formats in declared columns, bare numbers beyond them.
    expectSheetsAsShown("values", 1, kForeign);
    expectSheetsAsShown("default-format", 1, kForeign);
    // General numbers, also under a text format, limited to 13 decimals as Gnumeric writes.
    expectSheetsAsShown("limited", 1, kForeign);
}

} // namespace
} // namespace ods
