// The built gridstack, run as a user runs it, on spreadsheets the office made from the sources
// in tests/data/cli (see make-inputs there; shown-*.csv are the office's own texts of them).

#include "ods/reader.h"
#include "test_folder.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::string data = GRIDSTACK_DATA_DIR;
/// As standard output: a pipe whose reader has gone.
const fs::path closedPipe = "<closed pipe>";
const std::string people = data + "/people.ods";
const std::string orders = data + "/orders.ods";
/// Counts its serial days from 1904-01-01.
const std::string dates1904 = data + "/../format/dates-1904.fods";

const std::string peopleCsv =
    "Name,Born,Salary,Note,,\r\n"
    "Ada Lovelace,1815-12-10,\"1,234.50\",\"Says \"\"hi\"\", often\",,\r\n"
    "\"Grace, Hopper\",1906-12-09,\"98,765.43\",\"two\nlines\",,edge\r\n"
    "Zoë Çelik 東京,,0.00,,,\r\n"
    ",,,,,\r\n"
    "  padded  ,,7,last,,\r\n";

class GridstackTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& input : {people, orders})
            inputsBefore_[input] = contents(input);
    }
    void TearDown() override {
        for (const auto& [input, before] : inputsBefore_)
            EXPECT_EQ(contents(input), before) << input << " was written";
    }

    /// Runs gridstack in the test's folder; stdout and stderr go to files, so neither can block.
    Outcome run(const std::vector<std::string>& args,
                const std::vector<std::string>& environment = {},
                const fs::path& standardOutput = {}) const {
        return finish(start(args, environment, standardOutput), standardOutput);
    }

    /// Starts gridstack as run() does; finish() waits for it.
    pid_t start(const std::vector<std::string>& args,
                const std::vector<std::string>& environment = {},
                const fs::path& standardOutput = {}) const {
        const fs::path outPath = standardOutput.empty() ? folder_ / ".stdout" : standardOutput;
        const fs::path errPath = folder_ / ".stderr";
        const pid_t child = ::fork();
        if (child == 0) {
            int out = -1;
            if (standardOutput == closedPipe) {
                int ends[2];
                if (::pipe(ends) == 0 && ::close(ends[0]) == 0)
                    out = ends[1];
            } else {
                out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            }
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
                ::chdir(folder_.c_str()) != 0)
                ::_exit(127);
            for (const auto& assignment : environment)
                ::putenv(const_cast<char*>(assignment.c_str()));
            std::vector<char*> argv{const_cast<char*>(program_.c_str())};
            for (const auto& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(program_.c_str(), argv.data());
            ::_exit(127);
        }
        return child;
    }

    Outcome finish(pid_t child, const fs::path& standardOutput = {}) const {
        const fs::path outPath = standardOutput.empty() ? folder_ / ".stdout" : standardOutput;
        const fs::path errPath = folder_ / ".stderr";
        int status = 0;
        ::waitpid(child, &status, 0);
        Outcome outcome;
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.err = contents(errPath);
        fs::remove(errPath);
        if (standardOutput.empty()) {
            outcome.out = contents(outPath);
            fs::remove(outPath);
        }
        return outcome;
    }

    /// A failed run: exit status 1, nothing on stdout and the one line on stderr.
    void expectError(const std::vector<std::string>& args, const std::string& line) const {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 1) << line;
        EXPECT_EQ(outcome.out, "") << line;
        EXPECT_EQ(outcome.err, "gridstack: " + line + "\n");
    }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    const gridwork::cli::testing::TestFolder scratch_{"gridstack-cli"};
    const fs::path folder_ = scratch_.path();
    std::string program_ = GRIDSTACK_PATH;
    std::map<std::string, std::string> inputsBefore_;
};

TEST_F(GridstackTest, StacksUsedAreasOntoStandardOutput) {
    const Outcome outcome = run({"-o", "-", people, orders});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, peopleCsv + "Order,Item,Qty,,,\r\n1001,Apples,5,,,\r\n"
                                       "1002,Pears,7,,,\r\n1003,Plums,2,,,\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{});
}

TEST_F(GridstackTest, EveryTableOptionOnThreeInputs) {
    const Outcome outcome =
        run({"--quiet", "-o",   "-",         people, "--sheet", "Totals", "--rows",
             "2:3",     orders, "--sheet",   "1",    "--rows",  "3:4",    "--columns",
             "B:C",     people, "--columns", "3:4",  "--rows",  "1:2"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "North,12\r\nSouth,30\r\nPears,7\r\nPlums,2\r\nSalary,Note\r\n"
                           "\"1,234.50\",\"Says \"\"hi\"\", often\"\r\n");
}

TEST_F(GridstackTest, RangesBeyondTheDataAndEmptySheets) {
    // Rows 3 to 6 of Orders reach two rows past its data: they stay as empty rows, and an empty
    // sheet adds nothing.
    const Outcome outcome = run({"-o", "-", orders, "--rows", "3:6", "--columns", "A:B", orders,
                                 "--sheet", "Empty", orders, "--rows", "1:1", "--columns", "C:C"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "1002,Pears\r\n1003,Plums\r\n,\r\n,\r\nQty,\r\n");

    // A range up to the sheet's last column: the empty cell the layout sets right of each row
    // would lie beyond the sheet, and is left out.
    const Outcome wide = run({"-o", "-", orders, "--rows", "1:1", "--columns", "A:XFD"});
    EXPECT_EQ(wide.status, 0) << wide.err;
    EXPECT_EQ(wide.out, "Order,Item,Qty\r\n");
}

TEST_F(GridstackTest, WritesCsvAndSpreadsheetFiles) {
    ASSERT_EQ(run({"-o", "both.csv", people, orders, "--rows", "1:1"}).status, 0);
    EXPECT_EQ(contents(folder_ / "both.csv"), peopleCsv + "Order,Item,Qty,,,\r\n");

    const Outcome stored = run({"-o", "both.ods", people, orders, "--rows", "1:1"});
    EXPECT_EQ(stored.status, 0) << stored.err;
    EXPECT_EQ(stored.out, "");
    // Read back: every cell is the text it showed in its source.
    const Outcome readBack = run({"-o", "-", "both.ods"});
    EXPECT_EQ(readBack.out, peopleCsv + "Order,Item,Qty,,,\r\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"both.csv", "both.ods"}));
}

// The README's examples, run as written on the files of tests/data/cli, print what they say.
TEST_F(GridstackTest, ReadmeExamplesRunOnRealFiles) {
    const std::string readme = contents(data + "/../../../README.md");
    const std::string stacked =
        "Order,Item,Qty\r\n1001,Apples,5\r\n1002,Pears,7\r\n1003,Plums,2\r\n";
    const std::string matched = "Order,Item,Qty,Note\r\n1001,Apples,5,\r\n1002,Pears,7,\r\n"
                                "1003,Plums,2,\r\n2001,Kiwi,,\"ripe, soft\"\r\n2002,Fig,,\r\n";
    const std::string report = "gridstack: orders.ods: left empty \"Note\"\n"
                               "gridstack: more-orders.csv: added \"Note\"; left empty \"Qty\"\n";
    const struct {
        std::string line;
        std::string out;
        std::string err;
    } examples[] = {
        {"gridstack --header -o - orders.ods more-orders.csv",
         stacked + "Kiwi,2001,\"ripe, soft\"\r\nFig,2002,\r\n", ""},
        {"gridstack --header --match-columns -o - orders.ods more-orders.csv", matched, report},
        {"gridstack --header --match-columns --source=file -o - orders.ods more-orders.csv",
         "file,Order,Item,Qty,Note\r\norders.ods,1001,Apples,5,\r\norders.ods,1002,Pears,7,\r\n"
         "orders.ods,1003,Plums,2,\r\nmore-orders.csv,2001,Kiwi,,\"ripe, soft\"\r\n"
         "more-orders.csv,2002,Fig,,\r\n",
         report},
        {"gridstack --source -o - people.ods --all-sheets",
         "people.ods:Staff,Name,Born,Salary,Note,,\r\n"
         "people.ods:Staff,Ada Lovelace,1815-12-10,\"1,234.50\",\"Says \"\"hi\"\", often\",,\r\n"
         "people.ods:Staff,\"Grace, Hopper\",1906-12-09,\"98,765.43\",\"two\nlines\",,edge\r\n"
         "people.ods:Staff,Zoë Çelik 東京,,0.00,,,\r\n,,,,,,\r\n"
         "people.ods:Staff,  padded  ,,7,last,,\r\npeople.ods:Totals,Team,Count,,,,\r\n"
         "people.ods:Totals,North,12,,,,\r\npeople.ods:Totals,South,30,,,,\r\n",
         ""},
        {"gridstack --values -o kept.ods values.ods orders.ods && gridstack -o - kept.ods --rows "
         "3:4",
         "-1000.000,1.23E-04,2 1/2,-50.0%,$0.00,\"1.000.000,00 €\",30/12/1899,00:00:00,"
         "1999-12-31 23:59,FALSE,#DIV/0!,text\r\nOrder,Item,Qty,,,,,,,,,\r\n",
         ""},
        {"printf 'Order,Item,Qty\\n2001,Figs,4\\n' | gridstack --header=1 -o - orders.fods -",
         stacked + "2001,Figs,4\r\n", ""},
    };
    for (const auto& file : fs::directory_iterator(data))
        fs::copy_file(file.path(), folder_ / file.path().filename());
    program_ = "/bin/sh";
    const std::string path = "PATH=" + fs::path(GRIDSTACK_PATH).parent_path().string() + ":/bin";
    for (const auto& example : examples) {
        EXPECT_NE(readme.find("\n" + example.line + "\n"), std::string::npos) << example.line;
        const Outcome outcome = run({"-c", example.line}, {path});
        EXPECT_EQ(outcome.status, 0) << example.line;
        EXPECT_EQ(outcome.out, example.out) << example.line;
        EXPECT_EQ(outcome.err, example.err) << example.line;
    }
}

// How the stack options work together, on the test's own CSV files and the office-made ones.
TEST_F(GridstackTest, StackOptionsTogether) {
    std::ofstream(folder_ / "a.csv") << "Amount,Name, Amount ,\r\n1,x,2,p\r\n";
    std::ofstream(folder_ / "b.csv") << "\xEF\xBB\xBF"
                                        "Amount ,,Amount,New\n3,q,4,n\n";
    const struct {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        // Names matched after trimming and by occurrence; an empty header keeps its place.
        {{"--header", "--match-columns", "a.csv", "b.csv"},
         "Amount,Name, Amount ,,New\r\n1,x,2,p,\r\n3,q,4,,n\r\n",
         "gridstack: a.csv: left empty \"New\"\ngridstack: b.csv: added \"New\"\n"},
        {{"--quiet", "--header", "--match-columns", "a.csv", "b.csv", "--rows", "1:1"},
         "Amount,Name, Amount ,,New\r\n1,x,2,p,\r\n",
         ""},
        // A first table that adds nothing leaves the header to the next.
        {{"--header", orders, "--sheet", "Empty", orders, "--rows", "1:2"},
         "Order,Item,Qty\r\n1001,Apples,5\r\n",
         ""},
        // The sheet is named where the file has several in the stack; rows of headers only add
        // nothing.
        {{"--source", "--header=2", orders, "--rows", "1:3", people, "--sheet", "Totals", people,
          "--rows", "1:2", "--columns", "A:A"},
         ",Order,Item,Qty\r\nsource,1001,Apples,5\r\n" + orders + ",1002,Pears,7\r\n" + people +
             ":Totals,South,30,\r\n",
         ""},
        {{people, "--all-sheets", "--rows", "2:2", data + "/people.fods", "--all-sheets", "--rows",
          "3:3", "--columns", "A:B"},
         "Ada Lovelace,1815-12-10,\"1,234.50\",\"Says \"\"hi\"\", often\"\r\nNorth,12,,\r\n"
         "\"Grace, Hopper\",1906-12-09,,\r\nSouth,30,,\r\n",
         ""},
    };
    for (const auto& stack : cases) {
        std::vector<std::string> args{"-o", "-"};
        args.insert(args.end(), stack.args.begin(), stack.args.end());
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 0) << stack.args[0];
        EXPECT_EQ(outcome.out, stack.out) << stack.args[0];
        EXPECT_EQ(outcome.err, stack.err) << stack.args[0];
    }
}

// Cells whose texts the office works out anew on opening (formulas, a date field) are counted
// within the stacked ranges and told in one line, also with --quiet; the run succeeds.
TEST_F(GridstackTest, TellsOfCellsTheOfficeWorksOutAnew) {
    const std::string formulas = data + "/../foreign/formulas.ods";
    const std::string texts = data + "/../foreign/texts.ods";
    const auto told = [](const std::string& count, const std::string& first) {
        return "gridstack: " + count +
               " of the stack may show another text in the office, which works " +
               (count.starts_with("1 ") ? "it" : "them") +
               " out anew on opening (formulas, today's date; the first: " + first +
               "); --office stacks the texts the office shows\n";
    };
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{formulas}, told("10 cells", formulas + ", sheet \"Sheet1\", cell A2")},
        {{formulas, "--rows", "2:3", "--columns", "C:E"},
         told("2 cells", formulas + ", sheet \"Sheet1\", cell C2")},
        {{orders, "--rows", "1:1", formulas, "--rows", "3:4", "--columns", "E:E"},
         told("1 cell", formulas + ", sheet \"Sheet1\", cell E4")},
        {{texts, formulas, "--rows", "4:4"},
         told("6 cells", texts + ", sheet \"Sheet1\", cell I1")},
        {{formulas, "--rows", "1:1", formulas, "--rows", "3:3"}, ""},
    };
    for (const auto& stack : cases) {
        std::vector<std::string> args{"--quiet", "-o", "-"};
        args.insert(args.end(), stack.args.begin(), stack.args.end());
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 0) << stack.err;
        EXPECT_EQ(outcome.err, stack.err);
    }
}

// Values keep their formats: the texts read back are the plain stack's, also where two files
// name different formats alike ("N1" in values.fods and people.fods).
TEST_F(GridstackTest, ValuesShowAsThePlainStack) {
    const std::vector<std::string> tables{data + "/values.ods",
                                          data + "/values.fods",
                                          data + "/people.fods",
                                          "--all-sheets",
                                          orders,
                                          dates1904};
    std::vector<std::string> values{"--values", "-o", "values.ods"};
    values.insert(values.end(), tables.begin(), tables.end());
    const Outcome stored = run(values);
    EXPECT_EQ(stored.status, 0) << stored.err;
    std::vector<std::string> plain{"-o", "-"};
    plain.insert(plain.end(), tables.begin(), tables.end());
    EXPECT_EQ(run({"-o", "-", "values.ods"}).out, run(plain).out);

    // Read back with its values: each is what its source cell held, shown with its own format.
    ods::ReadOptions keep;
    keep.keepValues = true;
    const ods::Workbook stack = ods::readWorkbook((folder_ / "values.ods").string(), keep);
    const ods::Sheet& sheet = stack.sheets().at(0);
    const auto valueAt = [&](std::int32_t column, std::int32_t row) {
        const ods::RowRun* run = sheet.findRow(row);
        for (const ods::CellRun& cell : run ? run->cells : std::vector<ods::CellRun>{})
            if (cell.column <= column && column < cell.column + cell.repeat && cell.value != 0) {
                const ods::CellValueData& value = sheet.values()[cell.value - 1];
                return value.value + " " + sheet.formats()[value.format].dataStyle;
            }
        return std::string("text");
    };
    EXPECT_EQ(valueAt(0, 2), "-1000.0004 gs1-N10121"); // values.ods, made by the office
    EXPECT_EQ(valueAt(0, 5), "-1000.0004 gs2-N1");     // values.fods
    EXPECT_EQ(valueAt(2, 7), "1234.5 gs3-N1");         // people.fods names another format N1
    EXPECT_EQ(valueAt(5, 4), "-7.25 gs2-C2");          // a format with a condition
    EXPECT_EQ(valueAt(8, 5), "1999-12-31T23:59:00 gs2-D2");
    EXPECT_EQ(valueAt(9, 5), "false gs2-B1");
    EXPECT_EQ(valueAt(10, 4), "5 ");   // a formula's result, general format
    EXPECT_EQ(valueAt(10, 5), "text"); // an error is its text
    EXPECT_EQ(valueAt(11, 5), "text");
    // The stack counts days from 1899-12-30: a number shown as a date moves, a date shown as a
    // number becomes the number it showed, a date shown as a date stays.
    EXPECT_EQ(valueAt(1, 19), "1462 gs5-iso");
    EXPECT_EQ(valueAt(6, 41), "-1401 gs5-num");
    EXPECT_EQ(valueAt(1, 41), "1900-03-01 gs5-iso");

    // More cell styles in a row than the reader remembers at once, there and back again.
    std::string styles;
    std::string row;
    std::string reversed;
    for (int k = 1; k <= 20; ++k) {
        const std::string n = std::to_string(k);
        styles += R"(<number:number-style style:name="N)" + n +
                  R"("><number:number number:decimal-places=")" + n +
                  R"("/></number:number-style><style:style style:name="c)" + n +
                  R"(" style:family="table-cell" style:data-style-name="N)" + n + R"("/>)";
        const std::string cell = R"(<table:table-cell table:style-name="c)" + n +
                                 R"(" office:value-type="float" office:value=")" + n +
                                 R"("><text:p>)" + n + "</text:p></table:table-cell>";
        row += cell;
        reversed.insert(0, cell);
    }
    std::ofstream(folder_ / "styles.fods")
        << R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
           R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
           R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
           R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
           R"( xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0")"
           R"( office:mimetype="application/vnd.oasis.opendocument.spreadsheet">)"
        << "<office:automatic-styles>" << styles
        << "</office:automatic-styles><office:body><office:spreadsheet><table:table "
           "table:name=\"S\"><table:table-row>"
        << row << "</table:table-row><table:table-row>" << reversed
        << "</table:table-row></table:table></office:spreadsheet></office:body></office:document>";
    ASSERT_EQ(run({"--values", "-o", "styles.ods", "styles.fods"}).status, 0);
    const ods::Workbook restyled = ods::readWorkbook((folder_ / "styles.ods").string(), keep);
    const ods::Sheet& back = restyled.sheets().at(0);
    for (std::int32_t line = 0; line < 2; ++line) {
        ASSERT_EQ(back.findRow(line)->cells.size(), 20u);
        for (const ods::CellRun& cell : back.findRow(line)->cells) {
            const ods::CellValueData& value = back.values().at(cell.value - 1);
            EXPECT_EQ("gs1-N" + value.value, back.formats()[value.format].dataStyle) << line;
        }
    }
    EXPECT_EQ(stack.dataStyles().count("gs2-C2P"), 1u); // what the condition applies

    const Outcome csv = run({"--values", "-o", "-", orders});
    EXPECT_EQ(csv.status, 2);
    EXPECT_EQ(csv.err.substr(0, csv.err.find('\n')),
              "gridstack: --values is for an .ods OUTPUT: CSV holds texts only");
}

TEST_F(GridstackTest, RefusesAnExistingOutputUnlessForced) {
    std::ofstream(folder_ / "out.csv") << "keep me";
    expectError({"-o", "out.csv", orders}, "out.csv: exists (--force replaces it)");
    EXPECT_EQ(contents(folder_ / "out.csv"), "keep me");
    const Outcome forced = run({"-o", "out.csv", "--force", orders, "--rows", "1:1"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(contents(folder_ / "out.csv"), "Order,Item,Qty\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"out.csv"});
}

TEST_F(GridstackTest, EachFaultOfAnInputHasItsLine) {
    std::ofstream(folder_ / "notes.txt") << "not a spreadsheet";
    fs::create_directory(folder_ / "folder.ods");
    expectError({"-o", "out.ods", orders, "missing.ods"}, "missing.ods: no such file");
    expectError({"-o", "out.ods", orders, "folder.ods"},
                "folder.ods: is a folder, not a spreadsheet");
    expectError({"-o", "out.ods", orders, "notes.txt"},
                "notes.txt: not a spreadsheet (it is no OpenDocument file (not a zip package))");
    expectError({"-o", "out.ods", orders, "--sheet", "3"},
                orders + ": no such sheet 3 (the file has 2 sheets)");
    expectError({"-o", "out.ods", orders, "--sheet", "Staff"},
                orders + ": no such sheet \"Staff\" (its sheets: \"Orders\", \"Empty\")");
    expectError({"-o", "out.ods", orders, "--rows", "1:1048577"},
                orders + ": rows 1:1048577 lie outside the sheet (rows 1 to 1,048,576)");
    expectError({"-o", "out.ods", orders, "--columns", "A:XFE"},
                orders + ": columns A:XFE lie outside the sheet (columns A to XFD)");
    expectError({"-o", "out.ods", orders, "--rows", "4:2"},
                orders + ": rows 4:2: From is greater than To");
    expectError({"-o", "out.ods", orders, "--columns", "C:B"},
                orders + ": columns C:B: From is greater than To");
    std::ofstream(folder_ / "flat.fods")
        << "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"/>";
    expectError(
        {"-o", "out.ods", "flat.fods"},
        "flat.fods: not a spreadsheet (it is no spreadsheet (no office:spreadsheet element))");
    std::ofstream(folder_ / "latin1.csv") << "Name\r\nZo\xEB\r\n";
    expectError({"-o", "out.ods", orders, "latin1.csv"},
                "latin1.csv: line 2 is not UTF-8 text (save the file as CSV in UTF-8)");
    std::ofstream(folder_ / "control.csv") << "Name\r\nA\x01" << std::string(1, '\0') << "\r\n";
    expectError(
        {"-o", "out.ods", orders, "control.csv"},
        "control.csv: the text for cell A6 of the stack holds the control character U+0001, "
        "which a spreadsheet cannot hold (a .csv OUTPUT keeps it)");
    EXPECT_EQ(run({"-o", "-", "control.csv"}).out, "Name\r\nA\x01" + std::string(1, '\0') + "\r\n");
    expectError({"-o", "out.ods", "latin1.csv", "--sheet", "1"},
                "latin1.csv: --sheet is for spreadsheets; CSV holds one table");
    expectError({"-o", "out.ods", "-", orders, "-"},
                "- is given twice: standard input can be read only once");
    expectError({"--match-columns", "-o", "out.ods", orders},
                "--match-columns needs --header: the header rows name the columns");
    expectError({"-o", "out.ods", orders, "sales.XLSX"},
                "sales.XLSX: the built-in engine reads .ods, .fods and .csv files; --office reads "
                "this one through the installed office");
    expectError({"-o", "out.ods", orders, "--rows", "1:1048576", orders, "--rows", "1:1"},
                orders + ": the stack would reach row 1,048,577, beyond the last row of a sheet "
                         "(1,048,576)");
    EXPECT_EQ(entries(), (std::vector<std::string>{"control.csv", "flat.fods", "folder.ods",
                                                   "latin1.csv", "notes.txt"}));
}

TEST_F(GridstackTest, EachFaultOfTheOutputHasItsLine) {
    expectError({"-o", "none/out.ods", orders}, "none/out.ods: cannot write: no such folder none");
    fs::create_directory(folder_ / "out.ods");
    expectError({"--force", "-o", "out.ods", orders}, "out.ods: is a folder");
    fs::copy_file(orders, folder_ / "copy.ods");
    expectError({"--force", "-o", "copy.ods", "copy.ods"},
                "copy.ods: is also an input FILE, and inputs are never written");
    if (::geteuid() != 0) {
        fs::create_directory(folder_ / "closed");
        fs::permissions(folder_ / "closed", fs::perms::owner_read | fs::perms::owner_exec);
        expectError({"-o", "closed/out.csv", orders},
                    "closed/out.csv: cannot write: Permission denied");
    }
    if (fs::exists("/dev/full")) {
        const Outcome full = run({"-o", "-", orders}, {}, "/dev/full");
        EXPECT_EQ(full.status, 1);
        EXPECT_EQ(full.err, "gridstack: standard output: cannot write: No space left on device\n");
    }
}

TEST_F(GridstackTest, AReaderThatStopsEndsTheRunQuietly) {
    const Outcome outcome = run({"-o", "-", people, orders}, {}, closedPipe);
    EXPECT_EQ(outcome.status, 128 + SIGPIPE);
    EXPECT_EQ(outcome.err, "");
}

TEST_F(GridstackTest, UsageErrorsPrintTheUsage) {
    const auto expectUsage = [&](const std::vector<std::string>& args, const std::string& line) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << line;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n') + 1), "gridstack: " + line + "\n");
        EXPECT_NE(outcome.err.find("usage: gridstack [--office] [--force] [--quiet] -o OUTPUT"),
                  std::string::npos);
    };
    expectUsage({}, "no OUTPUT given (-o OUTPUT)");
    expectUsage(
        {"-o", "out.xlsx", orders},
        "OUTPUT must end in .ods or .csv, or be - for CSV on standard output: \"out.xlsx\"");
    expectUsage({"-o", "out.ods"}, "no FILE given");
    expectUsage({"--rows", "1:2", "-o", "out.ods", orders},
                "--rows must follow the FILE it applies to");
    expectUsage(
        {"-o", "out.ods", orders, "--columns", "B-D"},
        "--columns: \"B-D\" is not a range; expected column numbers or letters such as B:D");
    expectUsage({"-o", "out.ods", orders, "--frobnicate"}, "unknown option --frobnicate");
    EXPECT_EQ(entries(), std::vector<std::string>{});
}

TEST_F(GridstackTest, StartsWithoutTheOfficeLinkAndSaysWhenOfficeNeedsIt) {
    // gridstack alone, as on a machine where only it was copied.
    fs::copy_file(GRIDSTACK_PATH, folder_ / "gridstack");
    program_ = (folder_ / "gridstack").string();
    EXPECT_EQ(run({"-o", "-", orders, "--rows", "1:1"}).out, "Order,Item,Qty\r\n");
    expectError({"--office", "-o", "-", orders}, "--office: this gridstack has no office link (" +
                                                     (folder_ / "gridstack-office").string() +
                                                     " is missing; build with the office part)");
}

TEST_F(GridstackTest, HelpDocumentsTheCommand) {
    const Outcome outcome = run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out.rfind("usage: gridstack", 0), 0u);
    EXPECT_NE(outcome.out.find("--columns C:D"), std::string::npos);
}

TEST_F(GridstackTest, ListsSheetNamesForShellCompletion) {
    EXPECT_EQ(run({"--list-sheets", people}).out, "Staff\nTotals\n");
    // Every file a stack reads: flat XML, and CSV as one sheet named after the file.
    EXPECT_EQ(run({"--list-sheets", data + "/values.fods"}).out, "Kinds\n");
    EXPECT_EQ(run({"--list-sheets", data + "/more-orders.csv"}).out, "more-orders\n");
    expectError({"--list-sheets", "missing.fods"},
                "cannot read missing.fods: the file does not exist");
    expectError({"--list-sheets", "missing.ods"},
                "cannot read missing.ods: the file does not exist");
    // Only alone: on a longer line it is an unknown option like any other.
    EXPECT_EQ(run({"--list-sheets", people, "-o", "-"}).status, 2);
}

#ifdef GRIDSTACK_WITH_OFFICE
/// Adds a row of formulas to the first sheet of a stored stack, for the office to compute.
void addFormulaRow(const fs::path& ods, const std::vector<std::string>& formulas) {
    int error = 0;
    zip_t* zip = zip_open(ods.c_str(), 0, &error);
    ASSERT_NE(zip, nullptr);
    zip_stat_t stat;
    ASSERT_EQ(zip_stat(zip, "content.xml", 0, &stat), 0);
    std::string content(stat.size, '\0');
    zip_file_t* file = zip_fopen(zip, "content.xml", 0);
    ASSERT_EQ(zip_fread(file, content.data(), stat.size), static_cast<zip_int64_t>(stat.size));
    zip_fclose(file);
    std::string row = "<table:table-row>";
    for (const auto& formula : formulas)
        row += "<table:table-cell table:formula=\"of:=" + formula + "\"/>";
    content.replace(content.find("</table:table>"), 0, row + "</table:table-row>");
    content.replace(content.find(" office:version"), 0,
                    " xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\"");
    zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
    ASSERT_GE(zip_file_add(zip, "content.xml", source, ZIP_FL_OVERWRITE), 0);
    ASSERT_EQ(zip_close(zip), 0);
}

/// A stack that keeps values shows in the office as the plain stack does, and its numbers add up.
TEST_F(GridstackTest, OfficeComputesWithKeptValues) {
    const std::vector<std::string> office{
        "GRIDWORK_OFFICE_HEADLESS=1", "GRIDWORK_OFFICE_PROFILE=" + (folder_ / "profile").string()};
    const Outcome stored =
        run({"--values", "-o", "values.ods", data + "/values.ods", data + "/values.fods", people});
    ASSERT_EQ(stored.status, 0) << stored.err;
    const Outcome plain = run({"-o", "-", data + "/values.ods", data + "/values.fods", people});
    EXPECT_EQ(run({"--office", "-o", "-", "values.ods"}, office).out, plain.out);
    // Measure -1000.0004 shows as -1000.000; the sums see every digit.
    addFormulaRow(folder_ / "values.ods",
                  {"SUM([.A1:.A12])", "SUM([.C8:.C12])", "SUM([.E1:.E12])", "SUM([.F1:.F12])"});
    // Sums show in the general format of the office's locale: an English one here.
    std::vector<std::string> english = office;
    english.emplace_back("LC_ALL=C.UTF-8");
    const Outcome summed = run({"--office", "-o", "-", "values.ods", "--rows", "13:13"}, english);
    EXPECT_EQ(summed.status, 0) << summed.err;
    EXPECT_EQ(summed.out, "-1995.0008,100006.932,2469,1999985.5\r\n");
    // Beside a document that counts days from 1904-01-01 every date shows its own day.
    ASSERT_EQ(run({"--values", "-o", "dates.ods", data + "/values.fods", dates1904}).status, 0);
    EXPECT_EQ(run({"--office", "-o", "-", "dates.ods"}, office).out,
              run({"-o", "-", data + "/values.fods", dates1904}).out);
}

/// The office gives every cell the same text as the engine, for CSV and for a stored .ods.
TEST_F(GridstackTest, OfficeAndEngineGiveTheSameCells) {
    const std::vector<std::string> office{
        "GRIDWORK_OFFICE_HEADLESS=1", "GRIDWORK_OFFICE_PROFILE=" + (folder_ / "profile").string()};
    const std::vector<std::string> tables{people, orders, "--rows",  "2:4",   "--columns",
                                          "B:C",  people, "--sheet", "Totals"};
    std::vector<std::string> viaOffice{"--office", "-o", "-"};
    viaOffice.insert(viaOffice.end(), tables.begin(), tables.end());
    std::vector<std::string> viaEngine{"-o", "-"};
    viaEngine.insert(viaEngine.end(), tables.begin(), tables.end());

    const Outcome fromOffice = run(viaOffice, office);
    const Outcome fromEngine = run(viaEngine);
    EXPECT_EQ(fromOffice.status, 0) << fromOffice.err;
    // The office's own chatter ("failed to launch javaldx") is no message of ours.
    EXPECT_EQ(fromOffice.err, "");
    EXPECT_EQ(fromEngine.status, 0) << fromEngine.err;
    EXPECT_EQ(fromOffice.out, fromEngine.out);

    std::vector<std::string> stored{"--office", "-o", "office.ods"};
    stored.insert(stored.end(), tables.begin(), tables.end());
    const Outcome storing = run(stored, office);
    EXPECT_EQ(storing.status, 0) << storing.err;
    EXPECT_EQ(run({"-o", "-", "office.ods"}).out, fromEngine.out);
    // And the other way round: the office reads the engine's .ods as the engine does.
    std::vector<std::string> engineStores{"-o", "engine.ods"};
    engineStores.insert(engineStores.end(), tables.begin(), tables.end());
    ASSERT_EQ(run(engineStores).status, 0);
    EXPECT_EQ(run({"--office", "-o", "-", "engine.ods"}, office).out, fromEngine.out);

    // What only the office reads, it reads as the engine reads the same table in .ods.
    const Outcome xlsx = run({"--office", "-o", "-", data + "/orders.xlsx"}, office);
    EXPECT_EQ(xlsx.status, 0) << xlsx.err;
    EXPECT_EQ(xlsx.out, run({"-o", "-", orders}).out);
    EXPECT_EQ(run({"-o", "-", data + "/orders.xlsx"}).err,
              "gridstack: " + data +
                  "/orders.xlsx: the built-in engine reads .ods, .fods and .csv files; --office "
                  "reads this one through the installed office\n");

    // The stack plan reads the tables through the office as through the engine.
    const std::vector<std::string> planned{
        "--header", "--match-columns",        "--source", "-o", "-", people, "--all-sheets",
        orders,     data + "/more-orders.csv"};
    std::vector<std::string> plannedByOffice{"--office"};
    plannedByOffice.insert(plannedByOffice.end(), planned.begin(), planned.end());
    const Outcome byOffice = run(plannedByOffice, office);
    EXPECT_EQ(byOffice.status, 0) << byOffice.err;
    EXPECT_EQ(byOffice.out, run(planned).out);

    const Outcome missing = run({"--office", "-o", "none.csv", orders}, {"GRIDWORK_OFFICE=/none"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "gridstack: cannot reach the office: The office program \"/none\" named "
                           "by GRIDWORK_OFFICE does not exist or cannot be run\n");
    EXPECT_FALSE(fs::exists(folder_ / "none.csv"));

    // CSV is read by the engine's codec in an office run too: a 10 MB field, any UTF-8 text
    // and control characters come through whole; an .ods OUTPUT refuses what it cannot hold.
    const std::string wide(10'000'000, 'w');
    const std::string odd =
        "A\x01" + std::string(1, '\0') + "Zo\xC3\xAB \xE6\x9D\xB1\xF0\x9F\x98\x80";
    std::ofstream(folder_ / "hostile.csv") << wide << "," << odd << "\r\n";
    const Outcome hostile =
        run({"--office", "-o", "-", orders, "--rows", "1:1", "hostile.csv"}, office);
    EXPECT_EQ(hostile.status, 0) << hostile.err;
    EXPECT_TRUE(hostile.out == "Order,Item,Qty\r\n" + wide + "," + odd + ",\r\n")
        << hostile.out.size() << " bytes";
    const Outcome refused = run({"--office", "-o", "hostile.ods", orders, "hostile.csv"}, office);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "gridstack: hostile.csv: the text for cell B5 of the stack holds the "
                           "control character U+0001, which a spreadsheet cannot hold (a .csv "
                           "OUTPUT keeps it)\n");
    EXPECT_FALSE(fs::exists(folder_ / "hostile.ods"));
}

/// Live processes that carry `mark` in their environment, as everything a run starts does: the
/// office of one run, told apart from the offices of other tests.
std::vector<pid_t> carrying(const std::string& mark) {
    std::vector<pid_t> found;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // A process that has ended shows no environment, also before it is reaped.
        if (('\0' + contents(it->path() / "environ")).find('\0' + mark + '\0') != std::string::npos)
            found.push_back(std::stoi(name));
    }
    return found;
}

bool holdsOpen(pid_t process, const fs::path& file) {
    std::error_code error;
    for (fs::directory_iterator it("/proc/" + std::to_string(process) + "/fd", error), end;
         !error && it != end; it.increment(error))
        if (fs::read_symlink(it->path(), error) == file)
            return true;
    return false;
}

/// Whether `done` comes true within a minute.
bool soon(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
        if (done())
            return true;
        ::usleep(20'000);
    }
    return done();
}

/// An office that gridstack starts ends with the run however the run ends: the office taking
/// too long over a file, Ctrl-C, SIGTERM, gridstack killed; and one that dies is told.
TEST_F(GridstackTest, TheOfficeItStartsEndsWithTheRun) {
    // A cell of a billion blanks: the office works on it for some 20 s, growing to 4 GB.
    std::ofstream(folder_ / "blanks.fods")
        << R"(<?xml version="1.0" encoding="UTF-8"?>)"
           R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
           R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
           R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.3")"
           R"( office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:body>)"
           R"(<office:spreadsheet><table:table table:name="S"><table:table-row><table:table-cell>)"
           R"(<text:p>a<text:s text:c="1000000000"/></text:p></table:table-cell></table:table-row>)"
           R"(</table:table></office:spreadsheet></office:body></office:document>)";
    const struct {
        const char* what;
        int signal;      ///< sent to gridstack once the office reads the file; 0: none
        bool killOffice; ///< the office is killed then instead
        const char* limit;
        int status;
        std::string err;
    } ends[] = {
        {"past the limit", 0, false, "1", 1,
         "gridstack: blanks.fods: the office did not open the file within 1 second\n"},
        {"Ctrl-C", SIGINT, false, "60", 128 + SIGINT, "gridstack: interrupted\n"},
        {"SIGTERM", SIGTERM, false, "60", 128 + SIGTERM, "gridstack: interrupted\n"},
        {"gridstack killed", SIGKILL, false, "60", 128 + SIGKILL, ""},
        {"office killed", 0, true, "60", 1,
         "gridstack: blanks.fods: cannot read: The connection to the office was lost: the office "
         "has ended or crashed\n"},
    };
    int runs = 0;
    for (const auto& end : ends) {
        const std::string mark =
            "GRIDSTACK_TEST_RUN=" + std::to_string(::getpid()) + "-" + std::to_string(++runs);
        // A profile, and so a pipe, of each run's own: a killed office takes connections for
        // a moment after its last process has gone from sight.
        const pid_t gridstack = start(
            {"--office", "-o", "out.csv", "blanks.fods"},
            {"GRIDWORK_OFFICE_HEADLESS=1",
             "GRIDWORK_OFFICE_PROFILE=" + (folder_ / ("profile-" + std::to_string(runs))).string(),
             "GRIDWORK_OFFICE_TIMEOUT=" + std::string(end.limit), mark});
        const auto office = [&] {
            std::vector<pid_t> found = carrying(mark);
            std::erase(found, gridstack);
            return found;
        };
        if (end.signal != 0 || end.killOffice) {
            EXPECT_TRUE(soon([&] {
                const auto running = office();
                return std::any_of(running.begin(), running.end(),
                                   [&](pid_t p) { return holdsOpen(p, folder_ / "blanks.fods"); });
            })) << end.what;
            if (end.killOffice)
                for (const pid_t process : office())
                    ::kill(process, SIGKILL);
            else
                ::kill(gridstack, end.signal);
        }
        const Outcome outcome = finish(gridstack);
        EXPECT_EQ(outcome.status, end.status) << end.what;
        EXPECT_EQ(outcome.err, end.err) << end.what;
        EXPECT_TRUE(soon([&] { return office().empty(); })) << end.what << ": the office runs on";
        EXPECT_FALSE(fs::exists(folder_ / "out.csv")) << end.what;
    }
}
#endif

} // namespace
