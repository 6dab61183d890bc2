#include "office/csv_rows.h"

#include <gtest/gtest.h>

namespace gridwork {
namespace {

TEST(ParseCsvRows, FieldsQuotesAndLineEnds) {
    EXPECT_EQ(parseCsvRows(""), CellRows{});
    EXPECT_EQ(parseCsvRows("a,b\nc,d\n"), (CellRows{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(parseCsvRows("a,b\r\nc,d"), (CellRows{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(parseCsvRows("\"a,b\",\"say \"\"hi\"\"\"\n"), (CellRows{{"a,b", "say \"hi\""}}));
    EXPECT_EQ(parseCsvRows("\"line\nbreak\",\"cr\r\nlf\"\nnext\n"),
              (CellRows{{"line\nbreak", "cr\r\nlf"}, {"next"}}));
    EXPECT_EQ(parseCsvRows(",\n\n,x,\n"), (CellRows{{"", ""}, {""}, {"", "x", ""}}));
    EXPECT_EQ(parseCsvRows("  blanks  ,\"\"\n"), (CellRows{{"  blanks  ", ""}}));
    EXPECT_EQ(parseCsvRows("\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
                           "e\n"),
              (CellRows{{"Grüße"}}));
    EXPECT_EQ(parseCsvRows("\"unterminated\n"), (CellRows{{"unterminated\n"}}));
}

TEST(CutRectangle, PadsWhatTheRowsDoNotReach) {
    const CellRows rows{{"a", "b", "c"}, {"d"}, {"e", "f"}};
    EXPECT_EQ(cutRectangle(rows, 1, 0, 2, 1), (CellRows{{"b", "c"}, {"", ""}}));
    EXPECT_EQ(cutRectangle(rows, 0, 2, 3, 4),
              (CellRows{{"e", "f", "", ""}, {"", "", "", ""}, {"", "", "", ""}}));
    EXPECT_EQ(cutRectangle(rows, 0, 1, 0, 0), CellRows{});
}

} // namespace
} // namespace gridwork
