#include "cli/arguments.h"

#include <gtest/gtest.h>
#include <vector>

namespace gridwork::cli {
namespace {

Arguments parse(std::vector<std::string_view> args) {
    return parseArguments(args);
}

std::string usageMessage(std::vector<std::string_view> args) {
    try {
        parse(std::move(args));
    } catch (const UsageError& e) {
        return e.what();
    }
    return "no error";
}

TEST(ParseArguments, TableOptionsBelongToTheFileBefore) {
    const Arguments a =
        parse({"--force", "-o", "out.ods", "a.ods", "--sheet", "Totals", "--rows", "2:40", "b.ods",
               "--columns", "B:D", "--quiet", "c.ods", "--sheet=3", "--office"});
    EXPECT_TRUE(a.force);
    EXPECT_TRUE(a.quiet);
    EXPECT_TRUE(a.office);
    EXPECT_EQ(a.output, "out.ods");
    EXPECT_EQ(a.outputKind, OutputKind::Ods);
    ASSERT_EQ(a.tables.size(), 3u);
    EXPECT_EQ(a.tables[0].path, "a.ods");
    EXPECT_EQ(a.tables[0].sheet, SheetChoice{std::string("Totals")});
    ASSERT_TRUE(a.tables[0].rows);
    EXPECT_EQ(a.tables[0].rows->first, 2);
    EXPECT_FALSE(a.tables[0].columns);
    EXPECT_FALSE(a.tables[1].sheet);
    EXPECT_EQ(a.tables[1].columns->last, 4);
    EXPECT_EQ(a.tables[2].sheet, SheetChoice{std::int64_t{3}});
}

TEST(ParseArguments, AcceptsTheOtherSpellings) {
    const Arguments a = parse({"a.ods", "-oout.csv", "--rows=1:2", "--", "--odd.ods"});
    EXPECT_EQ(a.output, "out.csv");
    EXPECT_EQ(a.outputKind, OutputKind::Csv);
    ASSERT_EQ(a.tables.size(), 2u);
    EXPECT_EQ(a.tables[1].path, "--odd.ods");
    EXPECT_EQ(parse({"--output", "-", "x.ods"}).outputKind, OutputKind::StandardOutput);
    EXPECT_EQ(parse({"-o", "UPPER.ODS", "x.ods"}).outputKind, OutputKind::Ods);
    // A single table is allowed: a script stacking whatever a glob matched still works.
    EXPECT_EQ(parse({"-o", "one.csv", "x.ods"}).tables.size(), 1u);
}

TEST(ParseArguments, HelpAndVersionNeedNothingElse) {
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    // Help needs no OUTPUT, but an option that does not exist is still reported.
    EXPECT_EQ(usageMessage({"-h", "--bogus"}), "unknown option --bogus");
}

TEST(ParseArguments, UsageErrorsSayWhatIsWrong) {
    EXPECT_EQ(usageMessage({}), "no OUTPUT given (-o OUTPUT)");
    EXPECT_EQ(usageMessage({"a.ods", "b.ods"}), "no OUTPUT given (-o OUTPUT)");
    EXPECT_EQ(usageMessage({"-o", "out.ods"}), "no FILE given");
    EXPECT_EQ(usageMessage({"-o"}), "-o needs a value");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "-o", "x.ods", "a.ods"}), "-o is given twice");
    EXPECT_EQ(usageMessage({"-o", "out.txt", "a.ods"}),
              "OUTPUT must end in .ods or .csv, or be - for CSV on standard output: \"out.txt\"");
    EXPECT_EQ(usageMessage({"-o", ".ods", "a.ods"}),
              "OUTPUT must end in .ods or .csv, or be - for CSV on standard output: \".ods\"");
    EXPECT_EQ(usageMessage({"--sheet", "2", "-o", "out.ods", "a.ods"}),
              "--sheet must follow the FILE it applies to");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--rows", "1:2", "--rows", "3:4"}),
              "--rows is given twice for a.ods");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--sheet", "1", "--sheet", "2"}),
              "--sheet is given twice for a.ods");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--sheet", ""}),
              "--sheet needs a sheet number or name");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--rows", "A:B"}),
              "--rows: \"A:B\" is not a range; expected row numbers such as 2:40");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--columns", "1-3"}),
              "--columns: \"1-3\" is not a range; expected column numbers or letters such as "
              "B:D");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--rows"}), "--rows needs a value");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--force=yes"}), "--force takes no value");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--office", "--office"}),
              "--office is given twice");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--header=0"}),
              "--header=0: the number of header rows is a number from 1 to 1048576");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--header=x"}),
              "--header=x: the number of header rows is a number from 1 to 1048576");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--match-columns=yes"}),
              "--match-columns takes no value");
    EXPECT_EQ(usageMessage({"--all-sheets", "-o", "out.ods", "a.ods"}),
              "--all-sheets must follow the FILE it applies to");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "--all-sheets", "--sheet", "2"}),
              "--sheet and --all-sheets are both given for a.ods");
    EXPECT_EQ(usageMessage({"-o", "out.ods", "a.ods", "-x"}), "unknown option -x");
}

TEST(ParseArguments, StackOptions) {
    const Arguments plain = parse({"-o", "o.csv", "a.ods"});
    EXPECT_EQ(plain.headerRows, 0);
    EXPECT_FALSE(plain.matchColumns);
    EXPECT_FALSE(plain.source);
    const Arguments a = parse(
        {"--header", "--source", "-o", "o.csv", "a.ods", "--all-sheets", "-", "--match-columns"});
    EXPECT_EQ(a.headerRows, 1);
    EXPECT_TRUE(a.matchColumns);
    EXPECT_EQ(a.source, "source");
    EXPECT_TRUE(a.tables[0].allSheets);
    EXPECT_EQ(a.tables[1].path, "-");
    const Arguments b = parse({"--header=3", "--source=from", "-o", "o.csv", "a.ods"});
    EXPECT_EQ(b.headerRows, 3);
    EXPECT_EQ(b.source, "from");
    EXPECT_TRUE(parse({"--values", "-o", "o.ods", "a.ods"}).values);
    EXPECT_EQ(usageMessage({"--values", "--office", "-o", "o.ods", "a.ods"}),
              "--values takes the values from .ods and .fods files with the built-in engine, not "
              "with --office");
}

TEST(ParseArguments, RangeValuesAreLeftToTheFile) {
    // Out-of-sheet and reversed bounds are faults of a table, reported with its file name later.
    const Arguments a =
        parse({"-o", "o.ods", "a.ods", "--rows", "9:2", "--columns", "A:ZZZZ", "--sheet", "0"});
    EXPECT_EQ(a.tables[0].rows->first, 9);
    EXPECT_EQ(a.tables[0].columns->last, columnNumber("ZZZZ"));
    EXPECT_EQ(a.tables[0].sheet, SheetChoice{std::int64_t{0}});
}

TEST(HelpText, DocumentsEveryOption) {
    const std::string help = helpText();
    for (const char* option :
         {"--office", "--force", "--quiet", "-o OUTPUT", "--sheet S", "--rows A:B", "--columns C:D",
          "--header[=N]", "--match-columns", "--source[=NAME]", "--all-sheets", "--values", ".fods",
          ".csv", "--help", "--version", "GRIDWORK_OFFICE_HEADLESS", "GRIDWORK_OFFICE_TIMEOUT",
          "Exit status"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_EQ(usageText().rfind("usage: gridstack", 0), 0u);
}

} // namespace
} // namespace gridwork::cli
