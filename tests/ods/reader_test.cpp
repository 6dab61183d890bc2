#include "ods/error.h"
#include "ods/reader.h"
#include "ods_test_support.h"

#include <fstream>
#include <gtest/gtest.h>

namespace ods {
namespace {

using test::readTables;

std::string cellXml(const std::string& inner, const std::string& attributes = {}) {
    return "<table:table-cell office:value-type=\"string\"" + attributes + ">" + inner +
           "</table:table-cell>";
}

std::string oneRow(const std::string& cells) {
    return "<table:table table:name=\"S\"><table:table-row>" + cells +
           "</table:table-row></table:table>";
}

std::string textOf(const std::string& cellInner, const std::string& attributes = {}) {
    const Workbook book = readTables(oneRow(cellXml(cellInner, attributes)));
    return std::string(book.sheets().at(0).text(0, 0));
}

TEST(ReaderCellText, ParagraphsAreJoinedWithLineFeedsIncludingEmptyOnes) {
    EXPECT_EQ(textOf("<text:p>one</text:p><text:p>two</text:p><text:p/>"), "one\ntwo\n");
    EXPECT_EQ(textOf("<text:p/>"), "");
}

TEST(ReaderCellText, BlanksExpandAsTheOfficeReadsThem) {
    EXPECT_EQ(textOf("<text:p><text:s text:c=\"3\"/>lead<text:s/>x  y </text:p>"), "   lead x  y ");
    // A count of 0 still gives one blank, a negative count none.
    EXPECT_EQ(textOf("<text:p>A<text:s text:c=\"0\"/>B<text:s text:c=\"-2\"/>C</text:p>"), "A BC");
}

TEST(ReaderCellText, TabAndLineBreakElementsAreDroppedButCharactersKept) {
    EXPECT_EQ(textOf("<text:p>a<text:tab/>b<text:line-break/>c</text:p>"), "abc");
    EXPECT_EQ(textOf("<text:p>a\tb&#13;c</text:p>"), "a\tb\rc");
}

TEST(ReaderCellText, NestedSpansAndLinksCountNotesRubyAndAnnotationsDoNot) {
    EXPECT_EQ(textOf("<text:p>x<text:span>y<text:span>z</text:span></text:span>"
                     "<text:a xlink:href=\"http://e\">L</text:a></text:p>"),
              "xyzL");
    EXPECT_EQ(textOf("<text:p>t<text:note><text:note-body><text:p>fn</text:p></text:note-body>"
                     "</text:note>x<text:ruby><text:ruby-base>rb</text:ruby-base>"
                     "<text:ruby-text>rt</text:ruby-text></text:ruby></text:p>"),
              "txrb");
    EXPECT_EQ(textOf("<office:annotation><text:p>note</text:p></office:annotation>"
                     "<text:p>shown</text:p>"),
              "shown");
    EXPECT_EQ(textOf("<text:h>head</text:h><text:list><text:list-item><text:p>li</text:p>"
                     "</text:list-item></text:list>"),
              "");
}

TEST(ReaderCellText, StringValueWinsOverParagraphsUnlessEmpty) {
    EXPECT_EQ(textOf("<text:p>P</text:p>", " office:string-value=\"SV\""), "SV");
    EXPECT_EQ(textOf("<text:p>#DIV/0!</text:p>", " office:string-value=\"\""), "#DIV/0!");
}

TEST(ReaderCellText, FormulaErrorsShowTheirCachedText) {
    const Workbook book = readTables(
        oneRow("<table:table-cell table:formula=\"of:=1/0\" office:value-type=\"float\" "
               "office:value=\"0\" calcext:value-type=\"error\"><text:p>#DIV/0!</text:p>"
               "</table:table-cell><table:table-cell table:formula=\"of:=NA()\" "
               "office:value-type=\"string\" office:string-value=\"\" calcext:value-type=\"error\">"
               "<text:p>#N/A</text:p></table:table-cell>"));
    EXPECT_EQ(book.sheets().at(0).text(0, 0), "#DIV/0!");
    EXPECT_EQ(book.sheets().at(0).text(1, 0), "#N/A");

    // Writers that do not mark errors: a zero (or no value) with an error's paragraph.
    const std::vector<std::pair<std::string, std::string>> unmarked = {
        {"office:value=\"0\"><text:p>#N/A</text:p>", "#N/A"},
        {"><text:p>Err:502</text:p>", "Err:502"},
        {"office:value=\"0\"><text:p>#NV</text:p><text:p>x</text:p>", "#NV"},
        {"office:value=\"0\"><text:p>0</text:p>", "0"},
        {"office:value=\"5\"><text:p>#N/A</text:p>", "5"},
        {"office:value=\"0\" calcext:value-type=\"float\"><text:p>#N/A</text:p>", "0"},
    };
    for (const auto& [cell, shown] : unmarked) {
        const Workbook one = readTables(
            oneRow("<table:table-cell table:formula=\"of:=X()\" office:value-type=\"float\" " +
                   cell + "</table:table-cell>"));
        EXPECT_EQ(one.sheets().at(0).text(0, 0), shown) << cell;
    }
}

// A formula without a style of its own shows the format the office infers; LibreOffice from 5 on
// wrote it with the cell, other writers (and a meta.xml that cannot be read) leave it unknown.
TEST(ReaderCellText, FormulaFormatsAreKnownFromWritersThatInferThem) {
    const test::TempDir dir;
    const std::string content =
        test::contentXml(oneRow("<table:table-cell table:formula=\"of:=SUM([.B1:.C1])\" "
                                "office:value-type=\"float\" office:value=\"3\"><text:p>3</text:p>"
                                "</table:table-cell>"));
    const std::pair<std::string, bool> writers[] = {
        {"LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2", false},
        {"LibreOfficeDev/5.0.0.0.alpha1$Linux_X86_64", false},
        {"LibreOffice/4.2.5.2$Windows_x86 LibreOffice_project/61cb", true},
        {"OpenOffice/4.1.14$Win32 OpenOffice.org_project/4114m1$Build-9811", true},
        {"Gnumeric/1.12.55", true},
        {"", true},
        {"<broken", true},
    };
    for (const auto& [generator, named] : writers) {
        const std::string path = dir.file("formula.ods");
        test::writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                              {"meta.xml", "<office:document-meta xmlns:office=\"urn:oasis:names:"
                                           "tc:opendocument:xmlns:office:1.0\" xmlns:meta=\"urn:"
                                           "oasis:names:tc:opendocument:xmlns:meta:1.0\"><office:"
                                           "meta><meta:generator>" +
                                               generator +
                                               "</meta:generator></office:meta></office:document-"
                                               "meta>"},
                              {"content.xml", content}});
        const Workbook book = readWorkbook(path);
        EXPECT_EQ(book.sheets().at(0).recalculated().size(), named ? 1u : 0u) << generator;
        EXPECT_EQ(book.sheets().at(0).text(0, 0), "3") << generator;
    }
}

TEST(ReaderCellText, ValueCellsWithUnknownFormatsFallBackToTheCachedText) {
    const Workbook book = readTables(oneRow(
        "<table:table-cell office:value-type=\"float\" office:value=\"1.5\"><text:p>1.50"
        "</text:p></table:table-cell><table:table-cell><text:p>no type</text:p>"
        "</table:table-cell><table:table-cell office:value-type=\"bogus\"><text:p>odd</text:p>"
        "</table:table-cell>"));
    const Sheet& sheet = book.sheets().at(0);
    EXPECT_EQ(sheet.text(1, 0), "no type");
    EXPECT_EQ(sheet.text(2, 0), "odd");
    EXPECT_FALSE(sheet.text(0, 0).empty());
}

TEST(ReaderLayout, RepeatedEmptyRowsAndColumnsCostNothingAndCountAsPositions) {
    const Workbook book = readTables(
        "<table:table table:name=\"S\"><table:table-column table:number-columns-repeated="
        "\"16384\"/><table:table-row table:number-rows-repeated=\"3\"><table:table-cell "
        "table:number-columns-repeated=\"16384\"/></table:table-row><table:table-row>"
        "<table:table-cell table:number-columns-repeated=\"2\"/>" +
        cellXml("<text:p>x</text:p>") +
        "</table:table-row><table:table-row table:number-rows-repeated=\"1048572\">"
        "<table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row>"
        "</table:table>");
    const Sheet& sheet = book.sheets().at(0);
    EXPECT_EQ(sheet.rows().size(), 1u);
    EXPECT_EQ(sheet.text(2, 3), "x");
    EXPECT_EQ(sheet.extent().columns, 3);
    EXPECT_EQ(sheet.extent().rows, 4);
}

TEST(ReaderLayout, RepeatedNonEmptyCellsRepeatTheirTextClampedToTheSheet) {
    const Workbook book =
        readTables("<table:table table:name=\"S\"><table:table-row table:number-rows-repeated="
                   "\"999999999\">" +
                   cellXml("<text:p>X</text:p>", " table:number-columns-repeated=\"999999999\"") +
                   "</table:table-row></table:table>");
    const Sheet& sheet = book.sheets().at(0);
    EXPECT_EQ(sheet.text(0, 0), "X");
    EXPECT_EQ(sheet.text(16383, 1048575), "X");
    EXPECT_EQ(sheet.extent().columns, kMaxColumns);
    EXPECT_EQ(sheet.extent().rows, kMaxRows);
    EXPECT_EQ(sheet.rows().size(), 1u);
}

TEST(ReaderLayout, CoveredCellsKeepTheirColumnAndContent) {
    const Workbook book = readTables(
        oneRow(cellXml("<text:p>merged</text:p>", " table:number-columns-spanned=\"2\"") +
               "<table:covered-table-cell office:value-type=\"string\"><text:p>hidden</text:p>"
               "</table:covered-table-cell>" +
               cellXml("<text:p>after</text:p>")));
    const Sheet& sheet = book.sheets().at(0);
    EXPECT_EQ(sheet.text(0, 0), "merged");
    EXPECT_EQ(sheet.text(1, 0), "hidden");
    EXPECT_EQ(sheet.text(2, 0), "after");
}

TEST(ReaderLayout, RowsInsideGroupsAndHeadersCountLikeAnyRow) {
    const std::string row =
        "<table:table-row>" + cellXml("<text:p>r</text:p>") + "</table:table-row>";
    const Workbook book = readTables(
        "<table:table table:name=\"S\"><table:table-header-rows>" + row +
        "</table:table-header-rows><table:table-row-group>" + row + "<table:table-rows>" + row +
        "</table:table-rows></table:table-row-group><table:table-row "
        "table:visibility=\"collapse\">" +
        cellXml("<text:p>hidden</text:p>") + "</table:table-row></table:table>");
    const Sheet& sheet = book.sheets().at(0);
    EXPECT_EQ(sheet.text(0, 2), "r");
    EXPECT_EQ(sheet.text(0, 3), "hidden");
}

TEST(ReaderSheets, SheetsComeInOrderWithTheirNames) {
    const Workbook book = readTables(
        "<table:table table:name=\"First\"/><table:table table:name=\"Zweite Tabelle ä\">"
        "<table:table-row>" +
        cellXml("<text:p>b</text:p>") + "</table:table-row></table:table>");
    ASSERT_EQ(book.sheets().size(), 2u);
    EXPECT_EQ(book.sheets()[0].name(), "First");
    EXPECT_EQ(book.sheets()[0].extent().rows, 0);
    ASSERT_NE(book.sheetByName("Zweite Tabelle ä"), nullptr);
    EXPECT_EQ(book.sheetByName("Zweite Tabelle ä")->text(0, 0), "b");
    EXPECT_EQ(book.sheetByName("missing"), nullptr);
}

TEST(ReaderSheets, OnlyTheTablesTheOfficeShowsAreSheets) {
    // Cached copies of linked documents' sheets (named by their URL), tables in drawings and the
    // results of DDE links are no sheets, whatever they hold.
    const std::string cell =
        "<table:table-row>" + cellXml("<text:p>x</text:p>") + "</table:table-row>";
    const std::string linked = "<table:table-source xlink:href=\"file:///D:/a.xlsx\" "
                               "table:mode=\"copy-results-only\"/>" +
                               cell;
    const Workbook book = readTables(
        "<table:table table:name=\"Own\">" + cell + "</table:table>" +
        "<table:table table:name=\"'file:///D:/a.xlsx'#Sheet1\">" + linked + "</table:table>" +
        "<table:table table:name=\"'HTTPS://host/b.ods'#Q 1\">" + cell + "</table:table>" +
        "<table:table table:name=\"'file:///c.ods'#\">" + cell + "</table:table>" +
        "<table:table table:name=\"'unknown:x'#S\">" + cell + "</table:table>" +
        "<table:table table:name=\"'Quoted'\"><table:shapes><draw:frame><draw:text-box>"
        "<table:table table:name=\"InShape\">" +
        cell +
        "</table:table></draw:text-box>"
        "</draw:frame></table:shapes>" +
        cell +
        "</table:table>"
        "<table:dde-links><table:dde-link><table:table table:name=\"Dde\">" +
        cell + "</table:table></table:dde-link></table:dde-links>");
    std::vector<std::string> names;
    for (const Sheet& sheet : book.sheets()) {
        names.emplace_back(sheet.name());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Own", "'file:///c.ods'#", "'unknown:x'#S", "'Quoted'"}));
    EXPECT_EQ(book.sheetByName("'file:///D:/a.xlsx'#Sheet1"), nullptr);
    EXPECT_EQ(book.sheets().back().extent().rows, 1);

    const test::TempDir dir;
    const std::string path = dir.file("t.ods");
    test::writeOds(path, test::contentXml("<table:table table:name=\"'file:///a.ods'#S\">" + cell +
                                          "</table:table><table:table table:name=\"B\">" + cell +
                                          "</table:table>"));
    ReadOptions second;
    second.onlySheet = 0;
    const Workbook only = readWorkbook(path, second);
    ASSERT_EQ(only.sheets().size(), 1u);
    EXPECT_EQ(only.sheets()[0].name(), "B");
}

TEST(ReaderSheets, OnlyTheSheetAndRowsAskedForAreRead) {
    const test::TempDir dir;
    const std::string path = dir.file("t.ods");
    std::string rows;
    for (int i = 0; i < 10; ++i) {
        rows += "<table:table-row>" + cellXml("<text:p>" + std::to_string(i) + "</text:p>") +
                "</table:table-row>";
    }
    test::writeOds(path, test::contentXml("<table:table table:name=\"A\">" + rows +
                                          "</table:table><table:table table:name=\"B\">" + rows +
                                          "</table:table>"));
    ReadOptions options;
    options.onlySheet = 0;
    options.lastRow = 3;
    const Workbook book = readWorkbook(path, options);
    ASSERT_EQ(book.sheets().size(), 1u);
    EXPECT_EQ(book.sheets()[0].text(0, 3), "3");
    EXPECT_EQ(book.sheets()[0].extent().rows, 4);
}

// content.xml with the given root attributes (namespace declarations) around body.
std::string documentXml(const std::string& declarations, const std::string& body) {
    return R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content )" + declarations +
           ">" + body + "</office:document-content>";
}

Workbook readContent(const std::string& content) {
    const test::TempDir dir;
    const std::string path = dir.file("t.ods");
    test::writeOds(path, content);
    return readWorkbook(path);
}

constexpr const char* kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr const char* kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr const char* kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";

TEST(ReaderNamespaces, ElementsAreKnownByTheirUrisWhateverTheirPrefixes) {
    // The table URI under another prefix, "table" bound to another URI, and the text URI under
    // the prefix "office": only the URIs count.
    const std::string declarations =
        std::string("xmlns:o=\"") + kOffice + "\" xmlns:t=\"" + kTable +
        "\" xmlns:table=\"urn:not-the-table\" xmlns:office=\"" + kText + "\"";
    const std::string body =
        "<o:body><o:spreadsheet><t:table t:name=\"S\"><t:table-row>"
        "<t:table-cell o:value-type=\"string\"><office:p>first</office:p></t:table-cell>"
        "<table:table-cell><office:p>no cell</office:p></table:table-cell>"
        "<t:table-cell o:value-type=\"float\" o:value=\"2.5\" table:style-name=\"none\">"
        "<office:p>cached</office:p></t:table-cell>"
        "</t:table-row></t:table></o:spreadsheet></o:body>";
    // The same read by expat: a name outside ASCII at the start leaves the whole part to it.
    const std::string foreign = "<x:caf\xC3\xA9 xmlns:x=\"urn:x\"/>";
    for (const std::string& content :
         {documentXml(declarations, body), documentXml(declarations, foreign + body)}) {
        const Workbook book = readContent(content);
        ASSERT_EQ(book.sheets().size(), 1u);
        const Sheet& sheet = book.sheets()[0];
        EXPECT_EQ(sheet.name(), "S");
        EXPECT_EQ(sheet.text(0, 0), "first");
        EXPECT_EQ(sheet.text(1, 0), "2.5");
        EXPECT_EQ(sheet.extent().columns, 2);
    }
}

TEST(ReaderCellText, ValuesRenderPerColumnStyleAndFallBackToAllTheirParagraphs) {
    const std::string declarations =
        std::string("xmlns:office=\"") + kOffice + "\" xmlns:table=\"" + kTable +
        "\" xmlns:text=\"" + kText +
        "\" xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" xmlns:number=\"urn:"
        "oasis:names:tc:opendocument:xmlns:datastyle:1.0\"";
    const std::string body =
        "<office:automatic-styles><number:number-style style:name=\"N2\"><number:number "
        "number:decimal-places=\"2\" number:min-decimal-places=\"2\" "
        "number:min-integer-digits=\"1\"/></number:number-style><style:style style:name=\"ce2\" "
        "style:family=\"table-cell\" style:data-style-name=\"N2\"/></office:automatic-styles>"
        "<office:body><office:spreadsheet><table:table table:name=\"S\">"
        "<table:table-column table:default-cell-style-name=\"ce2\"/><table:table-column/>"
        "<table:table-column table:default-cell-style-name=\"ce2\"/>"
        "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1.5\" "
        "table:number-columns-repeated=\"3\"><text:p>x</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"float\" office:value=\"4\" "
        "table:number-columns-repeated=\"2\"><text:p>y</text:p></table:table-cell>"
        "</table:table-row><table:table-row><table:table-cell office:value-type=\"void\">"
        "<text:p>a<text:s text:c=\"2\"/>b</text:p><text:p>c</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"float\" office:value=\"1\" "
        "table:style-name=\"ce2\"><text:p>skipped<text:s text:c=\"3\"/></text:p><text:p/>"
        "</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body>";
    const Workbook book = readContent(documentXml(declarations, body));
    const Sheet& sheet = book.sheets().at(0);
    EXPECT_EQ(sheet.text(0, 0), "1.50");
    EXPECT_EQ(sheet.text(1, 0), "1.5");
    EXPECT_EQ(sheet.text(2, 0), "1.50");
    // Beyond the declared columns, side by side with like cells, the last column's style holds.
    EXPECT_EQ(sheet.text(3, 0), "4.00");
    EXPECT_EQ(sheet.text(4, 0), "4.00");
    EXPECT_EQ(sheet.text(0, 1), "a  b\nc");
    EXPECT_EQ(sheet.text(1, 1), "1.00");
}

} // namespace
} // namespace ods

namespace ods {
namespace {

TEST(ReaderStop, LongPartsAskToStopAsTheyAreReadAndStopAtOnce) {
    // Cells, a long comment and styles: whatever a part holds, the question comes every few
    // dozen kilobytes.
    std::string rows;
    for (int i = 0; i < 20000; ++i)
        rows += "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>row " +
                std::to_string(i) + "</text:p></table:table-cell></table:table-row>";
    const std::vector<std::pair<std::string, std::string>> documents = {
        {test::contentXml("<table:table table:name=\"S\">" + rows + "</table:table>"), ""},
        {test::contentXml("<table:table table:name=\"S\"><!--" + std::string(4u << 20, 'c') +
                          "--></table:table>"),
         ""},
        {test::contentXml("<table:table table:name=\"S\"/>"),
         "<office:document-styles xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:"
         "1.0\"><!--" +
             std::string(4u << 20, 's') + "--></office:document-styles>"},
    };
    const test::TempDir dir;
    const std::string path = dir.file("long.ods");
    const std::string flat = dir.file("long.fods");
    for (const auto& [content, styles] : documents) {
        test::writeOds(path, content, styles);
        // The flat form holds the same XML in one file.
        std::ofstream(flat) << content;
        for (const bool isFlat : {false, true}) {
            if (isFlat && !styles.empty())
                continue; // no flat form of a separate styles part here
            const auto read = [&](const ReadOptions& options) {
                return isFlat ? readFlatWorkbook(flat, options) : readWorkbook(path, options);
            };
            int asked = 0;
            ReadOptions options;
            options.stop = [&asked] { return ++asked == 3; };
            EXPECT_THROW(read(options), Stopped) << content.size() << " " << isFlat;
            EXPECT_EQ(asked, 3);
            options.stop = [] { return false; };
            EXPECT_NO_THROW(read(options));
        }
    }
}

} // namespace
} // namespace ods

namespace ods {
namespace {

TEST(ReaderEncoding, TheXmlDeclarationSaysHowTheBytesReadAsInTheOffice) {
    // The UTF-8 bytes of "straße" under each declaration, and what the office shows.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "stra\u00dfe"},
        {"UTF-8", "stra\u00dfe"},
        {"ISO-8859-1", "stra\u00c3\u009fe"},
        {"windows-1252", "stra\u00c3\u0178e"},
        {"ISO-8859-15", "stra\u00c3\u009fe"},
        {"bogus", "error: its XML is in an encoding that cannot be read (bogus)"},
    };
    const test::TempDir dir;
    const std::string path = dir.file("encoded.ods");
    for (const auto& [encoding, shown] : cases) {
        std::string content = test::contentXml(
            "<table:table table:name=\"S\"><table:table-row><table:table-cell><text:p>"
            "stra\u00dfe&#13;</text:p></table:table-cell></table:table-row></table:table>");
        const std::size_t declared = content.find("?>") + 2;
        content.replace(0, declared,
                        encoding.empty() ? ""
                                         : "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>");
        test::writeOds(path, content);
        try {
            EXPECT_EQ(readWorkbook(path).sheets().at(0).text(0, 0), shown + "\r") << encoding;
        } catch (const Error& error) {
            EXPECT_EQ("error: " + std::string(error.what()).substr(path.size() + 28), shown);
        }
    }
}

} // namespace
} // namespace ods
