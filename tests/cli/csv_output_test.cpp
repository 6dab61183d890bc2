#include "ods/csv.h"

#include <gtest/gtest.h>
#include <sstream>

namespace ods {
namespace {

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(csvField("plain text"), "plain text");
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("  blanks kept  "), "  blanks kept  ");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField("cr\rlf\r\n"), "\"cr\rlf\r\n\"");
    EXPECT_EQ(csvField("\""), "\"\"\"\"");
    EXPECT_EQ(csvField("Grüße, 東京"), "\"Grüße, 東京\"");
}

TEST(CsvWriter, PadsRowsAndEndsLinesWithCrLf) {
    std::ostringstream out;
    CsvWriter csv(out, 3);
    csv.writeRow({"Name", "Qty", "Note"});
    csv.writeRow({"Apples", "5"});
    csv.writeRow({});
    csv.writeRow({"a,b", "\"q\"", "x\ny"});
    EXPECT_EQ(out.str(), "Name,Qty,Note\r\nApples,5,\r\n,,\r\n\"a,b\",\"\"\"q\"\"\",\"x\ny\"\r\n");
    EXPECT_THROW(csv.writeRow({"1", "2", "3", "4"}), std::logic_error);
}

TEST(CsvWriter, KeepsEmptyRowsOfASingleColumn) {
    std::ostringstream out;
    CsvWriter csv(out, 1);
    csv.writeRow({"a"});
    csv.writeRow({""});
    csv.writeRow({});
    EXPECT_EQ(out.str(), "a\r\n\"\"\r\n\"\"\r\n");
}

} // namespace
} // namespace ods
