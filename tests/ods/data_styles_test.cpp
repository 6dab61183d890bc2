#include "ods/data_styles.h"
#include "ods/office_locale.h"
#include "ods/reader.h"
#include "ods_test_support.h"

#include <algorithm>
#include <expat.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using ods::CellValue;
using ods::DataStyles;
using ods::ValueType;

constexpr char separator = '\x01';

// Feeds namespace-resolved events of a flat document to DataStyles, as the reader does, and
// collects the value cells of its first sheet.
class FlatDocument {
public:
    struct Cell {
        int row = 0;
        int column = 0;
        std::string style;
        ValueType type = ValueType::Void;
        std::string number;
        std::string date;
        std::string time;
        std::string currency;
        bool boolean = false;
    };

    /// `into`: styles read before, which the document's styles add to.
    explicit FlatDocument(const std::string& xml, DataStyles into = DataStyles())
        : styles(std::move(into)) {
        std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
            XML_ParserCreateNS("UTF-8", separator), &XML_ParserFree);
        XML_SetUserData(parser.get(), this);
        XML_SetElementHandler(parser.get(), &FlatDocument::onStart, &FlatDocument::onEnd);
        XML_SetCharacterDataHandler(parser.get(), &FlatDocument::onText);
        if (XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), 1) ==
            XML_STATUS_ERROR)
            throw std::runtime_error(XML_ErrorString(XML_GetErrorCode(parser.get())));
    }

    DataStyles styles;
    std::vector<Cell> cells;

private:
    static std::pair<std::string, std::string> split(const XML_Char* name) {
        const std::string text(name);
        const auto at = text.find(separator);
        if (at == std::string::npos)
            return {"", text};
        return {text.substr(0, at), text.substr(at + 1)};
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& self = *static_cast<FlatDocument*>(data);
        const auto [ns, local] = split(name);
        std::vector<std::pair<std::string, std::string>> names;
        for (int i = 0; attributes[i]; i += 2) {
            const auto [ans, alocal] = split(attributes[i]);
            names.emplace_back(ans, alocal);
        }
        std::vector<ods::XmlAttribute> list;
        for (std::size_t i = 0; i < names.size(); ++i)
            list.push_back({names[i].first, names[i].second, attributes[2 * i + 1]});
        const bool container = local == "styles" || local == "automatic-styles";
        if (container)
            ++self.styleDepth_;
        if (self.styleDepth_ > 0 || local == "null-date")
            self.styles.startElement(ns, local, list);
        if (local == "table") {
            ++self.tables_;
            self.row_ = -1;
        } else if (local == "table-row" && self.tables_ == 1) {
            ++self.row_;
            self.column_ = 0;
        } else if ((local == "table-cell" || local == "covered-table-cell") && self.tables_ == 1) {
            self.readCell(list);
        } else if (local == "table-column" && self.tables_ == 1) {
            // The office writes the style most cells of a column share on the column.
            std::string style;
            int repeat = 1;
            for (const auto& a : list) {
                if (a.local == "default-cell-style-name")
                    style = a.value;
                else if (a.local == "number-columns-repeated")
                    repeat = std::stoi(std::string(a.value));
            }
            self.columnStyles_.insert(self.columnStyles_.end(), repeat, style);
        }
    }

    void readCell(const std::vector<ods::XmlAttribute>& list) {
        Cell cell;
        cell.row = row_;
        cell.column = column_;
        if (column_ < static_cast<int>(columnStyles_.size()))
            cell.style = columnStyles_[column_];
        int repeat = 1;
        for (const auto& a : list) {
            if (a.local == "style-name")
                cell.style = a.value;
            else if (a.local == "number-columns-repeated")
                repeat = std::stoi(std::string(a.value));
            else if (a.local == "value")
                cell.number = a.value;
            else if (a.local == "date-value")
                cell.date = a.value;
            else if (a.local == "time-value")
                cell.time = a.value;
            else if (a.local == "currency")
                cell.currency = a.value;
            else if (a.local == "boolean-value")
                cell.boolean = a.value == "true";
            else if (a.local == "value-type")
                cell.type = a.value == "float"        ? ValueType::Float
                            : a.value == "percentage" ? ValueType::Percentage
                            : a.value == "currency"   ? ValueType::Currency
                            : a.value == "date"       ? ValueType::Date
                            : a.value == "time"       ? ValueType::Time
                            : a.value == "boolean"    ? ValueType::Boolean
                                                      : ValueType::String;
        }
        for (int i = 0; i < repeat && cell.type != ValueType::Void; ++i) {
            cells.push_back(cell);
            ++cell.column;
        }
        column_ += repeat;
    }

    static void onEnd(void* data, const XML_Char* name) {
        auto& self = *static_cast<FlatDocument*>(data);
        const auto [ns, local] = split(name);
        if (self.styleDepth_ > 0)
            self.styles.endElement(ns, local);
        if (local == "styles" || local == "automatic-styles")
            --self.styleDepth_;
    }

    static void onText(void* data, const XML_Char* text, int length) {
        auto& self = *static_cast<FlatDocument*>(data);
        if (self.styleDepth_ > 0)
            self.styles.characters(std::string_view(text, length));
    }

    int styleDepth_ = 0;
    int tables_ = 0;
    int row_ = -1;
    int column_ = 0;
    std::vector<std::string> columnStyles_;
};

CellValue valueOf(const FlatDocument::Cell& cell) {
    CellValue value;
    value.type = cell.type;
    value.number = cell.number.empty() ? 0 : std::stod(cell.number);
    value.dateValue = cell.date;
    value.timeValue = cell.time;
    value.boolean = cell.boolean;
    value.currency = cell.currency;
    return value;
}

struct Comparison {
    int cells = 0;
    int equal = 0;
    std::vector<std::string> differences;
};

// Compares the engine's text of every value cell of a flat document with the office's CSV.
Comparison compareWithOffice(const std::filesystem::path& fods, const std::filesystem::path& csv,
                             std::string_view language = "en", std::string_view country = "US") {
    FlatDocument document(ods::test::readFile(fods.string()));
    document.styles.setOfficeLocale(language, country);
    const auto rows = ods::test::parseCsv(ods::test::readFile(csv.string()));
    Comparison result;
    for (const auto& cell : document.cells) {
        const std::string office = cell.row < static_cast<int>(rows.size()) &&
                                           cell.column < static_cast<int>(rows[cell.row].size())
                                       ? rows[cell.row][cell.column]
                                       : std::string();
        const auto shown = document.styles.shownText(cell.style, valueOf(cell));
        ++result.cells;
        if (shown && *shown == office) {
            ++result.equal;
        } else if (result.differences.size() < 40) {
            result.differences.push_back(
                csv.filename().string() + " row " + std::to_string(cell.row + 1) + " column " +
                std::to_string(cell.column + 1) + " style '" + cell.style + "' value '" +
                cell.number + cell.date + cell.time + "': office '" + office + "', engine '" +
                (shown ? *shown : std::string("(nothing)")) + "'");
        }
    }
    return result;
}

std::filesystem::path formatData() {
    return std::filesystem::path(GRIDWORK_SOURCE_DIR) / "tests" / "data" / "format";
}

DataStyles stylesFrom(const std::string& styleXml, DataStyles into = DataStyles()) {
    const std::string xml =
        "<office:document xmlns:office='urn:oasis:names:tc:opendocument:xmlns:office:1.0' "
        "xmlns:style='urn:oasis:names:tc:opendocument:xmlns:style:1.0' "
        "xmlns:number='urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0' "
        "xmlns:loext='urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0' "
        "xmlns:fo='urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0'>"
        "<office:styles>" +
        styleXml + "</office:styles></office:document>";
    FlatDocument document(xml, std::move(into));
    return std::move(document.styles);
}

CellValue number(double value, ValueType type = ValueType::Float) {
    CellValue result;
    result.type = type;
    result.number = value;
    return result;
}

std::string cellStyle(const std::string& name, const std::string& dataStyle) {
    return "<style:style style:name='" + name +
           "' style:family='table-cell' style:parent-style-name='Default' "
           "style:data-style-name='" +
           dataStyle + "'/>";
}

} // namespace

// Compares every value cell of the format documents whose names start with one of `prefixes`
// with the office's texts, as an office shows them whose locale is set as the environment names
// it: NAME-S.csv for the C locale (English, USA), NAME-S.de-DE.csv, ... where those were made.
void expectTheOfficesTexts(std::initializer_list<std::string_view> prefixes) {
    const std::pair<const char*, const char*> environments[] = {
        {"C.UTF-8", ""}, {"de_DE.UTF-8", ".de-DE"}, {"uk_UA.UTF-8", ".uk-UA"}};
    int documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(formatData())) {
        const std::string stem = entry.path().stem().string();
        if (entry.path().extension() != ".fods" ||
            std::none_of(prefixes.begin(), prefixes.end(),
                         [&stem](std::string_view prefix) { return stem.starts_with(prefix); }))
            continue;
        ASSERT_TRUE(std::filesystem::exists(formatData() / (stem + "-S.csv"))) << stem;
        ++documents;
        for (const auto& [environment, suffix] : environments) {
            const auto csv = formatData() / (stem + "-S" + suffix + ".csv");
            if (!std::filesystem::exists(csv))
                continue;
            const ods::OfficeLocale locale = ods::parsePosixLocale(environment);
            const Comparison result =
                compareWithOffice(entry.path(), csv, locale.language, locale.country);
            EXPECT_GT(result.cells, 0) << csv;
            for (const auto& difference : result.differences)
                ADD_FAILURE() << environment << ": " << difference;
            // A locale document as the office saved it, its styles rewritten in the office's
            // way, read as gridstack reads it.
            if (!stem.starts_with("locales-"))
                continue;
            auto saved = entry.path();
            saved.replace_extension(".ods");
            ods::ReadOptions options;
            options.officeLocale = locale;
            const ods::Workbook book = ods::readWorkbook(saved.string(), options);
            const auto shown = ods::test::parseCsv(ods::test::readFile(csv.string()));
            const ods::Sheet& sheet = book.sheets().at(0);
            for (std::size_t r = 0; r < shown.size(); ++r)
                for (std::size_t c = 0; c < shown[r].size(); ++c)
                    EXPECT_EQ(
                        sheet.text(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)),
                        shown[r][c])
                        << environment << ": " << saved.filename() << " row " << r + 1 << " column "
                        << c + 1;
        }
    }
    EXPECT_GT(documents, 0) << *prefixes.begin();
}

TEST(FormatDocuments, EveryValueCellShowsTheOfficesTextInEachLocale) {
    expectTheOfficesTexts({"styles-", "random-", "locales-"});
}

TEST(FormatDocuments, StylesWithMapsShowTheSectionTheOfficePicks) {
    // Sectioned formats as spreadsheets of the other family, Gnumeric and the office write them.
    expectTheOfficesTexts({"sections-"});
}

TEST(FormatDocuments, BlanksAndFillCharactersOfCurrencyFormatsAsTheOfficeShowsThem) {
    expectTheOfficesTexts({"blanks-"});
}

TEST(FormatDocuments, DatesUnderEveryNullDateAndBeforeYearOneAsTheOfficeShowsThem) {
    expectTheOfficesTexts({"dates-"});
}

TEST(FormatDocuments, RandomDocumentWhenGenerated) {
    const auto fods = formatData() / "random" / "random.fods";
    const auto csv = formatData() / "random" / "random-S.csv";
    if (!std::filesystem::exists(fods) || !std::filesystem::exists(csv))
        GTEST_SKIP() << "no random document; make one with tests/data/format/make-random";
    const Comparison result = compareWithOffice(fods, csv);
    std::cout << "random document: " << result.equal << " of " << result.cells
              << " value cells as the office shows them\n";
    for (const auto& difference : result.differences)
        std::cout << "  " << difference << "\n";
    // Clock times near a whole second and digits beyond the 15th may still differ.
    EXPECT_GE(result.equal * 1000, result.cells * 995);
    const auto german = formatData() / "random" / "random-S.de-DE.csv";
    if (std::filesystem::exists(german)) {
        const Comparison inGerman = compareWithOffice(fods, german, "de", "DE");
        std::cout << "random document, office in German: " << inGerman.equal << " of "
                  << inGerman.cells << " value cells as the office shows them\n";
        for (const auto& difference : inGerman.differences)
            std::cout << "  " << difference << "\n";
        EXPECT_GE(inGerman.equal * 1000, inGerman.cells * 995);
    }
}

TEST(DataStylesGeneral, CellsWithoutDataStyleShowTheGeneralFormat) {
    const DataStyles styles;
    const std::vector<std::pair<double, std::string>> cases = {
        {0, "0"},
        {-1, "-1"},
        {0.30000000000000004, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {123456789.123456789, "123456789.123457"},
        {9007199254740991, "9007199254740991"},
        {9007199254740992, "9.00719925474099E+015"},
        {1e20, "1E+020"},
        {-12345678901234567.0, "-1.23456789012346E+016"},
        {1.7976931348623157e308, "1.7976931348623157E+308"},
        {0.0001, "0.0001"},
        {1e-9, "0.000000001"},
        {1e-10, "1E-10"},
        {1.23456789012e-6, "1.23456789012E-06"},
        {1.2345678e-7, "0.00000012345678"},
        {0.000123456789012345678, "0.000123456789012346"},
        {2.0000000000000049, "2.00000000000001"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(styles.shownText("", number(value)), text) << value;
}

TEST(DataStylesGeneral, EveryValueTypeBecomesANumberFirst) {
    const DataStyles styles;
    CellValue date;
    date.type = ValueType::Date;
    date.dateValue = "2024-03-01T13:45:30";
    EXPECT_EQ(styles.shownText("", date), "45352.5732638889");
    CellValue time;
    time.type = ValueType::Time;
    time.timeValue = "PT36H05M07.25S";
    EXPECT_EQ(styles.shownText("", time), "1.50355613425926");
    CellValue boolean;
    boolean.type = ValueType::Boolean;
    boolean.boolean = true;
    EXPECT_EQ(styles.shownText("", boolean), "1");
    EXPECT_EQ(styles.shownText("", number(0.1234, ValueType::Percentage)), "0.1234");
    CellValue text;
    text.type = ValueType::String;
    EXPECT_EQ(styles.shownText("", text), std::nullopt);
    date.dateValue = "not a date";
    EXPECT_EQ(styles.shownText("", date), "0");
}

TEST(DataStylesNumber, DecimalsGroupingAndRounding) {
    const DataStyles styles = stylesFrom(
        "<number:number-style style:name='N2'><number:number number:decimal-places='2' "
        "number:min-integer-digits='1' number:grouping='true'/></number:number-style>"
        "<number:number-style style:name='Nhash'><number:number number:decimal-places='0' "
        "number:min-integer-digits='0'/></number:number-style>"
        "<number:number-style style:name='Nupto'><number:number number:decimal-places='3' "
        "loext:min-decimal-places='1' number:min-integer-digits='1'/></number:number-style>" +
        cellStyle("two", "N2") + cellStyle("hash", "Nhash") + cellStyle("upto", "Nupto"));
    const std::vector<std::tuple<std::string, double, std::string>> cases = {
        {"two", 1234567.891, "1,234,567.89"},
        {"two", 1.005, "1.01"},
        {"two", 2.675, "2.68"},
        {"two", -0.004, "0.00"},
        {"two", -1234.5, "-1,234.50"},
        {"two", 9007199254740992, "9,007,199,254,740,990.00"},
        {"hash", 0, ""},
        {"hash", 0.4, ""},
        {"hash", 2.5, "3"},
        {"upto", 2, "2.0"},
        {"upto", 2.25, "2.25"},
        {"upto", 2.12345, "2.123"},
    };
    for (const auto& [style, value, text] : cases)
        EXPECT_EQ(styles.shownText(style, number(value)), text) << style << " " << value;
}

TEST(DataStylesNumber, HostileCountsAreCutAsTheOfficeCutsThem) {
    // Each element below once looped for ever, overflowed or asked for gigabytes of digits; the
    // texts are the office's.
    const std::string f = "fraction number:min-integer-digits='1' number:min-numerator-digits='1' ";
    const double pi = 3.14159265358979;
    const std::vector<std::tuple<std::string, double, std::string>> cases = {
        {f + "number:min-denominator-digits='2'", pi, "3 14/99"},
        {f + "number:min-denominator-digits='8'", pi, "3 6491466/45846065"},
        {f + "number:min-denominator-digits='9'", pi, "3.14159265358979"},
        {f + "number:min-denominator-digits='18'", 0.5, "0.5"},
        {f + "number:min-denominator-digits='99999999999999999999'", 0.75, "0.75"},
        {f + "number:min-denominator-digits='1' number:max-denominator-value='2147483647'", pi,
         "3.14159265358979"},
        {f + "number:min-denominator-digits='1' number:max-denominator-value='999'", pi,
         "3 16/113"},
        {"number number:decimal-places='2147483647' number:min-integer-digits='1'", pi,
         "3.14159265358979" + std::string(84, '0')},
        {"number number:decimal-places='2' number:min-integer-digits='98'", pi,
         std::string(97, '0') + "3.1"},
        {"number number:decimal-places='2' number:min-integer-digits='2147483648'", pi,
         std::string(99, '0') + "3"},
        {"scientific-number number:decimal-places='2' number:min-integer-digits='1' "
         "number:min-exponent-digits='2147483647'",
         pi, "3.14E+" + std::string(95, '0')},
    };
    for (const auto& [element, value, text] : cases) {
        const DataStyles styles =
            stylesFrom("<number:number-style style:name='N'><number:" + element + "/>" +
                       "</number:number-style>" + cellStyle("c", "N"));
        EXPECT_EQ(styles.shownText("c", number(value)), text) << element;
    }
    const DataStyles general =
        stylesFrom("<style:default-style style:family='table-cell'><style:table-cell-properties "
                   "style:decimal-places='2147483647'/></style:default-style>");
    EXPECT_EQ(general.shownText("", number(2.5)), "2.5");
}

TEST(DataStylesNumber, ConditionalSectionsShowTheMagnitude) {
    const DataStyles styles = stylesFrom(
        "<number:number-style style:name='P0'><number:number number:decimal-places='2' "
        "number:min-integer-digits='1'/></number:number-style>"
        "<number:number-style style:name='N'><number:text>(</number:text><number:number "
        "number:decimal-places='2' number:min-integer-digits='1'/><number:text>)</number:text>"
        "<style:map style:condition='value()&gt;=0' style:apply-style-name='P0'/>"
        "</number:number-style>" +
        cellStyle("paren", "N"));
    EXPECT_EQ(styles.shownText("paren", number(-3.5)), "(3.50)");
    EXPECT_EQ(styles.shownText("paren", number(3.5)), "3.50");
}

TEST(DataStylesCells, DataStyleComesThroughParentsAndTheDefaultStyle) {
    const DataStyles styles = stylesFrom(
        "<number:number-style style:name='N1'><number:number number:decimal-places='1' "
        "number:min-integer-digits='1'/></number:number-style>"
        "<number:percentage-style style:name='P'><number:number number:decimal-places='0' "
        "number:min-integer-digits='1'/><number:text>%</number:text></number:percentage-style>"
        "<style:default-style style:family='table-cell' style:data-style-name='P'/>"
        "<style:style style:name='Default' style:family='table-cell' "
        "style:data-style-name='N1'/>"
        "<style:style style:name='parent' style:family='table-cell' "
        "style:data-style-name='P'/>"
        "<style:style style:name='child' style:family='table-cell' "
        "style:parent-style-name='parent'/>"
        "<style:style style:name='loopA' style:family='table-cell' "
        "style:parent-style-name='loopB'/>"
        "<style:style style:name='loopB' style:family='table-cell' "
        "style:parent-style-name='loopA'/>");
    EXPECT_EQ(styles.shownText("child", number(0.256)), "26%");
    EXPECT_EQ(styles.shownText("", number(0.256)), "0.3");
    EXPECT_EQ(styles.shownText("unknown", number(0.256)), "0.3");
    EXPECT_EQ(styles.shownText("loopA", number(0.256)), "0.3");
    // Beyond the largest double once made a percentage: the office's format error, and the
    // document still reads.
    EXPECT_EQ(styles.shownText("child", number(1e308)), "#FMT");
    EXPECT_EQ(styles.shownText("child", number(-1.7e308)), "#FMT");
}

TEST(DataStylesDates, NamesFollowTheStylesLanguage) {
    const std::string parts =
        "<number:day-of-week number:style='long'/><number:text> </number:text><number:day/>"
        "<number:text> </number:text><number:month number:textual='true'/>";
    const DataStyles styles = stylesFrom(
        "<number:date-style style:name='en'>" + parts + "</number:date-style>" +
        "<number:date-style style:name='de' number:language='de' number:country='DE'>" + parts +
        "</number:date-style>" + "<number:date-style style:name='qq' number:language='qq' " +
        "number:country='QQ'>" + parts + "</number:date-style>" + cellStyle("en", "en") +
        cellStyle("de", "de") + cellStyle("qq", "qq"));
    CellValue date;
    date.type = ValueType::Date;
    date.dateValue = "2024-03-01";
    EXPECT_EQ(styles.shownText("en", date), "Friday 1 Mar");
    EXPECT_EQ(styles.shownText("de", date), "Freitag 1 Mär");
    // A language the office has no data for.
    EXPECT_EQ(styles.shownText("qq", date), std::nullopt);
    // Years past any calendar (one once overflowed the day count) show as the far years do;
    // what is no date to the office (hours of more than two digits) is day 0.
    for (const char* far : {"40000-01-01", "6874670205051659150-03-01T12:30:00"}) {
        date.dateValue = far;
        EXPECT_EQ(styles.shownText("en", date), "#FMT") << far;
    }
    for (const char* malformed :
         {"--9223372036854775808-01-01", "2024-01-01T9223372036854775807:00", "2024-3-01",
          "2024-03-01T09:05", "1904-1-1"}) {
        date.dateValue = malformed;
        EXPECT_EQ(styles.shownText("en", date), "Saturday 30 Dec") << malformed;
    }
}

TEST(DataStylesTimes, ClockTimesTruncateAndDurationsRound) {
    const std::string parts = "<number:hours/><number:text>:</number:text><number:minutes "
                              "number:style='long'/><number:text>:</number:text><number:seconds "
                              "number:style='long'/>";
    const DataStyles styles =
        stylesFrom("<number:time-style style:name='clock'>" + parts +
                   "<number:text> </number:text><number:am-pm/></number:time-style>"
                   "<number:time-style style:name='elapsed' number:truncate-on-overflow='false'>" +
                   parts + "</number:time-style>" + cellStyle("clock", "clock") +
                   cellStyle("elapsed", "elapsed"));
    CellValue time;
    time.type = ValueType::Time;
    time.timeValue = "PT36H05M07.75S";
    EXPECT_EQ(styles.shownText("clock", time), "12:05:07 PM");
    EXPECT_EQ(styles.shownText("elapsed", time), "36:05:08");
    time.timeValue = "-PT1H30M00S";
    EXPECT_EQ(styles.shownText("clock", time), "10:30:00 PM");
    EXPECT_EQ(styles.shownText("elapsed", time), "-1:30:00");
}

TEST(DataStylesCurrency, CellCurrencyAgainstTheStylesSymbol) {
    const DataStyles styles = stylesFrom(
        "<number:currency-style style:name='N104P0' style:volatile='true'><number:currency-symbol "
        "number:language='en' number:country='GB'>£</number:currency-symbol><number:number "
        "number:decimal-places='2' number:min-decimal-places='2' number:min-integer-digits='1' "
        "number:grouping='true'/></number:currency-style>"
        "<number:currency-style style:name='N104'><style:text-properties fo:color='#ff0000'/>"
        "<number:text>-</number:text><number:currency-symbol number:language='en' "
        "number:country='GB'>£</number:currency-symbol><number:number number:decimal-places='2' "
        "number:min-decimal-places='2' number:min-integer-digits='1' number:grouping='true'/>"
        "<style:map style:condition='value()&gt;=0' style:apply-style-name='N104P0'/>"
        "</number:currency-style>" +
        cellStyle("pounds", "N104"));
    CellValue value = number(1.2, ValueType::Currency);
    value.currency = "GBP";
    EXPECT_EQ(styles.shownText("pounds", value), "£1.20");
    value.number = -1234.5;
    EXPECT_EQ(styles.shownText("pounds", value), "-£1,234.50");
    value.currency = "USD";
    EXPECT_EQ(styles.shownText("pounds", value), "-1,234.50 USD");
}

TEST(DataStylesNumber, FractionsKeepTheRoomOfTheirDigits) {
    const DataStyles styles = stylesFrom(
        "<number:number-style style:name='F'><number:fraction number:min-integer-digits='0' "
        "number:min-numerator-digits='1' number:min-denominator-digits='1'/>"
        "</number:number-style>"
        "<number:number-style style:name='Q'><number:fraction number:min-integer-digits='1' "
        "number:min-numerator-digits='1' number:denominator-value='4'/></number:number-style>" +
        cellStyle("f", "F") + cellStyle("q", "Q"));
    const std::vector<std::tuple<std::string, double, std::string>> cases = {
        {"f", 0, "0    "},    {"f", 0.5, " 1/2"},   {"f", -0.5, "- 1/2"},
        {"f", 1.5, "1 1/2"},  {"f", 0.1, " 1/9"},   {"q", 0, "0   "},
        {"q", 1.75, "1 3/4"}, {"q", 0.125, "0   "}, {"q", 2.9999, "3   "},
    };
    for (const auto& [style, value, text] : cases)
        EXPECT_EQ(styles.shownText(style, number(value)), text) << style << " " << value;
}

TEST(DataStylesNumber, ScientificAndComposedGeneral) {
    const DataStyles styles = stylesFrom(
        "<number:number-style style:name='S'><number:scientific-number "
        "number:decimal-places='2' number:min-integer-digits='1' "
        "number:min-exponent-digits='2'/></number:number-style>"
        "<number:number-style style:name='E'><number:scientific-number "
        "number:decimal-places='1' number:min-integer-digits='1' number:min-exponent-digits='1' "
        "loext:exponent-interval='3'/></number:number-style>"
        "<number:number-style style:name='G'><number:text>~</number:text><number:number "
        "number:min-integer-digits='1'/></number:number-style>" +
        cellStyle("s", "S") + cellStyle("e", "E") + cellStyle("g", "G"));
    EXPECT_EQ(styles.shownText("s", number(12345)), "1.23E+04");
    EXPECT_EQ(styles.shownText("s", number(-0.000123)), "-1.23E-04");
    EXPECT_EQ(styles.shownText("e", number(12345)), "12.3E+3");
    EXPECT_EQ(styles.shownText("g", number(8.160099428178241e-05)), "~0.0000816009942817824");
}

TEST(DataStylesGeneral, DocumentLimitOnDecimalsAndStandardFormatsOfStyledCells) {
    const DataStyles styles = stylesFrom(
        "<style:default-style style:family='table-cell'><style:table-cell-properties "
        "style:decimal-places='2'/></style:default-style>"
        "<number:number-style style:name='Gde' number:language='de' number:country='DE'>"
        "<number:number number:min-integer-digits='1'/></number:number-style>" +
        cellStyle("de", "Gde") + "<style:style style:name='plain' style:family='table-cell'/>");
    EXPECT_EQ(styles.shownText("plain", number(81.205)), "81.21");
    EXPECT_EQ(styles.shownText("plain", number(-5.08000000000001)), "-5.08");
    EXPECT_EQ(styles.shownText("plain", number(95.495)), "95.5");
    CellValue date;
    date.type = ValueType::Date;
    date.dateValue = "2024-03-01T13:45:30";
    EXPECT_EQ(styles.shownText("plain", date), "03/01/24 01:45 PM");
    EXPECT_EQ(styles.shownText("de", date), "01.03.24 13:45");
    CellValue time;
    time.type = ValueType::Time;
    time.timeValue = "PT13H45M30S";
    EXPECT_EQ(styles.shownText("plain", time), "01:45:30 PM");
    CellValue boolean;
    boolean.type = ValueType::Boolean;
    EXPECT_EQ(styles.shownText("de", boolean), "FALSCH");
    EXPECT_EQ(styles.shownText("plain", number(0.1234, ValueType::Percentage)), "12.34%");
    EXPECT_EQ(styles.shownText("de", number(0.1234, ValueType::Percentage)), "12,34\u00a0%");
}

TEST(DataStylesDates, AutomaticOrderFollowsTheUsaAndOldDatesAreJulian) {
    const DataStyles styles = stylesFrom(
        "<number:date-style style:name='dmy' number:automatic-order='true'><number:day "
        "number:style='long'/><number:text>/</number:text><number:month number:style='long'/>"
        "<number:text>/</number:text><number:year number:style='long'/></number:date-style>"
        "<number:date-style style:name='named' number:automatic-order='true'><number:day-of-week/>"
        "<number:text> </number:text><number:day/><number:text> </number:text><number:month "
        "number:textual='true'/><number:text> </number:text><number:year/></number:date-style>"
        "<number:date-style style:name='iso'><number:year number:style='long'/><number:text>-"
        "</number:text><number:month number:style='long'/><number:text>-</number:text>"
        "<number:day number:style='long'/></number:date-style>" +
        cellStyle("dmy", "dmy") + cellStyle("named", "named") + cellStyle("iso", "iso"));
    CellValue date;
    date.type = ValueType::Date;
    date.dateValue = "2022-06-15";
    EXPECT_EQ(styles.shownText("dmy", date), "06/15/2022");
    EXPECT_EQ(styles.shownText("named", date), "Wed, Jun 15, 22");
    // 1413-06-01 in the proleptic Gregorian calendar is 1413-05-23 in the Julian one.
    date.dateValue = "1413-06-01";
    EXPECT_EQ(styles.shownText("iso", date), "1413-05-23");
    EXPECT_EQ(styles.shownText("iso", number(-800000)), "-0292-09-06");
    EXPECT_EQ(styles.shownText("iso", number(-693594)), "0001-01-02");

    // A null date beyond any calendar, as a hostile file may give, leaves dates unshowable and
    // overflows nothing.
    for (const std::string far : {"999999999999-01-01", "-999999999999-12-31"}) {
        const DataStyles moved = stylesFrom(
            "<table:null-date xmlns:table='urn:oasis:names:tc:opendocument:xmlns:table:1.0' "
            "table:date-value='" +
                far + "'/>",
            stylesFrom(cellStyle("iso", "iso") + "<number:date-style style:name='iso'><number:year "
                                                 "number:style='long'/></number:date-style>"));
        EXPECT_EQ(moved.shownText("iso", number(1)), "#FMT") << far;
        EXPECT_TRUE(moved.shownText("", date).has_value()) << far;
    }
}

TEST(DataStylesTimes, FractionsOfSecondsNeverRoundIntoTheNextSecond) {
    const DataStyles styles =
        stylesFrom("<number:time-style style:name='ms'><number:minutes number:style='long'/>"
                   "<number:text>:</number:text><number:seconds number:style='long' "
                   "number:decimal-places='1'/></number:time-style>" +
                   cellStyle("ms", "ms"));
    CellValue time;
    time.type = ValueType::Time;
    time.timeValue = "PT0H04M39.98S";
    EXPECT_EQ(styles.shownText("ms", time), "04:39.9");
    time.timeValue = "PT0H04M39.76S";
    EXPECT_EQ(styles.shownText("ms", time), "04:39.8");
    time.timeValue = "PT0H04M40S";
    EXPECT_EQ(styles.shownText("ms", time), "04:40.0");
}

TEST(DataStylesTimes, SecondsPartsShowTheirShareOfOneFraction) {
    const auto seconds = [](int decimals) {
        return "<number:seconds number:decimal-places='" + std::to_string(decimals) + "'/>";
    };
    const auto timeStyle = [&](const std::string& name, const std::vector<int>& decimals) {
        std::string xml = "<number:time-style style:name='" + name + "'>";
        for (std::size_t i = 0; i < decimals.size(); ++i)
            xml += (i > 0 ? "<number:text> </number:text>" : "") + seconds(decimals[i]);
        return xml + "</number:time-style>" + cellStyle(name, name);
    };
    const DataStyles styles =
        stylesFrom(timeStyle("t20", {2, 0}) + timeStyle("t02", {0, 2}) + timeStyle("t21", {2, 1}) +
                   timeStyle("t12", {1, 2}) + timeStyle("t130", {1, 3, 0}));
    const auto shown = [&styles](const std::string& style, std::string_view duration) {
        CellValue time;
        time.type = ValueType::Time;
        time.timeValue = duration;
        return styles.shownText(style, time);
    };
    // The texts the office shows.
    EXPECT_EQ(shown("t20", "PT1H2M3.25S"), "3.25 3");
    EXPECT_EQ(shown("t02", "PT1H2M3.25S"), "3 3.25");
    EXPECT_EQ(shown("t21", "PT1H2M3.256S"), "3.25 3.6");
    EXPECT_EQ(shown("t12", "PT1H2M3.256S"), "3.2 3.56");
    EXPECT_EQ(shown("t130", "PT1H2M3.2567S"), "3.2 3.567 3");
    EXPECT_EQ(shown("t20", "PT1H2M3.999S"), "3.99 3");
}

TEST(DataStylesCells, TheOfficeLocaleAppliesToStylesWithoutALanguage) {
    DataStyles styles = stylesFrom(
        "<number:number-style style:name='N2'><number:number number:decimal-places='2' "
        "number:min-integer-digits='1' number:grouping='true'/></number:number-style>"
        "<number:number-style style:name='N2en' number:language='en' number:country='US'>"
        "<number:number number:decimal-places='2' number:min-integer-digits='1' "
        "number:grouping='true'/></number:number-style>" +
        cellStyle("own", "N2") + cellStyle("english", "N2en") +
        "<style:style style:name='plain' style:family='table-cell'/>");
    styles.setOfficeLocale("de", "DE");
    EXPECT_EQ(styles.shownText("own", number(1234.5)), "1.234,50");
    EXPECT_EQ(styles.shownText("english", number(1234.5)), "1,234.50");
    EXPECT_EQ(styles.shownText("", number(0.25)), "0,25");
    CellValue boolean;
    boolean.type = ValueType::Boolean;
    boolean.boolean = true;
    EXPECT_EQ(styles.shownText("plain", boolean), "WAHR");
    styles.setOfficeLocale("uk", "UA");
    EXPECT_EQ(styles.shownText("plain", boolean), "ІСТИНА");
    EXPECT_EQ(styles.shownText("own", number(1234.5)), "1\u00a0234,50");
    styles.setOfficeLocale("qq", "QQ");
    EXPECT_EQ(styles.shownText("plain", boolean), std::nullopt);
}

TEST(DataStylesCells, StylesReadAfterTheFirstValuesApplyToTheValuesAfterThem) {
    DataStyles styles = stylesFrom(cellStyle("c", "late") +
                                   "<number:number-style style:name='signed'><number:number "
                                   "number:decimal-places='0'/><style:map "
                                   "style:condition='value()&lt;0' "
                                   "style:apply-style-name='negative'/></number:number-style>" +
                                   cellStyle("s", "signed"));
    // Until its data style arrives, the cell style shows the General format.
    EXPECT_EQ(styles.shownText("c", number(1.5)), "1.5");
    // Until the map's target arrives, the map is left out, as the office leaves out a map
    // without target.
    EXPECT_EQ(styles.shownText("s", number(-5)), "-5");
    EXPECT_EQ(styles.shownText("", number(1.23456)), "1.23456");

    styles = stylesFrom("<number:number-style style:name='late'><number:number "
                        "number:decimal-places='2'/></number:number-style>"
                        "<number:number-style style:name='negative'><number:text>(</number:text>"
                        "<number:number number:decimal-places='0'/><number:text>)</number:text>"
                        "</number:number-style>",
                        std::move(styles));
    EXPECT_EQ(styles.shownText("c", number(1.5)), "1.50");
    EXPECT_EQ(styles.shownText("s", number(-5)), "(5)");

    // A cell style and a data style read again replace the earlier ones.
    styles = stylesFrom(cellStyle("c", "other") +
                            "<number:number-style style:name='other'><number:number "
                            "number:decimal-places='3'/></number:number-style>",
                        std::move(styles));
    EXPECT_EQ(styles.shownText("c", number(1.5)), "1.500");
    styles = stylesFrom("<number:percentage-style style:name='other'><number:number "
                        "number:decimal-places='1'/><number:text>%</number:text>"
                        "</number:percentage-style>",
                        std::move(styles));
    EXPECT_EQ(styles.shownText("c", number(0.015)), "1.5%");

    // So does the document's limit on General decimals.
    styles = stylesFrom("<style:default-style style:family='table-cell'>"
                        "<style:table-cell-properties style:decimal-places='2'/>"
                        "</style:default-style>",
                        std::move(styles));
    EXPECT_EQ(styles.shownText("", number(1.23456)), "1.23");
}

TEST(DataStylesCells, TwoDocumentsNeverShareTheirStyles) {
    DataStyles first = stylesFrom("<number:number-style style:name='N'><number:number "
                                  "number:decimal-places='1'/></number:number-style>" +
                                  cellStyle("ce1", "N"));
    const DataStyles second =
        stylesFrom("<number:currency-style style:name='N' number:language='de' number:country='DE'>"
                   "<number:number number:decimal-places='2' number:min-integer-digits='1'/>"
                   "<number:text> </number:text><number:currency-symbol number:language='de' "
                   "number:country='DE'>€</number:currency-symbol></number:currency-style>" +
                   cellStyle("ce1", "N"));
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(first.shownText("ce1", number(2.25)), "2.3");
        EXPECT_EQ(second.shownText("ce1", number(2.25)), "2,25 €");
    }
    // A document's styles keep working after they move, as the reader hands them on.
    const DataStyles moved = std::move(first);
    EXPECT_EQ(moved.shownText("ce1", number(2.25)), "2.3");
    EXPECT_EQ(second.shownText("ce1", number(2.25)), "2,25 €");
}

TEST(DataStylesCells, ManyCellStylesInTurnEachKeepTheirOwnFormat) {
    std::string xml;
    constexpr int count = 200;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::to_string(i);
        xml += "<number:number-style style:name='N" + name +
               "'><number:number number:decimal-places='" + std::to_string(i % 6) +
               "'/></number:number-style>" + cellStyle("ce" + name, "N" + name);
    }
    const DataStyles styles = stylesFrom(xml);
    for (int round = 0; round < 3; ++round) {
        // Cells naming thousands of unknown styles (a hostile file) show the General format,
        // and the known styles keep theirs.
        for (int i = 0; i < 3000; ++i)
            EXPECT_EQ(styles.shownText("unknown" + std::to_string(round * 3000 + i), number(1.5)),
                      "1.5");
        for (int i = 0; i < count; ++i) {
            const int decimals = i % 6;
            const std::string expected =
                decimals == 0 ? "2"
                              : "1.5" + std::string(static_cast<std::size_t>(decimals - 1), '0');
            EXPECT_EQ(styles.shownText("ce" + std::to_string(i), number(1.5)), expected) << i;
        }
    }
}
