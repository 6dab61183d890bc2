// The engine's own reading against the office's run through the same engine: whatever the
// layout, the files and the output kind, both give the same cells.

#include "cli/engine_stack.h"
#include "cli/interruption.h"
#include "cli/office_source.h"
#include "ods/ods_automation.h"
#include "ods/writer.h"
#include "test_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace gridwork::cli {
namespace {

namespace fs = std::filesystem;

const std::string data = GRIDSTACK_DATA_DIR;
const std::string people = data + "/people.ods";
const std::string orders = data + "/orders.ods";

class EngineStackTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    static Arguments parsed(const std::vector<std::string>& args) {
        const std::vector<std::string_view> views(args.begin(), args.end());
        return parseArguments(views);
    }
    /// What the engine's stack writes to standard output.
    static std::string direct(const std::vector<std::string>& args) {
        std::ostringstream out;
        Progress none(out, false);
        runStack(parsed(args), engineSourceReader(false), out, none);
        return out.str();
    }
    /// What the office's reading, run through the engine, writes to standard output.
    static std::string readByOffice(const std::vector<std::string>& args) {
        std::ostringstream out;
        Progress none(out, false);
        OdsAutomation engine;
        runStack(parsed(args), officeSourceReader(engine), out, none);
        return out.str();
    }
    static std::string errorOf(const std::vector<std::string>& args) {
        try {
            direct(args);
        } catch (const StackError& e) {
            return e.what();
        }
        return "no error";
    }

    /// Both ways give the same CSV, and the same cells when stored as a spreadsheet.
    void expectSameAsTheOffice(std::vector<std::string> tables) const {
        std::vector<std::string> args{"-o", "-"};
        args.insert(args.end(), tables.begin(), tables.end());
        const std::string csv = direct(args);
        EXPECT_EQ(csv, readByOffice(args)) << tables.front();

        args[1] = path("direct.ods");
        direct(args);
        args[1] = path("office.ods");
        readByOffice(args);
        const ods::Workbook stored = readSpreadsheet(path("direct.ods"));
        ASSERT_EQ(stored.sheets().size(), 1u);
        EXPECT_EQ(stored.sheets()[0].name(), "Sheet1");
        EXPECT_EQ(direct({"-o", "-", path("direct.ods")}), csv) << tables.front();
        EXPECT_EQ(direct({"-o", "-", path("office.ods")}), csv);
        fs::remove(path("direct.ods"));
        fs::remove(path("office.ods"));
    }

    const gridwork::cli::testing::TestFolder scratch_{"gridstack-engine"};
    const fs::path folder_ = scratch_.path();
};

TEST_F(EngineStackTest, GivesTheOfficesCellsForEveryLayout) {
    expectSameAsTheOffice({people, orders});
    expectSameAsTheOffice({people, "--sheet", "Totals", "--rows", "2:3", orders, "--sheet", "1",
                           "--rows", "3:4", "--columns", "B:C", people, "--columns", "3:4",
                           "--rows", "1:2"});
    expectSameAsTheOffice({orders, "--rows", "3:6", "--columns", "A:B", orders, "--sheet", "Empty",
                           orders, "--rows", "1:1", "--columns", "C:C"});
    expectSameAsTheOffice(
        {orders, "--rows", "1:1", "--columns", "A:XFD", people, "--rows", "4:40"});
    expectSameAsTheOffice({orders, "--sheet", "Empty", orders, "--sheet", "Empty"});
    EXPECT_EQ(direct({"-o", "-", orders, "--sheet", "Empty"}), "");
}

TEST_F(EngineStackTest, GivesTheOfficesCellsOnRealDocuments) {
    const fs::path corpus = fs::path(GRIDWORK_CORPUS_DIR) / "files";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    int stacked = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        const std::string file = entry.path().string();
        try {
            // The used area, and a window into it that cuts through repeated rows and cells.
            expectSameAsTheOffice({file, file, "--rows", "2:30", "--columns", "B:F"});
            ++stacked;
        } catch (const StackError& e) {
            // A file the engine refuses is refused alike by both ways.
            EXPECT_THROW(readByOffice({"-o", "-", file}), StackError) << e.what();
        }
    }
    EXPECT_GT(stacked, 40);
}

TEST_F(EngineStackTest, CutsRepeatedRowsAndCellsAtTheRangesEdges) {
    ods::Workbook book;
    ods::Sheet& sheet = book.sheets().emplace_back("S");
    sheet.appendRow(ods::RowRun{1, 4, {ods::CellRun{0, 1, "a"}, ods::CellRun{2, 5, "r"}}});
    sheet.appendRow(ods::RowRun{9, 1, {ods::CellRun{3, 1, "far"}}});
    sheet.appendRow(ods::RowRun{10, 1000, {ods::CellRun{1, 1, "below"}}});
    const std::string file = path("runs.ods");
    ods::writeWorkbook(book, file);
    const std::vector<std::string> args{"-o",  "-",  file,     "--rows", "1:1",       "--columns",
                                        "A:A", file, "--rows", "3:10",   "--columns", "B:E"};
    EXPECT_EQ(direct(args), ",,,\r\n,r,r,r\r\n,r,r,r\r\n,r,r,r\r\n,,,\r\n,,,\r\n,,,\r\n"
                            ",,,\r\n,,far,\r\n");
    EXPECT_EQ(direct(args), readByOffice(args));
    expectSameAsTheOffice({file, file, "--rows", "5:1000", "--columns", "B:C", file});
}

TEST_F(EngineStackTest, ReportsTheFirstFaultInTableOrder) {
    const std::string notes = path("notes.txt");
    std::ofstream(notes) << "hello";
    // Files are read side by side; whichever is done first, the first table's fault is the one
    // told.
    for (int round = 0; round < 20; ++round) {
        EXPECT_EQ(errorOf({"-o", "-", orders, "--sheet", "Nine", notes}),
                  orders + ": no such sheet \"Nine\" (its sheets: \"Orders\", \"Empty\")");
        EXPECT_EQ(errorOf({"-o", "-", orders, notes, people}),
                  notes + ": not a spreadsheet (it is no OpenDocument file (not a zip package))");
        EXPECT_EQ(errorOf({"-o", "-", people, "--sheet", "3", orders}),
                  people + ": no such sheet 3 (the file has 2 sheets)");
    }
    EXPECT_EQ(errorOf({"-o", "-", orders, "--rows", "1:1048576", orders}),
              orders + ": the stack would reach row 1,048,580, beyond the last row of a sheet "
                       "(1,048,576)");
    EXPECT_EQ(errorOf({"-o", "-", orders, "--rows", "1:2", orders, "--rows", "1:3052", "--columns",
                       "1:16384"}),
              orders + ": the stack would hold 50,003,974 cells, more than gridstack takes "
                       "(50,000,000); give --rows and --columns");
    // Many sheets are named by a few; a damaged part by its name, once.
    ods::Workbook many;
    for (int i = 0; i < 12; ++i)
        many.sheets().emplace_back(std::string(100, 'x') + std::to_string(i));
    const std::string sheets = path("sheets.ods");
    ods::writeWorkbook(many, sheets);
    const std::string name = "\"" + std::string(60, 'x') + "...\"";
    EXPECT_EQ(errorOf({"-o", "-", sheets, "--sheet", "Nine"}),
              sheets + ": no such sheet \"Nine\" (its sheets: " + name + ", " + name + ", " + name +
                  ", " + name + ", " + name + " and 7 more)");
    ods::Workbook longCell;
    longCell.sheets().emplace_back("S").appendRow(
        ods::RowRun{2, 1, {ods::CellRun{1, 1, std::string(ods::kMaxCellText + 1, ' ')}}});
    const std::string tooLong = path("long.ods");
    ods::writeWorkbook(longCell, tooLong);
    EXPECT_EQ(errorOf({"-o", "-", tooLong}),
              tooLong + ": cannot read: cell B3 of sheet \"S\" holds more than 33554432 "
                        "characters, more than gridstack reads from a cell");
    // A few kilobytes that show 4.8 GB of text: 80,000 cells of 60,000 blanks.
    ods::Workbook wide;
    wide.sheets().emplace_back("S").appendRow(
        ods::RowRun{0, 2000, {ods::CellRun{0, 40, std::string(60000, ' ')}}});
    const std::string bomb = path("bomb.ods");
    ods::writeWorkbook(wide, bomb);
    EXPECT_EQ(errorOf({"-o", path("bomb.csv"), orders, bomb}),
              bomb + ": the stack's cells would show more than 4 GB of text, more than "
                     "gridstack writes");
    EXPECT_FALSE(fs::exists(path("bomb.csv")));
}

TEST_F(EngineStackTest, AStoppedRunLeavesNothingBehind) {
    for (const std::string output : {"stopped.ods", "stopped.csv"}) {
        for (int stopAt = 1; stopAt <= 4; ++stopAt) {
            int calls = 0;
            std::ostringstream out;
            Progress none(out, false);
            const Arguments arguments = parsed({"-o", path(output), people, orders});
            EXPECT_THROW(runStack(arguments, engineSourceReader(false), out, none,
                                  [&] {
                                      if (++calls == stopAt)
                                          throw Interrupted(SIGINT);
                                  }),
                         Interrupted)
                << output << " " << stopAt;
            EXPECT_TRUE(fs::is_empty(folder_)) << output << " " << stopAt;
        }
    }
}

} // namespace
} // namespace gridwork::cli
