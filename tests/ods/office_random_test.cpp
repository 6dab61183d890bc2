// Randomly built documents, saved by the real office, read by the engine and compared cell by
// cell with the office's own shown texts. The seed is fixed unless GRIDWORK_RANDOM_SEED is set,
// so a failure can be repeated. Skipped where no office is installed.

#include "ods/office_locale.h"
#include "ods/reader.h"
#include "ods_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace ods {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHead =
    R"(<?xml version="1.0" encoding="UTF-8"?>)"
    R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0")"
    R"( xmlns:dc="http://purl.org/dc/elements/1.1/" office:version="1.3")"
    R"( office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:styles>)"
    R"(<number:number-style style:name="N2"><number:number number:decimal-places="2")"
    R"( number:min-decimal-places="2" number:min-integer-digits="1"/></number:number-style>)"
    R"(<number:number-style style:name="N4"><number:number number:decimal-places="0")"
    R"( number:min-integer-digits="1" number:grouping="true"/></number:number-style>)"
    R"(<number:percentage-style style:name="N10"><number:number number:decimal-places="1")"
    R"( number:min-decimal-places="1" number:min-integer-digits="1"/><number:text>%</number:text>)"
    R"(</number:percentage-style><number:date-style style:name="N37"><number:year)"
    R"( number:style="long"/><number:text>-</number:text><number:month number:style="long"/>)"
    R"(<number:text>-</number:text><number:day number:style="long"/></number:date-style>)"
    R"(</office:styles><office:automatic-styles>)"
    R"(<style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>)"
    R"(<style:style style:name="ce4" style:family="table-cell" style:data-style-name="N4"/>)"
    R"(<style:style style:name="ce10" style:family="table-cell" style:data-style-name="N10"/>)"
    R"(<style:style style:name="ce37" style:family="table-cell" style:data-style-name="N37"/>)"
    R"(</office:automatic-styles><office:body><office:spreadsheet>)";

class RandomDocument {
public:
    explicit RandomDocument(unsigned seed) : random_(seed) {}

    std::string build() {
        std::string xml(kHead);
        for (int sheet = 0; sheet < 2; ++sheet) {
            xml += "<table:table table:name=\"Random " + std::to_string(sheet + 1) + "\">";
            xml += "<table:table-column table:number-columns-repeated=\"3\"/>"
                   "<table:table-column table:default-cell-style-name=\"ce2\"/>"
                   "<table:table-column table:number-columns-repeated=\"6\"/>";
            for (int row = 0; row < 40; ++row) {
                xml += rowXml();
            }
            xml += "</table:table>";
        }
        return xml + "</office:spreadsheet></office:body></office:document>";
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    std::string text() {
        static const std::vector<std::string> pieces{"a",
                                                     "Wort",
                                                     " ",
                                                     "<text:s text:c=\"3\"/>",
                                                     "<text:s/>",
                                                     "ä€日",
                                                     "&amp;",
                                                     "<text:span>sp</text:span>",
                                                     "</text:p><text:p>",
                                                     "1,5",
                                                     "x y",
                                                     "&lt;"};
        std::string out;
        for (int i = 1 + pick(5); i > 0; --i) {
            out += pieces[static_cast<std::size_t>(pick(static_cast<int>(pieces.size())))];
        }
        return out;
    }

    std::string number() {
        static const std::vector<std::string> values{"0",       "1",     "-1",  "0.5",    "12.25",
                                                     "1234567", "-3.75", "100", "2.5E-3", "42"};
        return values[static_cast<std::size_t>(pick(static_cast<int>(values.size())))];
    }

    std::string cellXml() {
        const std::string repeat =
            pick(6) == 0 ? " table:number-columns-repeated=\"" + std::to_string(2 + pick(3)) + "\""
                         : std::string();
        switch (pick(9)) {
        case 0:
            return "<table:table-cell" + repeat + "/>";
        case 1:
        case 2:
            return "<table:table-cell" + repeat + " office:value-type=\"string\"><text:p>" +
                   text() + "</text:p></table:table-cell>";
        case 3:
            return "<table:table-cell" + repeat + " office:value-type=\"float\" office:value=\"" +
                   number() + "\"><text:p>stale</text:p></table:table-cell>";
        case 4: {
            static const std::vector<std::string> styles{"ce2", "ce4", "ce10"};
            const std::string& style =
                styles[static_cast<std::size_t>(pick(static_cast<int>(styles.size())))];
            const std::string type = style == "ce10" ? "percentage" : "float";
            return "<table:table-cell" + repeat + " table:style-name=\"" + style +
                   "\" office:value-type=\"" + type + "\" office:value=\"" + number() +
                   "\"><text:p>stale</text:p></table:table-cell>";
        }
        case 5:
            return "<table:table-cell table:style-name=\"ce37\" office:value-type=\"date\""
                   " office:date-value=\"20" +
                   std::to_string(10 + pick(20)) + "-0" + std::to_string(1 + pick(9)) + "-1" +
                   std::to_string(pick(9)) + "\"><text:p>stale</text:p></table:table-cell>";
        case 6:
            return "<table:table-cell office:value-type=\"string\"><office:annotation><text:p>"
                   "note</text:p></office:annotation><text:p>" +
                   text() + "</text:p></table:table-cell>";
        case 7:
            return "<table:covered-table-cell office:value-type=\"string\"><text:p>" + text() +
                   "</text:p></table:covered-table-cell>";
        default:
            return "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"" +
                   std::string(pick(2) == 0 ? "true" : "false") +
                   "\"><text:p>stale</text:p></table:table-cell>";
        }
    }

    std::string rowXml() {
        std::string xml = "<table:table-row";
        if (pick(8) == 0) {
            xml += " table:number-rows-repeated=\"" + std::to_string(2 + pick(3)) + "\"";
        }
        if (pick(10) == 0) {
            xml += " table:visibility=\"collapse\"";
        }
        xml += '>';
        for (int cell = 0, cells = 1 + pick(8); cell < cells; ++cell) {
            xml += cellXml();
        }
        return xml + "</table:table-row>";
    }

    std::mt19937 random_;
};

TEST(OfficeRandom, TheEngineShowsWhatTheOfficeShowsForRandomDocuments) {
    if (!test::officeProgram()) {
        GTEST_SKIP() << "no office installed";
    }
    const char* seedText = std::getenv("GRIDWORK_RANDOM_SEED");
    const unsigned seed = seedText != nullptr ? static_cast<unsigned>(std::atoi(seedText)) : 7u;
    const test::TempDir dir;
    const fs::path source = dir.path() / "random.fods";
    std::ofstream(source) << RandomDocument(seed).build();
    const fs::path profile = dir.path() / "profile";
    ASSERT_EQ(test::convertToCsv(source.string(), dir.path() / "csv", profile), 0);
    const std::string command = "TMPDIR='" + profile.string() + "' '" + *test::officeProgram() +
                                "' -env:UserInstallation=file://" + profile.string() +
                                " --headless --convert-to ods --outdir '" + dir.path().string() +
                                "' '" + source.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    // The office started here shows the document in the environment's locale, and so does the
    // engine when told so, as gridstack tells it.
    ReadOptions options;
    options.officeLocale = environmentLocale();
    const Workbook book = readWorkbook((dir.path() / "random.ods").string(), options);
    ASSERT_EQ(book.sheets().size(), 2u);
    std::size_t compared = 0;
    for (const Sheet& sheet : book.sheets()) {
        const fs::path csv = dir.path() / "csv" / ("random-" + sheet.name() + ".csv");
        ASSERT_TRUE(fs::exists(csv)) << csv;
        const auto shown = test::parseCsv(test::readFile(csv.string()));
        for (std::size_t r = 0; r < shown.size(); ++r) {
            for (std::size_t c = 0; c < shown[r].size(); ++c) {
                ++compared;
                EXPECT_EQ(sheet.text(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)),
                          shown[r][c])
                    << "seed " << seed << ", " << sheet.name() << " row " << r + 1 << " column "
                    << c + 1;
            }
        }
        EXPECT_EQ(static_cast<std::size_t>(sheet.extent().rows), shown.size()) << sheet.name();
    }
    EXPECT_GT(compared, 200u);
}

} // namespace
} // namespace ods
