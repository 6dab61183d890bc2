#pragma once

// Row and column bounds as a user types them on the command line ("2:40", "B:D", "2:AA").

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gridwork::cli {

/// The largest sheet the office opens; a range beyond it names cells that cannot exist.
inline constexpr std::int64_t maxSheetRows = 1'048'576;
inline constexpr std::int64_t maxSheetColumns = 16'384;

/// Text that is not a range at all, such as "--rows x:1" (a usage mistake, not a fault of a file).
class RangeSyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A well-formed range that no sheet can serve: beyond the sheet's limits or From above To.
class RangeValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Axis { Rows, Columns };

/// 1-based inclusive bounds as typed. Numbers too large for 64 bits saturate, so they still count
/// as "outside the sheet" rather than wrapping into a valid row.
struct Span {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::string text; ///< what the user typed, for messages
};

/// A count as people read it: 1048576 gives "1,048,576".
std::string withThousands(std::int64_t n);

/// Value of a string of decimal digits, saturating at the largest 64-bit number.
std::int64_t saturatingNumber(std::string_view digits);

/// 1-based number of a column name: "A" is 1, "Z" 26, "AA" 27, "XFD" 16384. Case-insensitive.
/// Saturates for absurdly long names.
std::int64_t columnNumber(std::string_view letters);

/// Column name of a 1-based number: 1 gives "A", 28 gives "AB".
std::string columnName(std::int64_t number);

/// Parses "FROM:TO". Rows take numbers only; columns take numbers or letters, each bound on its
/// own ("B:4" is columns 2 to 4). Throws RangeSyntaxError.
Span parseSpan(std::string_view text, Axis axis);

/// Throws RangeValueError unless 1 <= first <= last <= the sheet's limit for that axis.
void checkSpan(const Span& span, Axis axis);

} // namespace gridwork::cli
