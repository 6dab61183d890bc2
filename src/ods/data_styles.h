#pragma once

// How the office shows a value: the document's data styles (number:number-style and its
// siblings, with their conditional maps) and the cell styles that point at them.

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ods {

/// One attribute of an XML element, namespace resolved (ns is the namespace URI).
struct XmlAttribute {
    std::string_view ns;
    std::string_view local;
    std::string_view value;
};

enum class ValueType { Float, Percentage, Currency, Date, Time, Boolean, String, Void };

/// The value attributes of a cell that is no string cell.
struct CellValue {
    ValueType type = ValueType::Void;
    double number = 0;          ///< office:value (float, percentage, currency)
    std::string_view dateValue; ///< office:date-value, e.g. "2024-03-01T12:30:00"
    std::string_view timeValue; ///< office:time-value, e.g. "PT12H30M00S"
    bool boolean = false;       ///< office:boolean-value
    std::string_view currency;  ///< office:currency, e.g. "EUR"
};

/// Collects the data styles of a document and renders values with them.
class DataStyles {
public:
    DataStyles();
    ~DataStyles();
    DataStyles(DataStyles&&) noexcept;
    DataStyles& operator=(DataStyles&&) noexcept;

    /// The SAX events of everything inside office:styles and office:automatic-styles, first of
    /// styles.xml, then of content.xml (the containers' own elements included), and the start of
    /// a table:null-date, which moves the day that serial numbers of dates count from.
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes);
    void endElement(std::string_view ns, std::string_view local);
    void characters(std::string_view text);

    /// The text the office shows for a value in a cell of that cell style (empty name: a cell
    /// without any style, which has the default cell style's format but shows dates, times,
    /// percentages and booleans of a General format as bare numbers), or nothing when the value
    /// type or the format is not known, in which case the caller falls back to the text cached in
    /// the file. What depends only on the cell style is worked out on its first value and kept
    /// until a style or the locale changes, so one DataStyles must not show values on two threads
    /// at once.
    std::optional<std::string> shownText(std::string_view cellStyleName,
                                         const CellValue& value) const;

    /// The text the office shows for a text cell of that cell style: the text set into the
    /// style's text format (number:text-style, `"avant "@`), or nothing when the style shows
    /// texts as they are. Same caching and threading as shownText.
    std::optional<std::string> shownString(std::string_view cellStyleName,
                                           std::string_view text) const;
    /// Whether any data style read so far is a text format: without one, no text needs
    /// shownString.
    bool hasTextFormats() const noexcept;

    /// Keeps, from now on, the XML of every data style read (see dataStyleXml).
    void keepDataStyleXml();
    /// The data styles read since keepDataStyleXml, as XML elements by name: what a document
    /// needs to show values as this one does.
    std::map<std::string, std::string> takeDataStyleXml();
    /// The name of the data style a cell of that cell style shows values with (through the
    /// style's parents and the default cell style); nothing for the general format.
    std::optional<std::string> dataStyleName(std::string_view cellStyleName) const;
    /// The document's day 0 read so far, in days after 1899-12-30.
    long long nullDate() const noexcept;

    /// The locale the office shows documents in, as language and country ("de", "DE"): it
    /// applies to data styles that name no language and to cells without a data style. English
    /// (USA) until set, which is what an office started with the C or an English locale uses.
    void setOfficeLocale(std::string_view language, std::string_view country);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace ods
