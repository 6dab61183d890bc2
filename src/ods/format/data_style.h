#pragma once

// One data style of a document (number:number-style and its siblings), as read from the file.

#include <string>
#include <utility>
#include <vector>

namespace ods::format {

enum class StyleKind { Number, Currency, Percentage, Date, Time, Boolean, Text };

enum class PartKind {
    Text,
    Number,
    Scientific,
    Fraction,
    CurrencySymbol,
    Day,
    Month,
    Year,
    DayOfWeek,
    Hours,
    Minutes,
    Seconds,
    AmPm,
    Era,
    Quarter,
    WeekOfYear,
    Boolean,
    TextContent,
    FillCharacter, ///< repeated to fill the cell's width, which a cell's text does not show
};

/// A piece of text placed among the digits, counted from the decimal point leftwards.
struct EmbeddedText {
    int position = 0;
    std::string text;
};

/// One child element of a data style.
struct StylePart {
    PartKind kind = PartKind::Text;
    std::string text;      ///< literal text, or the currency symbol as written
    bool longForm = false; ///< number:style="long"
    bool textual = false;  ///< month names instead of numbers
    int decimals = -1;     ///< number:decimal-places; -1: not given (the general format)
    int minDecimals = -1;  ///< loext:min-decimal-places; -1: not given
    int minIntegerDigits = 0;
    bool grouping = false;
    bool hasDecimalReplacement = false;
    std::string decimalReplacement;
    double displayFactor = 1;
    std::vector<EmbeddedText> embedded;
    int minExponentDigits = 2;
    int exponentInterval = 1;
    bool forcedExponentSign = true;
    int minNumeratorDigits = 0;
    int minDenominatorDigits = 0;
    int denominatorValue = 0;    ///< a fixed denominator, 0: the best one
    int maxDenominatorValue = 0; ///< 0: from the digits of the denominator
    std::string language;        ///< of a currency symbol
    std::string country;
};

enum class Comparison { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };

/// A style:map: values meeting the condition are shown with another data style.
struct StyleMap {
    Comparison comparison = Comparison::GreaterEqual;
    double limit = 0;
    std::string styleName;
};

struct DataStyle {
    StyleKind kind = StyleKind::Number;
    std::string language;
    std::string country;
    bool truncateOnOverflow = true;
    bool automaticOrder = false; ///< day, month and year follow the order of the locale
    bool fromSystem = false;     ///< number:format-source="language": the locale's own format
    bool otherCalendar = false;  ///< a part names a calendar other than the Gregorian one
    std::vector<StylePart> parts;
    std::vector<StyleMap> maps;
};

/// Reads a style:condition such as "value()>=0"; false when it is of another form.
bool parseCondition(const std::string& condition, StyleMap& map);

} // namespace ods::format
