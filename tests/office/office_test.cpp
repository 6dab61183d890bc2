// The office operations against a real headless office (see office_fixture.h).

#include "office_fixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace gridwork::test {
namespace {

// Runs `call`, expecting OfficeError; gives its description.
template <class Call> std::string officeFailure(Call&& call) {
    try {
        call();
    } catch (const OfficeError& error) {
        return error.what();
    } catch (const std::exception& error) {
        ADD_FAILURE() << "not an OfficeError: " << error.what();
        return {};
    }
    ADD_FAILURE() << "no failure";
    return {};
}

// The office's own descriptions hold no more than its source location for these failures; the
// exception type says what went wrong.
void expectOfficeType(const std::string& description, const std::string& type) {
    EXPECT_TRUE(description.starts_with("The office failed with " + type)) << description;
}

std::unique_ptr<Document> openTestData(const std::string& name) {
    return testDesktop().openDocument(fileUrl(officeTestData(name)));
}

// Closes the document when the test ends, however it ends.
struct Closing {
    std::unique_ptr<Document> document;
    ~Closing() {
        try {
            if (document) {
                document->close();
            }
        } catch (const OfficeError&) {
            // Tests that close the document themselves leave nothing to close.
        }
    }
    Document* operator->() const { return document.get(); }
};

TEST(OfficeRead, ShownTextsOfFormattedCells) {
    const Closing document{openTestData("shown_texts.ods")};
    const auto sheet = document->sheetByIndex(0);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Kind", "Value"},
        {"number", "1,234.50"},
        {"currency", "$1,234.50"},
        {"negative currency", "-$42.00"},
        {"percent", "12.5%"},
        {"date", "2024-03-15"},
        {"long date", "Friday, March 15, 2024"},
        {"time", "13:05"},
        {"formula", "2469"},
        {"error", "#DIV/0!"},
        {"boolean", "TRUE"},
        {"empty", ""},
        {"blanks", "  inner  and outer  "},
        {"line break", "first line\nsecond line"},
        {"non-ASCII", "Grüße – 東京 ☃ 😀"},
        {"quotes", "He said \"yes, twice\", then left"},
        {"general", "0.333333333333333"},
        {"text number", "0012"},
        {"large number", "123456789012"},
        {"text formula", "a,b"},
    };
    for (std::size_t row = 0; row < expected.size(); ++row) {
        const auto r = static_cast<std::int32_t>(row);
        EXPECT_EQ(sheet->cellText(0, r), expected[row].first) << "row " << row + 1;
        EXPECT_EQ(sheet->cellText(1, r), expected[row].second) << expected[row].first;
    }
    EXPECT_EQ(sheet->cellText(2, 0), "");
    EXPECT_EQ(sheet->cellText(4, 29), "") << "a formatted empty cell has no text";
    EXPECT_EQ(sheet->cellText(16383, 1048575), "") << "the last cell of a sheet";
}

TEST(OfficeRead, HiddenNarrowAndMergedCellsShowTheirTexts) {
    const Closing document{openTestData("shown_texts.ods")};
    const auto sheet = document->sheetByName("Layout");
    EXPECT_EQ(sheet->cellText(2, 1), "in a hidden column");
    EXPECT_EQ(sheet->cellText(3, 1), "123,456,789.00") << "never ### in a narrow column";
    EXPECT_EQ(sheet->cellText(0, 2), "in a hidden row");
    EXPECT_EQ(sheet->cellText(0, 3), "merged over two columns");
    EXPECT_EQ(sheet->cellText(1, 3), "");
    EXPECT_EQ(sheet->cellText(2, 3), "'quoted start");
    EXPECT_EQ(sheet->cellText(3, 4), "-0.5");
    EXPECT_EQ(sheet->cellText(3, 5), "0.333333333333333") << "never rounded to a narrow column";
    EXPECT_EQ(sheet->cellText(0, 6), "1.23E+10");
    EXPECT_EQ(sheet->cellText(1, 6), "2 1/2");
    EXPECT_EQ(sheet->cellText(2, 6), "007");
    EXPECT_EQ(sheet->cellText(3, 6), "(3.50)");
    EXPECT_EQ(sheet->cellText(0, 7), "") << "a formula giving an empty text";
    EXPECT_EQ(sheet->cellText(1, 7), "tabinside") << "the office drops a tab of a cell it loads";
    EXPECT_EQ(sheet->cellText(2, 7), "rich span link");
    EXPECT_EQ(sheet->cellText(3, 7), "1E+020") << "the office's standard format";
}

TEST(OfficeRead, SheetsByIndexAndName) {
    const Closing document{openTestData("shown_texts.ods")};
    EXPECT_EQ(document->sheetCount(), 4);
    EXPECT_EQ(document->sheetByIndex(0)->name(), "Data");
    EXPECT_EQ(document->sheetByIndex(2)->name(), "Empty");
    const auto second = document->sheetByName("Second");
    EXPECT_EQ(second->name(), "Second");
    EXPECT_EQ(second->cellText(0, 0), "second sheet");
    EXPECT_EQ(second->cellText(2, 2), "x");

    EXPECT_EQ(officeFailure([&] { document->sheetByIndex(-1); }),
              "Sheet 0 does not exist: the document has 4 sheets, counted from 1");
    EXPECT_EQ(officeFailure([&] { document->sheetByIndex(4); }),
              "Sheet 5 does not exist: the document has 4 sheets, counted from 1");
    EXPECT_EQ(officeFailure([&] { document->sheetByName("Nowhere"); }),
              "The document has no sheet named \"Nowhere\"");
    EXPECT_EQ(officeFailure([&] { document->sheetByIndex(0)->cellText(16384, 0); }),
              "The cell in column 16385, row 1 (counted from 1) lies outside the sheet");
}

TEST(OfficeRead, UsedAreaCountsCellsWithContentOnly) {
    const Closing document{openTestData("shown_texts.ods")};
    const auto data = document->sheetByIndex(0)->usedArea();
    EXPECT_EQ(data.columns, 2) << "the formatted empty cell in column E does not count";
    EXPECT_EQ(data.rows, 20) << "the formatted empty cell in row 30 does not count";
    const auto second = document->sheetByIndex(1)->usedArea();
    EXPECT_EQ(second.columns, 3);
    EXPECT_EQ(second.rows, 3);
    const auto empty = document->sheetByIndex(2)->usedArea();
    EXPECT_EQ(empty.columns, 0);
    EXPECT_EQ(empty.rows, 0);
}

TEST(OfficeRead, PositionsOutsideTheSheetFail) {
    const Closing document{openTestData("shown_texts.ods")};
    const auto sheet = document->sheetByIndex(0);
    for (const auto& [column, row] : std::vector<std::pair<std::int32_t, std::int32_t>>{
             {-1, 0}, {0, -1}, {-1, -1}, {16384, 0}, {0, 1048576}}) {
        EXPECT_NE(officeFailure([&] { sheet->cellText(column, row); }), "") << column << "," << row;
        EXPECT_NE(officeFailure([&] { sheet->setCellText(column, row, "x"); }), "")
            << column << "," << row;
    }
}

TEST(OfficeOpen, FilesTheOfficeCannotOpenFail) {
    const auto missing = officeTestData("no-such-file.ods");
    const std::string description =
        officeFailure([&] { testDesktop().openDocument(fileUrl(missing)); });
    EXPECT_NE(description.find("type detection failed"), std::string::npos) << description;

    EXPECT_NE(officeFailure([&] { testDesktop().openDocument(""); }), "");
    EXPECT_NE(officeFailure([&] { testDesktop().openDocument(fileUrl("")); }), "");
    EXPECT_NE(officeFailure([&] { testDesktop().openDocument(fileUrl(officeTestData(""))); }), "")
        << "a folder";

    for (const std::string name : {"not-a-spreadsheet.txt", "random-bytes.ods"}) {
        const auto path = officeTestData(name);
        EXPECT_EQ(officeFailure([&] { testDesktop().openDocument(fileUrl(path)); }),
                  "\"" + path + "\" is not a spreadsheet document the office can open");
    }
    // Whoever holds a file the office gave no document for is named, as its lock file says.
    const auto locked = testTempFolder() / "held, by; Ann.ods";
    std::ofstream(locked) << "no spreadsheet";
    std::ofstream(testTempFolder() / ".~lock.held, by; Ann.ods#")
        << "Ann Lee,ann,ws7,08.12.2026 12:30,file:///home/ann/.config/libreoffice/4;";
    EXPECT_EQ(officeFailure([&] { testDesktop().openDocument(fileUrl(locked.string())); }),
              "\"" + locked.string() +
                  "\" is locked: it is open in the office of Ann Lee (user ann on ws7, since "
                  "08.12.2026 12:30). Close it there first; if no office has it open any more "
                  "(a lock left behind by a crash), delete the lock file \"" +
                  (testTempFolder() / ".~lock.held, by; Ann.ods#").string() + "\" and try again");
}

TEST(OfficeOpen, PathsThatNeedPercentEncoding) {
    const auto folder = testTempFolder() / "a folder #1 100% Grüße";
    std::filesystem::create_directories(folder);
    const auto copy = folder / "copy #2 50% ☃.ods";
    std::filesystem::copy_file(officeTestData("shown_texts.ods"), copy,
                               std::filesystem::copy_options::overwrite_existing);
    const Closing document{testDesktop().openDocument(fileUrl(copy.string()))};
    EXPECT_EQ(document->sheetByIndex(0)->cellText(1, 1), "1,234.50");
}

TEST(OfficeDocument, ClosedDocumentFails) {
    auto document = openTestData("shown_texts.ods");
    const auto sheet = document->sheetByIndex(0);
    document->close();
    const std::string closed = "The document has been closed";
    EXPECT_EQ(officeFailure([&] { document->sheetByIndex(0); }), closed);
    EXPECT_EQ(officeFailure([&] { document->sheetByName("Data"); }), closed);
    EXPECT_EQ(officeFailure([&] { document->sheetCount(); }), closed);
    EXPECT_EQ(officeFailure([&] { document->storeToFile((testTempFolder() / "x.ods").string()); }),
              closed);
    EXPECT_EQ(officeFailure([&] { document->close(); }), closed);
    // A sheet taken before the close reaches the office, which refuses.
    expectOfficeType(officeFailure([&] { sheet->cellText(0, 0); }),
                     "com.sun.star.uno.RuntimeException");
    expectOfficeType(officeFailure([&] { sheet->setCellText(0, 0, "x"); }),
                     "com.sun.star.uno.RuntimeException");
    expectOfficeType(officeFailure([&] { sheet->rangeTexts(0, 0, 20, 20); }),
                     "com.sun.star.uno.RuntimeException");
}

TEST(OfficeDocument, NewDocumentKeepsWrittenTexts) {
    const Closing document{testDesktop().newDocument()};
    EXPECT_GE(document->sheetCount(), 1);
    const auto sheet = document->sheetByIndex(0);
    EXPECT_EQ(sheet->usedArea().rows, 0);
    // Texts that look like numbers, formulas, booleans or dates stay texts.
    const std::vector<std::string> texts{"plain",      "123",     "=1+1",       "TRUE",
                                         "2024-03-15", "12.5%",   "  blanks  ", "line\nbreak",
                                         "Grüße ☃",    "\"q\",c", "0012"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sheet->setCellText(static_cast<std::int32_t>(i % 3), static_cast<std::int32_t>(i),
                           texts[i]);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(sheet->cellText(static_cast<std::int32_t>(i % 3), static_cast<std::int32_t>(i)),
                  texts[i]);
    }
    EXPECT_EQ(sheet->usedArea().columns, 3);
    EXPECT_EQ(sheet->usedArea().rows, static_cast<std::int32_t>(texts.size()));
    sheet->setCellText(0, 0, "");
    EXPECT_EQ(sheet->cellText(0, 0), "");
}

TEST(OfficeDocument, StoresOdsAndCsv) {
    const auto folder = testTempFolder() / "stored";
    std::filesystem::create_directories(folder);
    {
        const Closing document{testDesktop().newDocument()};
        const auto sheet = document->sheetByIndex(0);
        sheet->setCellText(0, 0, "a,b");
        sheet->setCellText(1, 0, "Grüße");
        sheet->setCellText(0, 1, "line\nbreak");
        document->storeToFile((folder / "result.ods").string());
        document->storeToFile((folder / "result.csv").string());
        EXPECT_EQ(officeFailure([&] { document->storeToFile((folder / "no" / "x.ods").string()); }),
                  "Cannot store \"" + (folder / "no" / "x.ods").string() + "\": the folder \"" +
                      (folder / "no").string() + "\" does not exist");
        EXPECT_FALSE(std::filesystem::exists(folder / "no"));
    }
    std::ifstream csv(folder / "result.csv", std::ios::binary);
    std::stringstream text;
    text << csv.rdbuf();
    EXPECT_EQ(text.str(), "\"a,b\",Grüße\n\"line\nbreak\",\n");

    const Closing reopened{testDesktop().openDocument(fileUrl((folder / "result.ods").string()))};
    const auto sheet = reopened->sheetByIndex(0);
    EXPECT_EQ(sheet->cellText(0, 0), "a,b");
    EXPECT_EQ(sheet->cellText(1, 0), "Grüße");
    EXPECT_EQ(sheet->cellText(0, 1), "line\nbreak");
}

TEST(OfficeConnect, EveryConnectGivesAWorkingDesktop) {
    for (int i = 0; i < 3; ++i) {
        const auto desktop = testOffice().connect();
        const Closing document{desktop->newDocument()};
        EXPECT_EQ(document->sheetByIndex(0)->cellText(0, 0), "");
    }
}

TEST(OfficeConnect, AnOfficeListeningOnThePipeIsReused) {
    auto options = testOfficeOptions();
    // A program that fails the connection at once if it is ever started.
    const auto program = testTempFolder() / "failing-soffice";
    std::ofstream(program) << "#!/bin/sh\nexit 9\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    options.program = program.string();
    options.keepStartedOffice = true;
    UnoAutomation automation(options);
    const auto desktop = automation.connect();
    EXPECT_FALSE(automation.startedOffice());
    const Closing document{desktop->newDocument()};
    EXPECT_EQ(document->sheetCount(), 1);
}

TEST(OfficeConnect, AConfiguredProgramMustExistEvenWhenAnOfficeListens) {
    auto options = testOfficeOptions();
    options.program = "/nonexistent";
    UnoAutomation automation(options);
    EXPECT_EQ(officeFailure([&] { automation.connect(); }),
              "The office program \"/nonexistent\" named by GRIDWORK_OFFICE does not exist or "
              "cannot be run");
}

} // namespace
} // namespace gridwork::test
