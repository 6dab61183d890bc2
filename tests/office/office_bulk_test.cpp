// Block reads and writes give exactly what cell-by-cell reads and writes give.

#include "office_fixture.h"

#include <gtest/gtest.h>

namespace gridwork::test {
namespace {

struct Closing {
    std::unique_ptr<Document> document;
    ~Closing() {
        try {
            document->close();
        } catch (const OfficeError&) {
            // Already closed by the test.
        }
    }
    Document* operator->() const { return document.get(); }
};

// Runs with both ways of reading blocks: the one the sheet chooses (cell by cell for small
// blocks) and always through the sheet export.
class BothReadPaths : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        auto options = testOfficeOptions();
        options.alwaysExportBlocks = GetParam();
        automation_ = std::make_unique<UnoAutomation>(options);
        desktop_ = automation_->connect();
    }
    Desktop& desktop() { return *desktop_; }

private:
    std::unique_ptr<UnoAutomation> automation_;
    std::unique_ptr<Desktop> desktop_;
};

class OfficeBulkRead : public BothReadPaths {};
class OfficeBulkWrite : public BothReadPaths {};

std::string pathName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "AlwaysExport" : "Chosen";
}

CellRows cellByCell(Sheet& sheet, std::int32_t firstColumn, std::int32_t firstRow,
                    std::int32_t lastColumn, std::int32_t lastRow) {
    CellRows rows;
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        auto& row = rows.emplace_back();
        for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
            row.push_back(sheet.cellText(c, r));
        }
    }
    return rows;
}

void expectSameRows(const CellRows& actual, const CellRows& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t r = 0; r < actual.size(); ++r) {
        EXPECT_EQ(actual[r], expected[r]) << "row " << r;
    }
}

TEST_P(OfficeBulkRead, SameTextsAsCellByCell) {
    const Closing document{desktop().openDocument(fileUrl(officeTestData("shown_texts.ods")))};
    const auto data = document->sheetByIndex(0);
    // Beyond the used area and the formatted empty cell too.
    expectSameRows(data->rangeTexts(0, 0, 5, 31), cellByCell(*data, 0, 0, 5, 31));
    expectSameRows(data->rangeTexts(1, 3, 1, 19), cellByCell(*data, 1, 3, 1, 19));
    // A sheet other than the first, and an empty one.
    const auto second = document->sheetByIndex(1);
    expectSameRows(second->rangeTexts(1, 1, 2, 2), CellRows{{"", ""}, {"", "x"}});
    const auto layout = document->sheetByName("Layout");
    expectSameRows(layout->rangeTexts(0, 0, 4, 5), cellByCell(*layout, 0, 0, 4, 5));
    expectSameRows(layout->rangeTexts(0, 0, 9, 9), cellByCell(*layout, 0, 0, 9, 9));
    expectSameRows(layout->rangeTexts(2, 1, 3, 1),
                   CellRows{{"in a hidden column", "123,456,789.00"}});
    const auto empty = document->sheetByName("Empty");
    expectSameRows(empty->rangeTexts(0, 0, 1, 1), CellRows{{"", ""}, {"", ""}});
}

TEST_P(OfficeBulkRead, EmptyAndInvalidRectangles) {
    const Closing document{desktop().newDocument()};
    const auto sheet = document->sheetByIndex(0);
    EXPECT_EQ(sheet->rangeTexts(0, 0, 1, 0), (CellRows{{"", ""}})) << "an empty sheet";
    // The export covers the sheet from A1 even when the first rows and columns are empty.
    sheet->setCellText(3, 4, "alone");
    EXPECT_EQ(sheet->rangeTexts(2, 3, 3, 4), (CellRows{{"", ""}, {"", "alone"}}));
    const auto wide = sheet->rangeTexts(0, 0, 9, 9);
    ASSERT_EQ(wide.size(), 10U);
    EXPECT_EQ(wide[4], (std::vector<std::string>{"", "", "", "alone", "", "", "", "", "", ""}));
    EXPECT_EQ(wide[3], std::vector<std::string>(10));
    EXPECT_TRUE(sheet->rangeTexts(0, 5, 0, 4).empty());
    EXPECT_EQ(sheet->rangeTexts(3, 0, 2, 1), CellRows(2));
    EXPECT_THROW(sheet->rangeTexts(-1, 0, 2, 2), OfficeError);
    EXPECT_THROW(sheet->rangeTexts(0, -1, 2, 2), OfficeError);
    EXPECT_THROW(sheet->rangeTexts(0, 0, 16384, 2), OfficeError);
    EXPECT_THROW(sheet->rangeTexts(-1, 0, 100, 100), OfficeError) << "a large block";
    EXPECT_THROW(sheet->rangeTexts(0, 1048570, 100, 1048576), OfficeError) << "a large block";
}

TEST_P(OfficeBulkWrite, SameCellsAsCellByCell) {
    const Closing document{desktop().newDocument()};
    const auto sheet = document->sheetByIndex(0);
    const CellRows rows{
        {"=1+1", "123", "TRUE", "2024-03-15"},
        {"12.5%", "  blanks  ", "line\nbreak", "\"q\",c"},
        {"Grüße ☃ 😀", "0012"},
        {},
        {"", "after an empty text"},
        {"a", "b", "c", "d"},
        {"tab\tinside", "cr\rinside", "crlf\r\ninside", "  "},
    };
    // Cells that the short rows do not reach keep what they hold.
    sheet->setCellText(4, 3, "kept");
    sheet->setCellText(3, 4, "kept too");
    sheet->setRangeTexts(1, 1, rows);
    const auto back = sheet->rangeTexts(1, 1, 4, 7);
    EXPECT_EQ(back[0], (std::vector<std::string>{"=1+1", "123", "TRUE", "2024-03-15"}));
    EXPECT_EQ(back[1], (std::vector<std::string>{"12.5%", "  blanks  ", "line\nbreak", "\"q\",c"}));
    EXPECT_EQ(back[2], (std::vector<std::string>{"Grüße ☃ 😀", "0012", "", "kept"}));
    EXPECT_EQ(back[3], (std::vector<std::string>{"", "", "kept too", ""}));
    EXPECT_EQ(back[4], (std::vector<std::string>{"", "after an empty text", "", ""}));
    EXPECT_EQ(back[5], (std::vector<std::string>{"a", "b", "c", "d"}));
    expectSameRows(back, cellByCell(*sheet, 1, 1, 4, 7));
    // Large enough to be read through the sheet export rather than cell by cell.
    const auto wide = sheet->rangeTexts(0, 0, 9, 9);
    expectSameRows(wide, cellByCell(*sheet, 0, 0, 9, 9));
    EXPECT_EQ(wide[2][2], "  blanks  ");
    EXPECT_EQ(wide[7][1], "tab\tinside");
    EXPECT_EQ(back[6][0], "tab\tinside");
    EXPECT_EQ(sheet->usedArea().rows, 8);
}

TEST_P(OfficeBulkWrite, LargeBlocksRoundTrip) {
    const Closing document{desktop().newDocument()};
    const auto sheet = document->sheetByIndex(0);
    CellRows rows;
    for (int r = 0; r < 3000; ++r) {
        auto& row = rows.emplace_back();
        for (int c = 0; c < 10; ++c) {
            row.push_back(r % 7 == 0 ? "" : "r" + std::to_string(r) + ",c" + std::to_string(c));
        }
    }
    sheet->setRangeTexts(0, 0, rows);
    expectSameRows(sheet->rangeTexts(0, 0, 9, 2999), rows);
    EXPECT_EQ(sheet->cellText(9, 2999), "r2999,c9");
}

TEST(OfficeBulkWriteLimits, PositionsOutsideTheSheetFail) {
    const Closing document{testDesktop().newDocument()};
    const auto sheet = document->sheetByIndex(0);
    EXPECT_THROW(sheet->setRangeTexts(-1, 0, CellRows{{"x"}}), OfficeError);
    EXPECT_THROW(sheet->setRangeTexts(0, -1, CellRows{{"x"}}), OfficeError);
    EXPECT_THROW(sheet->setRangeTexts(16383, 0, CellRows{{"x", "y"}}), OfficeError);
    EXPECT_THROW(sheet->setRangeTexts(0, 2147483647, CellRows{{"x"}, {"y"}}), OfficeError);
}

INSTANTIATE_TEST_SUITE_P(ReadPaths, OfficeBulkRead, ::testing::Bool(), pathName);
INSTANTIATE_TEST_SUITE_P(ReadPaths, OfficeBulkWrite, ::testing::Bool(), pathName);

} // namespace
} // namespace gridwork::test
