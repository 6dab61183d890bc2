#include "ods/error.h"
#include "ods/reader.h"
#include "ods/writer.h"
#include "ods/zip_package.h"
#include "ods_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ods {
namespace {

namespace fs = std::filesystem;

std::string paragraphs(std::string_view text) {
    std::string out;
    appendTextParagraphs(out, text);
    return out;
}

const std::vector<std::string>& awkwardTexts() {
    static const std::vector<std::string> texts{
        "plain",      " lead",      "   three lead",       "trail ", "a  b   c",
        "tab\there",  "\tlead tab", "line\nbreak",         "\n",     "end\n",
        "a\r\nb",     "<&>\"'",     "Grüße 日本 🙂", "=1+1",   "0042",
        " \t \n \t ", "x\n\n\ny"};
    return texts;
}

TEST(WriterText, BlanksLinesAndMarkupAreSpelledOutAsTheOfficeReadsThem) {
    EXPECT_EQ(paragraphs("a b"), "<text:p>a b</text:p>");
    EXPECT_EQ(paragraphs("  a   b "), "<text:p><text:s text:c=\"2\"/>a <text:s text:c=\"2\"/>b "
                                      "</text:p>");
    EXPECT_EQ(paragraphs(" "), "<text:p><text:s/></text:p>");
    EXPECT_EQ(paragraphs("x\n\ny"), "<text:p>x</text:p><text:p/><text:p>y</text:p>");
    EXPECT_EQ(paragraphs("a\tb\rc<&>"), "<text:p>a\tb&#13;c&lt;&amp;&gt;</text:p>");
}

TEST(WriterText, WhatXmlCannotCarryIsDroppedOrReplaced) {
    EXPECT_EQ(paragraphs(std::string("a\x01\x1F"
                                     "b")),
              "<text:p>ab</text:p>");
    EXPECT_EQ(paragraphs("bad \xC3 byte"), "<text:p>bad \xEF\xBF\xBD byte</text:p>");
    EXPECT_EQ(paragraphs("\xED\xA0\x80"), "<text:p>\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD</text:p>");
}

TEST(WriterPackage, TheEngineReadsBackEveryTextItWrote) {
    const test::TempDir dir;
    Workbook book;
    book.sheets().emplace_back("Texts & <more>");
    book.sheets().emplace_back("Leer");
    Sheet& sheet = book.sheets()[0];
    const auto& texts = awkwardTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sheet.setText(static_cast<std::int32_t>(i % 5) * 3, static_cast<std::int32_t>(i) * 7,
                      texts[i]);
    }
    sheet.appendRow(RowRun{500, 1000, {CellRun{2, 40, "block"}}});
    const std::string path = dir.file("out.ods");
    writeWorkbook(book, path);
    const Workbook back = readWorkbook(path);
    ASSERT_EQ(back.sheets().size(), 2u);
    EXPECT_EQ(back.sheets()[0].name(), "Texts & <more>");
    EXPECT_EQ(back.sheets()[1].name(), "Leer");
    EXPECT_EQ(back.sheets()[1].extent().rows, 0);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(back.sheets()[0].text(static_cast<std::int32_t>(i % 5) * 3,
                                        static_cast<std::int32_t>(i) * 7),
                  texts[i])
            << "text " << i;
    }
    EXPECT_EQ(back.sheets()[0].text(41, 1499), "block");
    EXPECT_EQ(back.sheets()[0].rows().size(), sheet.rows().size());
}

TEST(WriterPackage, MimetypeComesFirstUncompressedAndThePartsAreAllThere) {
    const test::TempDir dir;
    Workbook book;
    book.sheets().emplace_back("S");
    const std::string path = dir.file("out.ods");
    writeWorkbook(book, path);
    const std::string bytes = test::readFile(path);
    // Local header of the first entry: name at offset 30, stored data right after it.
    ASSERT_GT(bytes.size(), 38u + 46u);
    EXPECT_EQ(bytes.substr(30, 8), "mimetype");
    EXPECT_EQ(bytes[8], 0) << "compression method must be 0 (stored)";
    EXPECT_NE(bytes.find("mimetypeapplication/vnd.oasis.opendocument.spreadsheet"),
              std::string::npos);
    const ZipPackage package = ZipPackage::openFile(path);
    for (const char* part : {"META-INF/manifest.xml", "content.xml", "styles.xml", "meta.xml"}) {
        EXPECT_TRUE(package.hasEntry(part)) << part;
    }
}

TEST(WriterPackage, AFailedWriteLeavesTheTargetAndTheFolderUntouched) {
    const test::TempDir dir;
    const std::string path = dir.file("keep.ods");
    test::writeZip(path, {{"old", "old"}});
    const std::string before = test::readFile(path);
    const Workbook empty;
    try {
        writeWorkbook(empty, path);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot write " + path + ": a document needs at least one sheet");
    }
    EXPECT_EQ(test::readFile(path), before);
    Workbook book;
    book.sheets().emplace_back("S");
    const std::string missing = dir.file("no/such/folder/x.ods");
    try {
        writeWorkbook(book, missing);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "cannot write " + missing + ": the folder " +
                                                 dir.file("no/such/folder") + " does not exist");
    }
    writeWorkbook(book, path);
    EXPECT_NE(test::readFile(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
}

TEST(WriterCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const test::TempDir dir;
    Sheet sheet("S");
    sheet.setText(0, 0, "plain");
    sheet.setText(1, 0, "a,b");
    sheet.setText(2, 0, "say \"hi\"");
    sheet.setText(0, 1, "two\nlines");
    sheet.setText(3, 2, " blank ");
    const std::string path = dir.file("out.csv");
    writeCsv(sheet, path);
    EXPECT_EQ(test::readFile(path),
              "plain,\"a,b\",\"say \"\"hi\"\"\",\n\"two\nlines\",,,\n,,, blank \n");
    const auto rows = test::parseCsv(test::readFile(path));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][0], "two\nlines");
}

} // namespace
} // namespace ods
