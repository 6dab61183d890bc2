#include "fake_office.h"
#include "join/range_copy.h"
#include "test_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace gridwork {
namespace {

using test::SheetData;
using Layout = std::vector<std::vector<std::string>>;

/// Marks a result cell that was never written.
const std::string untouched = "<untouched>";

/// The written part of a result sheet, row by row from row 1.
Layout layoutOf(const SheetData& sheet) {
    Layout rows;
    for (const auto& [column, row] : sheet.written) {
        if (rows.size() <= static_cast<std::size_t>(row)) {
            rows.resize(static_cast<std::size_t>(row) + 1);
        }
        auto& cells = rows[static_cast<std::size_t>(row)];
        if (cells.size() <= static_cast<std::size_t>(column)) {
            cells.resize(static_cast<std::size_t>(column) + 1, untouched);
        }
        const auto it = sheet.cells.find({column, row});
        cells[static_cast<std::size_t>(column)] = it == sheet.cells.end() ? "" : it->second;
    }
    return rows;
}

/// A sheet holding the rows from (firstColumn, firstRow), 1-based; "" leaves a cell empty.
SheetData sheetWith(const Layout& rows, std::int32_t firstColumn = 1, std::int32_t firstRow = 1) {
    SheetData sheet{"Sheet1", {}, {}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows[i].size(); ++j) {
            if (!rows[i][j].empty()) {
                sheet.cells[{firstColumn - 1 + static_cast<std::int32_t>(j),
                             firstRow - 1 + static_cast<std::int32_t>(i)}] = rows[i][j];
            }
        }
    }
    return sheet;
}

class RangeCopy : public ::testing::Test {
protected:
    /// Stacks the ranges (each of a file of that sheet) and gives the result's layout.
    Layout stack(const std::vector<std::pair<SheetData, CellRange>>& tables) {
        IntermediateFile file(folder.path());
        int number = 0;
        for (const auto& [sheet, range] : tables) {
            const std::string url = "file:///t" + std::to_string(++number) + ".ods";
            office.state.files[url] = {sheet};
            auto document = office.connect()->openDocument(url);
            AppendRangeLines(*document->sheetByIndex(0), range, file);
            document->close();
        }
        file.finishWriting();
        std::ifstream in(file.path(), std::ios::binary);
        std::ostringstream raw;
        raw << in.rdbuf();
        fileText = raw.str();
        auto result = office.connect()->newDocument();
        WriteResultRows(*result->sheetByIndex(0), file);
        return layoutOf(office.state.result());
    }

    test::TestFolder folder;
    test::FakeAutomation office;
    std::string fileText;
};

TEST_F(RangeCopy, WorkedExampleStacksTableTwoBelowTableOne) {
    const auto table1 = sheetWith({{"Name", "Qty"}, {"Apples", "5"}, {"Pears", "7"}});
    const auto table2 = sheetWith({{"x", "y", "z"}, {"x", "Plums", "2"}, {"x", "Figs", "9"}});
    const auto result = stack({{table1, {1, 3, 1, 2}}, {table2, {2, 3, 2, 3}}});

    EXPECT_EQ(result, (Layout{{"Name", "Qty", ""},
                              {"Apples", "5", ""},
                              {"Pears", "7", ""},
                              {"Plums", "2", ""},
                              {"Figs", "9", ""}}));
    EXPECT_EQ(fileText, "Name||MySeparator12||Qty||MySeparator12||\r\n"
                        "Apples||MySeparator12||5||MySeparator12||\r\n"
                        "Pears||MySeparator12||7||MySeparator12||\r\n"
                        "Plums||MySeparator12||2||MySeparator12||\r\n"
                        "Figs||MySeparator12||9||MySeparator12||\r\n");
    // The empty field after the last separator is really written: C1 to C5 were set.
    EXPECT_TRUE(office.state.result().written.contains({2, 4}));
}

TEST_F(RangeCopy, RangesOfDifferentWidthsAreNotPadded) {
    const auto narrow = sheetWith({{"a"}, {"b"}});
    const auto wide = sheetWith({{"1", "2", "3", "4"}});
    EXPECT_EQ(stack({{narrow, {1, 2, 1, 1}}, {wide, {1, 1, 1, 4}}}),
              (Layout{{"a", ""}, {"b", ""}, {"1", "2", "3", "4", ""}}));
}

TEST_F(RangeCopy, OneCellGivesOneLineWithOneSeparator) {
    EXPECT_EQ(stack({{sheetWith({{"only"}}, 3, 7), {7, 7, 3, 3}}}), (Layout{{"only", ""}}));
    EXPECT_EQ(fileText, "only||MySeparator12||\r\n");
}

TEST_F(RangeCopy, EmptyCellsAndEmptyRowsKeepTheirPlace) {
    const auto table = sheetWith({{"a", "", "c"}, {"", "", ""}, {"", "", "f"}, {"", "", ""}});
    EXPECT_EQ(stack({{table, {1, 4, 1, 3}}, {sheetWith({{"after"}}), {1, 1, 1, 1}}}),
              (Layout{{"a", "", "c", ""},
                      {"", "", "", ""},
                      {"", "", "f", ""},
                      {"", "", "", ""},
                      {"after", ""}}));
}

TEST_F(RangeCopy, AwkwardTextsArriveWholeInTheirOwnCells) {
    const Layout texts = {{"a||MySeparator12||b", "line\r\nbreak", "cr\rlf\n"},
                          {"||MySeparator12|", "\\p\\", "| |"},
                          {"Grüße 東京 🙂", "  blanks  ", "=1+1"}};
    auto expected = texts;
    for (auto& row : expected) {
        row.push_back("");
    }
    EXPECT_EQ(stack({{sheetWith(texts), {1, 3, 1, 3}}}), expected);
}

TEST_F(RangeCopy, HeaderRowsAreCopiedLikeAnyOtherRow) {
    const auto table1 = sheetWith({{"Name", "Qty"}, {"Apples", "5"}});
    const auto table2 = sheetWith({{"Name", "Qty"}, {"Figs", "9"}});
    EXPECT_EQ(
        stack({{table1, {1, 2, 1, 2}}, {table2, {1, 2, 1, 2}}}),
        (Layout{{"Name", "Qty", ""}, {"Apples", "5", ""}, {"Name", "Qty", ""}, {"Figs", "9", ""}}));
}

TEST_F(RangeCopy, BackwardRangesAddNoCellsAndEmptyLinesStillTakeTheirRow) {
    const auto table = sheetWith({{"a", "b"}, {"c", "d"}});
    // Last column left of the first: two empty lines, skipped but counted.
    EXPECT_EQ(stack({{table, {1, 2, 2, 1}}, {table, {2, 1, 1, 2}}, {table, {2, 2, 1, 2}}}),
              (Layout{{}, {}, {"c", "d", ""}}));
    EXPECT_EQ(fileText, "\r\n\r\nc||MySeparator12||d||MySeparator12||\r\n");
}

TEST_F(RangeCopy, PositionsOutsideTheSheetFailAsTheOfficeFails) {
    IntermediateFile file(folder.path());
    office.state.files["file:///a.ods"] = {sheetWith({{"a"}})};
    auto sheet = office.connect()->openDocument("file:///a.ods")->sheetByIndex(0);
    EXPECT_THROW(AppendRangeLines(*sheet, {0, 1, 1, 1}, file), OfficeError);
    EXPECT_THROW(
        {
            try {
                AppendRangeLines(*sheet, {-2147483647 - 1, 1, 1, 1}, file);
            } catch (const std::overflow_error& e) {
                EXPECT_STREQ(e.what(),
                             "Overflow: the row position -2147483649 is outside the 32-bit range");
                throw;
            }
        },
        std::overflow_error);
}

TEST_F(RangeCopy, LargeRangesGoInBoundedBlocksAndMatchTheCellByCellPath) {
    constexpr std::int32_t rows = 300;
    constexpr std::int32_t columns = 1000;
    SheetData big{"Sheet1", {}, {}};
    for (std::int32_t r = 0; r < rows; r += 3) {
        for (std::int32_t c = 0; c < columns; c += 7) {
            big.cells[{c, r}] = std::to_string(r) + ":" + std::to_string(c);
        }
    }
    const auto blockResult = stack({{big, {1, rows, 1, columns}}});
    const auto readCalls = office.state.calls[test::Operation::RangeTexts];
    const auto writeCalls = office.state.calls[test::Operation::SetRangeTexts];
    EXPECT_EQ(readCalls, (rows * columns + CellsPerBlock - 1) / CellsPerBlock);
    EXPECT_GE(writeCalls, readCalls);
    EXPECT_EQ(office.state.calls[test::Operation::CellText], 0);

    test::FakeAutomation perCell;
    perCell.state.blockCalls = false;
    perCell.state.files["file:///big.ods"] = {big};
    IntermediateFile file(folder.path());
    AppendRangeLines(*perCell.connect()->openDocument("file:///big.ods")->sheetByIndex(0),
                     {1, rows, 1, columns}, file);
    WriteResultRows(*perCell.connect()->newDocument()->sheetByIndex(0), file);
    EXPECT_EQ(perCell.state.calls[test::Operation::CellText], rows * columns);
    EXPECT_EQ(layoutOf(perCell.state.result()), blockResult);
}

} // namespace
} // namespace gridwork
