#include "cli/engine_stack.h"
#include "cli/interruption.h"
#include "cli/office_source.h"
#include "fake_office.h"
#include "test_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace gridwork::cli {
namespace {

namespace fs = std::filesystem;
using testing::FakeBook;
using testing::FakeOffice;

class StackingTest : public ::testing::Test {
protected:
    /// A real file (so the checks find it) that the fake office opens as the given book.
    std::string addFile(const std::string& name, FakeBook book) {
        const fs::path path = folder_ / name;
        std::ofstream(path) << "stand-in";
        office_.state.files[path.string()] = std::move(book);
        return path.string();
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    /// Runs gridstack on the fake office; gives what it wrote to standard output.
    std::string run(std::vector<std::string> args) {
        const std::vector<std::string_view> views(args.begin(), args.end());
        const Arguments arguments = parseArguments(views);
        std::ostringstream out;
        std::ostringstream err;
        Progress progress(err, false);
        runStack(arguments, officeSourceReader(office_), out, progress);
        return out.str();
    }
    std::string errorOf(std::vector<std::string> args) {
        try {
            run(std::move(args));
        } catch (const StackError& e) {
            return e.what();
        }
        return "no error";
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    const gridwork::cli::testing::TestFolder scratch_{"gridstack-stacking"};
    const fs::path folder_ = scratch_.path();
    FakeOffice office_;
};

FakeBook oneSheet(CellRows cells) {
    return FakeBook{{{"Sheet1", std::move(cells)}}};
}

TEST_F(StackingTest, LaysTablesOutAsTheWindowsJoinDoes) {
    const auto a = addFile("a.ods", oneSheet({{"Name", "Qty"}, {"Apples", "5"}, {"Pears", "7"}}));
    const auto b = addFile(
        "b.ods",
        oneSheet(
            {{"h1", "h2", "h3"}, {"", "Plums", "2"}, {"", "Figs", "9"}, {"", "not", "asked"}}));
    EXPECT_EQ(run({"-o", "-", a, "--rows", "1:3", "--columns", "1:2", b, "--rows", "2:3",
                   "--columns", "B:C"}),
              "Name,Qty\r\nApples,5\r\nPears,7\r\nPlums,2\r\nFigs,9\r\n");
    EXPECT_EQ(office_.state.openDocuments, 0);
    EXPECT_EQ(office_.state.closedDocuments, 2);
}

TEST_F(StackingTest, UsedAreaByDefaultAndEmptySheetsAddNothing) {
    const auto a = addFile("a.ods", oneSheet({{"a1", "", ""}, {"", "", "c2"}, {}, {"", ""}}));
    const auto empty = addFile("empty.ods", oneSheet({{"", ""}, {}}));
    const auto c = addFile("c.ods", oneSheet({{"x", "y,z"}}));
    EXPECT_EQ(run({"-o", "-", a, empty, c}), "a1,,\r\n,,c2\r\nx,\"y,z\",\r\n");
    // An explicit row range on an empty sheet still has no columns to give.
    EXPECT_EQ(run({"-o", "-", c, empty, "--rows", "1:5"}), "x,\"y,z\"\r\n");
}

TEST_F(StackingTest, ExplicitRangesKeepEmptyRowsInPlace) {
    const auto a = addFile("a.ods", oneSheet({{"1", "2"}, {}, {"3", "4"}}));
    EXPECT_EQ(run({"-o", "-", a, "--rows", "1:3", a, "--rows", "1:1", "--columns", "2:2"}),
              "1,2\r\n,\r\n3,4\r\n2,\r\n");
    EXPECT_EQ(run({"-o", "-", a, "--columns", "B:B"}), "2\r\n\"\"\r\n4\r\n");
}

TEST_F(StackingTest, ChoosesSheetsByNumberAndByName) {
    const auto a =
        addFile("a.ods", FakeBook{{{"Data", {{"d"}}}, {"Totals", {{"t"}}}, {"2024", {{"y"}}}}});
    EXPECT_EQ(run({"-o", "-", a, a, "--sheet", "2", a, "--sheet", "Totals", a, "--sheet", "3"}),
              "d\r\nt\r\nt\r\ny\r\n");
    EXPECT_EQ(errorOf({"-o", "-", a, "--sheet", "4"}),
              a + ": no such sheet 4 (the file has 3 sheets)");
    EXPECT_EQ(errorOf({"-o", "-", a, "--sheet", "totals"}),
              a + ": no such sheet \"totals\" (its sheets: \"Data\", \"Totals\", \"2024\")");
    EXPECT_EQ(errorOf({"-o", "-", a, "--sheet", "0"}),
              a + ": no such sheet 0 (sheets are counted from 1)");
    EXPECT_EQ(office_.state.openDocuments, 0);
}

TEST_F(StackingTest, StoresWhatTheOfficeReadAsTheEngineWritesIt) {
    const auto a = addFile("a.ods", oneSheet({{"x", "y"}}));
    const auto b = addFile("b.ods", oneSheet({{"z"}}));
    run({"-o", path("out.ods"), a, b});
    EXPECT_TRUE(office_.state.created.empty());
    std::ostringstream out;
    Progress none(out, false);
    const std::string stored = path("out.ods");
    const std::vector<std::string_view> args{"-o", "-", stored};
    runStack(parseArguments(args), engineSourceReader(false), out, none);
    EXPECT_EQ(out.str(), "x,y\r\nz,\r\n");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"a.ods", "b.ods", "out.ods"}));
    EXPECT_EQ(office_.state.openDocuments, 0);
}

TEST_F(StackingTest, TheStackMustFitOneSheet) {
    const auto a = addFile("a.ods", oneSheet({{"x"}}));
    // The second table takes its used area, so its rows are only known once it is open.
    EXPECT_EQ(errorOf({"-o", "-", a, "--rows", "1:1048576", a}),
              a + ": the stack would reach row 1,048,577, beyond the last row of a sheet "
                  "(1,048,576)");
    EXPECT_EQ(office_.state.openDocuments, 0);
}

TEST_F(StackingTest, AStackOfAbsurdlyManyCellsIsRefusedBeforeCopying) {
    const auto a = addFile("a.ods", oneSheet({{"x"}}));
    EXPECT_EQ(
        errorOf({"-o", "-", a, "--rows", "1:2", a, "--rows", "1:3052", "--columns", "1:16384"}),
        a + ": the stack would hold 50,003,968 cells, more than gridstack takes "
            "(50,000,000); give --rows and --columns");
    EXPECT_EQ(office_.state.openDocuments, 0);
}

TEST_F(StackingTest, AStoppedRunLeavesNothingBehind) {
    const fs::path temp = folder_ / "temp";
    fs::create_directory(temp);
    ::setenv("TEMP", temp.c_str(), 1);
    const auto a = addFile("a.ods", oneSheet({{"1"}, {"2"}}));
    for (int stopAt = 1; stopAt <= 4; ++stopAt) {
        int calls = 0;
        std::ostringstream err;
        std::ostringstream out;
        Progress progress(err, false);
        const std::vector<std::string_view> args{"-o", "stopped.ods", "--force", a, a};
        EXPECT_THROW(runStack(parseArguments(args), officeSourceReader(office_), out, progress,
                              [&] {
                                  if (++calls == stopAt)
                                      throw Interrupted(SIGINT);
                              }),
                     Interrupted)
            << stopAt;
        EXPECT_EQ(office_.state.openDocuments, 0) << stopAt;
        EXPECT_TRUE(fs::is_empty(temp)) << stopAt;
        EXPECT_EQ(folderEntries(), (std::vector<std::string>{"a.ods", "temp"})) << stopAt;
    }
    ::unsetenv("TEMP");
}

TEST_F(StackingTest, ReportsProgressOfReading) {
    const auto a = addFile("a.ods", oneSheet({{"1"}, {"2"}, {"3"}}));
    std::chrono::steady_clock::time_point now{};
    std::ostringstream err;
    std::ostringstream out;
    {
        // Every look at the clock finds a second gone, so every step draws.
        Progress progress(err, true, [&] { return now += std::chrono::seconds(1); });
        const std::vector<std::string_view> args{"-o", "-", a, a};
        runStack(parseArguments(args), officeSourceReader(office_), out, progress);
    }
    const std::string drawn = err.str();
    EXPECT_NE(drawn.find("reading table 2 of 2"), std::string::npos) << drawn;
    EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\x1b[K");
    EXPECT_EQ(out.str(), "1\r\n2\r\n3\r\n1\r\n2\r\n3\r\n");
}

} // namespace
} // namespace gridwork::cli
