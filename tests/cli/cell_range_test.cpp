#include "cli/cell_range.h"

#include <gtest/gtest.h>

namespace gridwork::cli {
namespace {

TEST(ColumnNames, LettersAndNumbersConvertBothWays) {
    EXPECT_EQ(columnNumber("A"), 1);
    EXPECT_EQ(columnNumber("z"), 26);
    EXPECT_EQ(columnNumber("AA"), 27);
    EXPECT_EQ(columnNumber("xfd"), 16384);
    EXPECT_EQ(columnNumber("ZZZZZZZZZZZZZZZZZZZZ"), std::numeric_limits<std::int64_t>::max());
    for (const std::int64_t n : {1, 26, 27, 52, 53, 702, 703, 16384})
        EXPECT_EQ(columnNumber(columnName(n)), n) << n;
    EXPECT_EQ(columnName(16384), "XFD");
}

TEST(ParseSpan, ReadsNumbersAndLetters) {
    const Span rows = parseSpan("2:40", Axis::Rows);
    EXPECT_EQ(rows.first, 2);
    EXPECT_EQ(rows.last, 40);
    EXPECT_EQ(rows.text, "2:40");
    const Span columns = parseSpan("b:D", Axis::Columns);
    EXPECT_EQ(columns.first, 2);
    EXPECT_EQ(columns.last, 4);
    const Span mixed = parseSpan("C:10", Axis::Columns);
    EXPECT_EQ(mixed.first, 3);
    EXPECT_EQ(mixed.last, 10);
    EXPECT_EQ(parseSpan("99999999999999999999999:1", Axis::Rows).first,
              std::numeric_limits<std::int64_t>::max());
}

TEST(ParseSpan, RefusesWhatIsNoRange) {
    for (const char* text : {"", "5", ":", "1:", ":3", "a:b", "1:2:3", "-1:3", "1 :3", "1.5:2"}) {
        try {
            parseSpan(text, Axis::Rows);
            ADD_FAILURE() << text;
        } catch (const RangeSyntaxError& e) {
            EXPECT_EQ(std::string(e.what()), "\"" + std::string(text) +
                                                 "\" is not a range; expected row numbers such "
                                                 "as 2:40");
        }
    }
    EXPECT_THROW(parseSpan("A1:B2", Axis::Columns), RangeSyntaxError);
    EXPECT_THROW(parseSpan("Ä:B", Axis::Columns), RangeSyntaxError);
}

TEST(CheckSpan, AcceptsTheWholeSheetAndNoMore) {
    EXPECT_NO_THROW(checkSpan(parseSpan("1:1048576", Axis::Rows), Axis::Rows));
    EXPECT_NO_THROW(checkSpan(parseSpan("A:XFD", Axis::Columns), Axis::Columns));
    EXPECT_NO_THROW(checkSpan(parseSpan("7:7", Axis::Rows), Axis::Rows));

    const auto message = [](const char* text, Axis axis) {
        try {
            checkSpan(parseSpan(text, axis), axis);
        } catch (const RangeValueError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("0:5", Axis::Rows), "rows 0:5 lie outside the sheet (rows 1 to 1,048,576)");
    EXPECT_EQ(message("1:1048577", Axis::Rows),
              "rows 1:1048577 lie outside the sheet (rows 1 to 1,048,576)");
    EXPECT_EQ(message("A:XFE", Axis::Columns),
              "columns A:XFE lie outside the sheet (columns A to XFD)");
    EXPECT_EQ(message("5:3", Axis::Rows), "rows 5:3: From is greater than To");
    EXPECT_EQ(message("D:B", Axis::Columns), "columns D:B: From is greater than To");
}

} // namespace
} // namespace gridwork::cli
