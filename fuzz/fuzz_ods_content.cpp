// libFuzzer entry: the bytes are content.xml. Whatever is read is written out again as cell
// paragraphs and must read back unchanged.

#include "ods/content_context.h"
#include "ods/error.h"
#include "ods/writer.h"
#include "ods/xml_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::string_view kHead =
    R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>)"
    R"(<office:spreadsheet><table:table table:name="S"><table:table-row><table:table-cell>)";
constexpr std::string_view kTail = "</table:table-cell></table:table-row></table:table>"
                                   "</office:spreadsheet></office:body></office:document-content>";

ods::Workbook parse(std::string_view xml) {
    ods::DataStyles styles;
    ods::WorkbookBuilder builder;
    ods::ContentOptions options;
    options.maxExpandedText = 8u << 20;
    ods::ContentContext content(styles, builder, options, "fuzz");
    ods::XmlReader reader(content, "fuzz (content.xml)");
    reader.feed(xml);
    reader.finish();
    return builder.take();
}

bool writable(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    ods::Workbook book;
    try {
        book = parse(xml);
    } catch (const ods::Error&) {
        return 0;
    }
    for (const ods::Sheet& sheet : book.sheets()) {
        for (const ods::RowRun& row : sheet.rows()) {
            for (const ods::CellRun& cell : row.cells) {
                if (!writable(cell.text)) {
                    continue;
                }
                std::string again(kHead);
                ods::appendTextParagraphs(again, cell.text);
                again += kTail;
                const ods::Workbook back = parse(again);
                if (back.sheets().at(0).text(0, 0) != cell.text) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
