#pragma once

// The digits of a number as the office writes them: the General format, fixed decimals,
// scientific notation and fractions.

#include "ods/format/data_style.h"
#include "ods/format/locale_data.h"

#include <string>

namespace ods::format {

/// The text of a number part, without its sign.
struct NumberPieces {
    std::string text;
    bool zero = true; ///< the digits shown are all zero, so no minus sign goes in front
};

/// The office's "General" format: up to 15 significant digits, whole integers below 2^53,
/// scientific notation for very large and very small magnitudes. A document may limit its
/// decimals (`maxDecimals`, -1: no limit).
std::string generalText(double value, const LocaleData& locale, int maxDecimals = -1);

/// A number as the input line shows it: up to 15 significant digits, no scientific notation
/// for small magnitudes, at most `maxDecimals` decimals (-1: no limit).
std::string inputLineText(double value, const LocaleData& locale, int maxDecimals);

/// Writes a number:number element onto the end of `out`, without its sign; `composed` when the
/// General format shares the style with other parts or sections. Returns whether the digits
/// shown are all zero, so that no minus sign goes in front.
bool appendNumberText(std::string& out, const StylePart& part, double magnitude,
                      const LocaleData& locale, int generalDecimals = -1, bool composed = false);

/// A number:scientific-number element.
NumberPieces scientificText(const StylePart& part, double magnitude, const LocaleData& locale);

/// A number:fraction element.
NumberPieces fractionText(const StylePart& part, double magnitude, const LocaleData& locale);

} // namespace ods::format
