#include "ods/csv.h"
#include "ods/error.h"

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

std::vector<std::vector<std::string>> readAll(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    readCsv(text, [&rows](std::vector<std::string>& fields) { rows.push_back(fields); });
    return rows;
}

TEST(ReadCsv, TakesEveryFieldAsTheTextItIs) {
    using Rows = std::vector<std::vector<std::string>>;
    // A quote opens a quoted field only at its start; after the closing quote text goes on.
    EXPECT_EQ(readAll("5\" screen,\"a \"\"b\"\"\" c,x\r\n"),
              (Rows{{"5\" screen", "a \"b\" c", "x"}}));
    EXPECT_EQ(readAll("lone\rcr,\"two\r\nlines\"\n\n"), (Rows{{"lone\rcr", "two\r\nlines"}, {""}}));
    EXPECT_EQ(readAll("\xEF\xBB\xBFlast,,"), (Rows{{"last", "", ""}}));
}

TEST(ReadCsvWorkbook, NamesTheFirstLineThatIsNotUtf8) {
    const Workbook read = readCsvWorkbook("a,b\n\n\"x\ny\",,z\n", "data");
    ASSERT_EQ(read.sheets().size(), 1u);
    EXPECT_EQ(read.sheets()[0].name(), "data");
    EXPECT_EQ(read.sheets()[0].text(0, 2), "x\ny");
    EXPECT_EQ(read.sheets()[0].text(2, 2), "z");
    EXPECT_EQ(read.sheets()[0].extent().rows, 3);
    for (const auto& [text, line] : {std::pair{"ok\nZo\xEB\n", 2},
                                     {"\xC3\x28", 1},
                                     {"a\n\n\xED\xA0\x80", 3},
                                     {"a\n\xF4\x90\x80\x80", 2}}) {
        try {
            readCsvWorkbook(text, "data");
            ADD_FAILURE() << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), "line " + std::to_string(line) +
                                    " is not UTF-8 text (save the file as CSV in UTF-8)");
        }
    }
}

TEST(ReadCsvWorkbook, AsksToStopAsItReads) {
    // One record of 1 MB: the question comes every 64 KB of it.
    const std::string text = std::string(1u << 20, 'x') + ",y\n";
    int asked = 0;
    EXPECT_THROW(readCsvWorkbook(text, "data", [&asked] { return ++asked == 3; }), Stopped);
    EXPECT_EQ(asked, 3);
}

// Records the largest piece written at once: what the writer held in memory.
class LargestWrite : public std::stringbuf {
public:
    std::streamsize largest = 0;

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        largest = std::max(largest, count);
        return std::stringbuf::xsputn(text, count);
    }
};

TEST(CsvWriter, WideRowsOfLongTextsGoOutInBoundedPieces) {
    const std::string text(10000, 'x');
    for (const std::size_t width : {1u, 10u, 1000u}) {
        const std::vector<std::string_view> row(width, text);
        std::string line;
        for (std::size_t i = 0; i < width; ++i)
            line += (i > 0 ? "," : "") + text;
        line += "\r\n";
        LargestWrite sink;
        std::ostream out(&sink);
        CsvWriter csv(out, width);
        csv.writeRow(row, 3);
        EXPECT_EQ(sink.str(), line + line + line) << width;
        EXPECT_LE(sink.largest, std::streamsize{(1 << 16) + 10002}) << width;
    }
}

} // namespace
} // namespace ods
