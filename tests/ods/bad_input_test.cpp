// Documents that must be refused with a clear reason, quickly and without running out of memory.

#include "ods/error.h"
#include "ods/reader.h"
#include "ods_test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ods {
namespace {

namespace fs = std::filesystem;

std::string readError(const std::string& path, const ReadOptions& options = {}) {
    try {
        readWorkbook(path, options);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

std::string contentError(const std::string& content, const ReadOptions& options = {}) {
    const test::TempDir dir;
    const std::string path = dir.file("bad.ods");
    test::writeOds(path, content);
    const std::string error = readError(path, options);
    const std::string prefix = "cannot read " + path;
    return error.starts_with(prefix) ? "<file>" + error.substr(prefix.size()) : error;
}

TEST(BadInput, MissingFoldersAndNonZipFilesAreNamed) {
    const test::TempDir dir;
    const std::string missing = dir.file("missing.ods");
    EXPECT_EQ(readError(missing), "cannot read " + missing + ": the file does not exist");
    EXPECT_EQ(readError(dir.path().string()),
              "cannot read " + dir.path().string() + ": it is a folder, not a file");
    const std::string text = dir.file("text.ods");
    std::ofstream(text) << "just some text, certainly no zip archive at all";
    EXPECT_EQ(readError(text),
              "cannot read " + text + ": it is no OpenDocument file (not a zip package)");
    const std::vector<std::uint8_t> bytes{'P', 'K', 3, 4, 0, 0};
    try {
        readWorkbook(bytes, "memory.ods");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot read memory.ods: it is no OpenDocument file (not a zip package)");
    }
}

TEST(BadInput, PipesCutPackagesAndLargeSmallPartsAreCalledWhatTheyAre) {
    const test::TempDir dir;
    const std::string pipe = dir.file("pipe.ods");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string whole = dir.file("whole.ods");
    test::writeOds(whole, test::contentXml("<table:table table:name=\"S\"/>"));
    const std::string cut = dir.file("cut.ods");
    std::ofstream(cut, std::ios::binary) << test::readFile(whole).substr(0, 200);
    const std::string mimetype = dir.file("mimetype.ods");
    test::writeZip(mimetype,
                   {{"mimetype", std::string(5000, 'x')}, {"content.xml", test::contentXml("")}});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {pipe, "it is no file but a pipe, device or socket; save the document as a file"},
        {cut, "the zip package is cut short or damaged"},
        {mimetype, "mimetype unpacks to more than 4096 bytes (a zip bomb?)"},
    };
    for (const auto& [path, problem] : cases)
        EXPECT_EQ(readError(path), "cannot read " + path + ": " + problem);
}

TEST(BadInput, ZipsThatHoldNoSpreadsheetAreRefusedWithTheirKind) {
    const test::TempDir dir;
    const std::string odt = dir.file("letter.ods");
    test::writeZip(odt, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                         {"content.xml", test::contentXml("")}});
    EXPECT_EQ(readError(odt), "cannot read " + odt +
                                  ": it is no spreadsheet but a document of type "
                                  "application/vnd.oasis.opendocument.text");
    const std::string xlsx = dir.file("book.xlsx");
    test::writeZip(xlsx, {{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.xml", "<x/>"}});
    EXPECT_EQ(readError(xlsx), "cannot read " + xlsx +
                                   ": it is an Office Open XML file (.xlsx, .docx), not an "
                                   "OpenDocument spreadsheet");
    const std::string bare = dir.file("bare.ods");
    test::writeZip(bare, {{"content.xml", R"(<office:document-content xmlns:office="urn:oasis:)"
                                          R"(names:tc:opendocument:xmlns:office:1.0"><office:)"
                                          R"(body><office:text/></office:body></office:)"
                                          R"(document-content>)"}});
    EXPECT_EQ(readError(bare), "cannot read " + bare +
                                   ": it is no spreadsheet (content.xml holds no "
                                   "office:spreadsheet)");
}

TEST(BadInput, PasswordProtectedDocumentsAreRecognised) {
    const test::TempDir dir;
    const std::string path = dir.file("secret.ods");
    test::writeZip(
        path,
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"META-INF/manifest.xml",
          R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)"
          R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml">)"
          R"(<manifest:encryption-data manifest:checksum-type="SHA1"/></manifest:file-entry>)"
          R"(</manifest:manifest>)"},
         {"content.xml", "\x01\x02 encrypted bytes"}});
    EXPECT_EQ(readError(path), "cannot read " + path +
                                   ": it is password-protected; save it without a password "
                                   "first");
}

TEST(BadInput, DamagedXmlIsReportedWithItsPartAndLine) {
    const std::string truncated =
        test::contentXml("<table:table table:name=\"S\"><table:table-row><table:table-cell>");
    EXPECT_EQ(contentError(truncated.substr(0, truncated.find("<table:table-ro") + 10)),
              "<file> (content.xml): the XML is damaged (unclosed token at line 1)");
    EXPECT_EQ(contentError(test::contentXml("<table:table table:name=\"S\">&bogus;</table:table>")),
              "<file> (content.xml): the XML is damaged (undefined entity at line 1)");
    EXPECT_EQ(contentError(""), "<file> (content.xml): the XML is damaged (no element found at "
                                "line 1)");
}

TEST(BadInput, DocumentTypesAndEntitiesAreNeverResolved) {
    const std::string external = R"(<?xml version="1.0"?><!DOCTYPE d [<!ENTITY x SYSTEM )"
                                 R"("file:///etc/passwd">]><d>&x;</d>)";
    EXPECT_EQ(contentError(external), "<file> (content.xml): it declares a document type (DTD), "
                                      "which is not allowed");
    const std::string laughs = R"(<?xml version="1.0"?><!DOCTYPE d [<!ENTITY a "aaaaaaaaaa">)"
                               R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><d>&b;</d>)";
    EXPECT_EQ(contentError(laughs), "<file> (content.xml): it declares a document type (DTD), "
                                    "which is not allowed");
}

TEST(BadInput, ZipBombsAndExpandingBlanksHitTheLimits) {
    std::string content = test::contentXml("<table:table table:name=\"S\"/>");
    content.insert(content.size() - 30, std::string(17u << 20, ' '));
    ReadOptions options;
    options.maxRatio = 10;
    EXPECT_EQ(contentError(content, options),
              "<file>: content.xml unpacks to more than 16 MB (a zip bomb?)");
    content.resize(2u << 20);
    options = {};
    options.maxXmlBytes = 1u << 20;
    EXPECT_EQ(contentError(content, options),
              "<file>: content.xml unpacks to more than 1 MB (a zip bomb?)");
    options = {};
    options.maxXmlBytes = 100000;
    const std::string blanks = test::contentXml(
        "<table:table table:name=\"S\"><table:table-row><table:table-cell><text:p>"
        "<text:s text:c=\"60000\"/><text:s text:c=\"60000\"/></text:p></table:table-cell>"
        "</table:table-row></table:table>");
    EXPECT_EQ(contentError(blanks, options),
              "<file>: its cells expand to more text than a document can hold");
}

TEST(BadInput, CellsLongerThanTheLimitAreRefusedWithTheirPlace) {
    const auto repeated = [](std::string_view piece, std::uint64_t count) {
        std::string text;
        text.reserve(piece.size() * count);
        for (std::uint64_t i = 0; i < count; ++i)
            text += piece;
        return text;
    };
    const std::string tooLong =
        "holds more than 33554432 characters, more than gridstack reads from a cell";
    // A cell as long as the office holds them in practice is read whole.
    const std::uint64_t limit = kMaxCellText;
    // The limit counts the office's UTF-16 units, not bytes: a euro sign is one, an emoji two.
    const std::vector<std::pair<std::string, std::string>> cells = {
        {"<text:p><text:s text:c=\"1000000000\"/></text:p>", tooLong},
        {"<text:p>" + std::string(limit, 'x') + "</text:p>", "no error"},
        {"<text:p>" + std::string(limit, 'x') + "<text:s/></text:p>", tooLong},
        {"<text:p>" + repeated("\u20ac", limit) + "</text:p>", "no error"},
        {"<text:p>" + repeated("\U0001F600", limit / 2 + 1) + "</text:p>", tooLong},
        {repeated("<text:p>" + std::string(limit / 64, 'y') + "</text:p>", 65), tooLong},
    };
    for (const auto& [cell, expected] : cells) {
        const std::string error = contentError(
            test::contentXml("<table:table table:name=\"Data\"><table:table-row/><table:table-row>"
                             "<table:table-cell/><table:table-cell office:value-type=\"string\">" +
                             cell + "</table:table-cell></table:table-row></table:table>"));
        EXPECT_TRUE(error.ends_with(expected)) << error.substr(0, 300);
        if (expected != "no error") {
            EXPECT_EQ(error, "<file>: cell B2 of sheet \"Data\" " + tooLong);
        }
    }
}

TEST(BadInput, FormatsAskingForMillionsOfDigitsHitTheTextLimit) {
    const std::string styles =
        "<office:automatic-styles><number:number-style style:name=\"N1\"><number:number "
        "number:decimal-places=\"2\" number:min-integer-digits=\"7777771\"/>"
        "</number:number-style><style:style style:name=\"ce1\" style:family=\"table-cell\" "
        "style:data-style-name=\"N1\"/></office:automatic-styles>";
    std::string cells;
    for (int i = 0; i < 200; ++i) {
        cells += "<table:table-cell table:style-name=\"ce1\" office:value-type=\"float\" "
                 "office:value=\"1.5\"><text:p>1.50</text:p></table:table-cell>";
    }
    std::string content = test::contentXml("<table:table table:name=\"S\"><table:table-row>" +
                                           cells + "</table:table-row></table:table>");
    content.replace(content.find("<office:body>"), 13, styles + "<office:body>");
    content.replace(content.find(" office:version"), 0,
                    " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\"");
    const test::TempDir dir;
    const std::string path = dir.file("digits.ods");
    test::writeOds(path, content);
    ReadOptions options;
    options.maxXmlBytes = 16u << 20;
    try {
        // A format engine that keeps numbers to a sane width passes; one that honours millions
        // of digits must run into the limit instead of into the memory.
        const Workbook book = readWorkbook(path, options);
        EXPECT_LT(book.sheets().at(0).text(0, 0).size(), 1u << 20);
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot read " + path +
                      ": its cells expand to more text than a document can "
                      "hold");
    }
}

TEST(BadInput, MoreSheetsThanTheOfficeAllowsAreRefused) {
    std::string tables;
    for (std::size_t i = 0; i <= kMaxSheets; ++i) {
        tables += "<table:table table:name=\"" + std::to_string(i) + "\"/>";
    }
    EXPECT_EQ(contentError(test::contentXml(tables)), "<file>: it has more than 10000 sheets");
}

TEST(BadInput, TheSharedHostileDocuments) {
    const fs::path hostile = fs::path(GRIDWORK_CORPUS_DIR) / "hostile";
    if (!fs::is_directory(hostile)) {
        GTEST_SKIP() << "no corpus at " << hostile;
    }
    const std::string dos = (hostile / "calamine__tests_issue_594_dos.ods").string();
    const Workbook book = readWorkbook(dos);
    ASSERT_EQ(book.sheets().size(), 1u);
    EXPECT_EQ(book.sheets()[0].extent().columns, kMaxColumns);
    EXPECT_EQ(book.sheets()[0].extent().rows, kMaxRows);
    EXPECT_EQ(book.sheets()[0].text(kMaxColumns - 1, kMaxRows - 1), "X");
    const std::string locked = (hostile / "calamine__tests_pass_protected.ods").string();
    EXPECT_EQ(readError(locked), "cannot read " + locked +
                                     ": it is password-protected; save it without a password "
                                     "first");
}

} // namespace
} // namespace ods
