#include "fake_office.h"
#include "join/calc_automation.h"

#include <gtest/gtest.h>

namespace gridwork {
namespace {

struct UrlCase {
    std::string path;
    std::string url;
};

class FileUrlCases : public ::testing::TestWithParam<UrlCase> {};

TEST_P(FileUrlCases, PathGivesUrlAndUrlGivesPathBack) {
    const auto& [path, url] = GetParam();
    EXPECT_EQ(fileUrl(path), url);
    std::string slashed = path;
    if (!path.starts_with('/')) {
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
    }
    EXPECT_EQ(pathFromFileUrl(url), slashed);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileUrlCases,
    ::testing::Values(
        UrlCase{R"(C:\Data\a.ods)", "file:///C:/Data/a.ods"},
        UrlCase{R"(C:\Data\a b.ods)", "file:///C:/Data/a%20b.ods"},
        UrlCase{"C:/Data/a.ods", "file:///C:/Data/a.ods"},
        UrlCase{"/home/u/a b.ods", "file:///home/u/a%20b.ods"},
        UrlCase{"/home/u/a.ods", "file:///home/u/a.ods"},
        UrlCase{"/d/#1 100%?.ods", "file:///d/%231%20100%25%3F.ods"},
        UrlCase{"/d/Müller Œuvre.ods", "file:///d/M%C3%BCller%20%C5%92uvre.ods"},
        UrlCase{"/d/a:b;c=d(1)&e+f.ods", "file:///d/a%3Ab%3Bc%3Dd%281%29%26e%2Bf.ods"},
        UrlCase{R"(\\server\share\a.ods)", "file://///server/share/a.ods"},
        UrlCase{R"(\\server\share\a b#.ods)", "file://///server/share/a%20b%23.ods"},
        UrlCase{R"(D:\Ünïcode\tab	x.ods)", "file:///D:/%C3%9Cn%C3%AFcode/tab%09x.ods"},
        UrlCase{"/a~b_c-d.e", "file:///a~b_c-d.e"},
        UrlCase{R"(/home/u/a\b.ods)", "file:///home/u/a%5Cb.ods"},
        UrlCase{R"(/home/u/\\x\)", "file:///home/u/%5C%5Cx%5C"}));

TEST(FileUrl, RefusesPathsThatNameNoFileClearly) {
    const auto refused = [](const std::string& path) {
        try {
            fileUrl(path);
        } catch (const OfficeError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refused(""), "No file is named: the path is empty");
    EXPECT_EQ(refused("a.ods"),
              "\"a.ods\" is not a full path: give the file with its folder, from the top");
    EXPECT_EQ(refused("C:a.ods"),
              "\"C:a.ods\" is not a full path: give the file with its folder, from the top");
    EXPECT_EQ(refused("../x/a.ods"),
              "\"../x/a.ods\" is not a full path: give the file with its folder, from the top");
}

TEST(PathFromFileUrl, ReadsOtherSpellingsOfFileUrls) {
    EXPECT_EQ(pathFromFileUrl("FILE:///tmp/a%20b.ods"), "/tmp/a b.ods");
    EXPECT_EQ(pathFromFileUrl("file://localhost/tmp/a.ods"), "/tmp/a.ods");
    EXPECT_EQ(pathFromFileUrl("file://server/share/a.ods"), "//server/share/a.ods");
    EXPECT_EQ(pathFromFileUrl("file:///c:/x%c3%bc.ods"), "c:/xü.ods");
}

TEST(PathFromFileUrl, RefusesWhatIsNoFileUrl) {
    EXPECT_THROW(
        {
            try {
                pathFromFileUrl("http://example.com/a.ods");
            } catch (const OfficeError& e) {
                EXPECT_STREQ(e.what(), "\"http://example.com/a.ods\" is not a file URL");
                throw;
            }
        },
        OfficeError);
    EXPECT_THROW(
        {
            try {
                pathFromFileUrl("file:///a%2");
            } catch (const OfficeError& e) {
                EXPECT_STREQ(e.what(), "The file URL \"file:///a%2\" holds a '%' that is not "
                                       "followed by two hex digits");
                throw;
            }
        },
        OfficeError);
    EXPECT_THROW(pathFromFileUrl("file:///a%zz"), OfficeError);
}

// The default block calls are what an implementation without a faster way gets.
TEST(SheetBlockCalls, DefaultsGoCellByCellAndKeepTheRectangle) {
    test::FakeAutomation office;
    office.state.blockCalls = false;
    office.state.files["file:///a.ods"] = {
        test::SheetData{"S", {{{1, 1}, "b2"}, {{2, 2}, "c3"}}, {}}};
    auto document = office.connect()->openDocument("file:///a.ods");
    auto sheet = document->sheetByIndex(0);

    const CellRows rows = sheet->rangeTexts(1, 1, 2, 2);
    EXPECT_EQ(rows, (CellRows{{"b2", ""}, {"", "c3"}}));
    EXPECT_EQ(office.state.calls[test::Operation::CellText], 4);
    EXPECT_TRUE(sheet->rangeTexts(2, 1, 1, 2).empty());
    EXPECT_THROW(sheet->rangeTexts(-1, 0, 0, 0), OfficeError);

    auto result = office.connect()->newDocument();
    auto target = result->sheetByIndex(0);
    target->setRangeTexts(1, 2, {{"x", ""}, {}, {"y"}});
    const auto& written = office.state.result();
    EXPECT_EQ(written.written, (std::set<test::Position>{{1, 2}, {2, 2}, {1, 4}}));
    EXPECT_EQ(written.cells, (std::map<test::Position, std::string>{{{1, 2}, "x"}, {{1, 4}, "y"}}));
    EXPECT_EQ(office.state.calls[test::Operation::SetCellText], 3);
}

} // namespace
} // namespace gridwork
