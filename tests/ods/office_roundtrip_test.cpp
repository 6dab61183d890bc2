// Files written by the engine are opened by the real office, which must show exactly the texts
// written. Skipped where no office is installed.

#include "ods/reader.h"
#include "ods/writer.h"
#include "ods_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace ods {
namespace {

namespace fs = std::filesystem;

std::string randomText(std::mt19937& random) {
    static const std::vector<std::string> pieces{"a",   "Z", " ", "  ", "\t",   "\n", ",",
                                                 "\"",  "ä", "€", "日", "<",    "&",  "1",
                                                 "0.5", "-", "=", "'",  "TRUE", "x y"};
    std::uniform_int_distribution<std::size_t> count(1, 6);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string text;
    for (std::size_t i = count(random); i > 0; --i) {
        text += pieces[pick(random)];
    }
    return text;
}

TEST(OfficeRoundTrip, TheOfficeShowsExactlyTheTextsTheEngineWrote) {
    if (!test::officeProgram()) {
        GTEST_SKIP() << "no office installed";
    }
    const test::TempDir dir;
    Workbook book;
    book.sheets().emplace_back("Erste");
    book.sheets().emplace_back("Second sheet");
    std::mt19937 random(20241208);
    std::vector<std::tuple<std::size_t, std::int32_t, std::int32_t, std::string>> written;
    for (std::size_t s = 0; s < 2; ++s) {
        for (std::int32_t row = 0; row < 30; ++row) {
            for (std::int32_t column = 0; column < 6; ++column) {
                if ((row * 7 + column * 3) % 5 == 0) {
                    continue;
                }
                const std::string text = randomText(random);
                book.sheets()[s].setText(column, row * 2, text);
                written.emplace_back(s, column, row * 2, text);
            }
        }
    }
    book.sheets()[1].appendRow(RowRun{100, 3, {CellRun{1, 2, " run  of\tcells "}}});
    const std::string path = dir.file("written.ods");
    writeWorkbook(book, path);
    ASSERT_EQ(test::convertToCsv(path, dir.path() / "csv", dir.path() / "profile"), 0);

    std::vector<std::vector<std::vector<std::string>>> shown;
    for (const char* name : {"written-Erste.csv", "written-Second sheet.csv"}) {
        const fs::path csv = dir.path() / "csv" / name;
        ASSERT_TRUE(fs::exists(csv)) << csv;
        shown.push_back(test::parseCsv(test::readFile(csv.string())));
    }
    const auto shownText = [&](std::size_t s, std::int32_t column, std::int32_t row) {
        const auto& rows = shown[s];
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(column);
        return r < rows.size() && c < rows[r].size() ? rows[r][c] : std::string();
    };
    for (const auto& [s, column, row, text] : written) {
        EXPECT_EQ(shownText(s, column, row), text)
            << "sheet " << s << " column " << column << " row " << row;
    }
    for (std::int32_t row = 100; row < 103; ++row) {
        EXPECT_EQ(shownText(1, 2, row), " run  of\tcells ");
    }
    EXPECT_EQ(shown[1].size(), 103u);
}

} // namespace
} // namespace ods
