#include "ods/ods_automation.h"
#include "ods/reader.h"
#include "ods/writer.h"
#include "ods_test_support.h"

#include <fstream>
#include <gtest/gtest.h>

namespace gridwork {
namespace {

template <typename Call> std::string officeError(Call call) {
    try {
        call();
    } catch (const OfficeError& error) {
        return error.what();
    }
    return "no error";
}

class OdsAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("two sheets #1.ods");
        ods::Workbook book;
        book.sheets().emplace_back("Alpha");
        book.sheets().emplace_back("Beta");
        book.sheets()[0].setText(0, 0, "a1");
        book.sheets()[0].setText(2, 4, "c5");
        book.sheets()[1].appendRow(ods::RowRun{1, 2, {ods::CellRun{1, 3, "r"}}});
        ods::writeWorkbook(book, path_);
        desktop_ = automation_.connect();
    }

    std::unique_ptr<Document> open() { return desktop_->openDocument(fileUrl(path_)); }

    ods::test::TempDir dir_;
    std::string path_;
    OdsAutomation automation_;
    std::unique_ptr<Desktop> desktop_;
};

TEST_F(OdsAutomationTest, OpensAFileUrlAndGivesSheetsByIndexAndName) {
    const auto document = open();
    EXPECT_EQ(document->sheetCount(), 2);
    const auto alpha = document->sheetByIndex(0);
    EXPECT_EQ(alpha->name(), "Alpha");
    EXPECT_EQ(alpha->cellText(0, 0), "a1");
    EXPECT_EQ(alpha->cellText(2, 4), "c5");
    EXPECT_EQ(alpha->cellText(1, 1), "");
    EXPECT_EQ(alpha->usedArea().columns, 3);
    EXPECT_EQ(alpha->usedArea().rows, 5);
    const auto beta = document->sheetByName("Beta");
    EXPECT_EQ(beta->cellText(3, 2), "r");
    EXPECT_EQ(beta->rangeTexts(0, 0, 4, 3), (CellRows{{"", "", "", "", ""},
                                                      {"", "r", "r", "r", ""},
                                                      {"", "r", "r", "r", ""},
                                                      {"", "", "", "", ""}}));
    EXPECT_TRUE(beta->rangeTexts(2, 2, 1, 2).empty());
}

TEST_F(OdsAutomationTest, PositionsAndIndicesOutsideFailAsInTheOffice) {
    const auto document = open();
    EXPECT_EQ(officeError([&] { document->sheetByIndex(2); }),
              path_ + ": there is no sheet at index 2 (the document has 2 sheets)");
    EXPECT_EQ(officeError([&] { document->sheetByIndex(-1); }),
              path_ + ": there is no sheet at index -1 (the document has 2 sheets)");
    EXPECT_EQ(officeError([&] { document->sheetByName("Gamma"); }),
              path_ + ": there is no sheet named \"Gamma\"");
    const auto sheet = document->sheetByIndex(0);
    const std::string outside = " lies outside the sheet (columns 0 to 16383, rows 0 to 1048575)";
    EXPECT_EQ(officeError([&] { sheet->cellText(-1, 0); }),
              path_ + ": the cell position (column -1, row 0)" + outside);
    EXPECT_EQ(officeError([&] { sheet->cellText(16384, 0); }),
              path_ + ": the cell position (column 16384, row 0)" + outside);
    EXPECT_EQ(officeError([&] { sheet->setCellText(0, 1048576, "x"); }),
              path_ + ": the cell position (column 0, row 1048576)" + outside);
    EXPECT_EQ(officeError([&] { sheet->rangeTexts(0, -1, 2, 2); }),
              path_ + ": the cell position (column 0, row -1)" + outside);
    EXPECT_EQ(officeError([&] {
                  sheet->setRangeTexts(16383, 0, {{"a", "b"}});
              }),
              path_ + ": the range from (column 16383, row 0) reaches beyond the sheet");
    EXPECT_EQ(sheet->cellText(16383, 1048575), "");
}

TEST_F(OdsAutomationTest, AClosedDocumentRefusesEveryCall) {
    const auto document = open();
    const auto sheet = document->sheetByIndex(0);
    document->close();
    const std::string closed = path_ + ": the document is closed";
    EXPECT_EQ(officeError([&] { sheet->cellText(0, 0); }), closed);
    EXPECT_EQ(officeError([&] { document->sheetCount(); }), closed);
    EXPECT_EQ(officeError([&] { document->close(); }), closed);
    EXPECT_EQ(officeError([&] { document->storeToFile(dir_.file("x.ods")); }), closed);
}

TEST_F(OdsAutomationTest, UnreadableFilesFailWithTheEnginesReason) {
    const std::string missing = dir_.file("missing.ods");
    EXPECT_EQ(officeError([&] { desktop_->openDocument(fileUrl(missing)); }),
              "cannot read " + missing + ": the file does not exist");
    EXPECT_EQ(officeError([&] { desktop_->openDocument("http://example.org/a.ods"); }),
              "\"http://example.org/a.ods\" is not a file URL");
    const std::string empty = dir_.file("empty.ods");
    std::ofstream{empty};
    const auto document = desktop_->openDocument(fileUrl(empty));
    EXPECT_EQ(document->sheetCount(), 1);
    EXPECT_EQ(document->sheetByIndex(0)->usedArea().rows, 0);
}

TEST_F(OdsAutomationTest, NewDocumentsAreWrittenAndStoredAsOdsOrCsv) {
    const auto document = desktop_->newDocument();
    ASSERT_EQ(document->sheetCount(), 1);
    const auto sheet = document->sheetByIndex(0);
    EXPECT_EQ(sheet->name(), "Sheet1");
    sheet->setRangeTexts(1, 1, {{"a", "b,c"}, {"", "line\nbreak", "  x"}});
    sheet->setCellText(0, 0, "top");
    sheet->setCellText(0, 0, "");
    sheet->setCellText(0, 3, "last");
    const std::string ods = dir_.file("result.ods");
    const std::string csv = dir_.file("result.CSV");
    document->storeToFile(ods);
    document->storeToFile(csv);
    EXPECT_EQ(ods::test::readFile(csv), ",,,\n,a,\"b,c\",\n,,\"line\nbreak\",  x\nlast,,,\n");
    const ods::Workbook back = ods::readWorkbook(ods);
    EXPECT_EQ(back.sheets().at(0).text(2, 2), "line\nbreak");
    EXPECT_EQ(back.sheets().at(0).text(3, 2), "  x");
    EXPECT_EQ(back.sheets().at(0).text(0, 0), "");
    EXPECT_EQ(back.sheets().at(0).extent().rows, 4);
    EXPECT_EQ(officeError([&] { document->storeToFile(dir_.file("no/folder/r.ods")); }),
              "cannot write " + dir_.file("no/folder/r.ods") + ": the folder " +
                  dir_.file("no/folder") + " does not exist");
}

} // namespace
} // namespace gridwork
