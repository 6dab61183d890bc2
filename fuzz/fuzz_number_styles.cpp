// libFuzzer entry for the number formats: the bytes choose a data style (its kind, its parts and
// their attributes, a condition) and a few value cells that use it, and the document is read as
// content.xml. Byte-level fuzzing of whole documents seldom gets a style through the XML, so the
// structure comes from here and only the choices from the fuzzer.
//
// With GRIDWORK_FUZZ_PRINT set the document is printed instead of read: that turns a finding
// into a content.xml for fuzz/regressions/content, which the engine's tests read again.

#include "ods/content_context.h"
#include "ods/error.h"
#include "ods/workbook.h"
#include "ods/xml_reader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kHead =
    R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0")"
    R"( xmlns:loext="urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:automatic-styles>)";

constexpr std::array kStyleKinds = {"number-style", "currency-style", "percentage-style",
                                    "date-style",   "time-style",     "boolean-style",
                                    "text-style"};
constexpr std::array kParts = {
    "number",  "scientific-number", "fraction", "text",        "currency-symbol", "day",   "month",
    "year",    "day-of-week",       "hours",    "minutes",     "seconds",         "am-pm", "era",
    "quarter", "week-of-year",      "boolean",  "text-content"};
constexpr std::array kAttributes = {"number:decimal-places",
                                    "loext:min-decimal-places",
                                    "number:min-integer-digits",
                                    "number:grouping",
                                    "number:display-factor",
                                    "number:decimal-replacement",
                                    "number:min-exponent-digits",
                                    "number:exponent-interval",
                                    "number:forced-exponent-sign",
                                    "number:min-numerator-digits",
                                    "number:min-denominator-digits",
                                    "number:denominator-value",
                                    "number:max-denominator-value",
                                    "number:style",
                                    "number:textual",
                                    "number:language",
                                    "number:country",
                                    "number:calendar"};
// Counts at and around every limit a format has, and words the attributes take.
constexpr std::array kValues = {"0",          "1",           "2",
                                "9",          "10",          "15",
                                "17",         "18",          "19",
                                "20",         "99",          "100",
                                "101",        "-1",          "-100",
                                "65535",      "1000000",     "2147483647",
                                "2147483648", "-2147483648", "99999999999999999999",
                                "",           "x",           "true",
                                "false",      "long",        "short",
                                "0.001",      "1e308",       "1e-308",
                                "nan",        "inf",         "-0",
                                "en",         "de",          "US",
                                "gregorian",  "hijri",       "1.5",
                                " ",          "--"};
constexpr std::array kValueTypes = {"float", "percentage", "currency", "date", "time", "boolean"};
constexpr std::array kDoubles = {0.0,   -0.0, 0.5,       1.0 / 3, 3.14159265358979,
                                 1e15,  1e16, 1e308,     -1e308,  4.9e-324,
                                 1e-10, -2.5, 99999.995, 0.1,     9007199254740993.0};

// Text that expat takes: other bytes than ASCII become one letter of two bytes, so that the
// formats meet characters of more than one byte without the XML breaking.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '"')
            out += "&quot;";
        else if (byte >= 0x80)
            out += "\u00e9";
        else if (byte >= 0x20 || c == '\t' || c == '\n')
            out.push_back(c);
    }
    return out;
}

template <typename List> auto pick(FuzzedDataProvider& data, const List& list) {
    return list[data.ConsumeIntegralInRange<std::size_t>(0, list.size() - 1)];
}

std::string attributeValue(FuzzedDataProvider& data) {
    if (data.ConsumeBool())
        return std::string(pick(data, kValues));
    return escaped(data.ConsumeRandomLengthString(24));
}

std::string style(FuzzedDataProvider& data, std::string_view name) {
    const std::string_view kind = pick(data, kStyleKinds);
    std::string xml = "<number:" + std::string(kind) + " style:name=\"" + std::string(name) + "\"";
    if (data.ConsumeBool())
        xml += " number:language=\"" + attributeValue(data) + "\"";
    xml += ">";
    const int parts = data.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < parts; ++i) {
        const std::string part(pick(data, kParts));
        xml += "<number:" + part;
        const int attributes = data.ConsumeIntegralInRange(0, 6);
        for (int a = 0; a < attributes; ++a)
            xml += " " + std::string(pick(data, kAttributes)) + "=\"" + attributeValue(data) + "\"";
        xml += ">";
        if (data.ConsumeBool())
            xml += "<number:embedded-text number:position=\"" + attributeValue(data) + "\">" +
                   escaped(data.ConsumeRandomLengthString(8)) + "</number:embedded-text>";
        else if (data.ConsumeBool())
            xml += escaped(data.ConsumeRandomLengthString(8));
        xml += "</number:" + part + ">";
    }
    if (data.ConsumeBool())
        xml += "<style:map style:condition=\"value()" +
               std::string(pick(data, std::array{"&gt;=", "&lt;", "=", "!="})) +
               attributeValue(data) + "\" style:apply-style-name=\"" +
               std::string(data.ConsumeBool() ? "N0" : "N1") + "\"/>";
    return xml + "</number:" + std::string(kind) + ">";
}

std::string cell(FuzzedDataProvider& data) {
    const std::string_view type = pick(data, kValueTypes);
    std::string xml = "<table:table-cell table:style-name=\"ce1\" office:value-type=\"" +
                      std::string(type) + "\"";
    if (type == "date") {
        xml += " office:date-value=\"" +
               (data.ConsumeBool() ? std::string("2024-03-01T13:45:30.25")
                                   : escaped(data.ConsumeRandomLengthString(24))) +
               "\"";
    } else if (type == "time") {
        xml += " office:time-value=\"" +
               (data.ConsumeBool() ? std::string("PT36H05M07.25S")
                                   : escaped(data.ConsumeRandomLengthString(24))) +
               "\"";
    } else if (type == "boolean") {
        xml +=
            " office:boolean-value=\"" + std::string(data.ConsumeBool() ? "true" : "false") + "\"";
    } else {
        const double value =
            data.ConsumeBool() ? pick(data, kDoubles) : data.ConsumeFloatingPoint<double>();
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", value);
        xml += " office:value=\"" + std::string(text) + "\"";
        if (type == "currency")
            xml += " office:currency=\"" + attributeValue(data) + "\"";
    }
    return xml + "/>";
}

std::string document(FuzzedDataProvider& data) {
    std::string xml(kHead);
    xml += style(data, "N0") + style(data, "N1");
    xml += R"(<style:style style:name="ce1" style:family="table-cell" style:data-style-name="N)";
    xml += data.ConsumeBool() ? "0" : "1";
    xml += R"("/></office:automatic-styles><office:body><office:spreadsheet>)"
           R"(<table:table table:name="S"><table:table-row>)";
    const int cells = data.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < cells; ++i)
        xml += cell(data);
    return xml + "</table:table-row></table:table></office:spreadsheet></office:body>"
                 "</office:document-content>";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string xml = document(data);
    if (std::getenv("GRIDWORK_FUZZ_PRINT") != nullptr) {
        std::fwrite(xml.data(), 1, xml.size(), stdout);
        return 0;
    }
    ods::DataStyles styles;
    ods::WorkbookBuilder builder;
    ods::ContentOptions options;
    options.maxExpandedText = 8u << 20;
    ods::ContentContext content(styles, builder, options, "fuzz");
    ods::XmlReader reader(content, "fuzz (content.xml)");
    try {
        reader.feed(xml);
        reader.finish();
    } catch (const ods::Error&) {
        return 0;
    }
    // Every cell shows some text of a sane width, whatever its style asked for.
    const ods::Workbook book = builder.take();
    for (const ods::Sheet& sheet : book.sheets())
        for (const ods::RowRun& row : sheet.rows())
            for (const ods::CellRun& run : row.cells)
                if (run.text.size() > 4096)
                    std::abort();
    return 0;
}
