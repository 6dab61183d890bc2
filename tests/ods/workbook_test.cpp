#include "ods/workbook.h"

#include <gtest/gtest.h>

namespace ods {
namespace {

Sheet repeatedBlock() {
    Sheet sheet("S");
    sheet.appendRow(RowRun{2, 4, {CellRun{1, 3, "x"}, CellRun{5, 1, "y"}}});
    return sheet;
}

TEST(SheetCells, RunsAnswerForEveryPositionTheyCover) {
    const Sheet sheet = repeatedBlock();
    EXPECT_EQ(sheet.text(1, 2), "x");
    EXPECT_EQ(sheet.text(3, 5), "x");
    EXPECT_EQ(sheet.text(4, 3), "");
    EXPECT_EQ(sheet.text(5, 5), "y");
    EXPECT_EQ(sheet.text(1, 6), "");
    EXPECT_EQ(sheet.text(0, 2), "");
    EXPECT_EQ(sheet.extent().columns, 6);
    EXPECT_EQ(sheet.extent().rows, 6);
}

TEST(SheetCells, WritingInsideARunChangesOnlyThatCell) {
    Sheet sheet = repeatedBlock();
    sheet.setText(2, 3, "new");
    EXPECT_EQ(sheet.text(2, 3), "new");
    EXPECT_EQ(sheet.text(1, 3), "x");
    EXPECT_EQ(sheet.text(3, 3), "x");
    EXPECT_EQ(sheet.text(2, 2), "x");
    EXPECT_EQ(sheet.text(2, 4), "x");
    EXPECT_EQ(sheet.text(5, 3), "y");
    EXPECT_EQ(sheet.rows().size(), 3u);
}

TEST(SheetCells, EmptyTextEmptiesTheCellAndDropsEmptyRows) {
    Sheet sheet("S");
    sheet.setText(0, 0, "a");
    sheet.setText(3, 0, "b");
    sheet.setText(0, 0, "");
    EXPECT_EQ(sheet.text(0, 0), "");
    EXPECT_EQ(sheet.extent().columns, 4);
    sheet.setText(3, 0, "");
    EXPECT_TRUE(sheet.rows().empty());
    EXPECT_EQ(sheet.extent().rows, 0);
    sheet.setText(7, 9, "");
    EXPECT_TRUE(sheet.rows().empty());
}

TEST(SheetCells, WritesInAnyOrderKeepRowsAndCellsSorted) {
    Sheet sheet("S");
    sheet.setText(5, 5, "c");
    sheet.setText(1, 1, "a");
    sheet.setText(9, 1, "b");
    sheet.setText(4, 1, "m");
    sheet.setText(1, 3, "d");
    ASSERT_EQ(sheet.rows().size(), 3u);
    EXPECT_EQ(sheet.rows()[0].row, 1);
    EXPECT_EQ(sheet.rows()[1].row, 3);
    ASSERT_EQ(sheet.rows()[0].cells.size(), 3u);
    EXPECT_EQ(sheet.rows()[0].cells[1].text, "m");
    EXPECT_EQ(sheet.text(9, 1), "b");
    EXPECT_EQ(sheet.extent().columns, 10);
}

TEST(SheetCells, TheLastPositionOfTheSheetHoldsText) {
    Sheet sheet("S");
    sheet.setText(kMaxColumns - 1, kMaxRows - 1, "corner");
    EXPECT_EQ(sheet.text(kMaxColumns - 1, kMaxRows - 1), "corner");
    EXPECT_EQ(sheet.extent().columns, kMaxColumns);
    EXPECT_EQ(sheet.extent().rows, kMaxRows);
}

} // namespace
} // namespace ods
